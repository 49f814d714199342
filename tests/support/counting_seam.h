// A seam that counts what passes through another: the folders read, the entries they held and the
// unreadable reports, for tests of the POSIX source (which keeps no counts of its own).
#pragma once

#include <cstdint>
#include <string>

#include "listing/listing.h"

struct CountingSeam {
    FolderSource inner{};
    int64_t foldersRead = 0;   // folders read whole
    int64_t entriesRead = 0;   // entries handed over
    int64_t unreadable = 0;    // reportUnreadable calls, the root's included

    // The seam over `over` that counts into this; valid while this lives.
    FolderSource Over(const FolderSource& over) {
        inner = over;
        FolderSource through = over;
        through.context = this;
        through.readFolder = [](void* context, const std::string& path, EntryList& out) {
            auto& seam = *static_cast<CountingSeam*>(context);
            size_t before = out.entries.size();
            int error = seam.inner.readFolder(seam.inner.context, path, out);
            if (error == 0) {
                ++seam.foldersRead;
                seam.entriesRead += static_cast<int64_t>(out.entries.size() - before);
            }
            return error;
        };
        through.reportUnreadable = [](void* context, const std::string& path, int error) {
            auto& seam = *static_cast<CountingSeam*>(context);
            ++seam.unreadable;
            seam.inner.reportUnreadable(seam.inner.context, path, error);
        };
        return through;
    }
};
