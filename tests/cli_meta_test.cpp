// Sizes, dates, modes, type marks, sort orders, colour, -l and -x: the parser called directly, the
// metadata reader with a stat that fails or makes values up, the platform's stat and dates against GNU
// stat and date, and the built `arbolin` against GNU ls over folders made here.
#include <fcntl.h>
#include <sched.h>
#include <sys/mount.h>
#include <sys/stat.h>
#include <sys/sysmacros.h>
#include <unistd.h>

#include <algorithm>
#include <cctype>
#include <cerrno>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <filesystem>
#include <map>
#include <memory>
#include <sstream>
#include <string>
#include <vector>

#include <gtest/gtest.h>

#include "cli/options.h"
#include "metadata/colors.h"
#include "metadata/metadata.h"
#include "platform/messages.h"
#include "support/arbolin_run.h"

namespace fs = std::filesystem;

namespace {

// A variable set for one test and put back after it.
class ScopedEnv {
public:
    ScopedEnv(const char* name, const char* value) : name_(name) {
        const char* old = std::getenv(name);
        had_ = old != nullptr;
        if (had_) old_ = old;
        if (value != nullptr) {
            setenv(name, value, 1);
        } else {
            unsetenv(name);
        }
    }
    ~ScopedEnv() {
        if (had_) {
            setenv(name_, old_.c_str(), 1);
        } else {
            unsetenv(name_);
        }
    }

private:
    const char* name_;
    bool had_ = false;
    std::string old_;
};

// Where `name` stands alone in a line of names and colour sequences: at the start or after one's 'm',
// and at the end or before the next one.
size_t NameAt(const std::string& line, const std::string& name) {
    for (size_t at = line.find(name); at != std::string::npos; at = line.find(name, at + 1)) {
        size_t after = at + name.size();
        bool startOk = at == 0 || line[at - 1] == 'm' || line[at - 1] == 'Z';
        bool endOk = after == line.size() || line[after] == '\x1b';
        if (startOk && endOk) return at;
    }
    return std::string::npos;
}

CommandAction Parse(std::vector<const char*> args, CliOptions& options, std::string& error) {
    args.insert(args.begin(), "arbolin");
    return ParseArguments(int(args.size()), args.data(), options, error);
}

// ---- The parser.

TEST(CliMetaOptions, UsageErrors) {
    const struct {
        std::vector<const char*> args;
        const char* message;
    } cases[] = {
        {{"--compat", "-s"}, "cannot be combined with '--size'"},
        {{"-D", "--compat"}, "cannot be combined with '--date'"},
        {{"--compat", "-t"}, "cannot be combined with '-t'"},
        {{"--compat", "-l"}, "cannot be combined with '--follow'"},
        {{"--timefmt", ""}, "the format of '--timefmt' is empty"},
        {{"--timefmt=%Y %"}, "ends in a lone '%'"},
        {{"--timefmt", "%%%"}, "ends in a lone '%'"},
        {{"--timefmt", "%Y%E"}, "ends in a lone '%'"},
        {{"--sort", "Size"}, "invalid sort order 'Size'"},
        {{"--sort="}, "invalid sort order ''"},
        {{"--color="}, "invalid colour choice ''"},
        {{"--color=sometimes"}, "invalid colour choice 'sometimes'"},
        {{"-s3"}, "unknown option '-3' in '-s3'"},
        {{"--size=1"}, "takes no value"},
    };
    for (const auto& c : cases) {
        CliOptions options;
        std::string error;
        EXPECT_EQ(Parse(c.args, options, error), kActionUsageError) << c.message;
        EXPECT_NE(error.find(c.message), std::string::npos) << error;
    }
}

TEST(CliMetaOptions, ImpliedChoicesAndColourOnlyAfterEquals) {
    CliOptions o;
    std::string error;
    ASSERT_EQ(Parse({"--du", "--timefmt", "%%Y", "-v", "--color", "never"}, o, error), kActionRun) << error;
    EXPECT_TRUE(o.meta.size && o.meta.du && o.meta.date && o.natural);
    EXPECT_EQ(o.meta.timeFormat, "%%Y");
    EXPECT_EQ(o.color, CliOptions::kColorAlways);  // "--color never": always, and a folder named never
    EXPECT_EQ(o.folder, "never");
    CliOptions p;
    ASSERT_EQ(Parse({"--color=never", "-t", "-r", "--human"}, p, error), kActionRun) << error;
    EXPECT_EQ(p.color, CliOptions::kColorNever);
    EXPECT_TRUE(p.meta.sortMtime && p.reverse && p.meta.size && p.meta.human);
    // -h is --human, and the last of --human and --si counts.
    for (const auto& [args, human] : {std::pair{std::vector<const char*>{"-h"}, true},
                                      std::pair{std::vector<const char*>{"-h", "--si"}, false},
                                      std::pair{std::vector<const char*>{"--si", "-sh"}, true}}) {
        CliOptions h;
        ASSERT_EQ(Parse(args, h, error), kActionRun) << error;
        EXPECT_TRUE(h.meta.size);
        EXPECT_EQ(h.meta.human, human) << args.size();
        EXPECT_EQ(h.meta.si, !human) << args.size();
    }
}

// ---- Sizes and dates as text.

// The rounding at every unit boundary is checked against ls below; no file reaches the largest size.
TEST(CliMetaFormat, TheLargestSizeDoesNotOverflow) {
    EXPECT_EQ(FormatSize(UINT64_MAX, true, false), "16E");
    EXPECT_EQ(FormatSize(UINT64_MAX, false, true), "19E");
    EXPECT_EQ(FormatSize(UINT64_MAX, false, false), "18446744073709551615");
}

// ---- An entry gone between its folder's reading and its stat: listed without metadata, reported.

int GoneStat(FolderHandle folder, const char* name, StatLinks links, uint32_t wants, EntryStat& out) {
    if (std::strcmp(name, "gone") == 0) return ENOENT;
    return StatAt(folder, name, links, wants, out);
}

TEST(CliMetaRead, AnEntryGoneBeforeItsStatIsListedWithoutFields) {
    std::string dir = fs::temp_directory_path() / ("arbolin-meta-" + std::to_string(getpid()));
    fs::create_directories(dir);
    { std::FILE* f = std::fopen((dir + "/kept").c_str(), "w"); std::fputs("12345", f); std::fclose(f); }
    MetaTable table;
    table.wants.size = table.wants.date = true;
    table.statAt = GoneStat;
    EntryList list;
    list.Add("kept", {}, {}, kEntryFile);
    list.Add("gone", {}, {}, kEntryFile);
    int fd = open(dir.c_str(), O_RDONLY | O_DIRECTORY);
    ASSERT_GE(fd, 0);
    testing::internal::CaptureStderr();
    StatEntries(table, dir, fd, list, 0);
    std::string err = testing::internal::GetCapturedStderr();
    close(fd);
    fs::remove_all(dir);
    EXPECT_EQ(table.failures, 1);
    EXPECT_EQ(err, "arbolin: cannot read the metadata of '" + dir + "/gone': No such file or directory\n");
    ASSERT_NE(list.entries[0].meta, kNoMeta);
    ASSERT_NE(list.entries[1].meta, kNoMeta);
    EXPECT_EQ(table.entries[list.entries[0].meta].size, 5u);
    EXPECT_TRUE(table.entries[list.entries[1].meta].flags & kMetaMissing);
    ListingTables tables;
    InitListing(tables, kNoLimits);
    ResetListing(tables, "x");
    tables.files.push_back({0, 0, 0, 0, 0, list.entries[0].meta});
    tables.files.push_back({0, 0, 0, 0, 0, list.entries[1].meta});
    MeasureFields(tables, 0, table);
    std::string kept, gone;
    AppendFields(kept, table, list.entries[0].meta);
    AppendFields(gone, table, list.entries[1].meta);
    EXPECT_EQ(gone.size(), kept.size()) << "the question marks keep the columns";
    EXPECT_EQ(gone, "? " + std::string(table.dateWidth - 1, ' ') + "? ");
}

// ---- Made-up metadata through the seam: what each look gives decides the fields, marks and kinds.

struct MadeUp {
    const char* name;
    int error;        // the look fails with it
    EntryStat self;   // the entry itself
    EntryStat target; // what a link leads to (error ENOENT when its mode is 0)
};

// The open folder is dev 7, ino 100; its entries as in kMadeUp.
const EntryStat kHere{0, 0, 0, 0, 0, kTypeFolder | 0755, 2, 7, 100, 0, 0};
const MadeUp kMadeUp[] = {
    {"plain", 0, {1536, 86400, 0, 0, 0, kTypeFile | 0644, 1, 7, 1, 0, 0}, {}},
    {"run", 0, {2, -1, 0, 0, 0, kTypeFile | kModeSetuid | 0755, 1, 7, 2, 0, 0}, {}},
    {"pipe", 0, {0, 0, 0, 0, 0, kTypeFifo | 0600, 1, 7, 3, 0, 0}, {}},
    {"sock", 0, {0, 0, 0, 0, 0, kTypeSocket | 0777, 1, 7, 4, 0, 0}, {}},
    {"shared", 0, {0, 0, 0, 0, 0, kTypeFolder | kModeSticky | 0777, 2, 7, 5, 0, 0}, {}},
    {"mounted", 0, {0, 0, 0, 0, 0, kTypeFolder | 0700, 2, 8, 1, 0, 0}, {}},
    {"back", 0, {5, 0, 0, 0, 0, kTypeLink | 0777, 1, 7, 6, 0, 0}, kHere},
    {"away", 0, {5, 0, 0, 0, 0, kTypeLink | 0777, 1, 7, 7, 0, 0}, {0, 0, 0, 0, 0, kTypeFolder | 0750, 2, 7, 50, 0, 0}},
    {"broken", 0, {5, 0, 0, 0, 0, kTypeLink | 0777, 1, 7, 8, 0, 0}, {}},
    {"denied", EACCES, {}, {}},
};

int MadeUpStat(FolderHandle, const char* name, StatLinks links, uint32_t, EntryStat& out) {
    if (*name == '\0') {
        out = kHere;
        return 0;
    }
    for (const MadeUp& m : kMadeUp) {
        if (std::strcmp(name, m.name) != 0) continue;
        if (m.error != 0) return m.error;
        bool link = TypeOf(m.self.mode) == kTypeLink;
        if (links == kStatLink || !link) {
            out = m.self;
            return 0;
        }
        if (m.target.mode == 0) return ENOENT;
        out = m.target;
        return 0;
    }
    return ENOENT;
}

TEST(CliMetaRead, MadeUpValuesDecideFieldsMarksAndKinds) {
    ScopedEnv tz("TZ", "UTC");
    tzset();
    MetaTable table;
    table.wants.perms = table.wants.size = table.wants.date = table.wants.follow = table.wants.oneFileSystem =
        table.wants.colour = true;
    table.statAt = MadeUpStat;
    table.rootDev = 7;
    EntryList list;
    for (const MadeUp& m : kMadeUp) {
        EntryType type = TypeOf(m.self.mode);
        list.Add(m.name, {}, {}, type == kTypeFolder ? kEntryFolder : type == kTypeLink ? kEntryLink : kEntryFile);
    }
    testing::internal::CaptureStderr();
    StatEntries(table, "here", FolderHandle(-1), list, 0);
    std::string err = testing::internal::GetCapturedStderr();
    EXPECT_EQ(err, "arbolin: cannot read the metadata of 'here/denied': Permission denied\n");
    EXPECT_EQ(table.failures, 1);
    ListingTables tables;
    InitListing(tables, kNoLimits);
    ResetListing(tables, "here");
    for (const EntryList::Entry& e : list.entries) tables.files.push_back({0, 0, 0, 0, 0, e.meta});
    MeasureFields(tables, 0, table);
    ColorTable colors;
    DefaultColors(colors);
    const struct {
        EntryKind kind;
        const char* fields;
        const char* mark;
        const char* colour;
    } expected[] = {
        {kEntryFile, "-rw-r--r-- 1536 1970-01-02 00:00 ", "", ""},
        {kEntryFile, "-rwsr-xr-x    2 1969-12-31 23:59 ", "*", "\x1b[37;41m"},
        {kEntryFile, "prw-------    0 1970-01-01 00:00 ", "|", "\x1b[33m"},
        {kEntryFile, "srwxrwxrwx    0 1970-01-01 00:00 ", "=", "\x1b[01;35m"},
        {kEntryFolder, "drwxrwxrwt    0 1970-01-01 00:00 ", "", "\x1b[30;42m"},
        {kEntryFolderLink, "drwx------    0 1970-01-01 00:00 ", "", "\x1b[01;34m"},  // another file system
        // A followed link shows its target's fields and colour, and keeps its mark.
        {kEntryFolder, "drwxr-xr-x    0 1970-01-01 00:00 ", "@", "\x1b[01;34m"},  // back to the folder
        {kEntryFolder, "drwxr-x---    0 1970-01-01 00:00 ", "@", "\x1b[01;34m"},
        {kEntryLink, "lrwxrwxrwx    5 1970-01-01 00:00 ", "@", "\x1b[01;36m"},  // ls's own colours have no "or"
        {kEntryFile, "         ?    ? " "               ? ", "", ""},
    };
    ASSERT_EQ(std::size(expected), list.entries.size());
    for (size_t i = 0; i < list.entries.size(); ++i) {
        const EntryList::Entry& e = list.entries[i];
        std::string fields, scratch;
        AppendFields(fields, table, e.meta);
        const EntryMeta* m = UsableMeta(table, e.meta);
        EXPECT_EQ(e.kind, expected[i].kind) << kMadeUp[i].name;
        EXPECT_EQ(fields, expected[i].fields) << kMadeUp[i].name;
        EXPECT_EQ(m ? ClassifyMark(*m) : "", expected[i].mark) << kMadeUp[i].name;
        EXPECT_EQ(ColorStart(colors, kMadeUp[i].name, m, e.kind != kEntryFile, scratch), expected[i].colour)
            << kMadeUp[i].name;
    }
    // The folder read is entered: a link back to it is not followed, one elsewhere is; real folders are.
    EXPECT_FALSE(FollowInto(table, "here/back"));
    EXPECT_TRUE(FollowInto(table, "here/away"));
    EXPECT_TRUE(FollowInto(table, "here/shared"));
    EXPECT_TRUE(table.entries[list.entries[6].meta].flags & kMetaRecursive);
    EXPECT_FALSE(table.entries[list.entries[7].meta].flags & kMetaRecursive);
    EXPECT_TRUE(table.entries[list.entries[8].meta].flags & kMetaBroken);
}

// ---- The built arbolin over folders made here, GNU ls as the reference.

// Why tests of Linux's own kinds of entry and mounts are not run against arbolin.exe under Wine.
constexpr char kLinuxKinds[] =
    "FIFOs, sockets, devices, set-user-ID, sticky folders, capabilities and dangling links are Linux's: Wine "
    "shows the first ones as plain files and the last not at all";
constexpr char kOwnMounts[] =
    "tmpfs mounted in the test's own mount namespace, which the session's wineserver does not share";

class CliMeta : public ArbolinFolderTest {
protected:
    void SetUp() override {
        ArbolinFolderTest::SetUp();
        tz_ = std::make_unique<ScopedEnv>("TZ", "UTC");
    }
    void TearDown() override {
        for (const std::string& m : mounts_) umount2(m.c_str(), MNT_DETACH);
        tz_.reset();
        ArbolinFolderTest::TearDown();
    }
    void Sized(const std::string& rel, uint64_t bytes) { fs::resize_file(At(rel), bytes); }
    // `ls` run in the test's folder, with its output.
    std::string Ls(const std::string& args) { return Shell("cd '" + At("") + "' && ls " + args); }

