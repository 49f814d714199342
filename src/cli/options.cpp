// Parses the arguments of `arbolin` into CliOptions as POSIX and GNU tools take them: long options
// (--depth N, --depth=N, --dep 3), short ones bundled or not (-L N, -LN, -sDp, -oFILE), FOLDER anywhere,
// "--" ending the options; where two options set one thing, the last one counts. The options themselves,
// their values and where they apply are rows of the option table (cli/option_table.h).
#include "cli/options.h"

#include <cstdint>
#include <string_view>
#include <vector>

#include "cli/option_table.h"
#include "platform/messages.h"
#include "metadata/metadata.h"

namespace {

// The depths the Windows program's menu offers besides "no limit".
constexpr int32_t kCompatDepthMin = 2;
constexpr int32_t kCompatDepthMax = 6;

// The first option given that a mode refuses, as messages name it ("--name" or "-x"); empty: none.
struct Refused {
    std::string compat;
    std::string readsEntries;  // refused by --fromfile and --parse alike: it looks at the entries on disk
    std::string fromFile;      // refused by --fromfile (--timefmt: --parse reads dates in its form)
    std::string parse;
    std::string needsFolder;   // lists what only a folder has (git's rules, the Windows program's text)
};

struct ParseState {
    int64_t depth = 0;  // 0: not given
    EncodingChoice encoding = kEncodingDefault;
    bool utf8Pieces = false;  // --pieces utf8 asked for explicitly
    std::vector<std::string_view> operands;  // FOLDER, or --fromfile's FILEs
    Refused refused;
    std::string htmlOnly;  // the last option given that only --format html takes
    std::string textOnly;  // the last option given that only the text views take
    bool windows = false;  // the options are taken as arbolin.exe takes them
};

void NoteRefusals(uint8_t refusedWith, const OptionRow& row, Refused& refused) {
    auto note = [&](bool applies, std::string& first) {
        if (applies && first.empty()) first = ShownName(row);
    };
    note(refusedWith & kNotWithCompat, refused.compat);
    note((refusedWith & kNotWithList) == kNotWithList, refused.readsEntries);
    note(refusedWith & kNotWithFromFile, refused.fromFile);
    note(refusedWith & kNotWithParse, refused.parse);
    note(refusedWith & kNeedsFolder, refused.needsFolder);
}

// --fromfile and --parse: FOLDER names their input, and the options that read folders or write other
// text do not apply. An option that looks at the entries is named before one that only this mode refuses.
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
    const Refused& refused = state.refused;
    const std::string& named = !refused.readsEntries.empty() ? refused.readsEntries
                               : options.fromFile            ? refused.fromFile
                                                             : refused.parse;
    if (!named.empty()) {
        error = std::string(mode) + " reads no file system and cannot be combined with '" + named + "'";
        return false;
    }
    if (!refused.needsFolder.empty()) {
        error = std::string(mode) + " lists no folder and cannot be combined with '" + refused.needsFolder + "'";
        return false;
    }
    if (state.operands.size() > 1) {
        if (options.parse) {
            error = "--parse reads one listing, not also " + Quoted(state.operands[1]);
            return false;
        }
        if (options.format != CliOptions::kFormatText) {
            error = "--fromfile with several files writes the text views only (one listing each)";
            return false;
        }
        // tree's form: "." is standard input, as "-" is.
        for (std::string_view file : state.operands) options.listFiles.emplace_back(file == "." ? "-" : file);
    }
    options.listFile = state.operands.empty() ? "-" : options.folder;
    if (options.fromFile && options.listFile == ".") options.listFile = "-";
    if (options.listFile == "-") options.folder = ".";
    if (options.parse) {
        if (options.format != CliOptions::kFormatText && options.format != CliOptions::kFormatJson) {
            error = "--parse prints paths or, with --format json, the JSON tree: not markdown, html, -J or -X";
            return false;
        }
        options.parseEncoding = state.encoding == kEncodingSjis   ? CliOptions::kInputSjis
                                : state.encoding == kEncodingUtf8 ? CliOptions::kInputUtf8
                                                                  : CliOptions::kInputGuess;
    }
    return true;
}

// A whole decimal number of at least 1 (a depth, a count of entries); values past INT32_MAX mean "no limit"
// and are held at INT32_MAX.
bool ParseCount(std::string_view text, int64_t& count) {
    if (text.empty()) return false;
    int64_t value = 0;
    for (char c : text) {
        if (c < '0' || c > '9') return false;
        value = value * 10 + (c - '0');
        if (value > INT32_MAX) value = INT32_MAX;
    }
    if (value < 1) return false;
    count = value;
    return true;
}

