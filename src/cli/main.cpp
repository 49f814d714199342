// Entry point of `arbolin`, the command-line front end: parses the arguments and runs one listing.
#include <clocale>
#include <string>

#include "cli/exit_status.h"
#include "cli/options.h"
#include "cli/run.h"
#include "cli/run_parse.h"
#include "platform/messages.h"
#include "platform/output_file.h"

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

}  // namespace

int main(int argc, char** argv) {
    std::setlocale(LC_ALL, "");
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
