// --gitignore through libgit2's own matching, loaded with dlopen only when the option is used. What git
// tracks is never ignored, so an entry the index holds is kept without matching. Asking the repository
// about a path costs a stat of every ignore file above it; so each other entry is first matched in memory
// (libgit2 again, on rules without a file system) against the ignore files that apply to it, and the
// repository is asked only where that cannot decide. Without libgit2 the build still works and says so
// when the option is used.
#include "git/gitignore_state.h"

#ifdef ARBOLIN_HAVE_LIBGIT2
#include <dlfcn.h>
#include <fcntl.h>
#include <git2.h>
#include <git2/sys/repository.h>
#include <sys/stat.h>
#include <unistd.h>

#include <cerrno>
#include <cstdlib>
#include <cstring>

namespace {

// The libgit2 calls --gitignore makes, found in the library loaded at run time.
struct GitApi {
    decltype(&git_libgit2_init) init = nullptr;
    decltype(&git_libgit2_shutdown) shutdown = nullptr;
    decltype(&git_libgit2_opts) opts = nullptr;
    decltype(&git_error_last) errorLast = nullptr;
    decltype(&git_buf_dispose) disposeBuf = nullptr;
    decltype(&git_repository_open_ext) openRepository = nullptr;
    decltype(&git_repository_new) newRepository = nullptr;
    decltype(&git_repository_free) freeRepository = nullptr;
    decltype(&git_repository_workdir) workdir = nullptr;
    decltype(&git_repository_path) gitdir = nullptr;
    decltype(&git_repository_commondir) commondir = nullptr;
    decltype(&git_repository_config_snapshot) configSnapshot = nullptr;
    decltype(&git_repository_set_config) setConfig = nullptr;
    decltype(&git_config_new) newConfig = nullptr;
    decltype(&git_config_free) freeConfig = nullptr;
    decltype(&git_config_get_bool) getBool = nullptr;
    decltype(&git_config_get_path) getPath = nullptr;
    decltype(&git_ignore_add_rule) addRule = nullptr;
    decltype(&git_ignore_clear_internal_rules) clearRules = nullptr;
    decltype(&git_ignore_path_is_ignored) isIgnored = nullptr;
    decltype(&git_repository_index) repositoryIndex = nullptr;
    decltype(&git_index_free) freeIndex = nullptr;
    decltype(&git_index_find) findInIndex = nullptr;
    decltype(&git_index_find_prefix) findPrefixInIndex = nullptr;
};

GitApi git;

template <typename Function>
bool Find(void* library, const char* name, Function& function) {
    function = reinterpret_cast<Function>(dlsym(library, name));
    return function != nullptr;
}

// Loads libgit2 by the name the build found (ARBOLIN_LIBGIT2_SONAME), from the loader's search path, then
// from the folder the build found it in. It stays loaded until the program ends.
bool LoadGit(std::string& error) {
    if (git.init != nullptr) return true;
    void* library = dlopen(ARBOLIN_LIBGIT2_SONAME, RTLD_NOW | RTLD_LOCAL);
    if (library == nullptr) library = dlopen(ARBOLIN_LIBGIT2_DIR "/" ARBOLIN_LIBGIT2_SONAME, RTLD_NOW | RTLD_LOCAL);
    if (library == nullptr) {
        const char* why = dlerror();
        error = std::string("--gitignore needs libgit2 (" ARBOLIN_LIBGIT2_SONAME "), which cannot be loaded: ") +
                (why != nullptr ? why : "not found");
        return false;
    }
    GitApi api;
    bool found = Find(library, "git_libgit2_init", api.init) &&
                 Find(library, "git_libgit2_shutdown", api.shutdown) && Find(library, "git_libgit2_opts", api.opts) &&
                 Find(library, "git_error_last", api.errorLast) && Find(library, "git_buf_dispose", api.disposeBuf) &&
                 Find(library, "git_repository_open_ext", api.openRepository) &&
                 Find(library, "git_repository_new", api.newRepository) &&
                 Find(library, "git_repository_free", api.freeRepository) &&
                 Find(library, "git_repository_workdir", api.workdir) &&
                 Find(library, "git_repository_path", api.gitdir) &&
                 Find(library, "git_repository_commondir", api.commondir) &&
                 Find(library, "git_repository_config_snapshot", api.configSnapshot) &&
                 Find(library, "git_repository_set_config", api.setConfig) &&
                 Find(library, "git_config_new", api.newConfig) && Find(library, "git_config_free", api.freeConfig) &&
                 Find(library, "git_config_get_bool", api.getBool) &&
                 Find(library, "git_config_get_path", api.getPath) &&
                 Find(library, "git_ignore_add_rule", api.addRule) &&
                 Find(library, "git_ignore_clear_internal_rules", api.clearRules) &&
                 Find(library, "git_ignore_path_is_ignored", api.isIgnored) &&
                 Find(library, "git_repository_index", api.repositoryIndex) &&
                 Find(library, "git_index_free", api.freeIndex) && Find(library, "git_index_find", api.findInIndex) &&
                 Find(library, "git_index_find_prefix", api.findPrefixInIndex);
    if (!found) {
        error = "--gitignore cannot use the libgit2 it loaded (" ARBOLIN_LIBGIT2_SONAME "): a function is missing";
        dlclose(library);
        return false;
    }
    git = api;
    return true;
}

std::string LastError(const char* otherwise) {
    const git_error* e = git.errorLast();
    return e != nullptr && e->message != nullptr ? e->message : otherwise;
}

// Asks a repository about one path ("dir/" for a folder). For the work tree's repository this reads (stats)
// every ignore file that applies; for one in memory it only matches its rules.
bool AskIgnored(void* repo, const char* path) {
    int ignored = 0;
    return git.isIgnored(&ignored, static_cast<git_repository*>(repo), path) == 0 && ignored != 0;
}

// True when git tracks `path` ("dir/" for a folder: when it tracks something inside it), which lies in
// the folder whose tracked paths are `folder`. Ignore rules do not apply to what git tracks, so such a
// file, and the folders leading to it, stay in the listing. Without an index nothing is tracked.
bool Tracked(const GitIgnore& ignore, TrackedRange folder, const std::string& path) {
    if (ignore.trackedRead == kIndexRead) return IsTracked(ignore.tracked, folder, path);
    if (ignore.index == nullptr) return false;
    auto* index = static_cast<git_index*>(ignore.index);
    size_t at = 0;
    if (!path.empty() && path.back() == '/') return git.findPrefixInIndex(&at, index, path.c_str()) == 0;
    return git.findInIndex(&at, index, path.c_str()) == 0;
}

// The whole of a file: 0, or the errno of the failure (ENOENT: there is none).
int ReadWhole(const std::string& path, std::string& text) {
    text.clear();
    int fd = open(path.c_str(), O_RDONLY | O_CLOEXEC);
    if (fd < 0) return errno;
    char block[16384];
    for (;;) {
        ssize_t n = read(fd, block, sizeof block);
        if (n < 0 && errno == EINTR) continue;
        if (n < 0) {
            int error = errno;
            close(fd);
            return error;
        }
        if (n == 0) break;
        text.append(block, size_t(n));
    }
    close(fd);
    return 0;
}

// A repository in memory holding `rules` (after libgit2's own ".", ".." and ".git"): no work tree, no
// configuration, no ignore files, so matching a path against it touches no file.
void* RulesInMemory(const std::string& rules) {
    git_repository* repo = nullptr;
    git_config* config = nullptr;
    if (git.newRepository(&repo) != 0) return nullptr;
    if (git.newConfig(&config) != 0 || git.setConfig(repo, config) != 0 || git.addRule(repo, rules.c_str()) != 0) {
        if (config != nullptr) git.freeConfig(config);
        git.freeRepository(repo);
        return nullptr;
    }
    git.freeConfig(config);  // the repository keeps its own reference
    return repo;
}

// True when `rules` hold a line that is neither empty nor a comment.
bool HasPatterns(const std::string& rules) {
    for (size_t at = 0; at < rules.size();) {
        size_t end = rules.find('\n', at);
        std::string_view line(rules.data() + at, end - at);
        at = end + 1;
        if (!line.empty() && line != "\r" && line[0] != '#') return true;
    }
    return false;
}

// Adds one ignore file's text to `lines` (its lines but the negations) and `negations` (its negations
// without their '!'). False where libgit2 might read a line otherwise than as it stands here (a leading
// blank or byte order mark, a NUL, a negation of a comment or of a negation): the file is then opaque.
bool SplitRules(const std::string& text, std::string& lines, std::string& negations) {
    if (text.find('\0') != std::string::npos || text.compare(0, 3, "\xEF\xBB\xBF") == 0) return false;
    for (size_t at = 0; at < text.size();) {
        size_t end = text.find('\n', at);
        if (end == std::string::npos) end = text.size();
        std::string_view line(text.data() + at, end - at);
        at = end + 1;
        if (line.empty()) continue;
        if (line[0] == ' ' || line[0] == '\t') return false;
        if (line[0] == '!') {
            line.remove_prefix(1);
            if (!line.empty() && (line[0] == '#' || line[0] == '!' || line[0] == ' ' || line[0] == '\t'))
                return false;
            negations.append(line);
            negations += '\n';
        } else {
            lines.append(line);
            lines += '\n';
        }
    }
    return true;
}

enum ReadRulesResult { kNoFile, kRulesRead, kOpaqueFile };

// Reads the ignore file at `path` into `lines` and `negations`.
ReadRulesResult ReadRules(const std::string& path, std::string& lines, std::string& negations) {
    std::string text;
    int error = ReadWhole(path, text);
    if (error == ENOENT || error == ENOTDIR) return kNoFile;
    if (error != 0) return kOpaqueFile;  // there, but unreadable here: libgit2 judges what it makes of it
    return SplitRules(text, lines, negations) ? kRulesRead : kOpaqueFile;
}

// Records the rules of the ignore files of `folder` (in the work tree): its .gitignore at `file` ("" when
// it has none) and, for the work tree's root, info/exclude and the excludes file, which take paths from
// the same place. Lines from several files can share the rules in memory because only whether any of them
// matches counts, never which.
void LoadFolderRules(GitIgnore& ignore, const std::string& folder, const std::string& file) {
    std::string lines, negations;
    bool opaque = false;
    if (folder.empty()) {
        lines = ignore.globalLines;
        negations = ignore.globalNegations;
        opaque = ignore.globalOpaque;
    }
    if (!file.empty() && ReadRules(file, lines, negations) == kOpaqueFile) opaque = true;
    GitIgnoreRules rules;
    rules.opaque = opaque;
    if (!opaque && HasPatterns(lines)) rules.lineText = std::move(lines);
    if (!opaque && HasPatterns(negations)) rules.negationText = std::move(negations);
    if (!opaque && rules.lineText.empty() && rules.negationText.empty()) return;  // comments only: no rules
    ignore.files[folder] = std::move(rules);
}

// A repository in memory holding `text`: a spare one, cleared, or a new one. Null when libgit2 fails.
void* HoldRules(GitIgnore& ignore, const std::string& text) {
    while (!ignore.spare.empty()) {
        auto* repo = static_cast<git_repository*>(ignore.spare.back());
        ignore.spare.pop_back();
        if (git.clearRules(repo) == 0 && git.addRule(repo, text.c_str()) == 0) return repo;
        git.freeRepository(repo);
    }
    return RulesInMemory(text);
}

// The scan reads folders depth first: once it reads a folder outside the one of `rules`, it is done below
// that one, and its repositories in memory can hold other rules. (Were it to come back, they would be
// made again from the text.)
void Release(GitIgnore& ignore, GitIgnoreRules& rules) {
    for (void** repo : {&rules.lines, &rules.negations}) {
        if (*repo != nullptr) ignore.spare.push_back(*repo);
        *repo = nullptr;
    }
}

void FreeRepositories(std::vector<void*>& repos) {
    for (void* repo : repos) git.freeRepository(static_cast<git_repository*>(repo));
    repos.clear();
}

// The user's excludes file as libgit2 finds it: core.excludesFile ("~/" for the home folder), else
// "ignore" in the XDG configuration folder ("git" in $XDG_CONFIG_HOME or ~/.config).
std::string ExcludesFile(git_repository* repo) {
    std::string path;
    git_config* config = nullptr;
    if (git.configSnapshot(&config, repo) == 0) {
        git_buf value = GIT_BUF_INIT;
        int rc = git.getPath(&value, config, "core.excludesfile");
        if (rc == 0 && value.ptr != nullptr) path = value.ptr;
        git.disposeBuf(&value);
        git.freeConfig(config);
        if (rc != GIT_ENOTFOUND) return path;
    }
    git_buf folders = GIT_BUF_INIT;
    if (git.opts(GIT_OPT_GET_SEARCH_PATH, GIT_CONFIG_LEVEL_XDG, &folders) == 0 && folders.ptr != nullptr) {
        std::string list = folders.ptr;
        for (size_t at = 0; at <= list.size();) {
            size_t end = list.find(':', at);
            if (end == std::string::npos) end = list.size();
            std::string candidate = list.substr(at, end - at) + "/ignore";
            at = end + 1;
            struct stat st;
            if (end > 0 && stat(candidate.c_str(), &st) == 0) {
                path = candidate;
                break;
            }
        }
    }
    git.disposeBuf(&folders);
    return path;
}

// True when the repository ignores case (or its configuration cannot say): the rules in memory and the
// paths read from the index compare bytes, so libgit2 decides then.
bool MayIgnoreCase(git_repository* repo) {
    git_config* config = nullptr;
    int ignoreCase = 0;
    if (git.configSnapshot(&config, repo) != 0) return true;
    int rc = git.getBool(&ignoreCase, config, "core.ignorecase");
    git.freeConfig(config);
    return (rc != 0 && rc != GIT_ENOTFOUND) || ignoreCase != 0;
}

// Sets up the matching in memory, for a repository that compares names byte for byte: the ignore files
// above FOLDER, info/exclude and the excludes file. False when it cannot be used.
bool StartInMemory(GitIgnore& ignore, git_repository* repo) {
    // The repository reads the excludes file's name now, so that the change below cannot reach it; the
    // repositories in memory then find no excludes file in the XDG folder either.
    AskIgnored(repo, ".gitignore");
    std::string excludes = ExcludesFile(repo);
    if (git.opts(GIT_OPT_SET_SEARCH_PATH, GIT_CONFIG_LEVEL_XDG, "") != 0) return false;
    const char* common = git.commondir(repo);
    for (const std::string& file : {common != nullptr ? std::string(common) + "info/exclude" : std::string(), excludes})
        if (!file.empty() && ReadRules(file, ignore.globalLines, ignore.globalNegations) == kOpaqueFile)
            ignore.globalOpaque = true;
    // The ignore files of the folders above FOLDER; FOLDER's own is read with FOLDER.
    for (size_t end = 0; end < ignore.prefix.size(); end = ignore.prefix.find('/', end) + 1) {
        std::string folder = ignore.prefix.substr(0, end);
        LoadFolderRules(ignore, folder, ignore.workdir + folder + ".gitignore");
    }
    return true;
}

// Whether git ignores one path, from the rules in memory that apply to it (each with where the folder of
// its file ends in the path). The repository can ignore a path only through a line that matches it or a
// folder above it, and those lines are all among the rules in memory: no match there, not ignored. With
// a match and no negation matching, every rule libgit2 can meet on its way up the path ignores, so it is
// ignored. Where a negation matches too, the order of the files and their lines decides, and that is
// left to the repository (kAsk), as is every path an opaque file applies to.
enum Judgement { kKeep, kDrop, kAsk };

Judgement JudgeInMemory(GitIgnore& ignore, const std::vector<std::pair<GitIgnoreRules*, size_t>>& apply,
                        const char* path) {
    bool matched = false;
    for (const auto& [rules, folderLength] : apply) {
        if (rules->opaque) return kAsk;
        if (matched || rules->lineText.empty()) continue;
        if (rules->lines == nullptr && (rules->lines = HoldRules(ignore, rules->lineText)) == nullptr) return kAsk;
        matched = AskIgnored(rules->lines, path + folderLength);
    }
    if (!matched) return kKeep;
    for (const auto& [rules, folderLength] : apply) {
        if (rules->negationText.empty()) continue;
        if (rules->negations == nullptr && (rules->negations = HoldRules(ignore, rules->negationText)) == nullptr)
            return kAsk;
        if (AskIgnored(rules->negations, path + folderLength)) return kAsk;
    }
    return kDrop;
}

// True when the folder whose entries are list.entries[first ...] holds a ".gitignore" that is no folder.
bool HoldsIgnoreFile(const EntryList& list, size_t first) {
    for (size_t i = first; i < list.entries.size(); ++i) {
        const EntryList::Entry& e = list.entries[i];
        if (e.kind != kEntryFolder && e.kind != kEntryFolderLink && list.Raw(e) == ".gitignore") return true;
    }
    return false;
}

bool Open(GitIgnore& ignore, const std::string& folder, std::string& error) {
    if (!LoadGit(error)) return false;
    git.init();
    git_repository* repo = nullptr;
    int rc = git.openRepository(&repo, folder.c_str(), 0, nullptr);
    if (rc == GIT_ENOTFOUND) return true;  // outside a repository: nothing is ignored
    if (rc != 0) {
        error = LastError("cannot open the repository");
        return false;
    }
    const char* workdir = git.workdir(repo);
    char* real = realpath(folder.c_str(), nullptr);
    if (workdir == nullptr || real == nullptr) {  // a bare repository, or FOLDER vanished: no effect
        std::free(real);
        git.freeRepository(repo);
        return true;
    }
    std::string full = std::string(real) + "/";
    std::free(real);
    std::string work = workdir;
    if (full.compare(0, work.size(), work) != 0) {  // inside .git or elsewhere: no effect
        git.freeRepository(repo);
        return true;
    }
    ignore.repository = repo;
    ignore.root = folder;
    ignore.workdir = work;
    ignore.prefix = full.substr(work.size());
    const char* gitdir = git.gitdir(repo);
    bool byBytes = !MayIgnoreCase(repo);
    if (gitdir != nullptr && byBytes)
        ignore.trackedRead = ReadTrackedPaths(std::string(gitdir) + "index", ignore.tracked);
    if (ignore.trackedRead == kIndexOther) {
        git_index* index = nullptr;
        if (git.repositoryIndex(&index, repo) == 0) {
            ignore.index = index;
        } else {
            ignore.warning = "--gitignore cannot read git's index (" + LastError("unknown error") +
                             "): files git tracks are left out where its patterns match them";
        }
    }
    // FOLDER in an ignored folder (or ignored itself): every entry is asked on its own, as libgit2 answers
    // for a single path; the scan never enters such a folder below FOLDER.
    for (size_t slash = ignore.prefix.find('/'); slash != std::string::npos;
         slash = ignore.prefix.find('/', slash + 1))
        if (AskIgnored(repo, ignore.prefix.substr(0, slash + 1).c_str())) return true;
    ignore.inMemory = byBytes && StartInMemory(ignore, repo);
    return true;
}

void Close(GitIgnore& ignore) {
    if (git.init == nullptr) return;
    for (auto& [folder, rules] : ignore.files) Release(ignore, rules);
    FreeRepositories(ignore.spare);
    ignore.live.clear();
    ignore.files.clear();
    if (ignore.index != nullptr) git.freeIndex(static_cast<git_index*>(ignore.index));
    ignore.index = nullptr;
    if (ignore.repository != nullptr) git.freeRepository(static_cast<git_repository*>(ignore.repository));
    ignore.repository = nullptr;
    if (ignore.fileRules != nullptr) git.freeRepository(static_cast<git_repository*>(ignore.fileRules));
    ignore.fileRules = nullptr;
    git.opts(GIT_OPT_SET_SEARCH_PATH, GIT_CONFIG_LEVEL_XDG, nullptr);  // back to its default
    git.shutdown();
}

// FOLDER's path (as the scan composes it) taken off `path`: "" for FOLDER, else "sub/dir/".
std::string FolderBelowRoot(const std::string& root, const std::string& path) {
    std::string folder;
    if (path.size() > root.size()) {
        size_t from = root.size();
        if (path[from] == '/') ++from;
        folder.assign(path, from, std::string::npos);
        folder += '/';
    }
    return folder;
}

bool IsFolder(const EntryList::Entry& e) { return e.kind == kEntryFolder || e.kind == kEntryFolderLink; }

// --gitfile's rules over one folder's entries.
void FilterByFileRules(GitIgnore& ignore, const std::string& path, EntryList& list, size_t first) {
    std::string folder = FolderBelowRoot(ignore.root, path);
    size_t kept = first;
    for (size_t i = first; i < list.entries.size(); ++i) {
        const EntryList::Entry& e = list.entries[i];
        std::string_view raw = list.Raw(e);
        if (raw != "." && raw != "..") {
            ignore.scratch = folder;
            ignore.scratch.append(raw);
            if (IsFolder(e)) ignore.scratch += '/';
            if (AskIgnored(ignore.fileRules, ignore.scratch.c_str())) {
                ++ignore.leftOut;
                continue;
            }
        }
        list.entries[kept++] = e;
    }
    list.entries.resize(kept);
}

}  // namespace

