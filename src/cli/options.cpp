// Parses the arguments of `arbolin` into CliOptions: GNU-style long options (--depth N, --depth=N) and
// short ones (-L N, -LN, -o FILE, -oFILE), FOLDER anywhere, "--" ending the options.
#include "cli/options.h"

#include <cstdint>
#include <utility>
#include <string_view>

#include "platform/messages.h"
#include "metadata/metadata.h"

namespace {

enum OptionId {
    kOptNoSubfolders,
    kOptNoFolderNames,
    kOptNoFileNames,
    kOptIndented,
    kOptNameLimit,
    kOptDepth,
    kOptEncoding,
    kOptCompat,
    kOptOutput,
    kOptHelp,
    kOptVersion,
    kOptExclude,
    kOptInclude,
    kOptPrune,
    kOptFilesFirst,
    kOptPieces,
    kOptSummary,
    kOptFileLimit,
    kOptNatural,
    kOptFormat,
    kOptGitignore,
    // Metadata, orders and colour.
    kOptSize,
    kOptHuman,
    kOptSi,
    kOptDu,
    kOptDate,
    kOptTimeFormat,
    kOptPerms,
    kOptClassify,
    kOptSort,
    kOptReverse,
    kOptNewestFirst,
    kOptVersionSort,
    kOptColor,
    kOptFollow,
    kOptOneFileSystem,
    // Listings in and out.
    kOptFromFile,
    kOptParse,
    kOptNul,
    kOptTitle,
    kOptBaseHref,
};

struct OptionSpec {
    std::string_view longName;
    char shortName;  // 0: long form only
    bool takesValue;
    OptionId id;
    bool optionalValue = false;  // a value only when attached with '=' (--color=always)
};

constexpr OptionSpec kOptionSpecs[] = {
    {"no-subfolders", 0, false, kOptNoSubfolders},
    {"no-folder-names", 0, false, kOptNoFolderNames},
    {"no-file-names", 0, false, kOptNoFileNames},
    {"indented", 0, false, kOptIndented},
    {"name-limit", 0, false, kOptNameLimit},
    {"depth", 'L', true, kOptDepth},
    {"encoding", 0, true, kOptEncoding},
    {"compat", 0, false, kOptCompat},
    {"output", 'o', true, kOptOutput},
    {"help", 'h', false, kOptHelp},
    {"version", 0, false, kOptVersion},
    {"exclude", 'I', true, kOptExclude},
    {"include", 'P', true, kOptInclude},
    {"prune", 0, false, kOptPrune},
    {"files-first", 0, false, kOptFilesFirst},
    {"pieces", 0, true, kOptPieces},
    {"summary", 0, false, kOptSummary},
    {"filelimit", 0, true, kOptFileLimit},
    {"natural", 0, false, kOptNatural},
    {"format", 0, true, kOptFormat},
    {"gitignore", 0, false, kOptGitignore},
    {"size", 's', false, kOptSize},
    {"human", 0, false, kOptHuman},
    {"si", 0, false, kOptSi},
    {"du", 0, false, kOptDu},
    {"date", 'D', false, kOptDate},
    {"timefmt", 0, true, kOptTimeFormat},
    {"perms", 'p', false, kOptPerms},
    {"classify", 'F', false, kOptClassify},
    {"sort", 0, true, kOptSort},
    {"reverse", 'r', false, kOptReverse},
    {"", 't', false, kOptNewestFirst},
    {"", 'v', false, kOptVersionSort},
    {"color", 0, false, kOptColor, true},
    {"follow", 'l', false, kOptFollow},
    {"one-file-system", 'x', false, kOptOneFileSystem},
    {"fromfile", 0, false, kOptFromFile},
    {"parse", 0, false, kOptParse},
    {"null", '0', false, kOptNul},
    {"title", 0, true, kOptTitle},
    {"base-href", 0, true, kOptBaseHref},
};

constexpr std::pair<std::string_view, CliOptions::Sort> kSortNames[] = {
    {"name", CliOptions::kSortName},   {"version", CliOptions::kSortVersion}, {"size", CliOptions::kSortSize},
    {"mtime", CliOptions::kSortMtime}, {"none", CliOptions::kSortNone},
};

// The depths the Windows program's menu offers besides "no limit".
constexpr int32_t kCompatDepthMin = 2;
constexpr int32_t kCompatDepthMax = 6;

enum EncodingChoice { kEncodingDefault, kEncodingUtf8, kEncodingSjis };

struct ParseState {
    int64_t depth = 0;  // 0: not given
    EncodingChoice encoding = kEncodingDefault;
    bool utf8Pieces = false;  // --pieces utf8 asked for explicitly
    bool folderGiven = false;
    bool colorValue = false;  // --color came with "=" (an empty WHEN is then an error)
    std::string notWithCompat;  // the first option given that --compat refuses, as "--name" or "-x"
    std::string metadataOption; // the first option given that looks at the entries themselves (NeedsFolder)
    bool timeFormat = false;    // --timefmt given: dates for a listing, or the form --parse reads them in
    std::string_view htmlOnly;  // the last of --title and --base-href given
};

// True for an option that looks at the entries on disk (their sizes, dates, modes, types, links, file
// systems, colour classes): a list of paths (--fromfile) or a pasted listing (--parse) has none of that.
// Orders by name (--sort name|version|none, -r, -v) need nothing but the names. --timefmt is judged
// apart: --parse reads dates in its form.
bool NeedsFolder(OptionId id, const CliOptions& options) {
    switch (id) {
        case kOptSize: case kOptHuman: case kOptSi: case kOptDu: case kOptDate:
        case kOptPerms: case kOptClassify: case kOptNewestFirst: case kOptColor: case kOptFollow:
        case kOptOneFileSystem:
            return true;
        case kOptSort: return options.sort == CliOptions::kSortSize || options.sort == CliOptions::kSortMtime;
        default: return false;
    }
}

// --fromfile and --parse: FOLDER names their input, and the options that read folders or write other
// text do not apply.
bool FinishListInput(CliOptions& options, const ParseState& state, std::string& error) {
    if (!options.fromFile && !options.parse) {
        if (options.nul) error = "-0 (--null) applies to --fromfile and --parse only";
        return !options.nul;
    }
    if (options.fromFile && options.parse) {
        error = "--fromfile and --parse cannot be combined";
        return false;
    }
    const char* mode = options.fromFile ? "--fromfile" : "--parse";
    if (state.metadataOption.empty() && state.timeFormat && options.fromFile) {
        error = "--fromfile reads no file system and cannot be combined with '--timefmt'";
        return false;
    }
    if (!state.metadataOption.empty()) {
        error = std::string(mode) + " reads no file system and cannot be combined with '" + state.metadataOption +
                "'";
        return false;
    }
    // The list is all there is: nothing on disk to check against git or to list as Windows would.
    if (options.gitignore || options.compat) {
        error = std::string(mode) + " lists no folder and cannot be combined with '--" +
                (options.gitignore ? "gitignore" : "compat") + "'";
        return false;
    }
    options.listFile = state.folderGiven ? options.folder : "-";
    if (options.listFile == "-") options.folder = ".";
    if (options.parse) {
        if (options.format != CliOptions::kFormatText && options.format != CliOptions::kFormatJson) {
            error = "--parse prints paths or, with --format json, the JSON tree: not markdown or html";
            return false;
        }
        options.parseEncoding = state.encoding == kEncodingSjis   ? CliOptions::kInputSjis
                                : state.encoding == kEncodingUtf8 ? CliOptions::kInputUtf8
                                                                  : CliOptions::kInputGuess;
    }
    return true;
}

const OptionSpec* FindLong(std::string_view name) {
    for (const OptionSpec& entry : kOptionSpecs)
        if (entry.longName == name) return &entry;
    return nullptr;
}

const OptionSpec* FindShort(char name) {
    for (const OptionSpec& entry : kOptionSpecs)
        if (entry.shortName != 0 && entry.shortName == name) return &entry;
    return nullptr;
}

// A whole decimal number of at least 1; values past INT32_MAX mean "no limit" and are held at INT32_MAX.
bool ParseDepth(std::string_view text, int64_t& depth) {
    if (text.empty()) return false;
    int64_t value = 0;
    for (char c : text) {
        if (c < '0' || c > '9') return false;
        value = value * 10 + (c - '0');
        if (value > INT32_MAX) value = INT32_MAX;
    }
    if (value < 1) return false;
    depth = value;
    return true;
}

// Applies one option; false with `error` set when its value is not acceptable.
bool Apply(const OptionSpec& entry, std::string_view value, CliOptions& options, ParseState& state,
           std::string& error) {
    switch (entry.id) {
        case kOptNoSubfolders: options.list.subfolders = false; return true;
        case kOptNoFolderNames: options.list.folderNames = false; return true;
        case kOptNoFileNames: options.list.fileNames = false; return true;
        case kOptIndented: options.list.treeView = false; return true;
        case kOptNameLimit: options.list.nameLimit = true; return true;
        case kOptCompat: options.compat = true; return true;
        case kOptDepth:
            if (ParseDepth(value, state.depth)) return true;
            error = "invalid depth " + Quoted(value) + ": expected a whole number of at least 1";
            return false;
        case kOptEncoding:
            if (value == "utf8") {
                state.encoding = kEncodingUtf8;
                return true;
            }
            if (value == "sjis") {
                state.encoding = kEncodingSjis;
                return true;
            }
            error = "invalid encoding " + Quoted(value) + ": expected utf8 or sjis";
            return false;
        case kOptOutput:
            if (!value.empty()) {
                options.output = value;
                return true;
            }
            error = "the output file name is empty";
            return false;
        case kOptExclude:
        case kOptInclude:
            if (value.empty()) {
                error = "the pattern of '--" + std::string(entry.longName) + "' is empty";
                return false;
            }
            (entry.id == kOptExclude ? options.exclude : options.include).emplace_back(value);
            return true;
        case kOptPrune: options.prune = true; return true;
        case kOptFilesFirst: options.filesFirst = true; return true;
        case kOptSummary: options.summary = true; return true;
        case kOptNatural: options.natural = true; return true;
        case kOptGitignore: options.gitignore = true; return true;
        case kOptFromFile: options.fromFile = true; return true;
        case kOptParse: options.parse = true; return true;
        case kOptNul: options.nul = true; return true;
        case kOptTitle:
        case kOptBaseHref:
            (entry.id == kOptTitle ? options.title : options.baseHref) = value;
            state.htmlOnly = entry.longName;
            return true;
        case kOptFormat:
            if (value == "text" || value == "json" || value == "markdown" || value == "html") {
                options.format = value == "json"       ? CliOptions::kFormatJson
                                 : value == "markdown" ? CliOptions::kFormatMarkdown
                                 : value == "html"     ? CliOptions::kFormatHtml
                                                       : CliOptions::kFormatText;
                return true;
            }
            error = "invalid format " + Quoted(value) + ": expected text, json, markdown or html";
            return false;
        case kOptFileLimit:
            if (ParseDepth(value, options.fileLimit)) return true;
            error = "invalid file limit " + Quoted(value) + ": expected a whole number of at least 1";
            return false;
        case kOptPieces:
            if (value == "utf8" || value == "ascii") {
                options.asciiPieces = value == "ascii";
                state.utf8Pieces = value == "utf8";
                return true;
            }
            error = "invalid pieces " + Quoted(value) + ": expected utf8 or ascii";
            return false;
        case kOptSize: options.meta.size = true; return true;
        case kOptHuman: options.meta.human = options.meta.size = true; return true;
        case kOptSi: options.meta.si = options.meta.size = true; return true;
        case kOptDu: options.meta.du = options.meta.size = true; return true;
        case kOptDate: options.meta.date = true; return true;
        case kOptTimeFormat:
            if (value.empty()) {
                error = "the format of '--timefmt' is empty";
                return false;
            }
            if (TimeFormatDangling(value)) {
                error = "the format of '--timefmt' ends in a lone '%': write %% for a percent sign";
                return false;
            }
            options.meta.timeFormat = value;
            options.meta.date = true;
            state.timeFormat = true;
            return true;
        case kOptPerms: options.meta.perms = true; return true;
        case kOptClassify: options.meta.classify = true; return true;
        case kOptSort:
            for (const auto& [name, order] : kSortNames) {
                if (value == name) {
                    options.sort = order;
                    return true;
                }
            }
            error = "invalid sort order " + Quoted(value) + ": expected name, version, size, mtime or none";
            return false;
        case kOptReverse: options.reverse = true; return true;
        case kOptNewestFirst: options.sort = CliOptions::kSortMtime; return true;
        case kOptVersionSort: options.sort = CliOptions::kSortVersion; return true;
        case kOptColor:
            if (value == "always" || (value.empty() && !state.colorValue)) {
                options.color = CliOptions::kColorAlways;
            } else if (value == "auto" || value == "never") {
                options.color = value == "auto" ? CliOptions::kColorAuto : CliOptions::kColorNever;
            } else {
                error = "invalid colour choice " + Quoted(value) + ": expected always, auto or never";
                return false;
            }
            return true;
        case kOptFollow: options.meta.follow = true; return true;
        case kOptOneFileSystem: options.meta.oneFileSystem = true; return true;
        case kOptHelp:
        case kOptVersion: return true;
    }
    return true;
}

// The combinations that only the whole command line can judge, and the values that follow from them.
bool Finish(CliOptions& options, const ParseState& state, std::string& error) {
    if (options.compat) {
        if (!state.notWithCompat.empty()) {
            error = "--compat prints the Windows program's text and cannot be combined with '" +
                    state.notWithCompat + "'";
            return false;
        }
        if (state.encoding == kEncodingUtf8) {
            error = "--compat writes Shift_JIS and cannot be combined with --encoding utf8";
            return false;
        }
        if (state.depth != 0 && (state.depth < kCompatDepthMin || state.depth > kCompatDepthMax)) {
            error = "--compat accepts the Windows program's depths only, 2 to 6, not " +
                    std::to_string(state.depth);
            return false;
        }
    }
    if (!FinishListInput(options, state, error)) return false;
    if (!state.htmlOnly.empty() && options.format != CliOptions::kFormatHtml) {
        error = "'--" + std::string(state.htmlOnly) + "' applies to --format html only";
        return false;
    }
    // --parse reads Shift_JIS with --encoding sjis, and writes UTF-8 whatever it reads.
    options.sjis = options.compat || (state.encoding == kEncodingSjis && !options.parse);
    if (options.sort == CliOptions::kSortVersion) options.natural = true;
    options.meta.sortSize = options.sort == CliOptions::kSortSize;
    options.meta.sortMtime = options.sort == CliOptions::kSortMtime;
    if (options.sjis && options.format != CliOptions::kFormatText) {
        error = "--format json, markdown and html are UTF-8 and cannot be combined with --encoding sjis";
        return false;
    }
    if (options.sjis && state.utf8Pieces) {
        error = "--pieces utf8 cannot be combined with Shift_JIS text (--encoding sjis)";
        return false;
    }
    if (state.depth != 0)
        options.list.maxDepth = static_cast<int32_t>(state.depth);
    else
        options.list.maxDepth = options.compat ? kUnlimitedDepth : INT32_MAX;
    return true;
}

}  // namespace