// "a, b or c": the words a value may be, for a message.
std::string WordList(const OptionRow& row) {
    std::string list;
    for (size_t i = 0; i < row.words.size(); ++i) {
        if (i > 0) list += i + 1 == row.words.size() ? " or " : ", ";
        list += row.words[i].word;
    }
    return list;
}

bool InvalidValue(const OptionRow& row, std::string_view value, const char* expected, std::string& error) {
    error = "invalid " + std::string(row.valueWhat) + " " + Quoted(value) + ": expected " + expected;
    return false;
}

// Applies one option, its value already checked against its words (`word`, or nullptr for an option
// without words); false with `error` set when its value is not acceptable.
bool Apply(const OptionRow& row, std::string_view value, const ValueWord* word, CliOptions& options,
           ParseState& state, std::string& error) {
    switch (row.id) {
        case kOptNoSubfolders: options.list.subfolders = false; return true;
        case kOptNoFolderNames: options.list.folderNames = false; return true;
        case kOptNoFileNames: options.list.fileNames = false; return true;
        case kOptIndented: options.list.treeView = false; return true;
        case kOptNameLimit: options.list.nameLimit = true; return true;
        case kOptCompat: options.compat = true; return true;
        case kOptDepth:
            return ParseCount(value, state.depth) ||
                   InvalidValue(row, value, "a whole number of at least 1", error);
        case kOptFileLimit:
            return ParseCount(value, options.fileLimit) ||
                   InvalidValue(row, value, "a whole number of at least 1", error);
        case kOptEncoding: state.encoding = static_cast<EncodingChoice>(word->value); return true;
        case kOptPieces:
            options.asciiPieces = word->value == kPiecesAscii;
            state.utf8Pieces = word->value == kPiecesUtf8;
            return true;
        case kOptFormat: options.format = static_cast<CliOptions::Format>(word->value); return true;
        case kOptSort: options.sort = static_cast<CliOptions::Sort>(word->value); return true;
        case kOptColor: options.color = static_cast<CliOptions::Color>(word->value); return true;
        case kOptOutput:
            if (!value.empty()) {
                options.output = value == "-" ? std::string() : std::string(value);  // "-": standard output
                return true;
            }
            error = "the output file name is empty";
            return false;
        case kOptExclude:
        case kOptInclude:
            if (value.empty()) {
                error = "the pattern of '--" + std::string(row.longName) + "' is empty";
                return false;
            }
            (row.id == kOptExclude ? options.exclude : options.include).emplace_back(value);
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
            (row.id == kOptTitle ? options.title : options.baseHref) = value;
            state.htmlOnly = ShownName(row);
            return true;
        case kOptHtmlBase:
            options.format = CliOptions::kFormatHtml;
            options.baseHref = value;
            state.htmlOnly = "-H";
            return true;
        case kOptNoLinks:
            options.noLinks = true;
            state.htmlOnly = ShownName(row);
            return true;
        case kOptHtmlIntro:
        case kOptHtmlOutro:
        case kOptGitFile:
            if (value.empty()) {
                error = "the file name of " + ShownName(row) + " is empty";
                return false;
            }
            if (row.id == kOptGitFile) {
                options.gitFiles.emplace_back(value);
                return true;
            }
            (row.id == kOptHtmlIntro ? options.htmlIntro : options.htmlOutro) = value;
            state.htmlOnly = ShownName(row);
            return true;
        case kOptFullPath:
        case kOptNoPieces:
        case kOptHideControl:
        case kOptQuoteName:
            (row.id == kOptFullPath      ? options.fullPath
             : row.id == kOptNoPieces    ? options.noPieces
             : row.id == kOptHideControl ? options.hideControl
                                         : options.quoteName) = true;
            state.textOnly = ShownName(row);
            return true;
        case kOptAll:
        case kOptNoReport: return true;  // what they ask for is arbolin's default
        case kOptUnsorted: options.sort = CliOptions::kSortNone; return true;
        case kOptDirsFirst: options.filesFirst = false; return true;
        case kOptColorAlways: options.color = CliOptions::kColorAlways; return true;
        case kOptColorNever: options.color = CliOptions::kColorNever; return true;
        case kOptIgnoreCase: options.ignoreCase = true; return true;
        case kOptMatchDirs: options.matchDirs = true; return true;
        case kOptFollowListLinks: options.listLinks = true; return true;
        case kOptRefused:
            error = ShownName(row) + " is not taken: " + std::string(row.refusal);
            return false;
        case kOptSize: options.meta.size = true; return true;
        // The last of --human and --si counts.
        case kOptHuman:
            options.meta.human = options.meta.size = true;
            options.meta.si = false;
            return true;
        case kOptSi:
            options.meta.si = options.meta.size = true;
            options.meta.human = false;
            return true;
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
            return true;
        case kOptPerms: options.meta.perms = true; return true;
        case kOptClassify: options.meta.classify = true; return true;
        case kOptReverse: options.reverse = true; return true;
        case kOptNewestFirst: options.sort = CliOptions::kSortMtime; return true;
        case kOptVersionSort: options.sort = CliOptions::kSortVersion; return true;
        case kOptFollow: options.meta.follow = true; return true;
        case kOptOneFileSystem: options.meta.oneFileSystem = true; return true;
        case kOptOwner: options.meta.owner = true; return true;
        case kOptGroup: options.meta.group = true; return true;
        case kOptChangeTime:
            options.sort = CliOptions::kSortCtime;
            options.meta.changeTime = true;
            return true;
        case kOptInodes: options.meta.inode = true; return true;
        case kOptDevice: options.meta.device = true; return true;
        case kOptMetaFirst: options.meta.metaFirst = true; return true;
        case kOptTreeJson: options.format = CliOptions::kFormatTreeJson; return true;
        case kOptTreeXml: options.format = CliOptions::kFormatTreeXml; return true;
        case kOptHelp:
        case kOptVersion: return true;
    }
    return true;
}

