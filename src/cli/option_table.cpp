// The rows of `arbolin`'s option table (cli/option_table.h), in the order --help lists them, with the words
// their values may be. No platform code.
#include "cli/option_table.h"

#include "cli/options.h"

namespace {

// Why arbolin.exe refuses an option: what Windows lacks for it.
constexpr std::string_view kWindowsNoLibgit2 =
    "arbolin.exe is built without libgit2, which git's ignore rules are read with: leave entries out with -I";
constexpr std::string_view kWindowsNoOwners =
    "Windows files belong to security identifiers (SIDs), not to numbered users and groups";
constexpr std::string_view kWindowsNoChangeTime =
    "Windows' folder reads give the times of creation, last access and last write, not of the last status "
    "change";

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
    {"ctime", CliOptions::kSortCtime, kNotWithList, kWindowsNoChangeTime},
    {"none", CliOptions::kSortNone},
};
// As GNU ls takes them.
constexpr ValueWord kColorWords[] = {
    {"always", CliOptions::kColorAlways}, {"yes", CliOptions::kColorAlways}, {"force", CliOptions::kColorAlways},
    {"never", CliOptions::kColorNever},   {"no", CliOptions::kColorNever},   {"none", CliOptions::kColorNever},
    {"auto", CliOptions::kColorAuto},     {"tty", CliOptions::kColorAuto},   {"if-tty", CliOptions::kColorAuto},
};
// tree's --charset: the character sets whose pieces arbolin draws (the value is read in lower case).
constexpr ValueWord kCharsetWords[] = {
    {"utf-8", kPiecesUtf8},
    {"utf8", kPiecesUtf8},
    {"ascii", kPiecesAscii},
    {"us-ascii", kPiecesAscii},
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
    {kOptNoFileNames, 'd', "no-file-names", kArgNone, "", "", {}, kFineEverywhere, false,
     "folders only",
     "  -d, --no-file-names  folders only\n"},
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
     "                      Example: arbolin --gitignore --summary\n",
     {}, {}, kWindowsNoLibgit2,
     "  --gitignore         refused on Windows: arbolin.exe is built without\n"
     "                      libgit2, which git's ignore rules are read with\n"},
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
     "                      Example: arbolin --natural\n",
     {}, {}, {},
     "  --natural           numbers inside names compare by value: file2 before\n"
     "                      file10 (Windows' collation, digits as numbers).\n"
     "                      Example: arbolin --natural\n"},
    {kOptFormat, 0, "format", kArgRequired, "", "format", kFormatWords, kNotWithCompat, false,
     "text (default): the tree or outline",
     "  --format text|json|markdown|html  text (default): the tree or outline;\n"
     "                      json: one document, streamed, each entry\n"
     "                      {\"name\", \"type\", \"children\"}, types as tree -J names\n"
     "                      them (folder|file|link|fifo|socket|block|char); a name\n"
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
    {kOptTitle, 'T', "title", kArgRequired, "TEXT", "", {}, kFineEverywhere, false,
     "the page's title (default: the root's name)",
     "  -T, --title TEXT    the page's title (default: the root's name)\n"},
    {kOptBaseHref, 0, "base-href", kArgRequired, "URL", "", {}, kFineEverywhere, false,
     "links to URL/path/of/entry instead (each component percent-encoded)",
     "  --base-href URL     links to URL/path/of/entry instead (each component\n"
     "                      percent-encoded)\n"},
    {kOptFromFile, 0, "fromfile", kArgNone, "FILE", "", {}, kFineEverywhere, false,
     "list the paths in FILE, one a line (LF or CRLF), instead of a folder",
     "  --fromfile [FILE]   list the paths in FILE, one a line (LF or CRLF), instead\n"
     "                      of a folder; FILE '-', '.' or none: standard input, and\n"
     "                      the root line shows '.'; several FILEs: one listing\n"
     "                      each, one after another (text views). Each component\n"
     "                      is a folder, the last one a file unless the path ends\n"
     "                      in '/' or another path goes on below it; empty lines,\n"
     "                      './', '//' and '.' are ignored; absolute paths go under\n"
     "                      a '/' folder; '..' is a plain name. A line in git's\n"
     "                      quoted form (\"...\" holding git's escapes only, as git\n"
     "                      ls-files quotes names) is the path git means; with -0\n"
     "                      lines are taken as they are. Nothing on disk is read.\n"
     "                      A path listed again is one entry (a folder wins),\n"
     "                      reported with its line number (the first 20, then a\n"
     "                      count), exit 1. Every view, filter and format works;\n"
     "                      --gitignore and --compat do not. With --fflinks,\n"
     "                      \"path -> target\" names the link \"path\".\n"
     "                      Example: git ls-files -z | arbolin --fromfile -0\n"},
    {kOptNul, '0', "null", kArgNone, "", "", {}, kFineEverywhere, false,
     "--fromfile reads and --parse writes NUL-separated paths",
     "  -0, --null          --fromfile reads and --parse writes NUL-separated paths\n"},
    {kOptParse, 0, "parse", kArgNone, "FILE", "", {}, kFineEverywhere, false,
     "read a pasted listing",
     "  --parse [FILE]      read a pasted listing (FILE as for --fromfile) and print\n"
     "                      its paths relative to its root line, one a line, folders\n"
     "                      ending in '/', in the listing's order (--format json: the\n"
     "                      JSON tree, links with \"type\": \"link\" and their target).\n"
     "                      Read: arbolin's tree and indented views (both piece sets,\n"
     "                      utf8 and sjis, told by the bytes or --encoding), tree's\n"
     "                      output (default, --charset ascii, -F, -a, -s, -h, -D, -p),\n"
     "                      Windows tree /f and /a, any piece drawn by hand (├ └ │ |\n"
     "                      + \\ ` ┣ ┗ ┃ ｜ with ─ ━ - runs, \"- \"), any indent width or\n"
     "                      tabs, plain indented outlines, with or without a root.\n"
     "                      Lines nest by the column of their piece (of their name in\n"
     "                      outlines). Skipped without a word: shell prompts and the\n"
     "                      command above the listing, Markdown fences and headings,\n"
     "                      Windows tree's header lines, a quoting prefix (\"> \"),\n"
     "                      a byte-order mark, tree's summary line, \"...\" lines,\n"
     "                      blank and spacer lines. In listings written by hand, a\n"
     "                      comment after a name (blanks, then #, //, <-, <--, ←, →,\n"
     "                      ※, --, \" : \" or a `remark`), trailing blanks, a '/' or\n"
     "                      '*' '@' mark, a size note \"(12b)\" and \"-> target\" come\n"
     "                      off. tree's and arbolin's listings are read by their own\n"
     "                      rules: nothing after the piece is a comment, fields and\n"
     "                      marks come off by their width and type, and only\n"
     "                      arbolin's escapes (\\n, \\x1b, \\u202e, \\\\) become bytes.\n"
     "                      Guesses: a cut after one blank before --, \" : \" or a\n"
     "                      `remark` used once is reported; \"[ name ]\" is a folder;\n"
     "                      in tree's output an empty folder reads as a file unless\n"
     "                      -F or -p marked it; a name's last '|' or '=' stays unless\n"
     "                      a mode field says FIFO or socket. Metadata fields (-p, -s,\n"
     "                      --human, --si, --du, -D, '?') are taken off by their width;\n"
     "                      dates are read as 2026-05-01 10:00 or in --timefmt's form.\n"
     "                      Reported with line numbers (exit 1; the rest is printed):\n"
     "                      a line that fits nowhere, a drawing style not read (once),\n"
     "                      a guessed cut, a path listed twice, a name as wide as a\n"
     "                      shortened one; more than 20 messages are counted.\n"
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
    {kOptHuman, 'h', "human", kArgNone, "", "", {}, kNotWithCompat | kNotWithList, false,
     "sizes in 1,024-based units as ls -lh rounds them: 1.1K, 10K, 1.0M",
     "  -h, --human         sizes in 1,024-based units as ls -lh rounds them: 1.1K,\n"
     "                      10K, 1.0M (implies -s; the last of -h and --si counts)\n"},
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
     "  -p, --perms         modes as ls -l writes them: drwxr-xr-x\n",
     {}, {}, {},
     "  -p, --perms         attributes as PowerShell's Mode column shows them,\n"
     "                      darhsl: d folder, a archive, r read-only, h hidden,\n"
     "                      s system, l reparse point; '-' where not set\n"},
    {kOptClassify, 'F', "classify", kArgNone, "", "", {}, kNotWithCompat | kNotWithList, false,
     "marks after file names: * executable, | FIFO, = socket, @ link",
     "  -F, --classify      marks after file names: * executable, | FIFO,\n"
     "                      = socket, @ link followed by \" -> target\"\n"},
    {kOptSort, 0, "sort", kArgRequired, "", "sort order", kSortWords, kNotWithCompat, false,
     "the order within folders and within files",
     "  --sort name|version|size|mtime|ctime|none  the order within folders and\n"
     "                      within files (each keeps its block): name (default);\n"
     "                      version, as --natural; size, largest first (folders by\n"
     "                      name unless --du); mtime, newest first; ctime, the last\n"
     "                      status change, newest first; none, the file system's\n"
     "                      order. Ties in name order.\n"
     "                      Example: arbolin --du --sort size\n",
     {}, {}, {},
     "  --sort name|version|size|mtime|none  the order within folders and within\n"
     "                      files (each keeps its block): name (default); version,\n"
     "                      as --natural; size, largest first (folders by name\n"
     "                      unless --du); mtime, newest first; none, the file\n"
     "                      system's order (ctime is refused on Windows: no status\n"
     "                      change time). Ties in name order.\n"
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
    {kOptColor, 0, "color", kArgAttached, "WHEN", "colour choice", kColorWords, kFineEverywhere, false,
     "colour names as ls does, from LS_COLORS",
     "  --color[=WHEN]      colour names as ls does, from LS_COLORS: WHEN auto (the\n"
     "                      default: only on a terminal, not with NO_COLOR or\n"
     "                      TERM=dumb; also tty, if-tty), always (also --color\n"
     "                      alone, yes, force) or never (no, none); the last one\n"
     "                      given counts. -o FILE gets colour only with always.\n"
     "                      Accepted everywhere; --compat, JSON, Markdown, HTML,\n"
     "                      --fromfile and --parse colour nothing. Without\n"
     "                      LS_COLORS, only where ls would colour: a TERM it knows,\n"
     "                      or COLORTERM set.\n",
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
     "                      listed, not entered\n",
     {}, {},
     "a volume mounted in a folder is a reparse point there, listed and entered only with -l, and Windows' "
     "folder reads do not say which volume an entry is on",
     "  -x, --one-file-system  refused on Windows: a volume mounted in a folder is\n"
     "                      a reparse point, listed and entered only with -l\n"},
    // tree's options. The ones that mean what an option above means are its letters (-d, -h, -T); these
    // are the rest: taken with tree's meaning, or refused with the reason.
    {kOptAll, 'a', "", kArgNone, "", "", {}, kFineEverywhere, false,
     "accepted, no effect: hidden entries are always listed",
     "  -a                  accepted, no effect: hidden entries are always listed\n"},
    {kOptNoReport, 0, "noreport", kArgNone, "", "", {}, kFineEverywhere, false,
     "accepted, no effect: the count is printed only with --summary",
     "  --noreport          accepted, no effect: the count is printed only with\n"
     "                      --summary\n"},
    {kOptFullPath, 'f', "full-path", kArgNone, "", "", {}, kNotWithCompat, false,
     "each entry's path from FOLDER instead of its name (text views)",
     "  -f, --full-path     each entry's path from FOLDER instead of its name, as\n"
     "                      tree -f: \"[ src/cli ]\", \"src/cli/run.cpp\" (text views)\n"},
    {kOptNoPieces, 'i', "no-pieces", kArgNone, "", "", {}, kNotWithCompat, false,
     "no pieces and no indentation: one entry a line, as tree -i",
     "  -i, --no-pieces     no pieces and no indentation: one entry a line, as\n"
     "                      tree -i (with -f: a list of paths)\n"},
    {kOptHideControl, 'q', "hide-control-chars", kArgNone, "", "", {}, kNotWithCompat, false,
     "'?' for each character that would be escaped (text views, UTF-8)",
     "  -q, --hide-control-chars  '?' for each character that would be escaped\n"
     "                      (control characters, invalid bytes, U+2028, the\n"
     "                      bidirectional controls); a backslash is written as it is\n"
     "                      (text views, UTF-8)\n"},
    {kOptQuoteName, 'Q', "quote-name", kArgNone, "", "", {}, kNotWithCompat, false,
     "names in double quotes, '\"' inside them as \\\" (text views, UTF-8)",
     "  -Q, --quote-name    names in double quotes, '\"' inside them as \\\" and the\n"
     "                      rest escaped as always (text views, UTF-8)\n"},
    {kOptUnsorted, 'U', "", kArgNone, "", "", {}, kNotWithCompat, false,
     "--sort none",
     "  -U                  --sort none (folders still before files)\n"},
    {kOptDirsFirst, 0, "dirsfirst", kArgNone, "", "", {}, kFineEverywhere, false,
     "a folder's subfolders before its files (the default)",
     "  --dirsfirst         a folder's subfolders before its files (the default;\n"
     "                      the last of --dirsfirst and --filesfirst counts)\n"},
    {kOptFilesFirst, 0, "filesfirst", kArgNone, "", "", {}, kNotWithCompat, false,
     "--files-first",
     "  --filesfirst        --files-first\n"},
    {kOptColorAlways, 'C', "", kArgNone, "", "", {}, kFineEverywhere, false,
     "--color=always",
     "  -C                  --color=always\n"},
    {kOptColorNever, 'n', "", kArgNone, "", "", {}, kFineEverywhere, false,
     "--color=never",
     "  -n                  --color=never\n"},
    {kOptPieces, 0, "charset", kArgRequired, "", "character set", kCharsetWords, kNotWithCompat, false,
     "--pieces ascii for ascii and us-ascii, --pieces utf8 for utf-8",
     "  --charset utf-8|utf8|ascii|us-ascii  --pieces utf8 for utf-8, --pieces\n"
     "                      ascii for ascii and us-ascii (any letter case); other\n"
     "                      character sets are refused\n"},
    {kOptHtmlBase, 'H', "", kArgRequired, "URL", "", {}, kNotWithCompat, false,
     "--format html --base-href URL",
     "  -H URL              --format html --base-href URL (-H . for links relative\n"
     "                      to the page)\n"},
    {kOptNoLinks, 0, "nolinks", kArgNone, "", "", {}, kFineEverywhere, false,
     "--format html: names without links",
     "  --nolinks           --format html: names without links\n"},
    {kOptHtmlIntro, 0, "hintro", kArgRequired, "FILE", "", {}, kFineEverywhere, false,
     "--format html: FILE's text instead of the page's start",
     "  --hintro FILE       --format html: FILE's text instead of the page's start\n"
     "                      (up to and including the <h1> line)\n"},
    {kOptHtmlOutro, 0, "houtro", kArgRequired, "FILE", "", {}, kFineEverywhere, false,
     "--format html: FILE's text instead of the page's end",
     "  --houtro FILE       --format html: FILE's text instead of the page's end\n"
     "                      (</body></html>)\n"},
    {kOptIgnoreCase, 0, "ignore-case", kArgNone, "", "", {}, kFineEverywhere, false,
     "-I and -P patterns match names whatever their letter case",
     "  --ignore-case       -I and -P patterns match names whatever their letter\n"
     "                      case\n"},
    {kOptMatchDirs, 0, "matchdirs", kArgNone, "", "", {}, kFineEverywhere, false,
     "-P also matches folder names: a matching folder's files all stay",
     "  --matchdirs         -P also matches folder names: all of a matching\n"
     "                      folder's files are listed, at any depth below it\n"},
    {kOptGitFile, 0, "gitfile", kArgRequired, "FILE", "", {}, kNotWithCompat | kNeedsFolder, true,
     "leave out what FILE's ignore rules match, as a .gitignore in FOLDER",
     "  --gitfile FILE      leave out what the ignore rules in FILE (gitignore's\n"
     "                      form) match, as if FILE were a .gitignore in FOLDER;\n"
     "                      inside a repository or outside. Repeatable.\n",
     {}, {}, kWindowsNoLibgit2,
     "  --gitfile FILE      refused on Windows: arbolin.exe is built without\n"
     "                      libgit2, which git's ignore rules are read with\n"},
    {kOptFollowListLinks, 0, "fflinks", kArgNone, "", "", {}, kFineEverywhere, false,
     "--fromfile: \"path -> target\" lines are links",
     "  --fflinks           --fromfile: a line \"path -> target\" names the link\n"
     "                      \"path\", listed without its target\n"},
    {kOptRefused, 'N', "", kArgNone, "", "", {}, kFineEverywhere, false,
     "refused: control characters are never written raw",
     "  -N                  refused: control characters are never written raw (they\n"
     "                      could forge lines or move the cursor); names are\n"
     "                      escaped, or use -q\n",
     {}, "arbolin never writes control characters raw (they could forge lines or move the cursor): "
         "names are escaped by default, or use -q for '?'"},
    {kOptRefused, 'R', "", kArgNone, "", "", {}, kFineEverywhere, false,
     "refused: arbolin never writes files in the listed folders",
     "  -R                  refused: arbolin writes only its output, never files in\n"
     "                      the listed folders; run it again on a subfolder\n",
     {}, "arbolin writes only its output, never files in the listed folders: run it on the subfolder "
         "with -L instead"},
    {kOptRefused, 'A', "", kArgNone, "", "", {}, kFineEverywhere, false,
     "refused: use --charset utf-8 or ascii",
     "  -A                  refused: the terminal's line-drawing mode needs escape\n"
     "                      sequences in the text; use --charset utf-8 or ascii\n",
     {}, "the terminal's line-drawing mode needs escape sequences in the text: use --charset utf-8 or "
         "--charset ascii"},
    {kOptRefused, 'S', "", kArgNone, "", "", {}, kFineEverywhere, false,
     "refused: use --charset ascii, or --encoding sjis",
     "  -S                  refused: code page 437 is no encoding arbolin writes; use\n"
     "                      --charset ascii, or --encoding sjis for code page 932\n",
     {}, "code page 437 is no encoding arbolin writes: use --charset ascii, or --encoding sjis for code "
         "page 932"},
    {kOptRefused, 0, "info", kArgNone, "", "", {}, kFineEverywhere, false,
     "refused: .info files are not read",
     "  --info              refused: .info files are not read (their comments would\n"
     "                      be lines no reader of the listing can tell from entries)\n",
     {}, ".info files are not read: their comments would be lines no reader of the listing can tell from "
         "entries; -I and --gitfile leave entries out"},
    {kOptRefused, 0, "infofile", kArgRequired, "FILE", "", {}, kFineEverywhere, false,
     "refused: .info files are not read",
     "  --infofile FILE     refused, as --info\n",
     {}, ".info files are not read: their comments would be lines no reader of the listing can tell from "
         "entries; -I and --gitfile leave entries out"},
    {kOptOwner, 'u', "", kArgNone, "", "", {}, kNotWithCompat | kNotWithList, false,
     "each entry's owner: the user's name, or its number where it has none",
     "  -u                  each entry's owner: the user's name, or its number where\n"
     "                      it has none\n",
     {}, {}, kWindowsNoOwners,
     "  -u                  refused on Windows: files belong to security\n"
     "                      identifiers there, not to numbered users\n"},
    {kOptGroup, 'g', "", kArgNone, "", "", {}, kNotWithCompat | kNotWithList, false,
     "each entry's group: its name, or its number where it has none",
     "  -g                  each entry's group: its name, or its number where it has\n"
     "                      none\n",
     {}, {}, kWindowsNoOwners,
     "  -g                  refused on Windows: files belong to security\n"
     "                      identifiers there, not to numbered groups\n"},
    {kOptChangeTime, 'c', "", kArgNone, "", "", {}, kNotWithCompat | kNotWithList, false,
     "--sort ctime, and -D shows the last status change",
     "  -c                  --sort ctime, and -D shows the last status change instead\n"
     "                      of the last modification\n",
     {}, {}, kWindowsNoChangeTime,
     "  -c                  refused on Windows: its folder reads give no time of the\n"
     "                      last status change\n"},
    {kOptInodes, 0, "inodes", kArgNone, "", "", {}, kNotWithCompat | kNotWithList, false,
     "each entry's inode number",
     "  --inodes            each entry's inode number\n",
     {}, {}, "Windows has no inode numbers (its file IDs take a call per entry, which arbolin.exe never makes)",
     "  --inodes            refused on Windows: it has no inode numbers\n"},
    {kOptDevice, 0, "device", kArgNone, "", "", {}, kNotWithCompat | kNotWithList, false,
     "the device number of each entry's file system, as stat -c %d prints it",
     "  --device            the device number of each entry's file system, as\n"
     "                      stat -c %d prints it\n",
     {}, {}, "Windows numbers no devices: a volume is a drive letter or a folder it is mounted in",
     "  --device            refused on Windows: it numbers no devices\n"},
    {kOptMetaFirst, 0, "metafirst", kArgNone, "", "", {}, kNotWithCompat, false,
     "the fields start the line, before the pieces",
     "  --metafirst         the fields (-p, -s, -D, -u, -g, --inodes, --device) start\n"
     "                      the line, before the pieces\n"},
    {kOptTreeJson, 'J', "", kArgNone, "", "", {}, kNotWithCompat, false,
     "tree's JSON: {\"type\":\"directory\",\"contents\"} and a report object",
     "  -J                  tree's JSON: [{\"type\":\"directory\",\"name\":...,\n"
     "                      \"contents\":[...]}, {\"type\":\"report\",...}], the fields\n"
     "                      under tree's names (docs/json.md); arbolin's entries and\n"
     "                      order (hidden entries listed, folders first)\n"},
    {kOptTreeXml, 'X', "", kArgNone, "", "", {}, kNotWithCompat, false,
     "tree's XML: <tree><directory name=...>...</directory><report>",
     "  -X                  tree's XML: <tree><directory name=...> ... <report>, the\n"
     "                      fields as tree's attributes (docs/json.md)\n"},
    {kOptHelp, 0, "help", kArgNone, "", "", {}, kFineEverywhere, false,
     "show this help and exit",
     "  --help              show this help and exit (-h is --human)\n"},
    {kOptVersion, 0, "version", kArgNone, "", "", {}, kFineEverywhere, false,
     "show the version and exit",
     "  --version           show the version and exit\n"},
};

}  // namespace

