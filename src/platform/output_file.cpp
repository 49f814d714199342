// The output file's messages, the same on both sides (output_file_posix.cpp, output_file_win32.cpp).
#include "platform/output_file.h"

#include "platform/messages.h"

std::string OutputFailure(const Output& output, int error) {
    std::string what = output.path.empty() ? std::string("standard output") : Quoted(output.path);
    return "cannot write " + what + ": " + Reason(error);
}

std::string TempFileFailure(const Output& output, const std::string& folder, int error) {
    return "cannot write " + Quoted(output.path) + ": cannot create a temporary file in " + Quoted(folder) + ": " +
           Reason(error);
}
