// The table of `arbolin`'s options: each option's names, its argument, its value words, its help and where
// it applies. The parser, the help text and the option list the completions are written from all read it.
// No platform code.
//
// A new option is a row of kRows (option_table.cpp) and its OptionId, whose effect is one case of Apply
// (options.cpp); --help and the completions follow, and the man page's OPTIONS gets its entry by hand
// (ctest option_lists fails until it has it).
#pragma once

#include <cstdint>
#include <span>
#include <string>
#include <string_view>

// What an option does when the parser meets it (the parser's switch in options.cpp).
enum OptionId {
    kOptNoSubfolders, kOptNoFolderNames, kOptNoFileNames, kOptIndented, kOptNameLimit, kOptDepth, kOptEncoding,
    kOptCompat, kOptOutput, kOptExclude, kOptInclude, kOptPrune, kOptGitignore, kOptFilesFirst, kOptPieces,
    kOptFileLimit, kOptNatural, kOptFormat, kOptTitle, kOptBaseHref, kOptFromFile, kOptNul, kOptParse,
    kOptSummary, kOptSize, kOptHuman, kOptSi, kOptDu, kOptDate, kOptTimeFormat, kOptPerms, kOptClassify,
    kOptSort, kOptReverse, kOptNewestFirst, kOptVersionSort, kOptColor, kOptFollow, kOptOneFileSystem,
    kOptOwner, kOptGroup, kOptChangeTime, kOptInodes, kOptDevice, kOptMetaFirst, kOptTreeJson, kOptTreeXml,
    kOptHelp, kOptVersion,
    // tree's options, under tree's letters and names
    kOptAll, kOptNoReport, kOptFullPath, kOptNoPieces, kOptHideControl, kOptQuoteName, kOptUnsorted,
    kOptDirsFirst, kOptColorAlways, kOptColorNever, kOptHtmlBase, kOptNoLinks, kOptHtmlIntro, kOptHtmlOutro,
    kOptIgnoreCase, kOptMatchDirs, kOptGitFile, kOptFollowListLinks,
    kOptRefused,  // an option of tree's that arbolin does not take: the row's `refusal` says why
};

// What the words of --encoding and --pieces stand for (the other words are CliOptions' own enums).
enum EncodingChoice { kEncodingDefault, kEncodingUtf8, kEncodingSjis };
enum PiecesChoice { kPiecesUtf8, kPiecesAscii };

enum OptionArgument {
    kArgNone,      // a switch: --prune (a value attached with '=' is an error)
    kArgRequired,  // the next word or an attached one: --depth 3, --depth=3, -L3
    kArgAttached,  // optional, and only attached with '=': --color, --color=never
};

// Where an option (or one of its value words) is refused: a bit set. --compat prints only what the Windows
// program can print. --fromfile and --parse read no file system, so nothing is known about an entry but its
// name (kNotWithFromFile, kNotWithParse), and they list no folder (kNeedsFolder: git's rules, the Windows
// program's text).
enum OptionRefusal : uint8_t {
    kFineEverywhere = 0,
    kNotWithCompat = 1,
    kNotWithFromFile = 2,
    kNotWithParse = 4,
    kNotWithList = kNotWithFromFile | kNotWithParse,
    kNeedsFolder = 8,
};

// True in arbolin.exe, the Windows console build: the options that cannot mean anything on Windows are
// refused there (OptionRow::notOnWindows) and --help shows the rows' Windows paragraphs. The parser and
// the help take it as an argument, so the tests of the Linux build check the Windows choices too.
#ifdef _WIN32
inline constexpr bool kWindowsCommandLine = true;
#else
inline constexpr bool kWindowsCommandLine = false;
#endif

// One word an option's value may be; `value` is what the parser stores for it (an enum of CliOptions).
struct ValueWord {
    std::string_view word;
    int value;
    uint8_t refusedWith = kFineEverywhere;  // beyond the option's own refusals
    std::string_view notOnWindows = {};     // non-empty: refused on Windows, and why
};

struct OptionRow {
    OptionId id;
    char shortName;             // 0: long form only
    std::string_view longName;  // empty: short form only (-t)
    OptionArgument argument;
    // How the help writes the value (N, FILE, WHEN) and, for an error, what a value is ("depth"); an option
    // without an argument may still name the operand it gives a new meaning to (--fromfile [FILE]).
    std::string_view valueName;
    std::string_view valueWhat;
    std::span<const ValueWord> words;  // the words the value must be one of; empty: any text or a number
    uint8_t refusedWith;                // OptionRefusal bits
    bool repeatable;                    // each use adds to a list (-I, -P)
    std::string_view summary;           // one line, for the completions that show one
    std::string_view help;              // its paragraph of --help, the option lines included
    std::string_view bareValue = {};    // kArgAttached: the word the option alone stands for
    std::string_view refusal = {};      // kOptRefused: why, and what to use instead
    // Non-empty: the option is refused on Windows (no listing, exit 2), and this says why.
    std::string_view notOnWindows = {};
    // Non-empty: the paragraph --help shows on Windows instead of `help`.
    std::string_view windowsHelp = {};
};

std::span<const OptionRow> OptionTable();

// The row of --NAME or of -C; nullptr for none. A long name matches whole, or as the start of one name
// only (--hum for --human; names of one option, --filesfirst and --files-first, count once). When the
// start fits several, `candidates` lists them ("--si, --size") and the result is nullptr.
const OptionRow* FindLongOption(std::string_view name, std::string& candidates);
const OptionRow* FindShortOption(char name);

// The row's word that is `text`, or nullptr; the row's word that stands for `value`, or nullptr.
const ValueWord* FindWord(const OptionRow& row, std::string_view text);
const ValueWord* FindWordOf(const OptionRow& row, int value);

// How messages name an option: "--name", or "-c" for one with only a letter.
std::string ShownName(const OptionRow& row);

// Why `row` (with its value word `word`, or nullptr) is refused on a system that is Windows when
// `windows`, naming the option; empty where the option is taken there.
std::string PlatformRefusal(const OptionRow& row, const ValueWord* word, bool windows);
