// The --parse reader called directly on pasted listings: every piece style and indent it places, what it
// skips around a listing, what it takes off names written by hand, and what it reports.
#include <string>
#include <vector>

#include <gtest/gtest.h>

#include "readers/listing_reader.h"

namespace {

struct Read {
    std::string paths;  // one a line, folders ending in '/', as --parse prints them
    std::vector<std::string> problems;
    int64_t unsaid = 0;
    std::string root;
    ParsedListing listing;
};

Read ParseText(const std::string& text, const std::string& timeFormat = "%Y-%m-%d %H:%M") {
    Read r;
    ParseListing(text, ListingEncoding::kGuess, r.listing, timeFormat);
    ForEachParsedPath(r.listing, [&](const ParsedEntry&, std::string_view path) {
        r.paths += path;
        r.paths += '\n';
    });
    r.problems = r.listing.problems;
    r.unsaid = r.listing.unsaid;
    r.root = r.listing.root;
    return r;
}

struct Case {
    const char* what;
    std::string listing, paths;
};

// Each case read to its paths with nothing reported.
template <size_t N>
void ExpectReadWhole(const Case (&cases)[N]) {
    for (const Case& c : cases) {
        Read r = ParseText(c.listing);
        EXPECT_EQ(r.paths, c.paths) << c.what;
        EXPECT_TRUE(r.problems.empty()) << c.what << ": " << (r.problems.empty() ? "" : r.problems[0]);
    }
}

// Each drawing style read whole, without a word.
TEST(ListingReader, PlacesEveryPieceStyleByItsColumn) {
    const Case cases[] = {
        {"tree's look, 4 columns", ".\n├── a\n│   ├── b\n│   └── c\n└── d\n", "a/\na/b\na/c\nd\n"},
        {"├─ with 3 columns, no root", "├─ a\n│  └─ b\n└─ c\n", "a/\na/b\nc\n"},
        {"2 columns, ├─┬ for a folder", "├─┬ src\n│ ├── x\n│ └── y\n└── z\n", "src/\nsrc/x\nsrc/y\nz\n"},
        {"5 columns in one branch", "├── a\n│    └── b\n└── c\n", "a/\na/b\nc\n"},
        {"heavy pieces", "root/\n┣━ a/\n┃   ┗━ b\n┗━ c\n", "a/\na/b\nc\n"},
        {"ascii |-- under a column-0 root, entries indented", "ram:\n  |--A\n  |  `--B\n  `--C\n",
         "A/\nA/B\nC\n"},
        {"+-- pieces", "+-- a\n|   +-- b\n`-- c\n", "a/\na/b\nc\n"},
        {"| - bullets one | a level", "App\n | - f\n | | - g\n | - h\n", "f/\nf/g\nh\n"},
        {"full-width bar and ideographic spaces", "├─ a\n｜　├─ b\n└─ c\n", "a/\na/b\nc\n"},
        {"├ drawn in place of │", "    web\n    ├── a\n    ├    ├── b\n    ├── c\n", "a/\na/b\nc\n"},
        {"tabs for indents", "├───a\n\t├───b\n\t│\t└───c\n└───d\n", "a/\na/b/\na/b/c\nd\n"},
        {"Windows tree /f with headers", "Folder PATH listing for volume OS\nVolume serial number is 1234-ABCD\n"
                                         "C:.\n│   top.txt\n│\n├───empty\n└───src\n    │   main.c\n    │\n"
                                         "    └───lib\n            util.c\n",
         "top.txt\nempty/\nsrc/\nsrc/main.c\nsrc/lib/\nsrc/lib/util.c\n"},
        {"Windows tree /f /a", "C:\\WORK\n|   a.txt\n|\n+---docs\n|       b.md\n|\n\\---src\n        c.c\n",
         "a.txt\ndocs/\ndocs/b.md\nsrc/\nsrc/c.c\n"},
        {"Windows tree /f in a CJK code page", "卷 Data 的文件夹 PATH 列表\nZ:.\n│  a.txt\n│\n├─d1\n│  │  b.txt\n"
                                               "│  └─d2\n│          c.txt\n│\n└─d3\n        e.txt\n",
         "a.txt\nd1/\nd1/b.txt\nd1/d2/\nd1/d2/c.txt\nd3/\nd3/e.txt\n"},
        {"DOS tree without files: pieces mark nothing", "C:\n+-A\n\\-B\n  \\-C\n", "A\nB/\nB/C\n"},
        {"outline, root at column 0", "<root>/\n    setup.py\n    pkg/\n        m.py\n", "setup.py\npkg/\npkg/m.py\n"},
        {"outline without root", "  a.toml\n  src/\n     m.py\n  tests/\n", "a.toml\nsrc/\nsrc/m.py\ntests/\n"},
        {"outline with tabs", "top\n\tsub\n\t\tf\n\tg\n", "sub/\nsub/f\ng\n"},
        {"|__ pieces", "app\n|__ src\n|   |__ __init__.py\n|__ b\n", "src/\nsrc/__init__.py\nb\n"},
        {"Windows pieces keep a name's underscores", "C:.\n├───__pycache__\n│       x.pyc\n└───b\n",
         "__pycache__/\n__pycache__/x.pyc\nb/\n"},
    };
    ExpectReadWhole(cases);
}

// What surrounds a listing in a paste is no entry, and costs no error.
TEST(ListingReader, SkipsWhatIsNoEntry) {
    const std::string tree = ".\n├── a\n│   └── b\n└── c\n";
    const std::string paths = "a/\na/b\nc\n";
    const Case cases[] = {
        {"$ prompt", "$ tree -a -I node_modules\n" + tree, paths},
        {"zsh prompt", "tmp % tree dir\n" + tree, paths},
        {"user@host prompt", "me@box:~/p$ tree\n" + tree, paths},
        {"PowerShell prompt", "PS C:\\Users\\me\\Projects> tree /f\n" + tree, paths},
        {"cmd prompt", "C:\\src>tree /f\n" + tree, paths},
        {"a command line without prompt", "tree -L 2\n" + tree, paths},
        {"fence with info string", "```text\n" + tree + "```\n", paths},
        {"tilde fence, indented", "  ~~~sh\n" + tree + "  ~~~\n", paths},
        {"heading above", "## Layout\n" + tree, paths},
        {"byte-order mark, CRLF", "\xEF\xBB\xBF.\r\n├── a\r\n│   └── b\r\n└── c\r\n", paths},
        {"more lines", ".\n├── a\n│   ├── b\n│   └── ...\n├── …\n└── c\n", paths},
        {"spacer lines and blank lines", ".\n├── a\n│   └── b\n│\n\n└── c\n", paths},
        {"quoting", "> .\n> ├── a\n> │   └── b\n> └── c\n", paths},
        {"backticks around lines", "`├── a`\n│   └── b\n└── c\n", paths},
        {"<pre> wrapper", "<pre>\n" + tree + "</pre>\n", paths},
        {"words around a fenced block", "The layout:\n```\n" + tree + "```\nThat is all.\n", paths},
        {"summary line, then a prompt", "$ tree\n" + tree + "\n2 directories, 2 files\n$ \n", paths},
    };
    ExpectReadWhole(cases);
}

// Written by hand: only the name stays.
TEST(ListingReader, KeepsOnlyTheNameInListingsWrittenByHand) {
    const Case cases[] = {
        {"# comments", "├── src/        # code\n└── a.txt # notes\n", "src/\na.txt\n"},
        {"tab and CJK comment", "├── app\t# 注释\n└── b\n", "app\nb\n"},
        {"// and <- comments", "├── a   // first\n├── b <- second\n└── c <-- third\n", "a\nb\nc\n"},
        {"arrows and reference mark", "├── a ← x\n├── b → y\n└── c ※ z\n", "a\nb\nc\n"},
        {"-- comments used on two lines", "├── a -- one\n└── b -- two\n", "a\nb\n"},
        {"- descriptions used on two lines", "├── src - code\n└── doc - words\n", "src\ndoc\n"},
        {"a remark in parentheses after blanks", "├── .env  (optional)\n└── b (c)\n", ".env\nb (c)\n"},
        {"backtick remark after blanks", "├── dist    `npm run build`\n└── c\n", "dist\nc\n"},
        {"glued # comments used twice", "├── A.java# entry\n└── b   # other\n", "A.java\nb\n"},
        {"trailing blanks and ideographic spaces", "├── a  \n└── b　　\n", "a\nb\n"},
        {"-F marks", "├── bin/\n│   └── run*\n└── ln@\n", "bin/\nbin/run\nln\n"},
        {"a remark after a folder's /", "└── gen/ (generated)\n", "gen/\n"},
        {"a program's size notes", "├───main.go (1881b)\n└───e.txt (empty)\n", "main.go\ne.txt\n"},
        {"names that only look like comments", "├── Track #1.mp3\n├── C#\n├── (group)\n└── [draft] notes\n",
         "Track #1.mp3\nC#\n(group)\n[draft] notes\n"},
        {"a comment going on under the drawing", "├── a        <- one\n│            and more\n└── b\n", "a\nb\n"},
    };
    ExpectReadWhole(cases);
}

// Guesses, styles not read, lines that fit nowhere and repeats are reported, each with its line.
TEST(ListingReader, ReportsWhatItGuessesOrCannotRead) {
    // One blank before a marker used once: the cut is a guess.
    Read r = ParseText("├── Artist -- Title.mp3\n└── b\n");
    EXPECT_EQ(r.paths, "Artist\nb\n");
    ASSERT_EQ(r.problems.size(), 1u);
    EXPECT_NE(r.problems[0].find("line 1:"), std::string::npos) << r.problems[0];
    EXPECT_NE(r.problems[0].find("a guess"), std::string::npos) << r.problems[0];

    // A drawing style not read: one message for all its lines, the rest counted.
    std::string strange = "╞══ a\n";
    for (int i = 0; i < 50; ++i) strange += "╞══ n" + std::to_string(i) + "\n";
    r = ParseText("x\n" + strange);
    ASSERT_EQ(r.problems.size(), 1u);
    EXPECT_NE(r.problems[0].find("line 2: this drawing style is not read"), std::string::npos) << r.problems[0];
    EXPECT_EQ(r.unsaid, 50);
    EXPECT_EQ(r.paths, "");

    // A name without a piece among drawn lines is never printed as a name.
    r = ParseText("├── a\nloose\n└── b\n");
    EXPECT_EQ(r.paths, "a\nb\n");
    ASSERT_EQ(r.problems.size(), 1u);
    EXPECT_NE(r.problems[0].find("line 2:"), std::string::npos);

    // A path listed twice.
    r = ParseText("├── a\n│   └── f\n├── a\n│   └── f\n└── b\n");
    ASSERT_EQ(r.problems.size(), 2u);
    EXPECT_NE(r.problems[0].find("line 3: 'a/' listed again (first on line 1)"), std::string::npos) << r.problems[0];
}

// Backslashes are escapes in arbolin's own listings only; a Windows path keeps them.
TEST(ListingReader, DecodesEscapesOnlyInArbolinsListings) {
    Read r = ParseText("C:\\Users\\me\\three-d\n├───a\n│       f\n└───b\n");
    EXPECT_EQ(r.root, "C:\\Users\\me\\three-d");
    EXPECT_EQ(r.paths, "a/\na/f\nb/\n");
    r = ParseText("├── x\\ty\n└── z\n");
    EXPECT_EQ(r.paths, "x\\ty\nz\n");
    r = ParseText("[ R ]\n ├x\\ty\n └z\n");
    EXPECT_EQ(r.paths, "x\ty\nz\n");
}

// Windows tree /f saved in Shift_JIS: read in its own columns, names printed in UTF-8.
TEST(ListingReader, ReadsWindowsTreeInShiftJis) {
    const std::string v = "\x84\xA0", tee = "\x84\xA5\x84\x9F", last = "\x84\xA4\x84\x9F";
    Read r = ParseText("C:.\r\n" + v + "  a.txt\r\n" + tee + "\x93\xFA\x96\x7B\r\n" + v + "  " + v +
                       "  b.txt\r\n" + last + "d\r\n        e.txt\r\n");
    EXPECT_EQ(r.paths, "a.txt\n\xE6\x97\xA5\xE6\x9C\xAC/\n\xE6\x97\xA5\xE6\x9C\xAC/b.txt\nd/\nd/e.txt\n");
    EXPECT_TRUE(r.problems.empty());
}

// Links keep their target (for JSON); tree's mode field tells folders and kinds.
TEST(ListingReader, KeepsLinksAndKinds) {
    Read r = ParseText("├── ln -> ../x\n└── d/\n");
    ASSERT_EQ(r.listing.entries.size(), 2u);
    EXPECT_EQ(r.listing.entries[0].name, "ln");
    EXPECT_EQ(r.listing.entries[0].type, "link");
    EXPECT_EQ(r.listing.entries[0].target, "../x");
    r = ParseText("[ R ]\n ├ln@ -> t\n └t\n");
    ASSERT_EQ(r.listing.entries.size(), 2u);
    EXPECT_EQ(r.listing.entries[0].type, "link");
    EXPECT_EQ(r.listing.entries[0].target, "t");
    r = ParseText("/srv/\n├── [drwxr-xr-x root root]  d/\n├── [prw-r--r-- root root]  p|\n"
                  "└── [lrwxrwxrwx root root]  l -> d\n");
    EXPECT_EQ(r.paths, "d/\np\nl\n");
    EXPECT_TRUE(r.problems.empty());
    ASSERT_EQ(r.listing.entries.size(), 3u);
    EXPECT_EQ(r.listing.entries[1].type, "fifo");
    EXPECT_EQ(r.listing.entries[2].type, "link");
    std::string json;
    WriteParsedJson(r.listing, json);
    EXPECT_NE(json.find("{\"name\": \"l\", \"type\": \"link\", \"target\": \"d\"}"), std::string::npos) << json;
}

// Dates before 1970 in --timefmt %s are read as fields.
TEST(ListingReader, ReadsDatesBefore1970) {
    Read r = ParseText("1796715431 [ old ]\n ├ -315619200 a\n └         12 b\n", "%s");
    EXPECT_EQ(r.paths, "a\nb\n");
    EXPECT_TRUE(r.problems.empty());
}

}  // namespace
