// An input read whole (POSIX side): open, fstat for the size of a regular file, read to the end.
#include "platform/input_file.h"

#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

#include <cerrno>

int ReadWholeInput(const std::string& path, std::string& bytes) {
    int fd = path == "-" ? STDIN_FILENO : open(path.c_str(), O_RDONLY | O_CLOEXEC);
    if (fd < 0) return errno;
    size_t used = 0;
    struct stat info;
    bool regular = fstat(fd, &info) == 0 && S_ISREG(info.st_mode);
    bytes.resize(regular ? size_t(info.st_size) + 1 : size_t(1) << 20);  // + 1: the read that finds the end
    for (;;) {
        if (used == bytes.size()) bytes.resize(bytes.size() * 2);
        ssize_t n = read(fd, bytes.data() + used, bytes.size() - used);
        if (n == 0) break;
        if (n < 0) {
            if (errno == EINTR) continue;
            int error = errno;
            if (fd != STDIN_FILENO) close(fd);
            return error;
        }
        used += size_t(n);
    }
    if (fd != STDIN_FILENO) close(fd);
    bytes.resize(used);
    return 0;
}