    void MountTmpfs(const std::string& rel);

    std::unique_ptr<ScopedEnv> tz_;
    std::vector<std::string> mounts_;
};

// The mode, size and date columns, right-aligned, against `ls -l` for the same files (a sparse 2 TB one
// included; sizes at each unit's boundaries; special mode bits).
TEST_F(CliMeta, SizesAndDatesMatchLs) {
    const uint64_t sizes[] = {0, 1, 999, 1000, 1023, 1024, 1025, 10189, 10240, 10241, 1048064, 1048576,
                              1073741824, 2199023255552};  // the last a sparse 2 TB
    for (uint64_t s : sizes) {
        File("s/f" + std::to_string(s));
        Sized("s/f" + std::to_string(s), s);
    }
    ASSERT_EQ(std::system(("touch -d '1901-12-14 00:00' '" + At("s/f0") + "' && touch -d '2100-02-28 23:59' '" +
                           At("s/f1") + "' && touch -d '1969-12-31 23:59:59' '" + At("s/f999") + "'").c_str()), 0);
    const std::pair<const char*, mode_t> modes[] = {{"f1", 06755}, {"f999", 06644}, {"f1000", 01777}, {"f1023", 01776}};
    for (const auto& [name, mode] : modes) chmod(At(std::string("s/") + name).c_str(), mode);
    for (const char* flag : {"-s", "--human", "--si"}) {
        std::string lsFlag = std::string(flag) == "-s" ? "" : std::string(flag) == "--human" ? "-h" : "--si";
        std::map<std::string, std::string> expected;  // name -> "size date"
        for (const std::string& line : Lines(Ls("-l " + lsFlag + " --time-style='+%Y-%m-%d %H:%M' s"))) {
            std::istringstream in(line);
            std::string mode, links, user, group, size, day, time, name;
            if (!(in >> mode >> links >> user >> group >> size >> day >> time >> name)) continue;
            expected[name] = mode + " " + size + " " + day + " " + time;
        }
        ASSERT_EQ(expected.size(), std::size(sizes));
        // Windows has attributes where Linux has modes: Wine gives every file the archive bit, and the
        // read-only one only where the owner may not write (set-user-ID and sticky mean nothing there).
        if (UnderWine())
            for (auto& [name, fields] : expected) fields.replace(0, fields.find(' '), "-a----");
        RunResult r = Arbolin({"-p", flag, "-D", "--no-subfolders", "s"});
        ASSERT_EQ(r.status, 0) << r.err;
        std::vector<std::string> lines = Lines(r.out);
        ASSERT_EQ(lines.size(), std::size(sizes) + 1);
        size_t width = 0;
        for (size_t i = 1; i < lines.size(); ++i) {
            std::string body = lines[i].substr(4);  // after the piece, " ├" or " └"
            size_t nameAt = body.rfind(' ');
            std::string name = body.substr(nameAt + 1);
            std::istringstream in(body);
            std::string mode, size, day, time;
            in >> mode >> size >> day >> time;
            EXPECT_EQ(mode + " " + size + " " + day + " " + time, expected[name]) << flag << " " << name;
            if (width == 0) width = nameAt;
            EXPECT_EQ(nameAt, width) << "every name starts in the same column: " << lines[i];
        }
    }
}

// The escape sequences around each name, against `ls --color=always` for the same LS_COLORS.
TEST_F(CliMeta, ColoursMatchLs) {
    if (UnderWine()) GTEST_SKIP() << kLinuxKinds;
    Folder("c/dir");
    Folder("c/sticky");
    Folder("c/open");
    File("c/plain");
    File("c/run");
    File("c/suid");
    File("c/Pack.TAR");
    File("c/notes.md");
    fs::create_symlink("plain", At("c/link"));
    fs::create_symlink("nowhere", At("c/dangling"));
    fs::create_symlink("dir", At("c/dirlink"));
    ASSERT_EQ(mkfifo(At("c/pipe").c_str(), 0644), 0);
    chmod(At("c/run").c_str(), 0755);
    chmod(At("c/suid").c_str(), 04755);
    chmod(At("c/sticky").c_str(), 01777);
    chmod(At("c/open").c_str(), 0777);
    ScopedEnv term("TERM", "xterm");
    const char* values[] = {
        nullptr,  // ls's own colours
        "",
        "di=01;34:ln=01;36:or=40;31;01:mi=00:ex=01;32:*.tar=01;31:*.md=4:su=37;41:tw=30;42:ow=34;42:pi=33",
        "ln=target:fi=00:*.TAR=7:*.tar=35:rs=1:lc=\\e[:rc=m",
        "ec=\\e[Z:di=^[[1m:ex=\\x31\\_2",
        "no=0:st=44:ow=0:tw=00:*.md=:ex=",
    };
    for (const char* value : values) {
        ScopedEnv colors("LS_COLORS", value);
        std::string label = value == nullptr ? "(unset)" : value;
        std::vector<std::string> ls = Lines(Ls("-1 --color=always c"));
        std::map<std::string, std::string> expected;  // name -> the line with the name as "#"
        bool firstColour = true;
        for (std::string line : ls) {
            for (std::string n : {"dir", "sticky", "open", "plain", "run", "suid", "Pack.TAR", "notes.md", "link",
                                  "dangling", "dirlink", "pipe"}) {
                size_t at = NameAt(line, n);
                if (at == std::string::npos) continue;
                // ls resets the terminal's colours once, before its first coloured name.
                if (firstColour && line.find('\x1b') < at) {
                    firstColour = false;
                    size_t second = line.find('\x1b', 1);
                    if (second < at) {
                        line.erase(0, second);
                        at -= second;
                    }
                }
                std::string shape = line;
                expected[n] = shape.replace(at, n.size(), "#");
            }
        }
        ASSERT_EQ(expected.size(), 12u) << label;
        RunResult r = Arbolin({"--color=always", "--indented", "c"});
        ASSERT_EQ(r.status, 0) << r.err;
        EXPECT_EQ(r.err, "");
        std::map<std::string, std::string> got;
        for (const std::string& line : Lines(r.out)) {
            if (line.rfind("   ", 0) != 0) continue;
            std::string body = line.substr(3);
            if (body.rfind("[ ", 0) == 0) body = body.substr(2, body.size() - 4);
            for (const auto& [name, shape] : expected) {
                size_t at = NameAt(body, name);
                if (at == std::string::npos) continue;
                std::string s = body;
                s.replace(at, name.size(), "#");
                got[name] = s;
            }
        }
        for (const auto& [name, shape] : expected) EXPECT_EQ(got[name], shape) << label << ": " << name;
    }
}

// One folder holding every kind of entry, its names each a line of `ls --color=always -1` and of
// arbolin's indented view: the bytes from a name's colour to its reset, how the output starts (the reset
// before the first colour) and how it ends (the restore), under many LS_COLORS, ls's built-in colours
// and its rule for TERM, and the warnings of an unparsable value.
class CliColour : public CliMeta {
protected:
    void SetUp() override {
        CliMeta::SetUp();
        if (UnderWine()) GTEST_SKIP() << kLinuxKinds;
        Folder("k/dir");
        Folder("k/sticky");
        Folder("k/open");
        Folder("k/both");
        File("k/plain", "x");
        File("k/run");
        File("k/suid");
        File("k/sgid");
        File("k/Pack.TAR");
        File("k/notes.md");
        File("k/notes.MD");
        File("k/cap");
        fs::create_hard_link(At("k/plain"), At("k/hard"));
        fs::create_symlink("plain", At("k/link"));
        fs::create_symlink("run", At("k/runlink"));
        fs::create_symlink("nowhere", At("k/broken"));
        fs::create_symlink("dir", At("k/dirlink"));
        EXPECT_EQ(mkfifo(At("k/pipe").c_str(), 0644), 0);
        chmod(At("k/run").c_str(), 0755);
        chmod(At("k/suid").c_str(), 04755);
        chmod(At("k/sgid").c_str(), 02755);
        chmod(At("k/sticky").c_str(), 01755);
        chmod(At("k/open").c_str(), 0777);
        chmod(At("k/both").c_str(), 01777);
        std::string sock = "import socket; socket.socket(socket.AF_UNIX).bind('" + At("k/sock") + "')";
        EXPECT_EQ(std::system(("python3 -c \"" + sock + "\"").c_str()), 0);
        // Where the machine allows them: a capability and the two kinds of device.
        names_ = {"dir", "sticky", "open", "both", "plain", "run", "suid", "sgid", "Pack.TAR", "notes.md", "notes.MD",
                  "cap", "hard", "link", "runlink", "broken", "dirlink", "pipe", "sock"};
        if (std::system(("setcap cap_net_raw+ep '" + At("k/cap") + "' 2>/dev/null").c_str()) != 0)
            std::printf("no capability set: 'cap' is a plain file here\n");
        if (mknod(At("k/blk").c_str(), S_IFBLK | 0644, makedev(7, 0)) == 0) names_.push_back("blk");
        if (mknod(At("k/chr").c_str(), S_IFCHR | 0644, makedev(1, 3)) == 0) names_.push_back("chr");
    }

