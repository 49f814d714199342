// The rows of `arbolin`'s option table (cli/option_table.h), in the order --help lists them, with the words
// their values may be. No platform code.
#include "cli/option_table.h"

#include "cli/options.h"

namespace {

// Value words, in the order the messages and the help list them. A word may be refused in a mode where the
// option itself is fine (--sort size with --fromfile, whose paths have no sizes).
constexpr ValueWord kEncodingWords[] = {
    {"utf8", kEncodingUtf8},
    {"sjis", kEncodingSjis},
};
constexpr ValueWord kPiecesWords[] = {
    {"utf8", kPiecesUtf8},
    {"ascii", kPiecesAscii},
};
constexpr ValueWord kFormatWords[] = {
    {"text", CliOptions::kFormatText},
    {"json", CliOptions::kFormatJson},
    {"markdown", CliOptions::kFormatMarkdown},
    {"html", CliOptions::kFormatHtml},
};
constexpr ValueWord kSortWords[] = {
    {"name", CliOptions::kSortName},
    {"version", CliOptions::kSortVersion},
    {"size", CliOptions::kSortSize, kNotWithList},
    {"mtime", CliOptions::kSortMtime, kNotWithList},
    {"none", CliOptions::kSortNone},
};
constexpr ValueWord kColorWords[] = {
    {"always", CliOptions::kColorAlways},
    {"auto", CliOptions::kColorAuto},
    {"never", CliOptions::kColorNever},
};

// Each row: id, letter, long name, argument, the value's name and what it is (for messages), its words,
// the modes that refuse it, repeatable; the completions' one line; the help paragraph.
constexpr OptionRow kRows[] = {
    {kOptNoSubfolders, 0, "no-subfolders", kArgNone, "", "", {}, kFineEverywhere, false,
     "list FOLDER's own entries only",
     "  --no-subfolders     list FOLDER's own entries only\n"},
    {kOptNoFolderNames, 0, "no-folder-names", kArgNone, "", "", {}, kFineEverywhere, false,
     "no folder lines (files of the whole subtree as one list)",
     "  --no-folder-names   no folder lines (files of the whole subtree as one list)\n"},
    {kOptNoFileNames, 0, "no-file-names", kArgNone, "", "", {}, kFineEverywhere, false,
     "folders only",
     "  --no-file-names     folders only\n"},
    {kOptIndented, 0, "indented", kArgNone, "", "", {}, kFineEverywhere, false,
     "indented outline instead of the tree",
     "  --indented          indented outline instead of the tree\n"},
    {kOptNameLimit, 0, "name-limit", kArgNone, "", "", {}, kFineEverywhere, false,
     "shorten long names as the tree view does: a name wider than 17 columns",
     "  --name-limit        shorten long names as the tree view does: a name wider\n"
     "                      than 17 columns (bytes in sjis), as written with its\n"
     "                      escapes, is cut to at most 14, never inside a character\n"
     "                      or an escape, and ends in \" \xE2\x80\xA6\"; the indented\n"
     "                      outline never shortens names\n"},
    {kOptDepth, 'L', "depth", kArgRequired, "N", "depth", {}, kFineEverywhere, false,
     "record entries down to depth N (N >= 1; default: no limit)",
     "  -L, --depth N       record entries down to depth N (N >= 1; default: no\n"
     "                      limit); FOLDER's own entries are at depth 1\n"},
    {kOptEncoding, 0, "encoding", kArgRequired, "", "encoding", kEncodingWords, kFineEverywhere, false,
     "utf8 (default): UTF-8, box drawing, LF line ends",
     "  --encoding utf8|sjis   utf8 (default): UTF-8, box drawing, LF line ends;\n"
     "                      sjis: Shift_JIS (code page 932), CRLF line ends, names\n"
     "                      converted from the locale's encoding, characters that\n"
     "                      code page 932 lacks (and invalid bytes) as '?'\n"},
    {kOptCompat, 0, "compat", kArgNone, "", "", {}, kNeedsFolder, false,
     "exactly the Windows program's text for this folder and these options",
     "  --compat            exactly the Windows program's text for this folder and\n"
     "                      these options (implies --encoding sjis; see below);\n"
     "                      the options from -I on cannot be combined with it\n"},
    {kOptOutput, 'o', "output", kArgRequired, "FILE", "", {}, kFineEverywhere, false,
     "write to FILE instead of standard output",
     "  -o, --output FILE   write to FILE instead of standard output\n"},
    {kOptExclude, 'I', "exclude", kArgRequired, "PATTERN", "", {}, kNotWithCompat, true,
     "leave out entries whose name matches PATTERN",
     "  -I, --exclude PATTERN  leave out entries whose name matches PATTERN (shell\n"
     "                      wildcards * ? [...], alternatives split by '|'); an\n"
     "                      excluded folder is not entered. Repeatable.\n"
     "                      Example: arbolin -I 'node_modules|.git' src\n"},
    {kOptInclude, 'P', "include", kArgRequired, "PATTERN", "", {}, kNotWithCompat, true,
     "list only the files whose name matches PATTERN",
     "  -P, --include PATTERN  list only the files whose name matches PATTERN\n"
     "                      (same form; folders stay). Repeatable.\n"
     "                      Example: arbolin -P '*.c|*.h' --prune src\n"},
    {kOptPrune, 0, "prune", kArgNone, "", "", {}, kNotWithCompat, false,
     "leave out folders that hold no file (after -I and -P)",
     "  --prune             leave out folders that hold no file (after -I and -P)\n"},
    {kOptGitignore, 0, "gitignore", kArgNone, "", "", {}, kNotWithCompat | kNeedsFolder, false,
     "leave out what git would ignore here",
     "  --gitignore         leave out what git would ignore here (nested\n"
     "                      .gitignore files, .git/info/exclude, negation, dir/ and\n"
     "                      /anchored patterns; git's rules, as libgit2 reads them)\n"
     "                      and the .git folder; tracked files stay, as in git.\n"
     "                      No effect outside a repository.\n"
     "                      Example: arbolin --gitignore --summary\n"},
    {kOptFilesFirst, 0, "files-first", kArgNone, "", "", {}, kNotWithCompat, false,
     "a folder's files before its subfolders (default: after)",
     "  --files-first       a folder's files before its subfolders (default: after);\n"
     "                      the last entry of a folder, file or folder, gets the\n"
     "                      closing piece. Example: arbolin --files-first src\n"},
    {kOptPieces, 0, "pieces", kArgRequired, "", "pieces", kPiecesWords, kNotWithCompat, false,
     "the pieces the tree is drawn with: utf8, box drawing",
     "  --pieces utf8|ascii\n"
     "                      the pieces the tree is drawn with: utf8, box drawing;\n"
     "                      ascii, \" |\" \" +\" \" `\" (same widths) and \"..\" after a\n"
     "                      shortened name, for any editor, code page or font.\n"
     "                      Default: the pieces of --encoding (with sjis, ascii\n"
     "                      only changes the pieces). Example: arbolin --pieces ascii\n"},
    {kOptFileLimit, 0, "filelimit", kArgRequired, "N", "file limit", {}, kNotWithCompat, false,
     "a subfolder with more than N entries is listed, not opened",
     "  --filelimit N       a subfolder with more than N entries is listed with its\n"
     "                      count, \"[ name ] (50000 entries)\", and not opened\n"
     "                      (entries counted after -I and -P; FOLDER itself is\n"
     "                      always listed). Example: arbolin --filelimit 500\n"},
    {kOptNatural, 0, "natural", kArgNone, "", "", {}, kNotWithCompat, false,
     "numbers inside names compare by value: file2 before file10",
     "  --natural           numbers inside names compare by value: file2 before\n"
     "                      file10 (ICU numeric collation; in the C locales runs of\n"
     "                      digits by value, the rest by bytes).\n"
     "                      Example: arbolin --natural\n"},
    {kOptFormat, 0, "format", kArgRequired, "", "format", kFormatWords, kNotWithCompat, false,
     "text (default): the tree or outline",
     "  --format text|json|markdown|html  text (default): the tree or outline;\n"
     "                      json: one document, streamed, each entry\n"
     "                      {\"name\", \"type\": folder|file|link, \"children\"}; a name\n"
     "                      that is not valid UTF-8 has U+FFFD there and its exact\n"
     "                      bytes in \"bytes\" (hex); \"entries\" marks a folder over\n"
     "                      --filelimit, \"recursive\" a link -l did not follow;\n"
     "                      -D adds \"mtime\" (ISO 8601, years past 9999 as\n"
     "                      +10000) and \"mtimeSeconds\"; --summary adds \"summary\"\n"
     "                      to the root.\n"
     "                      markdown: a nested list, two spaces a level, folders\n"
     "                      ending in '/', special characters escaped. All UTF-8\n"
     "                      only. Example: arbolin --format json -I .git > tree.json\n"
     "  --format html       one self-contained page (UTF-8, inline CSS, no script):\n"
     "                      folders fold (<details open>), every name a link and\n"
     "                      escaped as text, fields and marks as in the tree.\n"
     "                      Links are relative to FOLDER, right when the page is\n"
     "                      saved in FOLDER, unless --base-href.\n"
     "                      Example: arbolin --format html -o index.html .\n"},
    {kOptTitle, 0, "title", kArgRequired, "TEXT", "", {}, kFineEverywhere, false,
     "the page's title (default: the root's name)",
     "  --title TEXT        the page's title (default: the root's name)\n"},
    {kOptBaseHref, 0, "base-href", kArgRequired, "URL", "", {}, kFineEverywhere, false,
     "links to URL/path/of/entry instead (each component percent-encoded)",
     "  --base-href URL     links to URL/path/of/entry instead (each component\n"
     "                      percent-encoded)\n"},
    {kOptFromFile, 0, "fromfile", kArgNone, "FILE", "", {}, kFineEverywhere, false,
     "list the paths in FILE, one a line (LF or CRLF), instead of a folder",
     "  --fromfile [FILE]   list the paths in FILE, one a line (LF or CRLF), instead\n"
     "                      of a folder; FILE '-' or none: standard input, and the\n"
     "                      root line shows '.'. Each component is a folder, the\n"
     "                      last one a file unless the path ends in '/' or another\n"
     "                      path goes on below it; empty lines, './', '//' and '.'\n"
     "                      are ignored; absolute paths go under a '/' folder; '..'\n"
     "                      is a plain name. A line in git's quoted form (\"...\"\n"
     "                      holding git's escapes only, as git ls-files quotes\n"
     "                      names) is the path git means; with -0 lines are taken\n"
     "                      as they are. Nothing on disk is read. A path listed\n"
     "                      again is one entry (a folder wins), reported with its\n"
     "                      line number (the first 20, then a count), exit 1.\n"
     "                      Every view, filter and format works; --gitignore and\n"
     "                      --compat do not.\n"
     "                      Example: git ls-files -z | arbolin --fromfile -0\n"},
    {kOptNul, '0', "null", kArgNone, "", "", {}, kFineEverywhere, false,
     "--fromfile reads and --parse writes NUL-separated paths",
     "  -0, --null          --fromfile reads and --parse writes NUL-separated paths\n"},
    {kOptParse, 0, "parse", kArgNone, "FILE", "", {}, kFineEverywhere, false,
     "read a pasted listing",
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
     "                      arbolin --fromfile -0  (prints T's listing again)\n"},
    {kOptSummary, 0, "summary", kArgNone, "", "", {}, kNotWithCompat, false,
     "a last line \"N folders, M files\", and what patterns, --prune and",
     "  --summary           a last line \"N folders, M files\", and what patterns,\n"
     "                      --prune and --filelimit left out. Example:\n"
     "                      arbolin --summary -I .git  ->  ...  12 folders, 80 files;\n"
     "                      left out: 1 by patterns\n"},
    {kOptSize, 's', "size", kArgNone, "", "", {}, kNotWithCompat | kNotWithList, false,
     "each entry's size in bytes before its name",
     "  -s, --size          each entry's size in bytes before its name (a folder's\n"
     "                      own size, as ls -l shows it), right-aligned\n"},
    {kOptHuman, 0, "human", kArgNone, "", "", {}, kNotWithCompat | kNotWithList, false,
     "sizes in 1,024-based units as ls -lh rounds them: 1.1K, 10K, 1.0M",
     "  --human             sizes in 1,024-based units as ls -lh rounds them: 1.1K,\n"
     "                      10K, 1.0M (implies -s)\n"},
    {kOptSi, 0, "si", kArgNone, "", "", {}, kNotWithCompat | kNotWithList, false,
     "the same in powers of 1,000: k, M, G (implies -s)",
     "  --si                the same in powers of 1,000: k, M, G (implies -s)\n"},
    {kOptDu, 0, "du", kArgNone, "", "", {}, kNotWithCompat | kNotWithList, false,
     "a folder's size is the sum of the sizes of the files in its subtree",
     "  --du                a folder's size is the sum of the sizes of the files in\n"
     "                      its whole subtree, whatever -L, --no-subfolders or\n"
     "                      --no-file-names show (-I, -P and --gitignore still\n"
     "                      leave files out), a file with several hard links\n"
     "                      counted once, in the first folder holding it in name\n"
     "                      order (implies -s); --summary adds the total\n"},
    {kOptDate, 'D', "date", kArgNone, "", "", {}, kNotWithCompat | kNotWithList, false,
     "last modification time, local time: 2026-05-01 10:00",
     "  -D, --date          last modification time, local time: 2026-05-01 10:00;\n"
     "                      '?' where the time zone's calendar cannot reach it\n"
     "                      (reported, exit 1)\n"},
    {kOptTimeFormat, 0, "timefmt", kArgRequired, "FORMAT", "", {}, kNotWithCompat | kNotWithFromFile, false,
     "the date in strftime's FORMAT (implies -D)",
     "  --timefmt FORMAT    the date in strftime's FORMAT (implies -D); with --parse,\n"
     "                      the form the listing's dates are read in.\n"
     "                      Example: arbolin -D --timefmt '%d.%m.%Y'\n"},
    {kOptPerms, 'p', "perms", kArgNone, "", "", {}, kNotWithCompat | kNotWithList, false,
     "modes as ls -l writes them: drwxr-xr-x",
     "  -p, --perms         modes as ls -l writes them: drwxr-xr-x\n"},
    {kOptClassify, 'F', "classify", kArgNone, "", "", {}, kNotWithCompat | kNotWithList, false,
     "marks after file names: * executable, | FIFO, = socket, @ link",
     "  -F, --classify      marks after file names: * executable, | FIFO,\n"
     "                      = socket, @ link followed by \" -> target\"\n"},
    {kOptSort, 0, "sort", kArgRequired, "", "sort order", kSortWords, kNotWithCompat, false,
     "the order within folders and within files",
     "  --sort name|version|size|mtime|none  the order within folders and within\n"
     "                      files (each keeps its block): name (default); version,\n"
     "                      as --natural; size, largest first (folders by name\n"
     "                      unless --du); mtime, newest first; none, the file\n"
     "                      system's order. Ties in name order.\n"
     "                      Example: arbolin --du --sort size\n"},
    {kOptReverse, 'r', "reverse", kArgNone, "", "", {}, kNotWithCompat, false,
     "the order backwards",
     "  -r, --reverse       the order backwards\n"},
    {kOptNewestFirst, 't', "", kArgNone, "", "", {}, kNotWithCompat | kNotWithList, false,
     "--sort mtime",
     "  -t                  --sort mtime\n"},
    {kOptVersionSort, 'v', "", kArgNone, "", "", {}, kNotWithCompat, false,
     "--sort version",
     "  -v                  --sort version\n"},
    {kOptColor, 0, "color", kArgAttached, "WHEN", "colour choice", kColorWords, kNotWithCompat | kNotWithList, false,
     "colour names as ls does, from LS_COLORS",
     "  --color[=WHEN]      colour names as ls does, from LS_COLORS: WHEN auto (the\n"
     "                      default: only on a terminal, not with NO_COLOR or\n"
     "                      TERM=dumb), always (also --color alone) or never. -o FILE\n"
     "                      gets colour only with always; JSON and Markdown never.\n",
     "always"},
    {kOptFollow, 'l', "follow", kArgNone, "", "", {}, kNotWithCompat | kNotWithList, false,
     "enter symbolic links to folders",
     "  -l, --follow        enter symbolic links to folders; a link to a folder the\n"
     "                      listing entered before (in its own order, loops\n"
     "                      included) is listed, marked \"[recursive, not\n"
     "                      followed]\", and not entered\n"},
    {kOptOneFileSystem, 'x', "one-file-system", kArgNone, "", "", {}, kNotWithCompat | kNotWithList, false,
     "folders on another file system than FOLDER's are listed, not entered",
     "  -x, --one-file-system  folders on another file system than FOLDER's are\n"
     "                      listed, not entered\n"},
    {kOptHelp, 'h', "help", kArgNone, "", "", {}, kFineEverywhere, false,
     "show this help and exit (-h is not --human)",
     "  -h, --help          show this help and exit (-h is not --human)\n"},
    {kOptVersion, 0, "version", kArgNone, "", "", {}, kFineEverywhere, false,
     "show the version and exit",
     "  --version           show the version and exit\n"},
};

}  // namespace

std::span<const OptionRow> OptionTable() { return kRows; }

const OptionRow* FindLongOption(std::string_view name) {
    for (const OptionRow& row : kRows)
        if (!row.longName.empty() && row.longName == name) return &row;
    return nullptr;
}

const OptionRow* FindShortOption(char name) {
    for (const OptionRow& row : kRows)
        if (row.shortName != 0 && row.shortName == name) return &row;
    return nullptr;
}

const ValueWord* FindWord(const OptionRow& row, std::string_view text) {
    for (const ValueWord& word : row.words)
        if (word.word == text) return &word;
    return nullptr;
}

const ValueWord* FindWordOf(const OptionRow& row, int value) {
    for (const ValueWord& word : row.words)
        if (word.value == value) return &word;
    return nullptr;
}

std::string ShownName(const OptionRow& row) {
    return row.longName.empty() ? std::string{'-', row.shortName} : "--" + std::string(row.longName);
}
