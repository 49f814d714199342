// --parse's JSON (POSIX side, no OS call): the entries read from a listing as one JSON tree, in the
// listing's order, links with their targets.
#include "formats/formats.h"
#include "readers/listing_reader.h"

void WriteParsedJson(const ParsedListing& listing, std::string& out) {
    // The root keeps its name alone, without "bytes", as --parse has always written it.
    AppendJsonEntry(out, listing.root.empty() ? std::string_view(".") : std::string_view(listing.root), "folder", 0,
                    true, false);
    out += kJsonChildren;
    std::vector<bool> any{false};  // per open folder: a child written
    auto close = [&](size_t keep) {
        while (any.size() > keep) {
            AppendJsonFolderEnd(out, int32_t(any.size() - 1), any.back(), {});
            any.pop_back();
        }
    };
    for (const ParsedEntry& e : listing.entries) {
        close(size_t(e.level));
        AppendJsonEntry(out, e.name, e.folder ? "folder" : e.type, e.level, !any.back());
        any.back() = true;
        if (e.folder) {
            out += kJsonChildren;
            any.push_back(false);
        } else {
            if (!e.target.empty()) {
                std::string hex;
                out += ", \"target\": ";
                AppendJsonName(out, e.target, hex);
            }
            out += '}';
        }
    }
    close(0);
}