    // `name` stands alone in a line of one name and colour sequences: not part of a longer name (a
    // sequence may end in a letter, "m" most often, but no name here ends in "m").
    static bool Alone(const std::string& line, const std::string& name) {
        auto word = [](char c) { return std::isalnum(uint8_t(c)) || c == '.'; };
        for (size_t at = line.find(name); at != std::string::npos; at = line.find(name, at + 1)) {
            size_t after = at + name.size();
            if ((at == 0 || !word(line[at - 1]) || line[at - 1] == 'm') && (after == line.size() || !word(line[after])))
                return true;
        }
        return false;
    }

    struct Shapes {
        std::string start, end;                   // before the first line, after the last line end
        std::map<std::string, std::string> name;  // name -> its line (ls) or what stands in place of it
    };
    // ls's lines, one name each. ls resets the terminal's colours once, right before its first colour:
    // the line of the first coloured name starts with what arbolin's output starts with (`start`).
    Shapes FromLs(const std::string& start) {
        std::string out = Shell("cd '" + At("") + "' && LC_ALL=C ls --color=always -1 k");
        Shapes s;
        size_t last = out.rfind('\n');
        s.end = out.substr(last + 1);
        out.erase(last + 1);
        size_t lineStart = 0;  // of the first line that is more than a name
        while (lineStart < out.size()) {
            size_t next = out.find('\n', lineStart) + 1;
            std::string line = out.substr(lineStart, next - 1 - lineStart);
            if (std::find(names_.begin(), names_.end(), line) == names_.end()) break;
            lineStart = next;
        }
        if (!start.empty() && out.compare(lineStart, start.size(), start) == 0) {
            s.start = start;
            out.erase(lineStart, start.size());
        }
        for (const std::string& line : Lines(out))
            for (const std::string& n : names_)
                if (Alone(line, n)) s.name[n] = line;
        return s;
    }
    // arbolin's indented view: what stands between the indent (and a folder's "[ ") and the line's end
    // (or " ]").
    Shapes FromArbolin(const RunResult& r) {
        Shapes s;
        std::string out = r.out;
        s.start = out.substr(0, out.find("[ "));
        size_t last = out.rfind('\n');
        s.end = out.substr(last + 1);
        for (const std::string& line : Lines(out.substr(0, last + 1))) {
            if (line.rfind("   ", 0) != 0) continue;
            std::string body = line.substr(3);
            if (body.rfind("[ ", 0) == 0) body = body.substr(2, body.size() - 4);
            for (const std::string& n : names_)
                if (Alone(body, n)) s.name[n] = body;
        }
        return s;
    }
    void Compare(const std::string& label) {
        RunResult r = Arbolin({"--color=always", "--indented", "k"});
        ASSERT_EQ(r.status, 0) << r.err;
        Shapes got = FromArbolin(r), want = FromLs(got.start);
        EXPECT_NE(want.start, "") << label << ": ls starts with a reset, arbolin with " << got.start;
        EXPECT_EQ(got.end, want.end) << label;
        ASSERT_EQ(want.name.size(), names_.size()) << label;
        for (const auto& [name, line] : want.name) EXPECT_EQ(got.name[name], line) << label << ": " << name;
    }

