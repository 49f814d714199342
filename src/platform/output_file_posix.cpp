// The output file, POSIX side: standard output, or -o FILE through a temporary file beside it (mkostemp),
// fsync'ed and renamed over FILE, so FILE is written whole or not at all; a device, a FIFO or one of the
// process's own descriptors (/dev/stdout, /dev/fd/N, resolved through /proc) is written as it is; an
// interrupt removes the temporary file.
#include "platform/output_file.h"

#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

#include <cerrno>
#include <climits>
#include <csignal>
#include <cstdlib>
#include <vector>

#include "platform/messages.h"

namespace {

// The temporary file an interrupt must not leave behind: set while it exists. The handler may only use
// async-signal-safe calls, so it reads a plain C string that stays valid while the pointer is set.
const char* volatile gTempForSignal = nullptr;

void RemoveTempAndDie(int signalNumber) {
    const char* temp = gTempForSignal;
    if (temp != nullptr) unlink(temp);
    signal(signalNumber, SIG_DFL);
    raise(signalNumber);
}

void GuardTemp(const std::string& temp) {
    gTempForSignal = temp.c_str();
    for (int s : {SIGINT, SIGTERM, SIGHUP, SIGQUIT}) {
        struct sigaction old {};
        sigaction(s, nullptr, &old);
        if (old.sa_handler == SIG_IGN) continue;  // a job started with the signal ignored keeps it so
        struct sigaction act {};
        act.sa_handler = RemoveTempAndDie;
        sigemptyset(&act.sa_mask);
        sigaction(s, &act, nullptr);
    }
}

void UnguardTemp() { gTempForSignal = nullptr; }

std::string FolderOf(const std::string& path) {
    size_t slash = path.rfind('/');
    if (slash == std::string::npos) return ".";
    if (slash == 0) return "/";
    return path.substr(0, slash);
}

void RemoveTemp(Output& output) {
    if (output.tempPath.empty()) return;
    unlink(output.tempPath.c_str());
    UnguardTemp();
    output.tempPath.clear();
}

// The mode a newly created file gets: 0666 less the umask.
mode_t NewFileMode() {
    mode_t mask = umask(0);
    umask(mask);
    return 0666 & ~mask;
}

// True when `name` is a descriptor number as /proc spells it: decimal, no sign, no leading zero.
bool ParseDescriptor(std::string_view name, int& fd) {
    if (name.empty() || name.size() > 9 || (name.size() > 1 && name[0] == '0')) return false;
    fd = 0;
    for (char c : name) {
        if (c < '0' || c > '9') return false;
        fd = fd * 10 + (c - '0');
    }
    return true;
}

// The descriptor of this process that `path` names, or -1: a path whose folder is this process's
// descriptor folder in /proc (which /dev/fd, /proc/self/fd and /proc/thread-self/fd lead to), reached
// directly or through a chain of symbolic links such as /dev/stdout. The chain is followed one link at a
// time, so the link /proc makes of the descriptor itself (to the caller's file) is never followed.
int OwnDescriptor(const std::string& path) {
    const std::string pid = std::to_string(getpid());
    const std::string own[] = {"/proc/" + pid + "/fd", "/proc/" + pid + "/task/" + pid + "/fd"};
    std::string p = path;
    for (int hops = 0; hops < 40; ++hops) {  // as many links as the kernel follows in a path
        size_t slash = p.rfind('/');
        std::string name = slash == std::string::npos ? p : p.substr(slash + 1);
        char* folder = realpath(FolderOf(p).c_str(), nullptr);
        if (folder == nullptr) return -1;
        bool descriptorFolder = folder == own[0] || folder == own[1];
        std::free(folder);
        int fd = -1;
        if (descriptorFolder && ParseDescriptor(name, fd)) return fd;
        std::vector<char> target(PATH_MAX + 1);
        ssize_t n = readlink(p.c_str(), target.data(), PATH_MAX);
        if (n < 0) return -1;  // not a link (or gone): a path like any other
        std::string next(target.data(), size_t(n));
        p = next[0] == '/' ? next : FolderOf(p) + "/" + next;
    }
    return -1;
}

// Works out where FILE leads: written in place (a device or FIFO) or replaced (a regular or new file,
// through a link to the file it names). `st` and `exists` describe FILE.
bool Resolve(Output& output, const std::string& path, struct stat& st, bool& exists, std::string& message) {
    output = Output{};
    output.path = path;
    int fd = OwnDescriptor(path);
    if (fd >= 0) {
        // Written as inherited: reopening the path would truncate the caller's file, and replacing it
        // would unlink the file the caller's descriptor still points at.
        int flags = fcntl(fd, F_GETFL);
        if (flags < 0 || (flags & O_ACCMODE) == O_RDONLY) {
            message = "cannot write " + Quoted(path) + ": file descriptor " + std::to_string(fd) +
                      (flags < 0 ? " is not open" : " is not open for writing");
            return false;
        }
        output.fd = fd;
        output.inherited = true;
        exists = true;
        return true;
    }
    exists = stat(path.c_str(), &st) == 0;
    if (!exists && errno != ENOENT) {
        message = OutputFailure(output, errno);
        return false;
    }
    if (exists && S_ISDIR(st.st_mode)) {
        message = OutputFailure(output, EISDIR);
        return false;
    }
    // A device or FIFO cannot be replaced (and /dev/null must never be): it is written into.
    output.replace = !exists || S_ISREG(st.st_mode);
    output.target = path;
    if (!exists || !output.replace) return true;
    // A read-only FILE stays protected although a rename would pass over it.
    if (faccessat(AT_FDCWD, path.c_str(), W_OK, AT_EACCESS) != 0) {
        message = OutputFailure(output, errno);
        return false;
    }
    // A link keeps pointing at the listing: replace the file it names, not the link.
    struct stat lst {};
    if (lstat(path.c_str(), &lst) == 0 && S_ISLNK(lst.st_mode)) {
        char* resolved = realpath(path.c_str(), nullptr);
        if (resolved == nullptr) {
            message = OutputFailure(output, errno);
            return false;
        }
        output.target = resolved;
        std::free(resolved);
    }
    return true;
}

}  // namespace

