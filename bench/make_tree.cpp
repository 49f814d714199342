// Makes the benchmark trees on disk from a fixed seed, so every run and every machine lists the same tree:
// FOLDERS folders, each under a random folder above the depth cap, and FILES files spread over all of them.
//   make_tree [--ascii] DIR FOLDERS FILES MAXDEPTH [SEED]
// DIR must not exist. Prints "folders files name_bytes" (name_bytes: the bytes of every name, for the
// memory report). Names mix upper and lower case, digits, spaces, and some Japanese; none starts with '.'.
// --ascii leaves out the Japanese (the Windows program's ANSI calls lose what code page 932 lacks) and the
// hyphen (its collation nearly ignores it), so that the Windows program and `arbolin --compat` agree.
#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

#include <cerrno>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <random>
#include <string>
#include <vector>

namespace {

constexpr unsigned kDefaultSeed = 20261207;

struct Folder {
    std::string path;  // relative to DIR ("" for DIR itself), ending in '/' below it
    int depth;         // 0 for DIR itself
};

// A name of 3 to 16 characters; one in twenty is Japanese (hiragana and kanji, 2 to 6 characters).
std::string MakeName(std::mt19937& rng, bool file, bool ascii) {
    static const char kChars[] = "abcdefghijklmnopqrstuvwxyzABCDEFGHIJKLMNOPQRSTUVWXYZ0123456789_-";
    // Without the hyphen (the last character) under --ascii: Windows' collation nearly ignores it.
    const size_t charCount = sizeof kChars - (ascii ? 2 : 1);
    static const char* const kExtensions[] = {".txt", ".c", ".h", ".cpp", ".md", ".png", ".json", ""};
    std::string name;
    if (rng() % 20 == 0 && !ascii) {
        int count = 2 + int(rng() % 5);
        for (int i = 0; i < count; ++i) {
            unsigned c = rng() % 2 ? 0x3041 + rng() % 83 : 0x4E00 + rng() % 2000;
            name += char(0xE0 | (c >> 12));
            name += char(0x80 | ((c >> 6) & 0x3F));
            name += char(0x80 | (c & 0x3F));
        }
    } else {
        int count = 3 + int(rng() % 14);
        for (int i = 0; i < count; ++i) {
            bool space = i > 0 && i + 1 < count && rng() % 16 == 0;
            name += space ? ' ' : kChars[rng() % charCount];
        }
    }
    if (file) name += kExtensions[rng() % 8];
    return name;
}

}  // namespace

int main(int argc, char** argv) {
    bool ascii = argc > 1 && std::strcmp(argv[1], "--ascii") == 0;
    if (ascii) --argc, ++argv;
    if (argc < 5 || argc > 6) {
        std::fprintf(stderr, "usage: make_tree [--ascii] DIR FOLDERS FILES MAXDEPTH [SEED]\n");
        return 64;
    }
    const char* dir = argv[1];
    long folders = std::atol(argv[2]), files = std::atol(argv[3]);
    int maxDepth = std::atoi(argv[4]);
    std::mt19937 rng(argc == 6 ? unsigned(std::strtoul(argv[5], nullptr, 10)) : kDefaultSeed);
    if (folders < 0 || files < 0 || maxDepth < 1) {
        std::fprintf(stderr, "make_tree: bad sizes\n");
        return 64;
    }
    if (mkdir(dir, 0755) != 0) {
        std::fprintf(stderr, "make_tree: cannot make %s: %s\n", dir, std::strerror(errno));
        return 1;
    }
    int root = open(dir, O_RDONLY | O_DIRECTORY | O_CLOEXEC);
    if (root < 0) {
        std::fprintf(stderr, "make_tree: cannot open %s: %s\n", dir, std::strerror(errno));
        return 1;
    }
    std::vector<Folder> all{{"", 0}};
    std::vector<size_t> open{0};  // folders that may still take a subfolder (depth below the cap)
    unsigned long long nameBytes = 0;
    // A name already taken in its folder is drawn again; the draws stay deterministic.
    for (long i = 0; i < folders; ++i) {
        const Folder parent = all[open[rng() % open.size()]];
        std::string name;
        int made;
        do {
            name = MakeName(rng, false, ascii);
            made = mkdirat(root, (parent.path + name).c_str(), 0755);
        } while (made != 0 && errno == EEXIST);
        if (made != 0) {
            std::fprintf(stderr, "make_tree: cannot make %s: %s\n", name.c_str(), std::strerror(errno));
            return 1;
        }
        nameBytes += name.size();
        all.push_back({parent.path + name + '/', parent.depth + 1});
        if (parent.depth + 1 < maxDepth) open.push_back(all.size() - 1);
    }
    for (long i = 0; i < files; ++i) {
        const Folder& parent = all[rng() % all.size()];
        std::string name;
        int fd;
        do {
            name = MakeName(rng, true, ascii);
            fd = openat(root, (parent.path + name).c_str(), O_WRONLY | O_CREAT | O_EXCL | O_CLOEXEC, 0644);
        } while (fd < 0 && errno == EEXIST);
        if (fd < 0) {
            std::fprintf(stderr, "make_tree: cannot make %s: %s\n", name.c_str(), std::strerror(errno));
            return 1;
        }
        close(fd);
        nameBytes += name.size();
    }
    close(root);
    std::printf("%ld %ld %llu\n", folders, files, nameBytes);
    return 0;
}