    std::vector<std::string> names_;
};

TEST_F(CliColour, EveryKindOfEntryAsLsColoursIt) {
    ScopedEnv term("TERM", "xterm");
    ScopedEnv colorTerm("COLORTERM", nullptr);
    std::string dircolors = Shell("dircolors -b | sed -n \"s/^LS_COLORS='\\(.*\\)';$/\\1/p\"");
    ASSERT_FALSE(dircolors.empty());
    dircolors.pop_back();  // the line end
    const std::string values[] = {
        dircolors,
        "",  // ls's built-in colours
        "di=01;34:ln=01;36:or=40;31;01:mi=00:ex=01;32:*.tar=01;31:*.md=4:su=37;41:tw=30;42:ow=34;42:pi=33",
        "ln=target:or=31:mi=32:fi=00:*.TAR=7:*.tar=35:rs=1",
        "ln=target:mi=01;05;37;41",
        "or=01;31:mh=44;37:ca=30;41:su=01:sg=02:tw=03:ow=04:st=05:ex=06:bd=07:cd=08:so=09:pi=35",
        "lc=<:rc=>:di=1:ln=2",
        "ec=\\e[Z:di=^[[1m:ex=\\x31\\_2:ln=\\033[4m",
        "no=01:di=34:*.md=4",
        "no=0:st=44:ow=0:tw=00:*.md=:ex=",
        "di=1\\x:ln=\\1010",
        "*.md=31:*.MD=32:*.tar=33:*.TAR=33:fi=",
        ":::di=7::",
    };
    for (const std::string& value : values) {
        ScopedEnv colors("LS_COLORS", value.c_str());
        Compare(value == dircolors ? "dircolors -b" : value);
    }
}

// Without LS_COLORS ls colours only a terminal its database names, or one that sets COLORTERM.
TEST_F(CliColour, WithoutLsColorsTheTerminalDecidesAsInLs) {
    ScopedEnv colors("LS_COLORS", nullptr);
    const struct {
        const char* term;
        const char* colorTerm;
    } cases[] = {{"xterm-256color", nullptr}, {"dumb", nullptr}, {nullptr, nullptr}, {"", nullptr},
                 {"screen.xterm", nullptr},   {"vt100", nullptr}, {"con80x25", nullptr}, {"con80", nullptr},
                 {"dumb", "truecolor"},       {nullptr, "1"},     {"unknown", ""}};
    for (const auto& c : cases) {
        ScopedEnv term("TERM", c.term);
        ScopedEnv colorTerm("COLORTERM", c.colorTerm);
        std::string label = std::string(c.term ? c.term : "(unset)") + " " + (c.colorTerm ? c.colorTerm : "(unset)");
        bool lsColours = Shell("cd '" + At("") + "' && LC_ALL=C ls --color=always -1 k").find('\x1b') != std::string::npos;
        RunResult r = Arbolin({"--color=always", "--indented", "k"});
        EXPECT_EQ(r.out.find('\x1b') != std::string::npos, lsColours) << label;
        if (lsColours) Compare(label);
    }
}

// An unparsable value: ls's warnings, an unknown key named, then no colour at all.
TEST_F(CliColour, UnparsableValuesWarnAsLsDoes) {
    ScopedEnv term("TERM", "xterm");
    for (const char* value : {"di=1:zz=2", "d", "di", "di=^", "di=1\\", "*.md", "*.md:di=1", "d:=1", "ex=1:==2"}) {
        ScopedEnv colors("LS_COLORS", value);
        std::string ls = Shell("cd '" + At("") + "' && LC_ALL=C ls --color=always -1 k 2>&1 >/dev/null");
        std::string expected;
        for (const std::string& line : Lines(ls)) expected += "arbolin: " + line.substr(line.find(": ") + 2) + "\n";
        RunResult r = Arbolin({"--color=always", "k"});
        EXPECT_EQ(r.status, 0) << value;
        EXPECT_EQ(r.err, expected) << value;
        EXPECT_EQ(r.out.find('\x1b'), std::string::npos) << value;
    }
}

TEST_F(CliMeta, ColourIsChosenAndRefusedWhereItShould) {
    Folder("d/sub");
    ScopedEnv term("TERM", "xterm");
    {
        ScopedEnv colors("LS_COLORS", "di=1:zz=2");
        RunResult r = Arbolin({"--color=always", "d"});
        EXPECT_EQ(r.status, 0);
        EXPECT_EQ(r.out, "[ d ]\n └[ sub ]\n");
        EXPECT_EQ(r.err, "arbolin: unrecognized prefix: 'zz'\n"
                         "arbolin: unparsable value for LS_COLORS environment variable\n");
        ScopedEnv caret("LS_COLORS", "di=^");
        r = Arbolin({"--color=always", "d"});
        EXPECT_EQ(r.out, "[ d ]\n └[ sub ]\n");
        ExpectMessages(r.err, 2);
    }
    ScopedEnv colors("LS_COLORS", "di=1");
    const std::vector<std::string> plainCases[] = {
        {"d"},                                   // auto, and standard output a file
        {"--color=auto", "d"},
        {"--color=always", "--format", "json", "d"},
        {"--color=always", "--format", "markdown", "d"},
    };
    for (const auto& args : plainCases) {
        RunResult r = Arbolin(args);
        EXPECT_EQ(r.out.find('\x1b'), std::string::npos) << args[0];
    }
    RunResult r = Arbolin({"--color=always", "-o", "out.txt", "d"});
    EXPECT_NE(ReadAll(At("out.txt")).find("\x1b[1msub\x1b[0m"), std::string::npos);
    r = Arbolin({"--color=auto", "-o", "out2.txt", "d"});
    EXPECT_EQ(ReadAll(At("out2.txt")).find('\x1b'), std::string::npos);
    // A name cannot bring its own escape sequence: it is escaped before it is coloured.
    if (UnderWine()) {
        NotUnderWine("a folder named with an escape sequence", "Windows allows no control character in a name");
        return;
    }
    Folder("e/\x1b[31mred");
    r = Arbolin({"--color=always", "e"});
    EXPECT_EQ(r.out, "\x1b[0m[ \x1b[1me\x1b[0m ]\n └[ \x1b[1m\\x1b[31mred\x1b[0m ]\n");
}

// auto: colour only on a terminal (a pseudo-terminal from script(1) here), not with NO_COLOR or TERM=dumb.
TEST_F(CliMeta, AutomaticColourFollowsTheTerminal) {
    if (UnderWine()) GTEST_SKIP() << "a Linux pseudo-terminal (script): on Windows --color=auto asks the console";
    Folder("d/sub");
    const struct {
        const char* env;
        const char* args;
        bool coloured;
    } cases[] = {
        {"env -u NO_COLOR TERM=xterm", "", true},
        {"NO_COLOR= TERM=xterm", "--color=auto", true},
        {"NO_COLOR=1 TERM=xterm", "", false},
        {"env -u NO_COLOR TERM=dumb", "", false},
        {"env -u NO_COLOR TERM=xterm", "--color=never", false},
        {"NO_COLOR=1 TERM=xterm", "--color", true},
        // Without LS_COLORS, always still asks ls's question: is this a terminal it knows to colour?
        {"env -u COLORTERM NO_COLOR=1 TERM=dumb", "--color", false},
        {"COLORTERM=truecolor TERM=dumb", "--color=always", true},
    };
    ScopedEnv colors("LS_COLORS", nullptr);
    for (const auto& c : cases) {
        std::string out = Shell("cd '" + At("") + "' && " + c.env + " script -qec '" + ARBOLIN_EXE + " " + c.args +
                                " d' /dev/null");
        EXPECT_EQ(out.find("\x1b[01;34msub\x1b[0m") != std::string::npos, c.coloured) << c.env << " " << c.args;
    }
}

// -p: on Linux the mode as `ls -l` shows it; on Windows the attributes as PowerShell's mode column shows
// them, "darhsl" with '-' for each one unset (folder, archive, read-only, hidden, system, reparse point),
// which Wine makes from the Linux entry: the archive bit on every file, read-only where the owner may not
// write, hidden for a name starting with a dot, a reparse point for a link to a folder.
TEST_F(CliMeta, PermissionsOrAttributes) {
    Folder("p/d");
    Folder("p/.hd");
    Folder("p/rod");
    File("p/f");
    File("p/.h");
    File("p/ro");
    File("p/.hro");
    fs::create_directory_symlink("d", At("p/ld"));
    const struct {
        const char* name;
        mode_t mode;  // 0: as made
        const char* windows;
    } rows[] = {
        {"d", 0, "d-----"},   {".hd", 0, "d--h--"}, {"rod", 0555, "d-r---"}, {"f", 0, "-a----"},
        {".h", 0, "-a-h--"}, {"ro", 0444, "-ar---"}, {".hro", 0444, "-arh--"}, {"ld", 0, "d----l"},
    };
    for (const auto& row : rows)
        if (row.mode != 0) chmod(At(std::string("p/") + row.name).c_str(), row.mode);
    RunResult r = Arbolin({"-p", "--indented", "p"});
    ASSERT_EQ(r.status, 0) << r.err;
    std::map<std::string, std::string> shown;  // name -> its field
    std::vector<std::string> lines = Lines(r.out);
    for (size_t i = 1; i < lines.size(); ++i) {  // after the root line
        std::istringstream in(lines[i]);
        std::string field, name;
        in >> field >> name;
        if (name == "[") in >> name;
        shown[name] = field;
    }
    ASSERT_EQ(shown.size(), std::size(rows)) << r.out;
    for (const auto& row : rows) {
        std::string expected = row.windows;
        if (!UnderWine()) {
            std::istringstream ls(Ls(std::string("-ld p/") + row.name));
            ls >> expected;
        }
        EXPECT_EQ(shown[row.name], expected) << row.name;
    }
    chmod(At("p/rod").c_str(), 0755);
}

// Entries whose metadata cannot be read (a folder readable but not searchable): listed with "?", each
// named once on standard error, exit status 1.
TEST_F(CliMeta, UnreadableMetadataIsReportedPerEntry) {
    if (UnderWine())
        GTEST_SKIP() << "a folder readable but not searchable is Linux's: Windows reads the metadata with the names, "
                        "and Wine cannot read such a folder at all";
    File("r/one", "1");
    File("r/two", "22");
    chmod(At("r").c_str(), 0444);
    RunResult r = Arbolin({"-s", "-D", "r"}, true);
    chmod(At("r").c_str(), 0755);
    EXPECT_EQ(r.status, 1);
    std::vector<std::string> lines = Lines(r.out);
    ASSERT_EQ(lines.size(), 3u) << r.out;
    // The size and the date each "?", right-aligned under the root's fields.
    const std::string root = lines[0].substr(0, lines[0].find('['));
    const size_t dateEnd = root.size() - 1;
    for (size_t i = 1; i < 3; ++i) {
        std::string body = lines[i].substr(4);  // after the piece
        EXPECT_EQ(std::count(body.begin(), body.end(), '?'), 2) << lines[i];
        EXPECT_EQ(body.substr(body.size() - 3), i == 1 ? "one" : "two");
        EXPECT_EQ(body.find_last_of('?'), dateEnd) << lines[i];
    }
    ExpectMessages(r.err, 2);
    EXPECT_NE(r.err.find("cannot read the metadata of 'r/one': Permission denied"), std::string::npos) << r.err;
}

// Sort orders: each block keeps its place, ties fall back to name order, -r reverses.
TEST_F(CliMeta, SortOrdersKeepBlocksAndBreakTiesByName) {
    Folder("o/zeta");
    Folder("o/alpha");
    File("o/zeta/x", "1234567");
    File("o/alpha/y", "1");
    File("o/b", "333");
    File("o/a", "333");
    File("o/c", "55555");
    File("o/d", "");
    ASSERT_EQ(std::system(("cd '" + At("o") + "' && touch -d '2001-01-01' b && touch -d '2003-01-01' a c && "
                           "touch -d '2002-01-01' d && touch -d '2000-01-01' zeta && touch -d '2005-01-01' alpha")
                              .c_str()),
              0);
    const struct {
        std::vector<std::string> args;
        std::string expected;
    } cases[] = {
        {{"--sort", "size", "--no-subfolders", "o"}, "[ o ]\n ├[ alpha ]\n ├[ zeta ]\n ├c\n ├a\n ├b\n └d\n"},
        {{"--sort", "size", "--no-subfolders", "--files-first", "o"},
         "[ o ]\n ├c\n ├a\n ├b\n ├d\n ├[ alpha ]\n └[ zeta ]\n"},
        {{"--sort", "size", "-r", "--no-subfolders", "o"}, "[ o ]\n ├[ zeta ]\n ├[ alpha ]\n ├d\n ├b\n ├a\n └c\n"},
        {{"--du", "--sort", "size", "o"},
         "19 [ o ]\n ├  7 [ zeta ]\n │ └  7 x\n ├  1 [ alpha ]\n │ └  1 y\n ├  5 c\n ├  3 a\n ├  3 b\n └  0 d\n"},
        {{"-t", "--no-subfolders", "o"}, "[ o ]\n ├[ alpha ]\n ├[ zeta ]\n ├a\n ├c\n ├d\n └b\n"},
        {{"-t", "-r", "--no-subfolders", "o"}, "[ o ]\n ├[ zeta ]\n ├[ alpha ]\n ├b\n ├d\n ├c\n └a\n"},
    };
    for (const auto& c : cases) {
        RunResult r = Arbolin(c.args);
        EXPECT_EQ(r.status, 0) << r.err;
        EXPECT_EQ(r.out, c.expected) << c.args[0] << " " << c.args[1];
    }
    // none: the order the folder delivers, which `ls -U` shows too. Wine delivers a folder's names sorted
    // as NTFS does, by their upper case (and no two may differ only in case there: "m" is left out).
    for (const char* name : {"q", "Beta", "alpha10", "alpha9", "_x", "zz", "M", "m", "0", "é", "a b", "B"}) {
        if (UnderWine() && std::string_view(name) == "m") {
            NotUnderWine("m", "differs from M only in case");
            continue;
        }
        File(std::string("n/") + name);
    }
    RunResult none = Arbolin({"--sort", "none", "n"});
    EXPECT_EQ(none.status, 0);
    std::string expected = "[ n ]\n";
    std::vector<std::string> names = UnderWine() ? std::vector<std::string>{"0", "a b", "alpha10", "alpha9", "B", "Beta",
                                                                            "M", "q", "zz", "_x", "é"}
                                                 : Lines(Ls("-U -1 n"));
    ASSERT_EQ(names.size(), UnderWine() ? 11u : 12u);
    for (size_t i = 0; i < names.size(); ++i) expected += (i + 1 < names.size() ? " ├" : " └") + names[i] + "\n";
    EXPECT_EQ(none.out, expected);
}

TEST_F(CliMeta, DuCountsHardLinksOnceAndSumsWhatWasListed) {
    File("u/a/one", std::string(100, 'x'));
    File("u/b/two", std::string(50, 'x'));
    File("u/b/skip.log", std::string(1000, 'x'));
    fs::create_hard_link(At("u/a/one"), At("u/a/again"));
    RunResult r = Arbolin({"--du", "-I", "*.log", "--summary", "u"});
    EXPECT_EQ(r.status, 0) << r.err;
    EXPECT_EQ(r.out, "150 [ u ]\n ├ 100 [ a ]\n │ ├ 100 again\n │ └ 100 one\n └  50 [ b ]\n   └  50 two\n"
                     "2 folders, 3 files; left out: 1 by patterns; total 150 bytes\n");
}

// -F: type marks, and link targets escaped as names are.
TEST_F(CliMeta, ClassifyMarksAndEscapedTargets) {
    Folder("f/dir");
    File("f/run");
    chmod(At("f/run").c_str(), 0700);
    ASSERT_EQ(mkfifo(At("f/pipe").c_str(), 0644), 0);
    fs::create_symlink("tab\there\x01\xff", At("f/odd"));
    fs::create_symlink("dir", At("f/dirlink"));
    RunResult r = Arbolin({"-F", "f"});
    EXPECT_EQ(r.status, 0) << r.err;
    if (UnderWine()) {
        // Windows: a reparse point's mark without its target, no FIFO and no execute bit; Wine shows the
        // dangling link not at all.
        NotUnderWine("odd@ -> tab\\there\\x01\\xff", "Wine does not show a dangling link");
        EXPECT_EQ(r.out, "[ f ]\n ├[ dir ]\n ├dirlink@\n ├pipe\n └run\n");
        return;
    }
    EXPECT_EQ(r.out, "[ f ]\n ├[ dir ]\n ├dirlink@ -> dir\n ├odd@ -> tab\\there\\x01\\xff\n ├pipe|\n └run*\n");
    r = Arbolin({"-F", "--format", "json", "--no-subfolders", "f"});
    EXPECT_NE(r.out.find("\"name\": \"odd\", \"type\": \"link\", \"target\": \"tab\\u0009here\\u0001\xEF\xBF\xBD\", "
                         "\"targetBytes\": \"7461620968657265" "01ff\"}"),
              std::string::npos)
        << r.out;
}

TEST_F(CliMeta, FollowedLinksStopAtLoops) {
    Folder("l/real/inner");
    File("l/real/inner/file", "12");
    fs::create_symlink("real", At("l/viaLink"));
    fs::create_symlink("..", At("l/real/up"));          // back to an ancestor
    fs::create_symlink("b", At("l/a"));                 // a -> b -> a: never resolves
    fs::create_symlink("a", At("l/b"));
    fs::create_symlink("missing", At("l/dangling"));
    RunResult r = Arbolin({"-l", "l"});
    EXPECT_EQ(r.status, 0) << r.err;
    NotUnderWine("a, b and dangling", "Wine does not show links that lead nowhere");
    EXPECT_EQ(r.out,
              "[ l ]\n"
              " ├[ real ]\n │ ├[ inner ]\n │ │ └file\n │ └[ up ] [recursive, not followed]\n" +
                  std::string(UnderWine() ? " └[ viaLink ] [recursive, not followed]\n"
                                          : " ├[ viaLink ] [recursive, not followed]\n ├a\n ├b\n └dangling\n"));
    // A followed link shows its target's size.
    fs::create_symlink("inner/file", At("l/real/toFile"));
    r = Arbolin({"-l", "-s", "-P", "toFile", "--no-subfolders", "l/real"});
    EXPECT_NE(r.out.find(" 2 toFile"), std::string::npos) << r.out;
}

// A tmpfs gives a folder's entries newest first, so the order in which they are made decides the
// order the disk delivers them in.
void CliMeta::MountTmpfs(const std::string& rel) {
    Folder(rel);
    static bool unshared = false;
    if (!unshared) {
        ASSERT_EQ(unshare(CLONE_NEWNS), 0) << std::strerror(errno);
        ASSERT_EQ(mount("none", "/", nullptr, MS_REC | MS_PRIVATE, nullptr), 0) << std::strerror(errno);
        unshared = true;
    }
    ASSERT_EQ(mount("tmpfs", At(rel).c_str(), "tmpfs", 0, "size=4m"), 0) << std::strerror(errno);
    mounts_.push_back(At(rel));
}

// -l enters a folder through a link only when the listing has not entered it before, judged in the
// listing's order: the same listing whatever order the disk gives, and as many lines as `tree -l`.
TEST_F(CliMeta, FollowedLinksEnterEachFolderOnce) {
    for (const char* disk : {"ab", "ba"}) {
        if (UnderWine()) {
            NotUnderWine(std::string("disk order ") + disk, kOwnMounts);
            continue;
        }
        std::string root = std::string("t") + disk;
        MountTmpfs(root);
        for (const char* c = disk; *c != '\0'; ++c) {
            std::string mine(1, *c), other(1, char('a' + 'b' - *c));
            Folder(root + "/" + mine);
            fs::create_symlink("../" + other, At(root + "/" + mine + "/to_" + other));
        }
        RunResult r = Arbolin({"-l", At(root)});
        EXPECT_EQ(r.status, 0) << r.err;
        EXPECT_EQ(r.out.substr(r.out.find('\n') + 1),
                  " ├[ a ]\n │ └[ to_b ]\n │   └[ to_a ] [recursive, not followed]\n"
                  " └[ b ]\n   └[ to_a ] [recursive, not followed]\n")
            << disk;
        r = Arbolin({"-l", "-r", At(root)});
        EXPECT_EQ(r.out.substr(r.out.find('\n') + 1),
                  " ├[ b ]\n │ └[ to_a ]\n │   └[ to_b ] [recursive, not followed]\n"
                  " └[ a ]\n   └[ to_b ] [recursive, not followed]\n")
            << disk;
    }
    // Seven folders, each with a link to every other: the old check along the path alone gave some
    // 82,000 lines.
    for (int i = 1; i <= 7; ++i)
        for (int j = 1; j <= 7; ++j)
            if (i != j) {
                Folder("s/f" + std::to_string(i));
                fs::create_symlink("../f" + std::to_string(j), At("s/f" + std::to_string(i) + "/l" + std::to_string(j)));
            }
    RunResult r = Arbolin({"-l", "s"});
    EXPECT_EQ(r.status, 0) << r.err;
    EXPECT_EQ(Lines(r.out).size(), Lines(Shell("tree -l --noreport '" + At("s") + "'")).size()) << r.out;
    EXPECT_EQ(Lines(r.out).size(), 86u);
}

// --du counts a file with several links in the first folder of the listing, in name order, that holds
// it, whatever order the disk gives; a folder's total is its whole subtree, whatever is shown.
TEST_F(CliMeta, DuCountsHardLinksWhereTheListingFirstHoldsThem) {
    if (UnderWine()) GTEST_SKIP() << kOwnMounts;
    MountTmpfs("h1");
    File("h1/a/f", std::string(1000, 'x'));
    File("h1/a/s", std::string(500, 'x'));
    Folder("h1/c");
    fs::create_hard_link(At("h1/a/f"), At("h1/c/g"));  // c, made last, comes first from the disk
    RunResult r = Arbolin({"--du", "h1"});
    EXPECT_EQ(r.status, 0) << r.err;
    EXPECT_EQ(r.out.substr(r.out.find(' ')),
              " [ h1 ]\n ├ 1500 [ a ]\n │ ├ 1000 f\n │ └  500 s\n └    0 [ c ]\n   └ 1000 g\n");
    const struct {
        std::vector<std::string> args;
        std::string expected;
    } shown[] = {
        {{"--du", "--no-file-names", "u"}, "150 [ u ]\n ├ 100 [ a ]\n └  50 [ b ]\n   └  50 [ deep ]\n"},
        {{"--du", "-L", "1", "u"}, "150 [ u ]\n ├ 100 [ a ]\n └  50 [ b ]\n"},
        {{"--du", "--no-subfolders", "--summary", "u"}, "150 [ u ]\n ├ 100 [ a ]\n └  50 [ b ]\n"
                                                        "2 folders, 0 files; total 150 bytes\n"},
        {{"--du", "-L", "2", "--no-folder-names", "u"}, "150 [ u ]\n ├ 100 again\n └ 100 one\n"},
        {{"--du", "-L", "1", "--sort", "size", "-r", "u"}, "150 [ u ]\n ├  50 [ b ]\n └ 100 [ a ]\n"},
        // What the patterns leave out below what is shown is not the summary's business.
        {{"--du", "-L", "2", "-I", "*.log", "--summary", "u"},
         "150 [ u ]\n ├ 100 [ a ]\n │ ├ 100 again\n │ └ 100 one\n └  50 [ b ]\n   └  50 [ deep ]\n"
         "3 folders, 2 files; total 150 bytes\n"},
    };
    File("u/a/one", std::string(100, 'x'));
    fs::create_hard_link(At("u/a/one"), At("u/a/again"));
    File("u/b/deep/two", std::string(50, 'x'));
    File("u/b/deep/skip.log");  // empty: the totals stay as they are
    for (const auto& c : shown) {
        RunResult d = Arbolin(c.args);
        EXPECT_EQ(d.status, 0) << d.err;
        EXPECT_EQ(d.out, c.expected) << c.args[1];
    }
}

// The documents say what the text view says of a link not followed.
TEST_F(CliMeta, DocumentsMarkLinksNotFollowed) {
    File("m/real/file");
    fs::create_symlink("..", At("m/real/up"));
    RunResult json = Arbolin({"-l", "--format", "json", "m"});
    EXPECT_EQ(json.status, 0) << json.err;
    EXPECT_NE(json.out.find("{\"name\": \"up\", \"type\": \"folder\", \"recursive\": true, \"children\": []}"),
              std::string::npos) << json.out;
    RunResult markdown = Arbolin({"-l", "--format", "markdown", "m"});
    EXPECT_NE(markdown.out.find("\n    - up/ \\[recursive, not followed\\]\n"), std::string::npos) << markdown.out;
    RunResult html = Arbolin({"-l", "--format", "html", "m"});
    EXPECT_NE(html.out.find("<a href=\"real/up/\">up</a> <span class=\"note\">[recursive, not followed]</span>"
                            "</summary>"),
              std::string::npos) << html.out;
}

// Markdown and HTML show the fields where the text view does, and -F's marks escaped for their markup.
TEST_F(CliMeta, DocumentsShowEveryField) {
    if (UnderWine()) GTEST_SKIP() << "Unix modes and symbolic links to files, which Wine shows as the files";
    File("d/f", "abc");
    File("d/run");
    chmod(At("d/f").c_str(), 0644);
    chmod(At("d/run").c_str(), 0755);
    fs::create_symlink("f", At("d/link"));
    fs::create_symlink("<b>*x", At("d/odd"));
    ASSERT_EQ(std::system(("cd '" + At("d") + "' && touch -h -d '2040-06-01 12:30:05' f run link odd").c_str()), 0);
    const std::vector<std::string> args{"-s", "-D", "-p", "-F", "--no-subfolders", "d"};
    std::vector<std::string> markdown = args, html = args;
    markdown.insert(markdown.end(), {"--format", "markdown"});
    html.insert(html.end(), {"--format", "html"});
    RunResult md = Arbolin(markdown);
    EXPECT_EQ(md.status, 0) << md.err;
    for (const char* line : {"\n  - f (-rw-r--r--, 3, 2040-06-01 12:30)\n",
                             "\n  - run\\* (-rwxr-xr-x, 0, 2040-06-01 12:30)\n",
                             "\n  - link@ -&gt; f (lrwxrwxrwx, 1, 2040-06-01 12:30)\n",
                             "\n  - odd@ -&gt; &lt;b&gt;\\*x (lrwxrwxrwx, 5, 2040-06-01 12:30)\n"})
        EXPECT_NE(md.out.find(line), std::string::npos) << line << "\n" << md.out;
    RunResult page = Arbolin(html);
    EXPECT_EQ(page.status, 0) << page.err;
    for (const char* piece : {"<li><span class=\"fields\">-rw-r--r-- ", " 3 2040-06-01 12:30 </span><a href=\"f\">f</a></li>\n",
                              " 0 2040-06-01 12:30 </span><a href=\"run\">run</a>*</li>\n",
                              " 1 2040-06-01 12:30 </span><a href=\"link\">link</a>@ -&gt; f</li>\n",
                              "<a href=\"odd\">odd</a>@ -&gt; &lt;b&gt;*x</li>\n",
                              "<summary><span class=\"fields\">drwx"})
        EXPECT_NE(page.out.find(piece), std::string::npos) << piece << "\n" << page.out;
}

TEST_F(CliMeta, OneFileSystemListsMountsWithoutEnteringThem) {
    if (UnderWine()) GTEST_SKIP() << "-x is refused on Windows (CliFeatures.OptionsWindowsCannotMeanRefused)";
    File("x/here/file");
    Folder("x/mnt");
    ASSERT_EQ(unshare(CLONE_NEWNS), 0) << std::strerror(errno);
    ASSERT_EQ(mount("none", "/", nullptr, MS_REC | MS_PRIVATE, nullptr), 0) << std::strerror(errno);
    ASSERT_EQ(mount("tmpfs", At("x/mnt").c_str(), "tmpfs", 0, "size=1m"), 0) << std::strerror(errno);
    mounts_.push_back(At("x/mnt"));
    File("x/mnt/inside");
    RunResult r = Arbolin({"-x", "x"});
    EXPECT_EQ(r.status, 0) << r.err;
    EXPECT_EQ(r.out, "[ x ]\n ├[ here ]\n │ └file\n └[ mnt ]\n");
    r = Arbolin({"x"});
    EXPECT_EQ(r.out, "[ x ]\n ├[ here ]\n │ └file\n └[ mnt ]\n   └inside\n");
}

TEST_F(CliMeta, LongTimeFormatsAndStructuredFields) {
    File("t/f", "abc");
    ASSERT_EQ(std::system(("touch -d '2040-06-01 12:30:05' '" + At("t/f") + "'").c_str()), 0);
    std::string big;
    while (big.size() < 4096) big += "%Y-%m-%d ";
    RunResult r = Arbolin({"--timefmt", big, "--no-subfolders", "-P", "f", "t"});
    EXPECT_EQ(r.status, 0) << r.err;
    std::vector<std::string> lines = Lines(r.out);
    ASSERT_EQ(lines.size(), 2u);
    EXPECT_GT(lines[1].size(), 4096u * 10 / 9);
    EXPECT_EQ(lines[1].substr(lines[1].size() - 13), "2040-06-01  f");
    r = Arbolin({"-s", "-D", "-p", "--format", "json", "t"});
    const std::string mode = UnderWine() ? "-a----" : "-rw-r--r--";  // attributes on Windows
    EXPECT_NE(r.out.find("{\"name\": \"f\", \"type\": \"file\", \"size\": 3, \"mtime\": \"2040-06-01T12:30:05+00:00\", "
                         "\"mtimeSeconds\": 2222166605, \"mode\": \"" + mode + "\"}"),
              std::string::npos)
        << r.out;
    r = Arbolin({"--human", "-D", "--format", "markdown", "t"});
    EXPECT_NE(r.out.find("  - f (3, 2040-06-01 12:30)\n"), std::string::npos) << r.out;
}

// ---- The platform's side of the seam against GNU stat, readlink and date.

TEST_F(CliMeta, StatAtAgreesWithStat) {
    File("k/plain", "12345");
    File("k/run");
    chmod(At("k/run").c_str(), 04751);
    Folder("k/shared");
    chmod(At("k/shared").c_str(), 01777);
    ASSERT_EQ(mkfifo(At("k/pipe").c_str(), 0640), 0);
    fs::create_hard_link(At("k/plain"), At("k/again"));
    fs::create_symlink("plain", At("k/link"));
    fs::create_symlink("shared", At("k/dirlink"));
    fs::create_symlink("nowhere\x01\xff", At("k/broken"));
    int fd = open(At("k").c_str(), O_RDONLY | O_DIRECTORY);
    ASSERT_GE(fd, 0);
    const uint32_t all = kStatType | kStatMode | kStatSize | kStatMtime | kStatCtime | kStatIno | kStatNlink |
                         kStatOwner;
    auto fields = [](const EntryStat& st) {
        char text[200];
        std::snprintf(text, sizeof text, "%x %llu %u %llu %lld %lld %u %u %llu %llu", unsigned(st.mode),
                      (unsigned long long)st.size, unsigned(st.nlink), (unsigned long long)st.ino,
                      (long long)st.mtime, (long long)st.ctime, unsigned(st.uid), unsigned(st.gid),
                      (unsigned long long)(st.dev >> 32), (unsigned long long)(st.dev & 0xffffffff));
        return std::string(text);
    };
    const char* format = "-c '%f %s %h %i %Y %Z %u %g %Hd %Ld'";
    for (const char* name : {"plain", "again", "run", "shared", "pipe", "link", "dirlink", "broken"}) {
        for (StatLinks links : {kStatLink, kStatTarget}) {
            std::string path = At(std::string("k/") + name);
            std::string reference = Shell(std::string("stat ") + (links == kStatTarget ? "-L " : "") + format + " '" +
                                          path + "' 2>/dev/null");
            EntryStat st;
            int err = StatAt(FolderHandle(fd), name, links, all, st);
            if (reference.empty()) {
                EXPECT_EQ(err, ENOENT) << name;
                continue;
            }
            ASSERT_EQ(err, 0) << name;
            EXPECT_EQ(fields(st) + "\n", reference) << name << (links == kStatTarget ? " followed" : "");
            EntryStat byPath;
            ASSERT_EQ(StatAt(WorkingFolder(), path.c_str(), links, all, byPath), 0) << name;
            EXPECT_EQ(fields(byPath), fields(st)) << name;
        }
    }
    EntryStat itself;
    ASSERT_EQ(StatAt(FolderHandle(fd), "", kStatTarget, all, itself), 0);
    EXPECT_EQ(fields(itself) + "\n", Shell(std::string("stat ") + format + " '" + At("k") + "'"));
    for (const char* name : {"link", "broken", "plain"}) {
        std::string target;
        int err = ReadLinkAt(FolderHandle(fd), name, target);
        std::string reference = Shell("readlink '" + At(std::string("k/") + name) + "'");
        EXPECT_EQ(err == 0 ? target + "\n" : "", reference) << name;
        EXPECT_EQ(err, reference.empty() ? EINVAL : 0) << name;
    }
    close(fd);
}

// Years at the ends of what the calendar holds: the text view writes them whole as date(1) does, past
// what an int holds too; JSON writes four digits or ISO 8601's expanded form; past the calendar, "?".
TEST(CliMetaDates, YearsAtTheEndsOfTime) {
    ScopedEnv lc("LC_ALL", "C");
    {
        ScopedEnv tz("TZ", "UTC0");
        tzset();
        const int64_t kLast = 67768036191676799;  // the last second whose year struct tm holds in UTC
        const struct {
            int64_t seconds;
            std::vector<const char*> formats;
        } times[] = {
            {kLast, {"%Y-%m-%d %H:%M", "%a %j %C %y %G %V", "%%Y %s"}},
            {kLast - 86400 * 400, {"%Y-%m-%d %H:%M", "%a %j %C %y %G %V", "%%Y %s"}},
            {67767976233532799, {"%Y-%m-%d %H:%M", "%a %j %C %y %G %V", "%%Y %s"}},  // 2147483647-12-31
            {-67768040609740800, {"%Y-%m-%d %H:%M", "%a %j %G %V %s"}},  // the first second struct tm holds
        };
        for (const auto& [t, formats] : times)
            for (const char* f : formats) {
                std::string text, plain;
                EXPECT_TRUE(FormatTime(text, f, t));
                EXPECT_EQ(text + "\n", Shell("date -d @" + std::to_string(t) + " '+" + std::string(f) + "'"))
                    << t << " " << f;
                // %F as the C library writes it for years of five digits: no sign.
                EXPECT_TRUE(FormatTime(text, "%F", t));
                EXPECT_TRUE(FormatTime(plain, "%Y-%m-%d", t));
                EXPECT_EQ(text, plain) << t;
            }
        std::string text;
        EXPECT_FALSE(FormatTime(text, "%Y", kLast + 1));
        EXPECT_EQ(text, "?");
        EXPECT_EQ(IsoTime(kLast + 1), "");
        const struct {
            int64_t seconds;
            const char* iso;
        } years[] = {
            {-62167219200, "0000-01-01T00:00:00+00:00"},  {-62135596800, "0001-01-01T00:00:00+00:00"},
            {-62198755200, "-00001-01-01T00:00:00+00:00"}, {253402300799, "9999-12-31T23:59:59+00:00"},
            {253402300800, "+10000-01-01T00:00:00+00:00"}, {-30610224000, "1000-01-01T00:00:00+00:00"},
            {kLast, "+2147485547-12-31T23:59:59+00:00"},
        };
        for (const auto& y : years) EXPECT_EQ(IsoTime(y.seconds), y.iso) << y.seconds;
    }
    ScopedEnv tz("TZ", "Europe/Amsterdam");
    tzset();
    std::string text;
    EXPECT_FALSE(FormatTime(text, "%Y", 67768036191676799));  // the next year there
    EXPECT_EQ(text, "?");
}

// A date past the calendar through the metadata seam: "?", a message and a failure; JSON keeps the
// exact seconds.
int FarStat(FolderHandle, const char* name, StatLinks, uint32_t, EntryStat& out) {
    out = EntryStat{};
    out.mode = kTypeFile | 0644;
    out.mtime = std::strcmp(name, "far") == 0 ? 67768036191676799 : 0;
    return 0;
}

TEST(CliMetaDates, ADatePastTheCalendarIsReported) {
    ScopedEnv tz("TZ", "Europe/Amsterdam");
    tzset();
    MetaTable table;
    table.wants.date = true;
    table.statAt = FarStat;
    EntryList list;
    list.Add("far", {}, {}, kEntryFile);
    list.Add("near", {}, {}, kEntryFile);
    StatEntries(table, "here", FolderHandle(-1), list, 0);
    ListingTables tables;
    InitListing(tables, kNoLimits);
    ResetListing(tables, "here");
    for (const EntryList::Entry& e : list.entries)
        tables.files.push_back({0, tables.Store(list.Name(e)), e.nameLen, 0, 0, e.meta});
    testing::internal::CaptureStderr();
    MeasureFields(tables, 0, table);
    FlushCappedMessages();
    std::string err = testing::internal::GetCapturedStderr();
    EXPECT_EQ(table.failures, 1);
    EXPECT_EQ(err, "arbolin: cannot show the date of 'far': 67768036191676799 seconds since 1970 is past the "
                   "calendar of this system's time zone\n");
    std::string far, near;
    AppendFields(far, table, list.entries[0].meta);
    AppendFields(near, table, list.entries[1].meta);
    EXPECT_EQ(far, "               ? ");
    EXPECT_EQ(near, "1970-01-01 01:00 ");
}

// Times far apart, in zones with and without a half-hour offset and summer time, against date(1).
TEST(CliMetaDates, FormatAndIsoTimeAgreeWithDate) {
    const int64_t times[] = {0, -1, 86399, 1234567890, 1719792000, 4102444800, -2208988800};
    std::string longFormat;
    while (longFormat.size() < 300) longFormat += "%Y-%m-%d %a ";
    const std::string formats[] = {"%Y-%m-%d %H:%M", "%s", "%b %e %T %Z", longFormat};
    for (const char* zone : {"UTC0", "IST-5:30", "EST5EDT,M3.2.0,M11.1.0"}) {
        ScopedEnv tz("TZ", zone);
        ScopedEnv lc("LC_ALL", "C");
        tzset();
        for (int64_t t : times) {
            std::string when = " -d @" + std::to_string(t) + " ";
            for (const std::string& f : formats) {
                std::string text;
                FormatTime(text, f, t);
                EXPECT_EQ(text + "\n", Shell("date" + when + "'+" + f + "'")) << zone << " " << t << " " << f;
            }
            EXPECT_EQ(IsoTime(t) + "\n", Shell("date" + when + "+%Y-%m-%dT%H:%M:%S%:z")) << zone << " " << t;
        }
        std::string text;
        FormatTime(text, "%Y", INT64_MAX);
        EXPECT_EQ(text, "?") << "a year past what the C library holds";
    }
    tzset();
}

// What FormatTime writes, ReadTime reads back whole; blanks in the format take a run of blanks.
TEST(CliMetaDates, ReadTimeReadsWhatFormatTimeWrote) {
    ScopedEnv tz("TZ", "UTC0");
    tzset();
    for (const char* format : {"%Y-%m-%d %H:%M", "%d.%m.%Y", "%s", "%Y%m%d%H%M%S", "%b %e %Y"}) {
        for (int64_t t : {int64_t(0), int64_t(951782400), int64_t(1719792000), int64_t(-86400 * 365)}) {
            if (t < 0 && std::string_view(format) == "%s") continue;  // the C library reads %s without a sign
            std::string text;
            FormatTime(text, format, t);
            EXPECT_EQ(ReadTime((text + " name").c_str(), format), text.size()) << format << " " << text;
        }
    }
    const struct {
        const char* text;
        const char* format;
        size_t read;
    } cases[] = {
        {"2026-05-01   10:00 x", "%Y-%m-%d %H:%M", 18},
        {"2026-05-01 x", "%Y-%m-%d %H:%M", 0},
        {"2026-13-01 10:00", "%Y-%m-%d %H:%M", 0},
        {"name", "%Y", 0},
        {"", "%Y", 0},
    };
    for (const auto& c : cases) EXPECT_EQ(ReadTime(c.text, c.format), c.read) << c.text;
    tzset();
}

}  // namespace