ParseResult ParseArguments(int argc, const char* const* argv, CliOptions& options, std::string& error) {
    ParseState state;
    bool optionsEnded = false;
    for (int i = 1; i < argc; ++i) {
        std::string_view arg = argv[i];
        const OptionSpec* entry = nullptr;
        std::string_view value;
        bool hasValue = false;  // the value came attached (--depth=3, -L3)
        if (!optionsEnded && arg == "--") {
            optionsEnded = true;
            continue;
        }
        if (!optionsEnded && arg.size() > 2 && arg.substr(0, 2) == "--") {
            std::string_view name = arg.substr(2);
            size_t equals = name.find('=');
            if (equals != std::string_view::npos) {
                value = name.substr(equals + 1);
                name = name.substr(0, equals);
                hasValue = true;
            }
            entry = FindLong(name);
            if (entry == nullptr) {
                error = "unknown option " + Quoted(arg.substr(0, equals == std::string_view::npos
                                                                     ? arg.size() : equals + 2));
                return kParseUsageError;
            }
            if (hasValue && !entry->takesValue && !entry->optionalValue) {
                error = "option '--" + std::string(entry->longName) + "' takes no value";
                return kParseUsageError;
            }
        } else if (!optionsEnded && arg.size() > 1 && arg[0] == '-') {
            entry = FindShort(arg[1]);
            if (entry == nullptr || (arg.size() > 2 && !entry->takesValue)) {
                error = "unknown option " + Quoted(arg);
                return kParseUsageError;
            }
            if (arg.size() > 2) {
                value = arg.substr(2);
                hasValue = true;
            }
        } else {
            if (state.folderGiven) {
                error = "only one FOLDER may be given, not also " + Quoted(arg);
                return kParseUsageError;
            }
            if (arg.empty()) {
                error = "the FOLDER name is empty";
                return kParseUsageError;
            }
            options.folder = arg;
            state.folderGiven = true;
            continue;
        }
        if (entry->takesValue && !hasValue) {
            if (i + 1 >= argc) {
                error = "option " + Quoted(arg) + " needs a value";
                return kParseUsageError;
            }
            value = argv[++i];
        }
        if (entry->id == kOptHelp) return kParseHelp;
        if (entry->id == kOptVersion) return kParseVersion;
        state.colorValue = hasValue;
        if (!Apply(*entry, value, options, state, error)) return kParseUsageError;
        std::string shown = entry->longName.empty() ? std::string{'-', entry->shortName}
                                                    : "--" + std::string(entry->longName);
        if (entry->id >= kOptExclude && entry->id < kOptFromFile && state.notWithCompat.empty())
            state.notWithCompat = shown;
        if (NeedsFolder(entry->id, options) && state.metadataOption.empty()) state.metadataOption = shown;
    }
    return Finish(options, state, error) ? kParseRun : kParseUsageError;
}

