// The listing stages in the order the select-folder command runs them once its notice is closed:
// scan, structure pass, file ordering, then the tree or indented text. The console probe runs the same.
#include "app/app.h"

ListingStatus RunListing(ListingTables& tables, Win32Source& source, const std::string& path,
                         const ListOptions& options, TextBuffer& buffer) {
    int32_t folderLast = 0;
    int32_t depth = 1;
    const FolderSource folders = Win32FolderSource(source);
    const NameOrder order = Win32NameOrder();
    // An unreadable root (result 1) was reported by the scan and lists as an empty folder.
    if (ScanFolder(tables, folders, path, folderLast, depth, options) == kScanAbort) return kListingAborted;
    BuildFolderStructure(tables, folderLast, order);
    if (!OrderFiles(tables, order)) return kTooManyFiles;
    // The renderers' result is not needed: an abandoned text is shown like a complete one.
    if (options.treeView) {
        RenderTree(buffer, tables, 0, options, kWindowsStyle);
    } else {
        RenderIndented(buffer, tables, 0, kWindowsStyle);
    }
    return kListed;
}
