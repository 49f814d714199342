// The command line's pipeline (POSIX side): the engine over the POSIX seam, a renderer into a text buffer,
// the text to standard output or -o FILE, and the exit status from what went wrong on the way.
#include "cli/run.h"

#include <unistd.h>

#include <string>
#include <unordered_map>
#include <unordered_set>

#include "cli/filters.h"
#include "formats/formats.h"
#include "readers/path_list.h"
#include "formats/html.h"
#include "metadata/line_decor.h"
#include "platform/messages.h"
#include "metadata/metadata.h"
#include "cli/output.h"
#include "cli/progress.h"
#include "git/git.h"
#include "listing/listing.h"
#include "platform/source_posix.h"
#include "render/render.h"

namespace {

// Sits between the engine and the POSIX seam: counts what was read for the progress line, and tells the
// root's failure (no listing, exit 2) from a subfolder's (listed, exit 1). The engine reports both
// through reportUnreadable (the seam writes the notice); the root is the one whose path is FOLDER itself.
struct CliSeam {
    FolderSource inner;
    std::string root;
    ProgressLine progress;
    int64_t folders = 0;
    int64_t files = 0;
    int64_t unreadableSubfolders = 0;
    EntryFilter filter;  // -I and -P, applied to every folder's entries as they are read
    // --filelimit: a subfolder with more entries is handed over empty. The scan records a folder's row
    // just before it reads it, so the last row is the folder being read; its note is keyed by the row's
    // name offset, which stays with the row through pruning and sorting.
    int64_t fileLimit = 0;
    const ListingTables* tables = nullptr;
    std::unordered_map<uint32_t, int64_t> overLimit;  // name offset -> entries not listed
    int64_t overLimitFolders = 0, overLimitEntries = 0;
    GitIgnore* gitignore = nullptr;            // --gitignore
    bool collectLinks = false;                 // --format json: links told from files
    std::unordered_set<std::string> links;     // LinkKey of each link read
    MetaTable* meta = nullptr;                 // the metadata options: each entry looked at as it is read
    PosixSource* source = nullptr;             // its lastFolderFd is the folder just read
};

// Cuts a subfolder's entries when they pass --filelimit.
void ApplyFileLimit(CliSeam& seam, const std::string& path, EntryList& out, size_t before) {
    if (seam.fileLimit == 0 || path == seam.root) return;
    int64_t count = 0;
    for (size_t i = before; i < out.entries.size(); ++i) {
        std::string_view raw = out.Raw(out.entries[i]);
        if (raw != "." && raw != "..") ++count;
    }
    if (count <= seam.fileLimit) return;
    out.entries.resize(before);
    ++seam.overLimitFolders;
    seam.overLimitEntries += count;
    if (seam.tables->folders.size() > 1) seam.overLimit[seam.tables->folders.back().name] = count;
}

bool IsOverLimit(void* context, const FolderEntry& folder) {
    return static_cast<CliSeam*>(context)->overLimit.count(folder.name) != 0;
}

void OverLimitNote(void* context, TextBuffer& buffer, const FolderEntry& folder) {
    const auto* seam = static_cast<CliSeam*>(context);
    if (seam->meta != nullptr && folder.meta < seam->meta->entries.size() &&
        (seam->meta->entries[folder.meta].flags & kMetaRecursive)) {
        AppendBounded(buffer, kNotFollowedNote, kNotFollowedNote.size());
    }
    auto found = seam->overLimit.find(folder.name);
    if (found == seam->overLimit.end()) return;
    std::string note = " " + EntriesNote(found->second);
    AppendBounded(buffer, note, note.size());
}

void EraseProgressLine(void* context) { EraseProgress(static_cast<CliSeam*>(context)->progress); }

std::string ShownTarget(void* context, std::string_view raw) {
    // The source is the seam's until the scan ends, and link targets are read during the scan.
    return ShownName(*static_cast<CliSeam*>(context)->source, raw);
}

int ReadFolder(void* context, const std::string& path, EntryList& out) {
    auto* seam = static_cast<CliSeam*>(context);
    size_t before = out.entries.size();
    int error = seam->inner.readFolder(seam->inner.context, path, out);
    if (error != 0) return error;
    if (seam->gitignore != nullptr) FilterIgnored(seam->gitignore, path, out, before);
    FilterEntries(seam->filter, out, before);
    ApplyFileLimit(*seam, path, out, before);
    if (seam->meta != nullptr) StatEntries(*seam->meta, path, seam->source->lastFolderFd, out, before);
    if (seam->collectLinks)
        for (size_t i = before; i < out.entries.size(); ++i)
            if (out.entries[i].kind == kEntryLink) seam->links.insert(LinkKey(path, out.Raw(out.entries[i])));
    for (size_t i = before; i < out.entries.size(); ++i) {
        const EntryList::Entry& e = out.entries[i];
        if (e.kind == kEntryFolder || e.kind == kEntryFolderLink) {
            std::string_view raw = out.Raw(e);
            if (raw != "." && raw != "..") ++seam->folders;
        } else {
            ++seam->files;
        }
    }
    // Without a terminal there is no line to show, and no clock to read for every folder.
    if (seam->progress.fd >= 0) UpdateProgress(seam->progress, ProgressNow(), seam->folders, seam->files);
    return 0;
}

void ReportUnreadable(void* context, const std::string& path, int error) {
    auto* seam = static_cast<CliSeam*>(context);
    EraseProgress(seam->progress);
    if (path != seam->root) ++seam->unreadableSubfolders;
    seam->inner.reportUnreadable(seam->inner.context, path, error);
}

void FlushToOutput(void* context, std::string_view bytes) { WriteOutput(*static_cast<Output*>(context), bytes); }

// Without limits the tables grow as the scan fills them. Reserving room for a large listing up front
// takes address space only (pages become memory as rows fill them), and spares a big listing the copies
// and the page faults of growing by doubling: a tenth of its time here. Past this, they grow as before.
void ReserveTables(ListingTables& tables) {
    tables.pool.reserve(size_t(64) << 20);     // names and keys: some 50 bytes an entry
    tables.folders.reserve(size_t(1) << 18);   // 40 bytes a row
    tables.files.reserve(size_t(1) << 20);     // 20 bytes a row
}

void ReportTooMuchText(void*) {
    PrintMessage("too much data: the listing passes 65,280 bytes of text; it stops there");
}

}  // namespace