const char kVersionText[] = "arbolin " ARBOLIN_VERSION "\n";

// scripts/completions.py writes the shell completions from this text: an option line starts with two spaces
// and the option's names, then its value (N, FILE, or the words it takes: utf8|sjis), then two spaces or more
// before the description; lines indented further continue it.
const char kHelpText[] =
    "Usage: arbolin [options] [FOLDER]\n"
    "       arbolin --fromfile [options] [FILE]\n"
    "       arbolin --parse [-0] [--format json] [--encoding sjis] [--timefmt FORMAT]\n"
    "                       [FILE]\n"
    "Lists the folders and files under FOLDER (default: the current folder) as a\n"
    "tree, or as an indented outline. The first line shows FOLDER as given.\n"
    "\n"
    "  --no-subfolders     list FOLDER's own entries only\n"
    "  --no-folder-names   no folder lines (files of the whole subtree as one list)\n"
    "  --no-file-names     folders only\n"
    "  --indented          indented outline instead of the tree\n"
    "  --name-limit        shorten long names as the tree view does: a name wider\n"
    "                      than 17 columns (bytes in sjis), as written with its\n"
    "                      escapes, is cut to at most 14, never inside a character\n"
    "                      or an escape, and ends in \" \xE2\x80\xA6\"; the indented\n"
    "                      outline never shortens names\n"
    "  -L, --depth N       record entries down to depth N (N >= 1; default: no\n"
    "                      limit); FOLDER's own entries are at depth 1\n"
    "  --encoding utf8|sjis   utf8 (default): UTF-8, box drawing, LF line ends;\n"
    "                      sjis: Shift_JIS (code page 932), CRLF line ends, names\n"
    "                      converted from the locale's encoding, characters that\n"
    "                      code page 932 lacks (and invalid bytes) as '?'\n"
    "  --compat            exactly the Windows program's text for this folder and\n"
    "                      these options (implies --encoding sjis; see below);\n"
    "                      the options from -I on cannot be combined with it\n"
    "  -o, --output FILE   write to FILE instead of standard output\n"
    "  -I, --exclude PATTERN  leave out entries whose name matches PATTERN (shell\n"
    "                      wildcards * ? [...], alternatives split by '|'); an\n"
    "                      excluded folder is not entered. Repeatable.\n"
    "                      Example: arbolin -I 'node_modules|.git' src\n"
    "  -P, --include PATTERN  list only the files whose name matches PATTERN\n"
    "                      (same form; folders stay). Repeatable.\n"
    "                      Example: arbolin -P '*.c|*.h' --prune src\n"
    "  --prune             leave out folders that hold no file (after -I and -P)\n"
    "  --gitignore         leave out what git would ignore here (nested\n"
    "                      .gitignore files, .git/info/exclude, negation, dir/ and\n"
    "                      /anchored patterns; git's rules, as libgit2 reads them)\n"
    "                      and the .git folder; tracked files stay, as in git.\n"
    "                      No effect outside a repository.\n"
    "                      Example: arbolin --gitignore --summary\n"
    "  --files-first       a folder's files before its subfolders (default: after);\n"
    "                      the last entry of a folder, file or folder, gets the\n"
    "                      closing piece. Example: arbolin --files-first src\n"
    "  --pieces utf8|ascii\n"
    "                      the pieces the tree is drawn with: utf8, box drawing;\n"
    "                      ascii, \" |\" \" +\" \" `\" (same widths) and \"..\" after a\n"
    "                      shortened name, for any editor, code page or font.\n"
    "                      Default: the pieces of --encoding (with sjis, ascii\n"
    "                      only changes the pieces). Example: arbolin --pieces ascii\n"
    "  --filelimit N       a subfolder with more than N entries is listed with its\n"
    "                      count, \"[ name ] (50000 entries)\", and not opened\n"
    "                      (entries counted after -I and -P; FOLDER itself is\n"
    "                      always listed). Example: arbolin --filelimit 500\n"
    "  --natural           numbers inside names compare by value: file2 before\n"
    "                      file10 (ICU numeric collation; in the C locales runs of\n"
    "                      digits by value, the rest by bytes).\n"
    "                      Example: arbolin --natural\n"
    "  --format text|json|markdown|html  text (default): the tree or outline;\n"
    "                      json: one document, streamed, each entry\n"
    "                      {\"name\", \"type\": folder|file|link, \"children\"}; a name\n"
    "                      that is not valid UTF-8 has U+FFFD there and its exact\n"
    "                      bytes in \"bytes\" (hex); \"entries\" marks a folder over\n"
    "                      --filelimit; --summary adds \"summary\" to the root.\n"
    "                      markdown: a nested list, two spaces a level, folders\n"
    "                      ending in '/', special characters escaped. All UTF-8\n"
    "                      only. Example: arbolin --format json -I .git > tree.json\n"
    "  --format html       one self-contained page (UTF-8, inline CSS, no script):\n"
    "                      folders fold (<details open>), every name a link and\n"
    "                      escaped as text. Links are relative to FOLDER, right\n"
    "                      when the page is saved in FOLDER, unless --base-href.\n"
    "                      Example: arbolin --format html -o index.html .\n"
    "  --title TEXT        the page's title (default: the root's name)\n"
    "  --base-href URL     links to URL/path/of/entry instead (each component\n"
    "                      percent-encoded)\n"
    "  --fromfile [FILE]   list the paths in FILE, one a line (LF or CRLF), instead\n"
    "                      of a folder; FILE '-' or none: standard input, and the\n"
    "                      root line shows '.'. Each component is a folder, the\n"
    "                      last one a file unless the path ends in '/' or another\n"
    "                      path goes on below it; empty lines, './', '//' and '.'\n"
    "                      are ignored; absolute paths go under a '/' folder; '..'\n"
    "                      is a plain name. Nothing on disk is read. A path listed\n"
    "                      again is one entry (a folder wins), reported with its\n"
    "                      line number, exit 1. Every view, filter and format\n"
    "                      works; --gitignore and --compat do not.\n"
    "                      Example: git ls-files | arbolin --fromfile\n"
    "  -0, --null          --fromfile reads and --parse writes NUL-separated paths\n"
    "  --parse [FILE]      read a pasted listing (FILE as for --fromfile) and print\n"
    "                      its paths relative to its root line, one a line, folders\n"
    "                      ending in '/', in the listing's order (--format json: the\n"
    "                      JSON tree). Reads arbolin's tree and indented views, both\n"
    "                      piece sets, utf8 and sjis (Shift_JIS with CRLF, told by\n"
    "                      its bytes or --encoding sjis; printed as UTF-8), with or\n"
    "                      without the root and --summary lines, and what tree\n"
    "                      prints (default, --charset ascii, -F, -a). A quoting\n"
    "                      indent (\"> \", spaces, a tab) and blank lines are fine.\n"
    "                      Escapes (\\n, \\x1b, \\u202e, \\\\) become bytes again\n"
    "                      (tree's output is taken as it is). What is ambiguous and\n"
    "                      what is chosen: \"[ name ]\" is a folder (a file so named\n"
    "                      reads as one); \" (N entries)\" and \" [recursive, not\n"
    "                      followed]\" after a folder are marks; once a line shows\n"
    "                      \"@ -> \" (arbolin -F), a file's last '*', '|' or '=' is a\n"
    "                      mark and \"@ -> target\" a link; in tree's output \" -> \"\n"
    "                      starts a link's target, and an empty folder reads as a\n"
    "                      file unless -F marked it with '/'; without fields the\n"
    "                      indented view's names cannot start with three spaces.\n"
    "                      Metadata fields (-p, -s, --human, --si, --du, -D, '?')\n"
    "                      are taken off by their width, the same on every line,\n"
    "                      so names may start with blanks, digits or dates. Dates\n"
    "                      are read as 2026-05-01 10:00, or in --timefmt FORMAT's\n"
    "                      form when given (a date in another form stays in the\n"
    "                      name). When every name starts like a further field,\n"
    "                      that text is taken as one. A line that fits nowhere,\n"
    "                      and a name ending in \" \xE2\x80\xA6\" or \"..\" that is as wide as\n"
    "                      a shortened one, are reported with their line numbers\n"
    "                      (exit 1); the rest is still printed.\n"
    "                      Example: arbolin T | arbolin --parse -0 |\n"
    "                      arbolin --fromfile -0  (prints T's listing again)\n"
    "  --summary           a last line \"N folders, M files\", and what patterns,\n"
    "                      --prune and --filelimit left out. Example:\n"
    "                      arbolin --summary -I .git  ->  ...  12 folders, 80 files;\n"
    "                      left out: 1 by patterns\n"
    "  -s, --size          each entry's size in bytes before its name (a folder's\n"
    "                      own size, as ls -l shows it), right-aligned\n"
    "  --human             sizes in 1,024-based units as ls -lh rounds them: 1.1K,\n"
    "                      10K, 1.0M (implies -s)\n"
    "  --si                the same in powers of 1,000: k, M, G (implies -s)\n"
    "  --du                a folder's size is the sum of the sizes of the files\n"
    "                      listed under it, hard links counted once (implies -s);\n"
    "                      --summary adds the total\n"
    "  -D, --date          last modification time, local time: 2026-05-01 10:00\n"
    "  --timefmt FORMAT    the date in strftime's FORMAT (implies -D); with --parse,\n"
    "                      the form the listing's dates are read in.\n"
    "                      Example: arbolin -D --timefmt '%d.%m.%Y'\n"
    "  -p, --perms         modes as ls -l writes them: drwxr-xr-x\n"
    "  -F, --classify      marks after file names: * executable, | FIFO,\n"
    "                      = socket, @ link followed by \" -> target\"\n"
    "  --sort name|version|size|mtime|none  the order within folders and within\n"
    "                      files (each keeps its block): name (default); version,\n"
    "                      as --natural; size, largest first (folders by name\n"
    "                      unless --du); mtime, newest first; none, the file\n"
    "                      system's order. Ties in name order.\n"
    "                      Example: arbolin --du --sort size\n"
    "  -r, --reverse       the order backwards\n"
    "  -t                  --sort mtime\n"
    "  -v                  --sort version\n"
    "  --color[=WHEN]      colour names as ls does, from LS_COLORS: WHEN auto (the\n"
    "                      default: only on a terminal, not with NO_COLOR or\n"
    "                      TERM=dumb), always (also --color alone) or never. -o FILE\n"
    "                      gets colour only with always; JSON and Markdown never.\n"
    "  -l, --follow        enter symbolic links to folders; a link back to a folder\n"
    "                      on the current path is listed, marked \"[recursive, not\n"
    "                      followed]\", and not entered\n"
    "  -x, --one-file-system  folders on another file system than FOLDER's are\n"
    "                      listed, not entered\n"
    "  -h, --help          show this help and exit (-h is not --human)\n"
    "  --version           show the version and exit\n"
    "\n"
    "In each folder, its subfolders (each followed by its contents) come before its\n"
    "files; both are sorted by name with the collation of the locale (LC_ALL, else\n"
    "LC_COLLATE, else LANG): folders ignoring letter case, files with lower case\n"
    "first. Where that locale is C, POSIX or C.UTF-8 (or none is set), names are\n"
    "in byte order, as ls sorts there: folders as strcasecmp compares them (ASCII\n"
    "letters folded, ties by bytes), files by bytes (upper case first).\n"
    "Symbolic links are listed as files and not followed unless -l (--compat: see\n"
    "below). The fields of -p, -s and -D stand between the piece and the name, in\n"
    "that order, one space apart: \" ├  12K 2026-05-01 10:00 [ Docs ]\"; the options\n"
    "from -s on cannot be combined with --compat.\n"
    "Names are written so that they cannot forge a line: control characters,\n"
    "invalid UTF-8 and the backslash are escaped C-style (\\n, \\t, \\x1b, \\xff,\n"
    "\\\\); U+2028/U+2029 and the bidirectional controls (U+061C, U+200E/U+200F,\n"
    "U+202A-U+202E, U+2066-U+2069), which could show a name reordered (exe.txt for\n"
    "txt.exe), as \\u2028, \\u202e. The same in Markdown; JSON writes these, DEL\n"
    "and the C1 controls as its \\uXXXX escapes.\n"
    "\n"
    "Without --compat there are no capacity limits: any number of folders and\n"
    "files, any depth, any amount of text; every folder's files come out fully in\n"
    "name order, and no empty last line appears when there is no file.\n"
    "\n"
    "--compat prints what the Windows program shows for the same folder and\n"
    "options: Shift_JIS with CRLF; its limits (65,535 folders, 2,048 files, 65,280\n"
    "bytes of text, 255 levels, paths of 259 bytes: a longer path is reported as\n"
    "unreadable); its file order (a folder's files sorted only between the\n"
    "descents into its subfolders); the order in which Windows delivers a folder's\n"
    "entries (by name, UTF-16 compared after upper-casing, so \"_x\" comes after\n"
    "\"Z\"), whatever order Linux delivers them in; and the empty last line of a\n"
    "listing without files. It accepts the depths the Windows program offers (2 to\n"
    "6, or none) and no --encoding utf8. Run it in the locale of the Windows\n"
    "program's user (for Japanese Windows: LC_ALL=ja_JP.UTF-8). Where the\n"
    "platforms cannot agree it differs:\n"
    "  - sorting: Windows nearly ignores hyphens and apostrophes in names and\n"
    "    orders some punctuation differently (readme.txt before readme_link.txt);\n"
    "    here they count, so such names may come out in another order;\n"
    "  - a name with characters outside code page 932 shows them as '?'; the\n"
    "    Windows program cannot open a folder with such a name, while arbolin\n"
    "    lists its contents;\n"
    "  - a symbolic link to a folder is listed as a folder and not entered (as the\n"
    "    Windows program treats junctions and other reparse points).\n"
    "\n"
    "-o FILE is written whole or not at all: the listing goes to a temporary file\n"
    "beside FILE, which then replaces it; on any failure an existing FILE stays as\n"
    "it was. Written directly instead, and so not whole-or-nothing: a device such\n"
    "as /dev/null, a FIFO, and one of arbolin's own descriptors (/dev/stdout,\n"
    "/dev/stderr, /dev/fd/N, /proc/self/fd/N, or a link to one), which is written\n"
    "as the caller opened it (after what it holds, with >>), never reopened; a\n"
    "closed descriptor is an error.\n"
    "\n"
    "When standard error is a terminal and the scan takes longer than a second, a\n"
    "running count of folders and files is shown there and erased when done.\n"
    "Messages go to standard error, one line each.\n"
    "\n"
    "Exit status:\n"
    "  0   the listing is complete\n"
    "  1   listed, but some subfolder could not be read (each named on standard\n"
    "      error with the reason), or --gitignore could not read git's index\n"
    "  2   no complete listing: FOLDER missing or unreadable, too much data\n"
    "      (nothing printed), the text limit reached (--compat: the text up to\n"
    "      there is printed), or the output could not be written\n"
    "  64  usage error\n";
