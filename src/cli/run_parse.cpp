// --parse's run: reads a pasted listing with the listing reader and writes its paths, or
// its JSON tree, where the listing would go; returns the exit status.
#include "cli/run_parse.h"

#include <string>
#include <vector>

#include "cli/exit_status.h"
#include "platform/chars.h"
#include "platform/messages.h"
#include "platform/output_file.h"
#include "readers/listing_reader.h"
#include "readers/path_list.h"

int RunParse(const CliOptions& options) {
    std::string bytes, error;
    if (!ReadListInput(options.listFile, bytes, error)) {
        PrintMessage(error);
        return kExitNoListing;
    }
    ParsedListing listing;
    ListingEncoding encoding = options.parseEncoding == CliOptions::kInputSjis   ? ListingEncoding::kSjis
                               : options.parseEncoding == CliOptions::kInputUtf8 ? ListingEncoding::kUtf8
                                                                                 : ListingEncoding::kGuess;
    ParseListing(bytes, encoding, listing, options.meta.timeFormat);
    if (std::string missing = CharacterDataError(); !missing.empty()) {  // widths past ASCII: nothing written
        PrintMessage("cannot read the listing's characters: " + missing);
        return kExitNoListing;
    }
    // A paste with thousands of lines in a style not read must not give thousands of messages.
    for (const std::string& problem : listing.problems) PrintCapped("the listing's lines", problem);
    FlushCappedMessages();
    std::string text;
    if (options.format == CliOptions::kFormatJson) {
        WriteParsedJson(listing, text);
    } else {
        char end = options.nul ? '\0' : '\n';
        ForEachParsedPath(listing, [&](const ParsedEntry&, std::string_view path) {
            text += path;
            text += end;
        });
    }
    Output output;
    if (!OpenOutput(output, options.output, error)) {
        PrintMessage(error);
        return kExitNoListing;
    }
    WriteOutput(output, text);
    if (!FinishOutput(output, true, error)) {
        PrintMessage(error);
        return kExitNoListing;
    }
    int status = kExitComplete;
    if (!listing.problems.empty() || listing.unsaid > 0) MergeExit(status, ExitCause::kUnplacedParseLine);
    return status;
}
