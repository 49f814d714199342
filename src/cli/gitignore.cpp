// --gitignore through libgit2's own matching (git_ignore_path_is_ignored); without libgit2 the build
// still works and says so when the option is used.
#include "cli/gitignore.h"

#include <cstdlib>

#ifdef ARBOLIN_HAVE_LIBGIT2
#include <git2.h>

bool GitIgnoreAvailable() { return true; }

bool OpenGitIgnore(GitIgnore& ignore, const std::string& folder, std::string& error) {
    git_libgit2_init();
    git_repository* repo = nullptr;
    int rc = git_repository_open_ext(&repo, folder.c_str(), 0, nullptr);
    if (rc == GIT_ENOTFOUND) return true;  // outside a repository: nothing is ignored
    if (rc != 0) {
        const git_error* e = git_error_last();
        error = e != nullptr ? e->message : "cannot open the repository";
        return false;
    }
    const char* workdir = git_repository_workdir(repo);
    char* real = realpath(folder.c_str(), nullptr);
    if (workdir == nullptr || real == nullptr) {  // a bare repository, or FOLDER vanished: no effect
        std::free(real);
        git_repository_free(repo);
        return true;
    }
    std::string full = std::string(real) + "/";
    std::free(real);
    std::string work = workdir;
    if (full.compare(0, work.size(), work) != 0) {  // inside .git or elsewhere: no effect
        git_repository_free(repo);
        return true;
    }
    ignore.repository = repo;
    ignore.root = folder;
    ignore.prefix = full.substr(work.size());
    return true;
}

void CloseGitIgnore(GitIgnore& ignore) {
    if (ignore.repository != nullptr) git_repository_free(static_cast<git_repository*>(ignore.repository));
    ignore.repository = nullptr;
    git_libgit2_shutdown();
}

void FilterIgnored(GitIgnore& ignore, const std::string& path, EntryList& list, size_t first) {
    if (ignore.repository == nullptr) return;
    auto* repo = static_cast<git_repository*>(ignore.repository);
    // The folder's path inside the work tree: FOLDER's prefix and what the scan added to FOLDER.
    std::string folder = ignore.prefix;
    if (path.size() > ignore.root.size()) {
        size_t from = ignore.root.size();
        if (path[from] == '/') ++from;
        folder.append(path, from, std::string::npos);
        folder += '/';
    }
    size_t kept = first;
    for (size_t i = first; i < list.entries.size(); ++i) {
        const EntryList::Entry& e = list.entries[i];
        std::string_view raw = list.Raw(e);
        bool drop = false;
        if (raw == ".git") {
            drop = true;
        } else if (raw != "." && raw != "..") {
            ignore.scratch = folder;
            ignore.scratch.append(raw);
            // A trailing '/' tells libgit2 it is a folder, so "dir/" patterns apply without a stat.
            if (e.kind == kEntryFolder || e.kind == kEntryFolderLink) ignore.scratch += '/';
            int ignored = 0;
            drop = git_ignore_path_is_ignored(&ignored, repo, ignore.scratch.c_str()) == 0 && ignored;
        }
        if (drop) {
            ++ignore.leftOut;
            continue;
        }
        list.entries[kept++] = e;
    }
    list.entries.resize(kept);
}

#else

bool GitIgnoreAvailable() { return false; }
bool OpenGitIgnore(GitIgnore&, const std::string&, std::string& error) {
    error = "--gitignore is not available: this arbolin was built without libgit2";
    return false;
}
void CloseGitIgnore(GitIgnore&) {}
void FilterIgnored(GitIgnore&, const std::string&, EntryList&, size_t) {}

#endif
