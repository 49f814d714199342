// The command line's pipeline: the engine over the folder seam (or --fromfile's list), a renderer into a
// text buffer, the text to standard output or -o FILE, and the exit status from what went wrong on the
// way. Every call into the system goes through platform/.
#include "cli/run.h"

#include <algorithm>
#include <string>
#include <unordered_map>
#include <unordered_set>

#include "cli/filters.h"
#include "cli/progress.h"
#include "formats/formats.h"
#include "formats/html.h"
#include "formats/walk.h"
#include "git/git.h"
#include "listing/listing.h"
#include "metadata/line_decor.h"
#include "metadata/metadata.h"
#include "platform/input_file.h"
#include "platform/messages.h"
#include "platform/output_file.h"
#include "platform/disk_source.h"
#include "platform/terminal.h"
#include "readers/path_list.h"
#include "render/render.h"

namespace {

// One run's state, from the options to the exit status. The scan reads through it: it sits between the
// engine and the seam, applies the filters, the file limit and the metadata options to each folder as it
// is read, counts for the progress line, and tells the root's failure (no listing, exit 2) from a
// subfolder's (listed, exit 1): the engine reports both through reportUnreadable (the seam prints the
// message); the root is the one whose path is FOLDER itself.
struct ListingRun {
    explicit ListingRun(const CliOptions& o) : options(o) {}
    ~ListingRun() {
        CloseGitIgnore(gitignore);
        CloseGitIgnore(gitfile);
        CloseDiskSource(source);
    }
    ListingRun(const ListingRun&) = delete;
    ListingRun& operator=(const ListingRun&) = delete;