int RunListing(const CliOptions& options) {
    PosixSource source;
    source.toSjis = options.sjis;
    source.windowsOrder = options.compat;
    source.followLinks = options.meta.follow;
    source.noKeys = options.sort == CliOptions::kSortNone;
    source.filesTogether = !options.list.folderNames;
    std::string error;
    if (!InitPosixSource(source, error)) {
        PrintMessage("cannot set up names and collation: " + error);
        return kExitNoListing;
    }
    if (options.natural && !SetNaturalOrder(source)) {
        PrintMessage("cannot set up natural order in the collation");
        ClosePosixSource(source);
        return kExitNoListing;
    }
    if (!CheckOutput(options.output, error)) {
        PrintMessage(error);
        ClosePosixSource(source);
        return kExitNoListing;
    }
    // --fromfile: the list's tree stands in for the folder; its root's path is empty.
    PathList pathList;
    if (options.fromFile && !LoadPathList(options.listFile, options.nul, source, pathList, error)) {
        PrintMessage(error);
        ClosePosixSource(source);
        return kExitNoListing;
    }
    const std::string scanRoot = options.fromFile ? std::string() : options.folder;

    const ListLimits& limits = options.compat ? kDefinedLimits : kNoLimits;
    ListingTables tables;
    InitListing(tables, limits);
    if (!options.compat) ReserveTables(tables);
    ResetListing(tables, ShownName(source, options.folder));

    CliSeam seam;
    seam.inner = options.fromFile ? MemorySourceSeam(pathList.tree) : PosixFolderSource(source);
    seam.root = scanRoot;
    seam.filter.exclude = options.exclude;
    seam.filter.include = options.include;
    seam.fileLimit = options.fileLimit;
    seam.tables = &tables;
    seam.collectLinks = options.format == CliOptions::kFormatJson;
    std::string gitWarning;
    int64_t gitLeftOut = 0;
    if (options.gitignore) {
        seam.gitignore = OpenGitIgnore(options.folder, error);
        if (seam.gitignore == nullptr) {
            PrintMessage(error);
            ClosePosixSource(source);
            return kExitNoListing;
        }
        gitWarning = GitIgnoreWarning(seam.gitignore);
        if (!gitWarning.empty()) PrintMessage(gitWarning);
    }
    // The metadata options, and colour, look at each entry (one statx, relative to its folder); without
    // them nothing is looked at beyond what reading the folders costs.
    ColorTable colors;
    bool colour = ChooseColors(options, colors);
    MetaTable meta;
    meta.wants = options.meta;
    meta.wants.colour = colour;
    meta.filesListed = options.list.fileNames;
    meta.beforeMessage = EraseProgressLine;
    meta.messageContext = &seam;
    if (options.sjis) meta.shownTarget = ShownTarget;
    bool looking = meta.wants.StatAll() || meta.wants.follow || meta.wants.oneFileSystem;
    if (looking) {
        seam.meta = &meta;
        seam.source = &source;
        StatRoot(meta, options.folder, tables.folders[0].meta);  // a failure shows when the scan opens it
    }
    FolderSource through = seam.inner;
    through.context = &seam;
    through.readFolder = ReadFolder;
    through.reportUnreadable = ReportUnreadable;
    StartProgress(seam.progress, STDERR_FILENO, ProgressNow());

    int32_t folderLast = 0;
    int32_t depth = 1;
    ScanResult scan = ScanFolder(tables, through, scanRoot, folderLast, depth, options.list);
    EraseProgress(seam.progress);
    gitLeftOut = GitIgnoreLeftOut(seam.gitignore);
    CloseGitIgnore(seam.gitignore);
    seam.gitignore = nullptr;
    std::string namesError = PosixNamesError(source);
    ClosePosixSource(source);  // the keys are made; ordering compares them as bytes
    if (!namesError.empty()) {
        PrintMessage("cannot set up names and collation: " + namesError);
        return kExitNoListing;
    }
    FreePathList(pathList);    // the names are in the tables now
    if (scan == kScanAbort) {
        PrintMessage("too much data: more than 65,535 folders or 65,536 files; nothing listed");
        return kExitNoListing;
    }
    // The Windows program still shows the root line (and the empty line of a listing without files).
    bool rootFailed = scan == kScanCannotOpen;
    if (rootFailed && !options.compat) return kExitNoListing;
    ListingCounts counts;
    if (options.prune) counts.pruned = PruneEmptyFolders(tables, folderLast, IsOverLimit, &seam);
    uint64_t totalSize = 0;
    if (options.meta.du) totalSize = SumFolderSizes(tables, folderLast, meta);
    PrefixSortKeys(tables, folderLast, meta);
    NameOrder order = ChosenOrder(options);
    BuildFolderStructure(tables, folderLast, order);
    if (!OrderFiles(tables, order)) {
        PrintMessage("too much data: more than 2,048 files; nothing listed");
        return kExitNoListing;
    }

    Output output;
    if (!OpenOutput(output, options.output, error)) {
        PrintMessage(error);
        return kExitNoListing;
    }
    TextBuffer buffer;
    InitTextBuffer(buffer, limits);
    buffer.context = &output;
    buffer.reportTooMuchText = ReportTooMuchText;
    if (limits.textCapacity == 0) buffer.flush = FlushToOutput;  // stream a listing of any size
    TextStyle style = options.sjis ? TextStyle{&kSjisPieces, AppendNameSjisEscaped}
                                   : TextStyle{&kUtf8Pieces, AppendNameUtf8};
    style.filesFirst = options.filesFirst;
    Pieces ascii = kAsciiPieces;
    if (options.asciiPieces) {
        if (options.sjis) {
            ascii.eol = kSjisPieces.eol;  // the names stay Shift_JIS, shortened as sjis shortens them
        } else {
            style.writeName = AppendNameUtf8Ascii;
        }
        style.pieces = &ascii;
    }
    MeasureFields(tables, folderLast, meta);
    Decoration decoration;
    LineDecor decor = MakeLineDecor(decoration, meta, colour ? &colors : nullptr, style.writeName,
                                    tables.folders[0].meta);
    if (looking) style.decor = &decor;
    if (options.fileLimit > 0 || options.meta.follow) {
        style.folderNote = OverLimitNote;
        style.noteContext = &seam;
    }
    counts.folders = folderLast;
    counts.files = int64_t(tables.files.size());
    counts.byPatterns = seam.filter.leftOut + gitLeftOut;
    counts.overLimit = seam.overLimitFolders;
    counts.overLimitEntries = seam.overLimitEntries;
    int rendered = 1;
    std::string summary = options.summary ? SummaryLine(counts) : std::string();
    if (options.summary && options.meta.du)
        summary += "; total " + FormatSize(totalSize, options.meta.human, options.meta.si) +
                   (options.meta.human || options.meta.si ? "" : " bytes");
    if (options.format != CliOptions::kFormatText) {
        FormatExtras extras{scanRoot, &seam.links, &seam.overLimit, options.filesFirst, summary};
        if (looking) extras.meta = &meta;
        if (options.format == CliOptions::kFormatJson)
            RenderJson(buffer, tables, options.list, extras);
        else if (options.format == CliOptions::kFormatHtml)
            RenderHtml(buffer, tables, options.list, extras, HtmlPage{options.title, options.baseHref});
        else
            RenderMarkdown(buffer, tables, options.list, extras);
    } else {
        rendered = options.list.treeView ? RenderTree(buffer, tables, 0, options.list, style)
                                         : RenderIndented(buffer, tables, 0, style);
        if (options.summary && rendered != 0) {
            std::string line = summary;
            line += style.pieces->eol;
            AppendBounded(buffer, line, line.size());
        }
    }
    if (buffer.flush != nullptr)
        FlushText(buffer);
    else
        WriteOutput(output, buffer.text);

    if (!FinishOutput(output, true, error)) {
        PrintMessage(error);
        return kExitNoListing;
    }
    if (rootFailed || rendered == 0) return kExitNoListing;
    bool partly = seam.unreadableSubfolders > 0 || !gitWarning.empty() || meta.failures > 0 ||
                  pathList.repeated > 0;
    return partly ? kExitSubfolderUnreadable : kExitComplete;
}
