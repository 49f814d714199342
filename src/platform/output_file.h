// The output file (platform seam; output_file_posix.cpp and output_file_win32.cpp are its sides): where a
// listing goes, standard output or `-o FILE`: created, written, and finished so that FILE is replaced whole
// or not at all (a device, a FIFO or one of the process's own descriptors is written as it is). Write
// errors are kept, never ignored, and returned as messages.
#pragma once

#include <cstdint>
#include <string>
#include <string_view>

struct Output {
    int fd = -1;
    std::string path;      // FILE as given; empty for standard output
    std::string target;    // the file that is replaced: FILE, or the regular file a link at FILE names
    std::string tempPath;  // the temporary file while it exists
    bool replace = false;  // true: write tempPath, then rename it over target
    bool inherited = false;  // fd is one of the process's own descriptors that FILE names: never closed
    int error = 0;         // first write error (an errno value); nothing is written after it
    uint64_t written = 0;
    bool sjis = false;     // the text is code page 932, not UTF-8 (set by the caller after OpenOutput)
    // Windows: the HANDLE written (fd is not used there), whether it is a console (which gets the text as
    // UTF-16), and the start of a character cut at the end of the last write, kept for the next one.
    void* handle = nullptr;
    bool console = false;
    std::string carry;
};

// Before the scan, so that an unwritable FILE fails at once: false, with the reason in `message`, when
// FILE is a folder, a read-only file, or in a folder that is missing or cannot be written.
bool CheckOutput(const std::string& path, std::string& message);
// Opens the destination once the listing is ready to be written (so the temporary file never shows in
// the listing of its own folder). A FILE that names one of the process's own descriptors (/dev/stdout,
// /dev/stderr, /dev/fd/N, /proc/self/fd/N, /proc/PID/fd/N, or a chain of links to one) is that
// descriptor, written as inherited (appending where the caller opened it so) and never reopened; a closed
// or read-only one fails. An existing FILE that is not a regular file (a device such as /dev/null, a
// FIFO) is written in place; a regular or new one is replaced by rename. False, with the
// reason in `message`, when that cannot be done. An empty `path` is standard output.
bool OpenOutput(Output& output, const std::string& path, std::string& message);
// Writes all of `bytes`, unless an earlier write failed.
void WriteOutput(Output& output, std::string_view bytes);
// keep: makes the written text final (fsync and rename for a replaced FILE) and returns false, with the
// reason in `message`, when anything failed on the way; the temporary file is then removed and an
// existing FILE is left as it was. !keep: removes the temporary file and leaves FILE untouched.
bool FinishOutput(Output& output, bool keep, std::string& message);

// The messages of the functions above (output_file.cpp): "cannot write FILE: reason" ("standard output"
// for an empty path), and for a temporary file that cannot be made beside FILE, its folder named, since
// FILE itself may well be writable.
std::string OutputFailure(const Output& output, int error);
std::string TempFileFailure(const Output& output, const std::string& folder, int error);