    const CliOptions& options;
    DiskSource source;                        // names, keys and the folders on disk
    PathList pathList;                         // --fromfile: the list's tree stands in for the folder
    FolderSource inner{};                      // the seam the scan reads through this run
    std::string root;                          // the scan's root: FOLDER, or empty for --fromfile's list
    ListingTables tables;
    int32_t folderLast = 0;
    ProgressLine progress;
    int64_t folders = 0;
    int64_t files = 0;
    int64_t unreadableSubfolders = 0;
    EntryFilter filter;  // -I and -P, applied to every folder's entries as they are read
    // --filelimit: a subfolder with more entries is handed over empty. The scan records a folder's row
    // just before it reads it, so the last row is the folder being read; its note is keyed by the row's
    // name offset, which stays with the row through pruning and sorting.
    std::unordered_map<uint32_t, int64_t> overLimit;  // name offset -> entries not listed
    int64_t overLimitFolders = 0, overLimitEntries = 0;
    GitIgnore* gitignore = nullptr;            // --gitignore, open during the scan
    GitIgnore* gitfile = nullptr;              // --gitfile's rules, open during the scan
    std::string gitWarning;
    int64_t gitLeftOut = 0;
    std::unordered_set<std::string> links;     // --format json: LinkKey of each link read
    ColorTable colors;
    bool colour = false;
    MetaTable meta;
    bool looking = false;                      // the metadata options (or colour) look at each entry
    uint64_t totalSize = 0;                    // --du: the root's total
    std::string htmlIntro, htmlOutro;          // --hintro and --houtro's text
    Output* output = nullptr;                  // --fromfile with several files: the output they share
};

// ---- The seam's hooks, over the run.

// Cuts a subfolder's entries when they pass --filelimit.
void ApplyFileLimit(ListingRun& run, const std::string& path, EntryList& out, size_t before) {
    if (run.options.fileLimit == 0 || path == run.root) return;
    int64_t count = 0;
    for (size_t i = before; i < out.entries.size(); ++i) {
        std::string_view raw = out.Raw(out.entries[i]);
        if (raw != "." && raw != "..") ++count;
    }
    if (count <= run.options.fileLimit) return;
    out.entries.resize(before);
    ++run.overLimitFolders;
    run.overLimitEntries += count;
    if (run.tables.folders.size() > 1) run.overLimit[run.tables.folders.back().name] = count;
}

void CountEntries(ListingRun& run, const EntryList& out, size_t before) {
    for (size_t i = before; i < out.entries.size(); ++i) {
        const EntryList::Entry& e = out.entries[i];
        if (e.kind == kEntryFolder || e.kind == kEntryFolderLink) {
            std::string_view raw = out.Raw(e);
            if (raw != "." && raw != "..") ++run.folders;
        } else {
            ++run.files;
        }
    }
}

// --du reads folders the listing does not show (past -L, under --no-subfolders); the scan records a
// folder's row just before it reads it. What is left out in them is not counted in --summary.
bool BeyondShown(const ListingRun& run) {
    const ListOptions& shown = run.options.list;
    int32_t deepest = shown.subfolders ? shown.maxDepth : 1;
    return run.options.meta.du && run.tables.folders.size() > 1 && run.tables.folders.back().depth >= deepest;
}

int ReadFolder(void* context, const std::string& path, EntryList& out) {
    auto& run = *static_cast<ListingRun*>(context);
    size_t before = out.entries.size();
    if (run.options.meta.follow && !FollowInto(run.meta, path)) return 0;  // listed, not entered again
    int error = run.inner.readFolder(run.inner.context, path, out);
    if (error != 0) return error;
    if (run.gitignore != nullptr) FilterIgnored(run.gitignore, path, out, before);
    if (run.gitfile != nullptr) FilterIgnored(run.gitfile, path, out, before);
    bool beyond = BeyondShown(run);
    int64_t leftOut = run.filter.leftOut, overFolders = run.overLimitFolders, overEntries = run.overLimitEntries;
    FilterEntries(run.filter, path, out, before);
    ApplyFileLimit(run, path, out, before);
    if (beyond) {
        run.filter.leftOut = leftOut;
        run.overLimitFolders = overFolders;
        run.overLimitEntries = overEntries;
    }
    if (run.looking) StatEntries(run.meta, path, run.source.lastFolder, out, before);
    // -l judges links in the listing's order: the scan enters the folders in it.
    if (run.options.meta.follow && run.options.sort != CliOptions::kSortNone)
        OrderFolderEntries(run.meta, out, before, ChosenOrder(false, run.options.reverse));
    if (run.options.format == CliOptions::kFormatJson)  // JSON tells links from files
        for (size_t i = before; i < out.entries.size(); ++i)
            if (out.entries[i].kind == kEntryLink) run.links.insert(LinkKey(path, out.Raw(out.entries[i])));
    CountEntries(run, out, before);
    // Without a terminal there is no line to show, and no clock to read for every folder.
    if (run.progress.fd >= 0) UpdateProgress(run.progress, ProgressNow(), run.folders, run.files);
    return 0;
}

void ReportUnreadable(void* context, const std::string& path, int error) {
    auto& run = *static_cast<ListingRun*>(context);
    EraseProgress(run.progress);
    if (path != run.root) ++run.unreadableSubfolders;
    run.inner.reportUnreadable(run.inner.context, path, error);
}

void EraseProgressLine(void* context) { EraseProgress(static_cast<ListingRun*>(context)->progress); }

std::string ShownTarget(void* context, std::string_view raw) {
    // The source is open until the scan ends, and link targets are read during the scan.
    return ShownName(static_cast<ListingRun*>(context)->source, raw);
}

bool IsOverLimit(void* context, const FolderEntry& folder) {
    return static_cast<ListingRun*>(context)->overLimit.count(folder.name) != 0;
}

void OverLimitNote(void* context, TextBuffer& buffer, const FolderEntry& folder) {
    const auto& run = *static_cast<ListingRun*>(context);
    if (run.looking && NotFollowed(&run.meta, folder.meta))
        AppendBounded(buffer, kNotFollowedNote, kNotFollowedNote.size());
    auto found = run.overLimit.find(folder.name);
    if (found == run.overLimit.end()) return;
    std::string note = " " + EntriesNote(found->second);
    AppendBounded(buffer, note, note.size());
}

void FlushToOutput(void* context, std::string_view bytes) { WriteOutput(*static_cast<Output*>(context), bytes); }

void ReportTooMuchText(void*) {
    PrintMessage("too much data: the listing passes 65,280 bytes of text; it stops there");
}

// ---- The steps, in the order the run takes them. Each prints what went wrong as it happens and
// returns false where nothing can be listed.

// --hintro and --houtro: the files' text, read before the scan so that a missing one fails at once.
bool ReadHtmlParts(ListingRun& run, std::string& error) {
    for (auto [file, text] : {std::pair{&run.options.htmlIntro, &run.htmlIntro},
                              std::pair{&run.options.htmlOutro, &run.htmlOutro}}) {
        if (file->empty()) continue;
        int problem = ReadWholeInput(*file, *text);
        if (problem != 0) {
            error = "cannot read " + Quoted(*file) + ": " + Reason(problem);
            return false;
        }
    }
    return true;
}

// Names and collation for the locale, the output's destination checked before anything is read, and
// --fromfile's list read.
bool PrepareInputs(ListingRun& run) {
    const CliOptions& options = run.options;
    DiskSource& source = run.source;
    source.toSjis = options.sjis;
    source.windowsOrder = options.compat;
    source.followLinks = options.meta.follow;
    source.noKeys = options.sort == CliOptions::kSortNone;
    source.filesTogether = !options.list.folderNames;
    std::string error;
    if (!InitDiskSource(source, error)) {
        PrintMessage("cannot set up names and collation: " + error);
        return false;
    }
    if (options.natural && !SetNaturalOrder(source)) {
        PrintMessage("cannot set up natural order in the collation");
        return false;
    }
    if ((run.output == nullptr && !CheckOutput(options.output, error)) || !ReadHtmlParts(run, error) ||
        (options.fromFile &&
         !LoadPathList(options.listFile, options.nul, source, run.pathList, error, options.listLinks))) {
        PrintMessage(error);
        return false;
    }
    run.root = options.fromFile ? std::string() : options.folder;
    run.inner = options.fromFile ? MemorySourceSeam(run.pathList.tree) : DiskFolderSource(source);
    return true;
}

// Without limits the tables grow as the scan fills them. Reserving room for a large listing up front
// takes address space only (pages become memory as rows fill them), and spares a big listing the copies
// and the page faults of growing by doubling: a tenth of its time here. Past this, they grow as before.
void ReserveTables(ListingTables& tables) {
    tables.pool.reserve(size_t(64) << 20);     // names and keys: some 50 bytes an entry
    tables.folders.reserve(size_t(1) << 18);   // 40 bytes a row
    tables.files.reserve(size_t(1) << 20);     // 20 bytes a row
}

const ListLimits& Limits(const CliOptions& options) { return options.compat ? kDefinedLimits : kNoLimits; }

// The tables with the root's row, and what the scan leaves out: patterns and git's ignored entries.
bool PrepareScan(ListingRun& run) {
    const CliOptions& options = run.options;
    InitListing(run.tables, Limits(options));
    if (!options.compat) ReserveTables(run.tables);
    ResetListing(run.tables, ShownName(run.source, options.folder));
    run.filter.exclude = options.exclude;
    run.filter.include = options.include;
    run.filter.ignoreCase = options.ignoreCase;
    run.filter.matchDirs = options.matchDirs;
    run.filter.root = run.root;
    std::string error;
    if (!options.gitFiles.empty() && (run.gitfile = OpenGitFiles(options.folder, options.gitFiles, error)) == nullptr) {
        PrintMessage(error);
        return false;
    }
    if (!options.gitignore) return true;
    run.gitignore = OpenGitIgnore(options.folder, error);
    if (run.gitignore == nullptr) {
        PrintMessage(error);
        return false;
    }
    run.gitWarning = GitIgnoreWarning(run.gitignore);
    if (!run.gitWarning.empty()) PrintMessage(run.gitWarning);
    return true;
}

// The metadata options, and colour, look at each entry (once, relative to its folder); without
// them nothing is looked at beyond what reading the folders costs.
void PrepareMetadata(ListingRun& run) {
    const CliOptions& options = run.options;
    // A list of paths has no file system to take colour classes from: it is never coloured.
    ColorRequest request{options.compat || options.format != CliOptions::kFormatText ||
                             options.color == CliOptions::kColorNever || options.fromFile || options.parse,
                         options.color == CliOptions::kColorAlways, !options.output.empty()};
    std::vector<std::string> problems;
    run.colour = ChooseColors(request, run.colors, problems);
    for (const std::string& problem : problems) PrintMessage(problem);
    MetaTable& meta = run.meta;
    meta.wants = options.meta;
    meta.wants.colour = run.colour;
    // JSON names each file's kind, and tree's documents a link's target: both read from the disk.
    meta.wants.kinds = !options.fromFile && (options.format == CliOptions::kFormatJson ||
                                             options.format == CliOptions::kFormatTreeJson ||
                                             options.format == CliOptions::kFormatTreeXml);
    meta.filesListed = options.list.fileNames || options.meta.du;  // --du counts files not listed
    meta.beforeMessage = EraseProgressLine;
    meta.messageContext = &run;
    if (options.sjis) meta.shownTarget = ShownTarget;
    run.looking = meta.wants.StatAll() || meta.wants.follow || meta.wants.oneFileSystem;
    // A failure to look at the root shows when the scan opens it.
    if (run.looking) StatRoot(meta, options.folder, run.tables.folders[0].meta);
}

// The scan through the run's hooks, with the progress line on standard error; the source's names are
// made by its end, and it is closed (ordering compares the keys as bytes). False: nothing to list.
bool Scan(ListingRun& run, ScanResult& scan) {
    FolderSource through = run.inner;
    through.context = &run;
    through.readFolder = ReadFolder;
    through.reportUnreadable = ReportUnreadable;
    StartProgress(run.progress, kStandardErrorFd, ProgressNow());
    int32_t depth = 1;
    const ListOptions& shown = run.options.list;
    scan = ScanFolder(run.tables, through, run.root, run.folderLast, depth,
                      run.options.meta.du ? OptionsForSums(shown) : shown);
    EraseProgress(run.progress);
    run.gitLeftOut = GitIgnoreLeftOut(run.gitignore) + GitIgnoreLeftOut(run.gitfile);
    CloseGitIgnore(run.gitignore);
    run.gitignore = nullptr;
    CloseGitIgnore(run.gitfile);
    run.gitfile = nullptr;
    std::string namesError = DiskNamesError(run.source);
    CloseDiskSource(run.source);
    if (!namesError.empty()) {
        PrintMessage("cannot set up names and collation: " + namesError);
        return false;
    }
    FreePathList(run.pathList);  // the names are in the tables now
    if (scan == kScanAbort) {
        PrintMessage("too much data: more than 65,535 folders or 65,536 files; nothing listed");
        return false;
    }
    return true;
}

// Pruning, --du's sizes, and the folders and files in the chosen order.
bool Order(ListingRun& run, ListingCounts& counts) {
    const CliOptions& options = run.options;
    if (options.meta.du) {
        run.totalSize = SumFolderSizes(run.tables, run.folderLast, run.meta, ChosenOrder(false, false));
        DropUnshownRows(run.tables, run.folderLast, options.list);
    }
    if (options.prune) counts.pruned = PruneEmptyFolders(run.tables, run.folderLast, IsOverLimit, &run);
    PrefixSortKeys(run.tables, run.folderLast, run.meta);
    NameOrder order = ChosenOrder(options.sort == CliOptions::kSortNone, options.reverse);
    BuildFolderStructure(run.tables, run.folderLast, order);
    if (!OrderFiles(run.tables, order)) {
        PrintMessage("too much data: more than 2,048 files; nothing listed");
        return false;
    }
    return true;
}

// The text view's pieces and name writer: UTF-8 or Shift_JIS, box drawing or ASCII (`ascii` holds the
// ASCII pieces with the encoding's line end, or the pieces of -i: none, the line end kept), and tree's
// name forms (-f, -q, -Q).
TextStyle ChooseStyle(const CliOptions& options, Pieces& ascii) {
    TextStyle style = options.sjis ? TextStyle{&kSjisPieces, AppendNameSjisEscaped}
                                   : TextStyle{&kUtf8Pieces, AppendNameUtf8};
    style.filesFirst = options.filesFirst;
    ascii = kAsciiPieces;
    if (options.asciiPieces) {
        if (options.sjis) {
            ascii.eol = kSjisPieces.eol;  // the names stay Shift_JIS, shortened as sjis shortens them
        } else {
            style.writeName = AppendNameUtf8Ascii;
        }
        style.pieces = &ascii;
    }
    if (options.noPieces) {
        ascii = *style.pieces;
        ascii.branch = ascii.blank = ascii.tee = ascii.last = ascii.indent = "";
        style.pieces = &ascii;
    }
    uint8_t forms = (options.hideControl ? kNameQuestionMarks : 0) | (options.quoteName ? kNameQuoted : 0);
    if (forms != kNameEscaped) style.writeName = Utf8NameWriter(forms, options.asciiPieces);
    style.fullPaths = options.fullPath;
    return style;
}

// --summary's line: the counts, and --du's total.
std::string Summary(const ListingRun& run, ListingCounts& counts) {
    const CliOptions& options = run.options;
    if (!options.summary) return std::string();
    counts.folders = run.folderLast;
    counts.files = int64_t(run.tables.files.size());
    counts.byPatterns = run.filter.leftOut + run.gitLeftOut;
    counts.overLimit = run.overLimitFolders;
    counts.overLimitEntries = run.overLimitEntries;
    std::string summary = SummaryLine(counts);
    if (options.meta.du)
        summary += "; total " + FormatSize(run.totalSize, options.meta.human, options.meta.si) +
                   (options.meta.human || options.meta.si ? "" : " bytes");
    return summary;
}

// JSON, Markdown or HTML into the buffer.
void RenderDocument(ListingRun& run, TextBuffer& buffer, const std::string& summary) {
    const CliOptions& options = run.options;
    FormatExtras extras{run.root, &run.links, &run.overLimit, options.filesFirst, summary};
    if (run.looking) extras.meta = &run.meta;
    if (options.format == CliOptions::kFormatJson)
        RenderJson(buffer, run.tables, options.list, extras);
    else if (options.format == CliOptions::kFormatTreeJson)
        RenderTreeJson(buffer, run.tables, options.list, extras);
    else if (options.format == CliOptions::kFormatTreeXml)
        RenderTreeXml(buffer, run.tables, options.list, extras);
    else if (options.format == CliOptions::kFormatHtml)
        RenderHtml(buffer, run.tables, options.list, extras,
                   HtmlPage{options.title, options.baseHref, options.noLinks,
                            options.htmlIntro.empty() ? nullptr : &run.htmlIntro,
                            options.htmlOutro.empty() ? nullptr : &run.htmlOutro});
    else
        RenderMarkdown(buffer, run.tables, options.list, extras);
}

// The tree or indented view into the buffer, with the metadata fields and notes around the names;
// 0 where the text passed its limit (the Windows program's limits).
int RenderText(ListingRun& run, TextBuffer& buffer, const std::string& summary) {
    const CliOptions& options = run.options;
    Pieces ascii;
    TextStyle style = ChooseStyle(options, ascii);
    Decoration decoration;
    LineDecor decor = MakeLineDecor(decoration, run.meta, run.colour ? &run.colors : nullptr, style.writeName,
                                    run.tables.folders[0].meta);
    if (run.looking) style.decor = &decor;
    if (options.fileLimit > 0 || options.meta.follow) {
        style.folderNote = OverLimitNote;
        style.noteContext = &run;
    }
    // Colour starts with a reset and ends with a restore, as ls's output does.
    std::string colourStart = run.colour ? ColorEnd(run.colors) : "", colourEnd;
    AppendBytes(buffer, colourStart);
    int rendered = options.list.treeView ? RenderTree(buffer, run.tables, 0, options.list, style)
                                         : RenderIndented(buffer, run.tables, 0, style);
    if (options.summary && rendered != 0) {
        std::string line = summary;
        line += style.pieces->eol;
        AppendBounded(buffer, line, line.size());
    }
    if (run.colour) colourEnd = ColorOutputEnd(run.colors);
    AppendBytes(buffer, colourEnd);
    return rendered;
}

// Renders the listing into the output, streamed where the text has no limit; false when it could not be
// written. `rendered` is 0 where the text passed its limit.
bool RenderAndWrite(ListingRun& run, ListingCounts& counts, int& rendered) {
    const CliOptions& options = run.options;
    Output own;
    Output& output = run.output != nullptr ? *run.output : own;
    std::string error;
    if (run.output == nullptr && !OpenOutput(output, options.output, error)) {
        PrintMessage(error);
        return false;
    }
    output.sjis = options.sjis;
    TextBuffer buffer;
    InitTextBuffer(buffer, Limits(options));
    buffer.context = &output;
    buffer.reportTooMuchText = ReportTooMuchText;
    if (Limits(options).textCapacity == 0) buffer.flush = FlushToOutput;  // stream a listing of any size
    MeasureFields(run.tables, run.folderLast, run.meta);
    std::string summary = Summary(run, counts);
    rendered = 1;
    if (options.format != CliOptions::kFormatText)
        RenderDocument(run, buffer, summary);
    else
        rendered = RenderText(run, buffer, summary);
    if (buffer.flush != nullptr)
        FlushText(buffer);
    else
        WriteOutput(output, buffer.text);
    if (run.output == nullptr && !FinishOutput(output, true, error)) {
        PrintMessage(error);
        return false;
    }
    return true;
}

// The exit status: each cause met on the way, merged.
int ExitStatus(const ListingRun& run, bool listed) {
    int status = kExitComplete;
    if (!listed) MergeExit(status, ExitCause::kNoListing);
    if (run.unreadableSubfolders > 0) MergeExit(status, ExitCause::kUnreadableSubfolder);
    if (!run.gitWarning.empty()) MergeExit(status, ExitCause::kGitWarning);
    if (run.meta.failures > 0) MergeExit(status, ExitCause::kMetadataFailure);
    if (run.pathList.repeated > 0) MergeExit(status, ExitCause::kRepeatedListLine);
    return status;
}

}  // namespace