bool CheckOutput(const std::string& path, std::string& message) {
    if (path.empty()) return true;
    Output output;
    struct stat st {};
    bool exists = false;
    if (!Resolve(output, path, st, exists, message)) return false;
    if (output.inherited) return true;
    std::string probe = output.replace ? FolderOf(output.target) : path;
    if (faccessat(AT_FDCWD, probe.c_str(), output.replace ? W_OK | X_OK : W_OK, AT_EACCESS) != 0) {
        message = output.replace ? TempFileFailure(output, FolderOf(output.target), errno)
                                 : OutputFailure(output, errno);
        return false;
    }
    return true;
}

bool OpenOutput(Output& output, const std::string& path, std::string& message) {
    if (path.empty()) {
        output = Output{};
        output.fd = STDOUT_FILENO;
        return true;
    }
    struct stat st {};
    bool exists = false;
    if (!Resolve(output, path, st, exists, message)) return false;
    if (output.inherited) return true;
    if (!output.replace) {
        output.fd = open(path.c_str(), O_WRONLY | O_NOCTTY | O_CLOEXEC);
        if (output.fd < 0) {
            message = OutputFailure(output, errno);
            return false;
        }
        return true;
    }
    mode_t mode = exists ? (st.st_mode & 07777) : NewFileMode();

    std::string pattern = FolderOf(output.target) + "/.arbolin-XXXXXX";
    std::vector<char> temp(pattern.begin(), pattern.end());
    temp.push_back('\0');
    output.fd = mkostemp(temp.data(), O_CLOEXEC);
    if (output.fd < 0) {
        message = TempFileFailure(output, FolderOf(output.target), errno);
        return false;
    }
    output.tempPath = temp.data();
    GuardTemp(output.tempPath);
    if (fchmod(output.fd, mode) != 0) {
        message = OutputFailure(output, errno);
        close(output.fd);
        output.fd = -1;
        RemoveTemp(output);
        return false;
    }
    if (exists) {
        // Keep the owner where we may (root replacing another user's file); failing that is no error.
        if (fchown(output.fd, st.st_uid, st.st_gid) != 0) {
        }
    }
    return true;
}

void WriteOutput(Output& output, std::string_view bytes) {
    while (output.error == 0 && !bytes.empty()) {
        ssize_t n = write(output.fd, bytes.data(), bytes.size());
        if (n < 0) {
            if (errno == EINTR) continue;
            output.error = errno;
            return;
        }
        if (n == 0) {
            output.error = EIO;
            return;
        }
        output.written += static_cast<uint64_t>(n);
        bytes.remove_prefix(static_cast<size_t>(n));
    }
}

bool FinishOutput(Output& output, bool keep, std::string& message) {
    int error = output.error;
    if (output.path.empty() || output.inherited) {  // the caller's descriptor stays open
        if (keep && error != 0) message = OutputFailure(output, error);
        return !keep || error == 0;
    }
    if (output.replace && keep && error == 0 && fsync(output.fd) != 0) error = errno;
    if (output.fd >= 0 && close(output.fd) != 0 && error == 0 && keep) error = errno;
    output.fd = -1;
    if (!output.replace) {
        if (keep && error != 0) message = OutputFailure(output, error);
        return !keep || error == 0;
    }
    if (!keep || error != 0) {
        RemoveTemp(output);
        if (keep) message = OutputFailure(output, error);
        return !keep;
    }
    if (rename(output.tempPath.c_str(), output.target.c_str()) != 0) {
        error = errno;
        RemoveTemp(output);
        message = OutputFailure(output, error);
        return false;
    }
    UnguardTemp();
    output.tempPath.clear();
    // Make the rename itself durable; a file system without directory fsync is no failure.
    int folder = open(FolderOf(output.target).c_str(), O_RDONLY | O_DIRECTORY | O_CLOEXEC);
    if (folder >= 0) {
        fsync(folder);
        close(folder);
    }
    return true;
}
