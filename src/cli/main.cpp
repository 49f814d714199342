// Entry point of `arbolin`, the command-line front end: parses the arguments and runs one listing. On
// Windows the entry is wmain, its UTF-16 arguments turned into WTF-8 first.
#include <clocale>
#include <string>
#include <vector>

#include "cli/exit_status.h"
#include "cli/options.h"
#include "cli/run.h"
#include "cli/run_parse.h"
#include "platform/messages.h"
#include "platform/output_file.h"
#ifdef _WIN32
#include "platform/arguments.h"
#endif

namespace {

// Help and version text go to standard output, whose failure is an error like any other.
int PrintText(const char* text) {
    Output output;
    std::string message;
    OpenOutput(output, "", message);
    WriteOutput(output, text);
    if (!FinishOutput(output, true, message)) {
        PrintMessage(message);
        return kExitNoListing;
    }
    return kExitComplete;
}

int Run(int argc, char** argv) {
    CliOptions options;
    std::string error;
    switch (ParseArguments(argc, argv, options, error)) {
        case kActionHelp: return PrintText(HelpText().c_str());
        case kActionVersion: return PrintText(kVersionText);
        case kActionUsageError:
            PrintMessage(error + " (see 'arbolin --help')");
            return kExitUsage;
        case kActionNotHere:
            PrintMessage(error);
            return kExitNoListing;
        case kActionRun: break;
    }
    int status = options.parse ? RunParse(options) : RunCommandLine(options);
    FlushCappedMessages();
    return status;
}

}  // namespace

#ifdef _WIN32
// No setlocale here: names are UTF-8 inside and collate by Windows' own calls, and msvcrt's user locale
// would only change what its ctype and strftime do.
int wmain(int argc, wchar_t** argv) {
    std::vector<std::string> arguments = ArgumentsAsUtf8(argc, argv);
    std::vector<char*> pointers;
    for (std::string& argument : arguments) pointers.push_back(argument.data());
    pointers.push_back(nullptr);
    return Run(argc, pointers.data());
}
#else
int main(int argc, char** argv) {
    std::setlocale(LC_ALL, "");
    return Run(argc, argv);
}
#endif