// One listing, into `shared` when given (it is then finished by the caller).
int RunListing(const CliOptions& options, Output* shared) {
    ListingRun run(options);
    run.output = shared;
    if (!PrepareInputs(run) || !PrepareScan(run)) return kExitNoListing;
    PrepareMetadata(run);
    ScanResult scan = kScanDone;
    if (!Scan(run, scan)) return kExitNoListing;
    // The Windows program still shows the root line (and the empty line of a listing without files).
    bool rootFailed = scan == kScanCannotOpen;
    if (rootFailed && !options.compat) return kExitNoListing;
    ListingCounts counts;
    int rendered = 0;
    if (!Order(run, counts) || !RenderAndWrite(run, counts, rendered)) return kExitNoListing;
    return ExitStatus(run, !rootFailed && rendered != 0);
}

int RunCommandLine(const CliOptions& options) {
    if (options.listFiles.size() < 2) return RunListing(options, nullptr);
    // --fromfile with several files, as tree takes them: one listing each, one after another, in one
    // output (a FILE is still replaced whole or not at all).
    std::string error;
    Output output;
    if (!CheckOutput(options.output, error) || !OpenOutput(output, options.output, error)) {
        PrintMessage(error);
        return kExitNoListing;
    }
    output.sjis = options.sjis;
    int status = kExitComplete;
    for (const std::string& file : options.listFiles) {
        CliOptions one = options;
        one.listFiles.clear();
        one.listFile = file;
        one.folder = file == "-" ? "." : file;
        // The worse of the listings' statuses: they are ordered as MergeExit orders its causes.
        status = std::max(status, RunListing(one, &output));
    }
    if (!FinishOutput(output, status != kExitNoListing, error)) {
        PrintMessage(error);
        return kExitNoListing;
    }
    return status;
}