std::span<const OptionRow> OptionTable() { return kRows; }

const OptionRow* FindLongOption(std::string_view name, std::string& candidates) {
    candidates.clear();
    if (name.empty()) return nullptr;
    const OptionRow* found = nullptr;
    bool ambiguous = false;
    for (const OptionRow& row : kRows) {
        if (row.longName.empty() || !row.longName.starts_with(name)) continue;
        if (row.longName == name) return &row;
        candidates += (candidates.empty() ? "--" : ", --") + std::string(row.longName);
        // Two names of one option (--filesfirst, --files-first) are not a choice to make.
        if (found != nullptr && (found->id != row.id || found->argument != row.argument || row.id == kOptRefused))
            ambiguous = true;
        if (found == nullptr) found = &row;
    }
    if (ambiguous) return nullptr;
    candidates.clear();
    return found;
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

std::string PlatformRefusal(const OptionRow& row, const ValueWord* word, bool windows) {
    if (!windows) return {};
    // Both names where there are two, whichever was typed: "-x (--one-file-system)".
    std::string named = ShownName(row);
    if (row.shortName != 0 && !row.longName.empty()) named = std::string{'-', row.shortName} + " (" + named + ")";
    if (!row.notOnWindows.empty()) return named + " is not taken on Windows: " + std::string(row.notOnWindows);
    if (word != nullptr && !word->notOnWindows.empty())
        return named + " " + std::string(word->word) + " is not taken on Windows: " + std::string(word->notOnWindows);
    return {};
}