bool GitIgnoreAvailable() { return true; }

GitIgnore* OpenGitFiles(const std::string& folder, const std::vector<std::string>& files, std::string& error) {
    std::string rules, text;
    for (const std::string& file : files) {
        if (int problem = ReadWhole(file, text); problem != 0) {
            error = "cannot read the --gitfile '" + file + "': " + std::strerror(problem);
            return nullptr;
        }
        rules += text;
        if (!rules.empty() && rules.back() != '\n') rules += '\n';
    }
    if (!LoadGit(error)) return nullptr;
    git.init();
    auto* ignore = new GitIgnore;
    ignore->root = folder;
    ignore->fileRules = RulesInMemory(rules);
    if (ignore->fileRules == nullptr) {
        error = LastError("cannot hold the rules of --gitfile");
        CloseGitIgnore(ignore);
        return nullptr;
    }
    return ignore;
}

GitIgnore* OpenGitIgnore(const std::string& folder, std::string& error) {
    GitIgnore* ignore = new GitIgnore;
    if (Open(*ignore, folder, error)) return ignore;
    delete ignore;  // as it stands when Open fails: libgit2 may be only partly loaded
    return nullptr;
}

void CloseGitIgnore(GitIgnore* ignore) {
    if (ignore == nullptr) return;
    Close(*ignore);
    delete ignore;
}

