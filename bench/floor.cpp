// The floor every listing benchmark is held against: the work no sorted tree lister can skip on Linux.
// Each folder opened once from its parent (openat), read with getdents64 until it returns 0, its names
// sorted by bytes and written once each after their indent; no stat, no collation, no escaping.
//
//   floor FOLDER
#include <dirent.h>
#include <fcntl.h>
#include <stdio.h>
#include <stdlib.h>
#include <string.h>
#include <unistd.h>

enum { kEntryBufferBytes = 128 * 1024, kOutBytes = 64 * 1024 };

static char entryBuffer[kEntryBufferBytes];
static char out[kOutBytes];
static size_t outUsed;

// Names of every folder on the way down, end to end: a folder's names stay while its subfolders are read.
static char* names;
static size_t namesUsed, namesCap;
struct Name {
    size_t offset;
    unsigned char isFolder;
};
static struct Name* list;
static size_t listUsed, listCap;

static void Flush(void) {
    size_t at = 0;
    while (at < outUsed) {
        ssize_t n = write(1, out + at, outUsed - at);
        if (n <= 0) exit(1);
        at += (size_t)n;
    }
    outUsed = 0;
}

static void Put(const char* bytes, size_t n) {
    if (outUsed + n > kOutBytes) Flush();
    if (n > kOutBytes) {
        while (n > 0) {
            ssize_t w = write(1, bytes, n);
            if (w <= 0) exit(1);
            bytes += w;
            n -= (size_t)w;
        }
        return;
    }
    memcpy(out + outUsed, bytes, n);
    outUsed += n;
}

static void* Grow(void* p, size_t* cap, size_t need, size_t unit) {
    if (need <= *cap) return p;
    size_t cap2 = *cap ? *cap : 4096;
    while (cap2 < need) cap2 *= 2;
    p = realloc(p, cap2 * unit);
    if (!p) exit(1);
    *cap = cap2;
    return p;
}

static int ByBytes(const void* a, const void* b) {
    return strcmp(names + (static_cast<const Name*>(a))->offset, names + (static_cast<const Name*>(b))->offset);
}

// Lists the folder open as `fd` (closed here) at `depth`.
static void Walk(int fd, int depth) {
    size_t first = listUsed, firstByte = namesUsed;
    for (;;) {
        long n = getdents64(fd, entryBuffer, sizeof entryBuffer);
        if (n <= 0) break;
        for (long at = 0; at < n;) {
            const struct dirent64* d = reinterpret_cast<const dirent64*>(entryBuffer + at);
            at += d->d_reclen;
            const char* name = d->d_name;
            if (name[0] == '.' && (name[1] == '\0' || (name[1] == '.' && name[2] == '\0'))) continue;
            size_t len = strlen(name) + 1;
            names = static_cast<char*>(Grow(names, &namesCap, namesUsed + len, 1));
            memcpy(names + namesUsed, name, len);
            list = static_cast<Name*>(Grow(list, &listCap, listUsed + 1, sizeof *list));
            list[listUsed].offset = namesUsed;
            list[listUsed].isFolder = d->d_type == DT_DIR;
            ++listUsed;
            namesUsed += len;
        }
    }
    qsort(list + first, listUsed - first, sizeof *list, ByBytes);
    static const char kIndent[] = "                                                                ";
    for (size_t i = first; i < listUsed; ++i) {
        const char* name = names + list[i].offset;
        size_t indent = (size_t)depth * 2;
        while (indent > 0) {
            size_t k = indent < sizeof kIndent - 1 ? indent : sizeof kIndent - 1;
            Put(kIndent, k);
            indent -= k;
        }
        Put(name, strlen(name));
        Put("\n", 1);
        if (list[i].isFolder) {
            int child = openat(fd, name, O_RDONLY | O_DIRECTORY | O_CLOEXEC | O_NOFOLLOW);
            // list and names may move as the subfolder grows them: only offsets are kept across the call.
            if (child >= 0) Walk(child, depth + 1);
        }
    }
    close(fd);
    listUsed = first;
    namesUsed = firstByte;
}

int main(int argc, char** argv) {
    if (argc != 2) {
        fputs("usage: floor FOLDER\n", stderr);
        return 64;
    }
    int fd = open(argv[1], O_RDONLY | O_DIRECTORY | O_CLOEXEC);
    if (fd < 0) {
        perror(argv[1]);
        return 2;
    }
    Put(argv[1], strlen(argv[1]));
    Put("\n", 1);
    Walk(fd, 1);
    Flush();
    return 0;
}
