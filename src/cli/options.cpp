// Parses the arguments of `arbolin` into CliOptions: GNU-style long options (--depth N, --depth=N) and
// short ones (-L N, -LN, -o FILE, -oFILE), FOLDER anywhere, "--" ending the options. The options themselves,
// their values and where they apply are rows of the option table (cli/option_table.h).
#include "cli/options.h"

#include <cstdint>
#include <string_view>

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
    bool folderGiven = false;
    Refused refused;
    std::string_view htmlOnly;  // the last of --title and --base-href given
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
    options.listFile = state.folderGiven ? options.folder : "-";
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
                options.output = value;
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
            state.htmlOnly = row.longName;
            return true;
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
    if (!state.htmlOnly.empty() && options.format != CliOptions::kFormatHtml) {
        error = "'--" + std::string(state.htmlOnly) + "' applies to --format html only";
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
bool TakeValue(int argc, const char* const* argv, int& i, OptionUse& use, std::string& error) {
    if (use.row->argument != kArgRequired || use.attached) return true;
    if (i + 1 >= argc) {
        error = "option " + Quoted(argv[i]) + " needs a value";
        return false;
    }
    use.value = argv[++i];
    return true;
}

// "--name" or "--name=value". The name matches a row's long name whole: abbreviations would be resolved in
// FindLongOption.
bool ReadLongOption(std::string_view arg, OptionUse& use, std::string& error) {
    std::string_view name = arg.substr(2);
    size_t equals = name.find('=');
    if (equals != std::string_view::npos) {
        use.value = name.substr(equals + 1);
        use.attached = true;
        name = name.substr(0, equals);
    }
    use.row = FindLongOption(name);
    if (use.row == nullptr) {
        error = "unknown option " + Quoted(arg.substr(0, equals == std::string_view::npos ? arg.size() : equals + 2));
        return false;
    }
    if (use.attached && use.row->argument == kArgNone) {
        error = "option '--" + std::string(use.row->longName) + "' takes no value";
        return false;
    }
    return true;
}

// "-c" or "-cVALUE": the letter at arg[1], and the rest of the word as its value when it takes one. A word
// of several switches (-sp) is refused as a whole; bundling them would read the next letter here instead.
bool ReadShortOption(std::string_view arg, OptionUse& use, std::string& error) {
    use.row = FindShortOption(arg[1]);
    if (use.row == nullptr || (arg.size() > 2 && use.row->argument != kArgRequired)) {
        error = "unknown option " + Quoted(arg);
        return false;
    }
    if (arg.size() > 2) {
        use.value = arg.substr(2);
        use.attached = true;
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
    if (!CheckWord(use, word, error) || !Apply(*use.row, use.value, word, options, state, error))
        return kActionUsageError;
    NoteRefusals(use.row->refusedWith | (word != nullptr ? word->refusedWith : 0), *use.row, state.refused);
    return kActionRun;
}

}  // namespace

CommandAction ParseArguments(int argc, const char* const* argv, CliOptions& options, std::string& error) {
    ParseState state;
    bool optionsEnded = false;
    for (int i = 1; i < argc; ++i) {
        std::string_view arg = argv[i];
        if (!optionsEnded && arg == "--") {
            optionsEnded = true;
            continue;
        }
        bool isOption = !optionsEnded && arg.size() > 1 && arg[0] == '-';
        if (!isOption) {
            if (state.folderGiven) {
                error = "only one FOLDER may be given, not also " + Quoted(arg);
                return kActionUsageError;
            }
            if (arg.empty()) {
                error = "the FOLDER name is empty";
                return kActionUsageError;
            }
            options.folder = arg;
            state.folderGiven = true;
            continue;
        }
        OptionUse use;
        bool read = arg[1] == '-' ? ReadLongOption(arg, use, error) : ReadShortOption(arg, use, error);
        if (!read || !TakeValue(argc, argv, i, use, error)) return kActionUsageError;
        CommandAction action = UseOption(use, options, state, error);
        if (action != kActionRun) return action;
    }
    return Finish(options, state, error) ? kActionRun : kActionUsageError;
}
