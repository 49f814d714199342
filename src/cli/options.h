// The command line's arguments: the usage of `arbolin` parsed into one small options value, and its help
// text. No platform code; the parser prints nothing.
#pragma once

#include <string>
#include <vector>

#include "cli/option_table.h"
#include "metadata/metadata.h"
#include "listing/listing.h"

struct CliOptions {
    ListOptions list;           // the toggles and maxDepth as the engine takes them
    bool sjis = false;          // Shift_JIS pieces, CRLF, names converted to code page 932
    bool compat = false;        // the Windows program's text: sjis, its limits and delivery order
    std::string folder = ".";   // FOLDER as given; the root line shows it
    std::string output;         // -o FILE; empty: standard output
    // Choices the Windows program does not have (each refused together with --compat).
    std::vector<std::string> exclude;  // -I PATTERN: entries left out (folders not entered)
    std::vector<std::string> include;  // -P PATTERN: only matching files listed
    bool prune = false;                // folders left without files are not listed
    bool filesFirst = false;           // a folder's files before its subfolders
    int64_t fileLimit = 0;             // a folder with more entries is listed but not opened; 0: none
    enum Format { kFormatText, kFormatJson, kFormatMarkdown, kFormatHtml, kFormatTreeJson, kFormatTreeXml }
        format = kFormatText;  // the last two: -J and -X, tree's own schemas
    bool gitignore = false;            // leave out what git would ignore, and .git
    bool natural = false;              // numbers inside names compare by value
    bool summary = false;              // a last line counting folders, files and what was left out
    bool asciiPieces = false;          // --pieces ascii: " |" " +" " `" instead of box drawing
    MetaWants meta;                    // -s --human --si --du -D --timefmt -p -F -l -x -u -g -c --inodes
                                       // --device --metafirst (the sort keys follow from `sort`; colour is
                                       // decided when the run starts)
    enum Sort { kSortName, kSortVersion, kSortSize, kSortMtime, kSortNone, kSortCtime } sort = kSortName;
    bool reverse = false;              // -r: the chosen order backwards
    enum Color { kColorAuto, kColorAlways, kColorNever } color = kColorAuto;
    // Listings in and out: FOLDER names a list of paths (--fromfile) or a pasted listing (--parse).
    bool fromFile = false;             // list the paths in `listFile` instead of a folder
    bool parse = false;                // print the paths of the listing in `listFile`
    bool nul = false;                  // -0: those paths NUL-separated
    std::string listFile;              // "-": standard input
    enum InputEncoding { kInputGuess, kInputUtf8, kInputSjis } parseEncoding = kInputGuess;
    std::string title;                 // --format html: the page's title; empty: the root's name
    std::string baseHref;              // --format html: links under this URL; empty: relative to FOLDER
    // tree's options.
    bool fullPath = false;             // -f: each entry's path from FOLDER instead of its name
    bool noPieces = false;             // -i: no pieces, no indentation
    bool hideControl = false;          // -q: '?' for what would be escaped
    bool quoteName = false;            // -Q: names in double quotes
    bool noLinks = false;              // --nolinks: HTML names without links
    std::string htmlIntro, htmlOutro;  // --hintro, --houtro: files whose text starts and ends the page
    bool ignoreCase = false;           // --ignore-case: -I and -P ignore letter case
    bool matchDirs = false;            // --matchdirs: -P matches folders, whose files then all stay
    std::vector<std::string> gitFiles; // --gitfile FILE: ignore rules read as FOLDER's .gitignore
    bool listLinks = false;            // --fflinks: "path -> target" in a --fromfile list is a link
    std::vector<std::string> listFiles;  // --fromfile with several files: each listed in turn
};

// What the command line asks for. kActionNotHere: an option this system cannot answer (arbolin.exe's
// refusals), which gives no listing (exit 2) rather than a usage error.
enum CommandAction { kActionRun, kActionHelp, kActionVersion, kActionUsageError, kActionNotHere };

// Parses argv[1] ... argv[argc - 1]. Options and FOLDER may come in any order; "--" ends the options.
// Short options bundle (-rt, -sDp; a letter that takes a value takes the rest of the word, -L2, or the next
// word); long ones may be shortened to any start that names one option (--hum).
// On kActionUsageError and kActionNotHere, `error` holds the reason (without the "arbolin: " prefix).
// --help and --version end the parsing where they stand. With `windows`, an option that cannot mean
// anything on Windows ends it with kActionNotHere, saying why (arbolin.exe's choice; the tests pass the
// flag on Linux too).
CommandAction ParseArguments(int argc, const char* const* argv, CliOptions& options, std::string& error,
                             bool windows = kWindowsCommandLine);

// The text of --help (written from the option table; with `windows`, arbolin.exe's: the rows' Windows
// paragraphs and Windows' collation) and of --version.
const std::string& HelpText(bool windows = kWindowsCommandLine);
extern const char kVersionText[];