void FilterIgnored(GitIgnore* state, const std::string& path, EntryList& list, size_t first) {
    if (state != nullptr && state->fileRules != nullptr) FilterByFileRules(*state, path, list, first);
    if (state == nullptr || state->repository == nullptr) return;
    GitIgnore& ignore = *state;
    // The folder's path inside the work tree: FOLDER's prefix and what the scan added to FOLDER.
    std::string folder = ignore.prefix + FolderBelowRoot(ignore.root, path);
    // The ignore files that apply here, this folder's own (read now) and those above it, with where each
    // one's folder ends in the path; then info/exclude and the excludes file, which take the whole path.
    std::vector<std::pair<GitIgnoreRules*, size_t>> apply;
    if (ignore.inMemory) {
        LoadFolderRules(ignore, folder, HoldsIgnoreFile(list, first) ? path + "/.gitignore" : std::string());
        for (size_t end = 0; end <= folder.size(); end = folder.find('/', end) + 1) {
            auto found = ignore.files.find(folder.substr(0, end));
            if (found != ignore.files.end()) apply.emplace_back(&found->second, end);
            if (end == folder.size()) break;
        }
        for (GitIgnoreRules* rules : ignore.live) {
            bool applies = false;
            for (const auto& [other, folderLength] : apply) applies = applies || other == rules;
            if (applies) continue;
            Release(ignore, *rules);
        }
        ignore.live.clear();
        for (const auto& [rules, folderLength] : apply) ignore.live.push_back(rules);
    }
    // The paths git tracks in this folder (all of them when they are libgit2's to find).
    TrackedRange tracked = AllTracked(ignore.tracked);
    if (ignore.trackedRead == kIndexRead) tracked = TrackedUnder(ignore.tracked, tracked, folder);
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
            if (IsFolder(e)) ignore.scratch += '/';
            // What git tracks stays whatever the rules say, so it is not matched at all: in most work
            // trees that is most entries.
            if (!Tracked(ignore, tracked, ignore.scratch)) {
                // A symbolic link is a file to git, whatever it points at, and so it is to the rules in
                // memory (a path without '/' there is a file, never looked up). The work tree's
                // repository would stat it and take a link to a folder for a folder, so "dir/" patterns
                // would match it: that repository decides only what the rules in memory cannot (a
                // negation matching too, an opaque file, matching off), and there that error remains.
                Judgement judgement = ignore.inMemory ? JudgeInMemory(ignore, apply, ignore.scratch.c_str()) : kAsk;
                drop = judgement == kAsk ? AskIgnored(ignore.repository, ignore.scratch.c_str())
                                         : judgement == kDrop;
            }
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
GitIgnore* OpenGitIgnore(const std::string&, std::string& error) {
    error = "--gitignore is not available: this arbolin was built without libgit2";
    return nullptr;
}
GitIgnore* OpenGitFiles(const std::string&, const std::vector<std::string>&, std::string& error) {
    error = "--gitfile is not available: this arbolin was built without libgit2";
    return nullptr;
}
void CloseGitIgnore(GitIgnore*) {}
void FilterIgnored(GitIgnore*, const std::string&, EntryList&, size_t) {}

#endif

const std::string& GitIgnoreWarning(const GitIgnore* ignore) {
    static const std::string none;
    return ignore != nullptr ? ignore->warning : none;
}

int64_t GitIgnoreLeftOut(const GitIgnore* ignore) { return ignore != nullptr ? ignore->leftOut : 0; }
