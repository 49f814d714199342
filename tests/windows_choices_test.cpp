// arbolin.exe's choices checked in the Linux build: the options refused on Windows (the parser called with
// its Windows flag), the Windows help text, and -p's attribute letters.
#include <gtest/gtest.h>

#include <algorithm>
#include <string>
#include <vector>

#include "cli/option_table.h"
#include "cli/options.h"
#include "metadata/metadata.h"
#include "readers/listing_reader.h"

namespace {

struct Parsed {
    CommandAction action;
    std::string error;
};

Parsed Parse(std::vector<const char*> args, bool windows) {
    args.insert(args.begin(), "arbolin");
    CliOptions options;
    Parsed p;
    p.action = ParseArguments(int(args.size()), args.data(), options, p.error, windows);
    return p;
}

// Each refused use, the option as the message names it, and a word of the reason.
struct RefusedCase {
    std::vector<const char*> args;
    const char* named;
    const char* because;
};

const RefusedCase kRefused[] = {
    {{"-x"}, "-x (--one-file-system) is not taken on Windows", "reparse point"},
    {{"--one-file-system"}, "-x (--one-file-system) is not taken on Windows", "reparse point"},
    {{"--one-file"}, "-x (--one-file-system) is not taken on Windows", "reparse point"},  // shortened
    {{"-u"}, "-u is not taken on Windows", "security identifiers"},
    {{"-g"}, "-g is not taken on Windows", "security identifiers"},
    {{"-sDg", "dir"}, "-g is not taken on Windows", "security identifiers"},  // bundled after taken ones
    {{"-c"}, "-c is not taken on Windows", "status change"},
    {{"--sort", "ctime"}, "--sort ctime is not taken on Windows", "status change"},
    {{"--sort=ctime"}, "--sort ctime is not taken on Windows", "status change"},
    {{"--inodes"}, "--inodes is not taken on Windows", "inode"},
    {{"--device"}, "--device is not taken on Windows", "devices"},
    {{"--gitignore"}, "--gitignore is not taken on Windows", "libgit2"},
    {{"--gitfile", "rules"}, "--gitfile is not taken on Windows", "libgit2"},
    {{"--gitfile=rules", "--compat"}, "--gitfile is not taken on Windows", "libgit2"},
};

TEST(WindowsOptions, RefusedThereWithTheReason) {
    for (const RefusedCase& c : kRefused) {
        Parsed p = Parse(c.args, true);
        EXPECT_EQ(p.action, kActionNotHere) << c.args[0];
        EXPECT_EQ(p.error.find(c.named), 0u) << p.error;
        EXPECT_NE(p.error.find(c.because), std::string::npos) << p.error;
        // The same command line is no platform refusal on Linux.
        Parsed linux = Parse(c.args, false);
        EXPECT_EQ(linux.error.find("not taken on Windows"), std::string::npos) << linux.error;
    }
}

// What Windows can answer is taken there as on Linux, values and bundles included.
TEST(WindowsOptions, TheRestTakenAlike) {
    const std::vector<std::vector<const char*>> taken = {
        {"-p"}, {"-l"}, {"-F"}, {"-sDp", "--metafirst"}, {"--sort", "mtime"}, {"--sort=size", "--du"},
        {"-t"}, {"-v"}, {"--natural"}, {"--compat", "-L", "3"}, {"--color=always"}, {"-J"}, {"-X"},
        {"--format", "json", "-D", "--timefmt", "%F %T"}, {"--fromfile", "-0"}, {"--parse", "list"},
    };
    for (const auto& args : taken) {
        Parsed p = Parse(args, true);
        EXPECT_EQ(p.action, kActionRun) << args[0] << ": " << p.error;
    }
    // --help ends the parsing before a refused option is met, as it does before any other.
    EXPECT_EQ(Parse({"--help", "-x"}, true).action, kActionHelp);
    EXPECT_EQ(Parse({"-x", "--help"}, true).action, kActionNotHere);
    // A usage error met before it stays one.
    EXPECT_EQ(Parse({"--depth", "0", "-x"}, true).action, kActionUsageError);
}

size_t Columns(std::string_view line) {
    size_t n = 0;
    for (unsigned char c : line) n += (c & 0xC0) != 0x80;
    return n;
}

// The first line of an option's paragraph up to its description ("-L, --depth N").
std::string_view Usage(std::string_view paragraph) {
    std::string_view line = paragraph.substr(0, paragraph.find('\n'));
    size_t end = line.find("  ", 2);
    return line.substr(2, end == std::string_view::npos ? line.size() - 2 : end - 2);
}

// The names in it ("-L --depth"), without the values.
std::string NamesOf(std::string_view paragraph) {
    std::string names;
    std::string_view usage = Usage(paragraph);
    for (size_t at = 0; at < usage.size();) {
        size_t end = std::min(usage.find_first_of(", ", at), usage.size());
        if (usage[at] == '-') names += std::string(usage.substr(at, end - at)) + " ";
        at = end + 1;
    }
    return names;
}

TEST(WindowsHelp, EachRefusalShownUnderItsOwnNames) {
    size_t refused = 0;
    for (const OptionRow& row : OptionTable()) {
        if (!row.windowsHelp.empty()) {
            // The completions and the man page are made from the Linux help: the names must agree.
            EXPECT_EQ(NamesOf(row.windowsHelp), NamesOf(row.help)) << ShownName(row);
            EXPECT_EQ(row.windowsHelp.back(), '\n') << ShownName(row);
        }
        if (row.notOnWindows.empty()) continue;
        ++refused;
        EXPECT_NE(row.windowsHelp.find("refused on Windows"), std::string_view::npos) << ShownName(row);
        EXPECT_NE(HelpText(true).find(row.windowsHelp), std::string::npos) << ShownName(row);
        EXPECT_EQ(HelpText(false).find(row.windowsHelp), std::string::npos) << ShownName(row);
        for (const ValueWord& word : row.words) EXPECT_TRUE(word.notOnWindows.empty());
    }
    EXPECT_EQ(refused, 8u);  // -x, -u, -g, -c, --inodes, --device, --gitignore, --gitfile
    // A refused value word is named as refused in its option's Windows paragraph.
    for (const OptionRow& row : OptionTable())
        for (const ValueWord& word : row.words)
            if (!word.notOnWindows.empty()) {
                ASSERT_FALSE(row.windowsHelp.empty()) << ShownName(row);
                EXPECT_NE(row.windowsHelp.find(std::string(word.word) + " is refused on Windows"),
                          std::string_view::npos);
                EXPECT_EQ(Usage(row.windowsHelp).find(word.word), std::string::npos);
                EXPECT_NE(Usage(row.help).find(word.word), std::string::npos);
            }
}

TEST(WindowsHelp, CollationNamedForEachSystem) {
    struct Want {
        bool windows;
        const char* present;
        const char* absent;
    };
    const Want wants[] = {
        {true, "Windows' collation", "LC_COLLATE"},
        {true, "darhsl", "drwxr-xr-x"},
        {true, "Windows' collation, digits as numbers", "ICU numeric collation"},
        {true, "as\nthe Windows program gets them from Windows", "LC_ALL=ja_JP.UTF-8"},
        {false, "LC_COLLATE", "Windows' collation"},
        {false, "drwxr-xr-x", "darhsl"},
        {false, "LC_ALL=ja_JP.UTF-8", "refused on Windows"},
    };
    for (const Want& w : wants) {
        const std::string& text = HelpText(w.windows);
        EXPECT_NE(text.find(w.present), std::string::npos) << w.present;
        EXPECT_EQ(text.find(w.absent), std::string::npos) << w.absent;
    }
    // The lines written for Windows fit 80 columns.
    std::string_view text = HelpText(true);
    for (size_t at = 0; at < text.size();) {
        size_t end = text.find('\n', at);
        ASSERT_NE(end, std::string_view::npos);
        std::string_view line = text.substr(at, end - at);
        if (HelpText(false).find(std::string(line) + "\n") == std::string::npos) {
            EXPECT_LE(Columns(line), 80u) << line;
        }
        at = end + 1;
    }
}

TEST(ModeColumn, AttributesAsPowerShellWritesThem) {
    const struct {
        uint32_t attributes;
        const char* shown;
    } cases[] = {
        {0, "------"},
        {kAttributeFolder, "d-----"},
        {kAttributeArchive, "-a----"},
        {kAttributeArchive | kAttributeReadOnly, "-ar---"},
        {kAttributeHidden | kAttributeSystem | kAttributeFolder, "d--hs-"},
        {kAttributeFolder | kAttributeReparsePoint, "d----l"},  // a junction
        {kAttributeArchive | kAttributeReparsePoint, "-a---l"},  // a symbolic link to a file
        {kAttributeFolder | kAttributeArchive | kAttributeReadOnly | kAttributeHidden | kAttributeSystem |
             kAttributeReparsePoint,
         "darhsl"},
        // Bits the column has no place for (normal 0x80, temporary 0x100, compressed 0x800, offline,
        // not content indexed, encrypted, cloud placeholders) change nothing.
        {0x80 | 0x100 | 0x800 | 0x1000 | 0x2000 | 0x4000 | 0x400000, "------"},
        {0xFFFFFFFF, "darhsl"},
    };
    for (const auto& c : cases) EXPECT_EQ(FormatAttributes(c.attributes), c.shown) << std::hex << c.attributes;
    // What -p shows on this system: Unix modes, whatever attributes an entry carries.
    EntryMeta m;
    m.mode = kTypeFolder | 0755;
    m.attributes = kAttributeFolder | kAttributeHidden;
    EXPECT_EQ(ShownMode(m), kAttributesForModes ? "d--h--" : "drwxr-xr-x");
}

// arbolin.exe's -p listings read back by --parse: the attributes are taken off as Linux modes are.
TEST(ModeColumn, ListingsWithAttributesReadBack) {
    const struct {
        const char* listing;
        std::vector<std::string> paths;
    } cases[] = {
        {"d----- [ W ]\n"
         " \xE2\x94\x9C d----- [ Docs ]\n"
         " \xE2\x94\x82 \xE2\x94\x94 -a---- a.txt\n"
         " \xE2\x94\x94 darhsl readme.txt\n",
         {"Docs/", "Docs/a.txt", "readme.txt"}},
        {"d----- [ W ]\n"
         "    d----l [ Link ]\n"
         "       -a-h-- ------ x\n",  // a name shaped like the field stays a name
         {"Link/", "Link/------ x"}},
        // Six places that are not the attribute letters are part of the name.
        {"[ W ]\n"
         " \xE2\x94\x94" "dxrhsl b\n",
         {"dxrhsl b"}},
    };
    for (const auto& c : cases) {
        ParsedListing parsed;
        ParseListing(c.listing, ListingEncoding::kUtf8, parsed, "%Y-%m-%d %H:%M");
        std::vector<std::string> paths;
        ForEachParsedPath(parsed, [&](const ParsedEntry&, std::string_view path) { paths.emplace_back(path); });
        EXPECT_EQ(paths, c.paths) << c.listing;
        for (const std::string& problem : parsed.problems) ADD_FAILURE() << c.listing << problem;
    }
}

}  // namespace