// The combinations that only the whole command line can judge, and the values that follow from them.
bool Finish(CliOptions& options, const ParseState& state, std::string& error) {
    if (options.compat) {
        if (!state.refused.compat.empty()) {
            error = "--compat prints the Windows program's text and cannot be combined with '" +
                    state.refused.compat + "'";
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
    if (state.operands.size() > 1 && !options.fromFile) {
        error = "only one FOLDER may be given, not also " + Quoted(state.operands[1]);
        return false;
    }
    if (!state.htmlOnly.empty() && options.format != CliOptions::kFormatHtml) {
        error = "'" + state.htmlOnly + "' applies to --format html only";
        return false;
    }
    if (!state.textOnly.empty() && options.format != CliOptions::kFormatText) {
        error = "'" + state.textOnly + "' applies to the text views only (--format text)";
        return false;
    }
    if (options.listLinks && !options.fromFile) {
        error = "--fflinks applies to --fromfile only";
        return false;
    }
    // --parse reads Shift_JIS with --encoding sjis, and writes UTF-8 whatever it reads.
    options.sjis = options.compat || (state.encoding == kEncodingSjis && !options.parse);
    if (options.sort == CliOptions::kSortVersion) options.natural = true;
    options.meta.sortSize = options.sort == CliOptions::kSortSize;
    options.meta.sortMtime = options.sort == CliOptions::kSortMtime;
    options.meta.sortCtime = options.sort == CliOptions::kSortCtime;
    if (options.sjis && options.format != CliOptions::kFormatText) {
        error = "--format json, markdown and html are UTF-8 and cannot be combined with --encoding sjis";
        return false;
    }
    if (options.sjis && (options.hideControl || options.quoteName)) {
        error = std::string(options.hideControl ? "-q" : "-Q") + " writes UTF-8 names and cannot be combined with "
                "--encoding sjis";
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

// One option met on the command line: its row and its value. `attached`: the value came in the same word
// (--depth=3, -L3).
struct OptionUse {
    const OptionRow* row = nullptr;
    std::string_view value;
    bool attached = false;
};

// An option that takes a value and has none attached takes the next word; `i` is left on the last word used.
bool TakeValue(int argc, const char* const* argv, int& i, OptionUse& use, std::string_view shown,
               std::string& error) {
    if (use.row->argument != kArgRequired || use.attached) return true;
    if (i + 1 >= argc) {
        error = "option " + Quoted(shown) + " needs a value";
        return false;
    }
    use.value = argv[++i];
    return true;
}

// "--name" or "--name=value"; the name may be shortened to any start that names one option.
bool ReadLongOption(std::string_view arg, OptionUse& use, std::string& error) {
    std::string_view name = arg.substr(2);
    size_t equals = name.find('=');
    if (equals != std::string_view::npos) {
        use.value = name.substr(equals + 1);
        use.attached = true;
        name = name.substr(0, equals);
    }
    std::string candidates;
    use.row = FindLongOption(name, candidates);
    if (use.row == nullptr) {
        std::string shown = Quoted(arg.substr(0, equals == std::string_view::npos ? arg.size() : equals + 2));
        error = candidates.empty() ? "unknown option " + shown
                                   : "option " + shown + " is ambiguous; it could be " + candidates;
        return false;
    }
    if (use.attached && use.row->argument == kArgNone) {
        error = "option '--" + std::string(use.row->longName) + "' takes no value";
        return false;
    }
    return true;
}

// The option's value checked against its words: the word, or nullptr for an option without words. An
// option whose value is optional (--color) given alone stands for its row's bare value.
bool CheckWord(const OptionUse& use, const ValueWord*& word, std::string& error) {
    word = nullptr;
    if (use.row->words.empty()) return true;
    std::string_view value = use.value;
    if (use.row->argument == kArgAttached && !use.attached) value = use.row->bareValue;
    std::string lowered;  // tree's --charset takes a character set's name in any letter case
    if (use.row->longName == "charset") {
        for (char c : value) lowered += (c >= 'A' && c <= 'Z') ? char(c - 'A' + 'a') : c;
        value = lowered;
    }
    word = FindWord(*use.row, value);
    if (word != nullptr) return true;
    std::string expected = WordList(*use.row);
    return InvalidValue(*use.row, use.value, expected.c_str(), error);
}

// Applies one option met on the command line and notes where it is refused; kActionRun to go on.
CommandAction UseOption(const OptionUse& use, CliOptions& options, ParseState& state, std::string& error) {
    if (use.row->id == kOptHelp) return kActionHelp;
    if (use.row->id == kOptVersion) return kActionVersion;
    const ValueWord* word = nullptr;
    if (!CheckWord(use, word, error)) return kActionUsageError;
    error = PlatformRefusal(*use.row, word, state.windows);
    if (!error.empty()) return kActionNotHere;
    if (!Apply(*use.row, use.value, word, options, state, error)) return kActionUsageError;
    NoteRefusals(use.row->refusedWith | (word != nullptr ? word->refusedWith : 0), *use.row, state.refused);
    return kActionRun;
}

// One word of short options (-rt): each letter an option, until one that takes a value, whose value is
// the rest of the word (-L2, -ofile) or else the next word. `i` is left on the last word used.
CommandAction UseShortOptions(int argc, const char* const* argv, int& i, CliOptions& options, ParseState& state,
                              std::string& error) {
    std::string_view arg = argv[i];
    for (size_t k = 1; k < arg.size(); ++k) {
        const std::string shown{'-', arg[k]};
        OptionUse use;
        use.row = FindShortOption(arg[k]);
        if (use.row == nullptr) {
            error = "unknown option " + Quoted(shown) + (arg.size() > 2 ? " in " + Quoted(arg) : "");
            return kActionUsageError;
        }
        if (use.row->argument == kArgRequired && k + 1 < arg.size()) {
            use.value = arg.substr(k + 1);
            use.attached = true;
            k = arg.size();
        }
        if (!TakeValue(argc, argv, i, use, shown, error)) return kActionUsageError;
        CommandAction action = UseOption(use, options, state, error);
        if (action != kActionRun) return action;
    }
    return kActionRun;
}

}  // namespace

CommandAction ParseArguments(int argc, const char* const* argv, CliOptions& options, std::string& error,
                             bool windows) {
    ParseState state;
    state.windows = windows;
    bool optionsEnded = false;
    for (int i = 1; i < argc; ++i) {
        std::string_view arg = argv[i];
        if (!optionsEnded && arg == "--") {
            optionsEnded = true;
            continue;
        }
        bool isOption = !optionsEnded && arg.size() > 1 && arg[0] == '-';
        if (!isOption) {
            if (arg.empty()) {
                error = "the FOLDER name is empty";
                return kActionUsageError;
            }
            if (state.operands.empty()) options.folder = arg;
            state.operands.push_back(arg);
            continue;
        }
        if (arg[1] != '-') {
            CommandAction action = UseShortOptions(argc, argv, i, options, state, error);
            if (action != kActionRun) return action;
            continue;
        }
        OptionUse use;
        if (!ReadLongOption(arg, use, error) || !TakeValue(argc, argv, i, use, arg, error))
            return kActionUsageError;
        CommandAction action = UseOption(use, options, state, error);
        if (action != kActionRun) return action;
    }
    return Finish(options, state, error) ? kActionRun : kActionUsageError;
}
