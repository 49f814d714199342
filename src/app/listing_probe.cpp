// listing_probe.exe FOLDER [options]: writes the Windows program's listing of FOLDER to stdout, byte for
// byte as the select-folder command would put it in the edit control (Shift_JIS, CRLF, no terminator).
// The boxes the program would show go to stderr as one line each. For comparisons with other builds.
#include <fcntl.h>
#include <io.h>

#include <cstdio>
#include <cstdlib>
#include <cstring>

#include "app/app.h"

namespace {

constexpr char kUsage[] =
    "usage: listing_probe FOLDER [--indented] [--no-subfolders] [--no-folder-names] [--no-file-names]\n"
    "                            [--name-limit] [--depth 2..6|255]\n"
    "exit status: 0 listed, 2 a table filled up, 3 more than 2048 files, 64 usage\n";

void ReportUnreadable(void*, const std::string& path, int error) {
    std::fprintf(stderr, "findfile: %s (error %d)\n", path.c_str(), error);
}

void ReportTooMuchText(void*) { std::fputs("Ramelkin: too much text, listing cut\n", stderr); }

bool ParseOptions(int argc, char** argv, ListOptions& options) {
    for (int i = 2; i < argc; ++i) {
        const char* a = argv[i];
        if (!std::strcmp(a, "--indented")) options.treeView = false;
        else if (!std::strcmp(a, "--no-subfolders")) options.subfolders = false;
        else if (!std::strcmp(a, "--no-folder-names")) options.folderNames = false;
        else if (!std::strcmp(a, "--no-file-names")) options.fileNames = false;
        else if (!std::strcmp(a, "--name-limit")) options.nameLimit = true;
        else if (!std::strcmp(a, "--depth") && i + 1 < argc) {
            const int depth = std::atoi(argv[++i]);
            if (depth != kUnlimitedDepth && (depth < 2 || depth > 6)) return false;
            options.maxDepth = depth;
        } else {
            return false;
        }
    }
    return true;
}

}  // namespace

int main(int argc, char** argv) {
    ListOptions options;
    if (argc < 2 || !ParseOptions(argc, argv, options)) {
        std::fputs(kUsage, stderr);
        return 64;
    }
    _setmode(_fileno(stdout), _O_BINARY);
    static ListingTables tables;
    InitListing(tables, kDefinedLimits);
    Win32Source source;
    source.report = ReportUnreadable;
    const std::string path = argv[1];
    ResetListing(tables, path);
    TextBuffer buffer;
    InitTextBuffer(buffer, kDefinedLimits);
    buffer.reportTooMuchText = ReportTooMuchText;
    const ListingStatus status = RunListing(tables, source, path, options, buffer);
    if (status == kListingAborted) return 2;
    if (status == kTooManyFiles) return 3;
    std::fwrite(buffer.text.data(), 1, buffer.text.size(), stdout);
    return std::fflush(stdout) == 0 ? 0 : 1;
}
