// The text of `arbolin --help`: its opening lines, every option's paragraph from the option table, and what
// follows them; and the text of --version. No platform code.
#include "cli/option_table.h"
#include "cli/options.h"

namespace {

const char kHelpOpening[] =
    "Usage: arbolin [options] [FOLDER]\n"
    "       arbolin --fromfile [options] [FILE...]\n"
    "       arbolin --parse [-0] [--format json] [--encoding sjis] [--timefmt FORMAT]\n"
    "                       [FILE]\n"
    "Lists the folders and files under FOLDER (default: the current folder) as a\n"
    "tree, or as an indented outline. The first line shows FOLDER as given.\n"
    "Short options bundle (-rt, -sDp, -L2); a long one may be shortened to any\n"
    "start that names only it (--hum); the last of two that set one thing counts.\n"
    "\n";

// How names are ordered, on Linux and in arbolin.exe.
const char kHelpOrder[] =
    "\n"
    "In each folder, its subfolders (each followed by its contents) come before its\n"
    "files; both are sorted by name with the collation of the locale (LC_ALL, else\n"
    "LC_COLLATE, else LANG): folders ignoring letter case, files with lower case\n"
    "first. Where that locale is C, POSIX or C.UTF-8 (or none is set), names are\n"
    "in byte order, as ls sorts there: folders as strcasecmp compares them (ASCII\n"
    "letters folded, ties by bytes), files by bytes (upper case first).\n";
const char kHelpOrderWindows[] =
    "\n"
    "In each folder, its subfolders (each followed by its contents) come before its\n"
    "files; both are sorted by name in Windows' collation for the user's locale:\n"
    "folders ignoring letter case, files with lower case first; names that collate\n"
    "alike by their bytes. Junctions, symbolic links and mount points are listed\n"
    "as links. An option marked \"refused on Windows\" above gives no listing: one\n"
    "message says why, exit status 2.\n";

// --compat: where the two systems cannot agree (Linux), and what it does on Windows.
const char kHelpCompatDiffers[] =
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
    "    Windows program treats junctions and other reparse points).\n";
const char kHelpCompatWindows[] =
    "6, or none) and no --encoding utf8. Names are converted to code page 932 as\n"
    "the Windows program gets them from Windows (characters it lacks as '?' or\n"
    "their closest match) and ordered by its rules; where a name has characters\n"
    "outside code page 932 the Windows program cannot open its folder, while\n"
    "arbolin lists its contents.\n";

const char kHelpClosing[] =
    "Symbolic links are listed as files and not followed unless -l (--compat: see\n"
    "below). The fields of -p, -s and -D stand between the piece and the name, in\n"
    "that order, one space apart: \" ├  12K 2026-05-01 10:00 [ Docs ]\"; the options\n"
    "from -s on, but --color, cannot be combined with --compat.\n"
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
    "listing without files. It accepts the depths the Windows program offers (2 to\n";

const char kHelpEnd[] =
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

std::string WriteHelp(bool windows) {
    std::string text = kHelpOpening;
    for (const OptionRow& row : OptionTable()) text += windows && !row.windowsHelp.empty() ? row.windowsHelp : row.help;
    text += windows ? kHelpOrderWindows : kHelpOrder;
    text += kHelpClosing;
    text += windows ? kHelpCompatWindows : kHelpCompatDiffers;
    return text + kHelpEnd;
}

}  // namespace

const std::string& HelpText(bool windows) {
    static const std::string texts[2] = {WriteHelp(false), WriteHelp(true)};
    return texts[windows ? 1 : 0];
}

const char kVersionText[] = "arbolin " ARBOLIN_VERSION "\n";
