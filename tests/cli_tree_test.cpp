// tree's options that show more of each entry (-u, -g, -c, --inodes, --device, --metafirst) and its own
// documents (-J, -X), run through the built `arbolin` beside `tree` 2.1 on the same folders: the fields'
// values, the documents parsed and compared entry by entry (tree_docs_check.py), order aside.
#include <sys/stat.h>
#include <sys/sysmacros.h>
#include <sys/wait.h>
#include <unistd.h>

#include <cstdio>
#include <cstdlib>
#include <filesystem>
#include <map>
#include <sstream>
#include <string>
#include <vector>

#include <gtest/gtest.h>

#include "support/arbolin_run.h"

namespace fs = std::filesystem;

namespace {

std::vector<std::string> Words(const std::string& text) {
    std::vector<std::string> words;
    std::istringstream in(text);
    for (std::string w; in >> w;) words.push_back(w);
    return words;
}

constexpr const char* kTimeFormat = "%Y-%m-%d %H:%M";

// Why the tests over "t" are not run against arbolin.exe under Wine.
constexpr char kLinuxFields[] =
    "owners, groups, inodes, devices, FIFOs, sockets and device files are Linux's (Windows refuses -u, -g "
    "and --inodes), and the name odd \"<&>' is one Windows does not allow";

class CliTree : public ArbolinFolderTest {
protected:
    void SetUp() override {
        ArbolinFolderTest::SetUp();
        setenv("TZ", "UTC", 1);
        if (UnderWine()) return;  // the tests of "t" say why they are not run there
        Folder("t/dir/sub");
        Folder("t/.hidden");
        File("t/dir/inner", "12345");
        File("t/plain", "x");
        File("t/run", "#!/bin/sh\n");
        File("t/.dot");
        File("t/odd \"<&>'", "q");
        File("t/strangers");
        chmod(At("t/run").c_str(), 04755);
        chmod(At("t/dir").c_str(), 01777);
        fs::create_symlink("plain", At("t/link"));
        fs::create_symlink("nowhere", At("t/broken"));
        fs::create_symlink("dir", At("t/dirlink"));
        EXPECT_EQ(mkfifo(At("t/pipe").c_str(), 0640), 0);
        std::string sock = "import socket; socket.socket(socket.AF_UNIX).bind('" + At("t/sock") + "')";
        EXPECT_EQ(std::system(("python3 -c \"" + sock + "\"").c_str()), 0);
        mknod(At("t/blk").c_str(), S_IFBLK | 0600, makedev(7, 0));
        mknod(At("t/chr").c_str(), S_IFCHR | 0666, makedev(1, 3));
        // An owner and a group without names: tree and arbolin show their numbers.
        EXPECT_EQ(lchown(At("t/strangers").c_str(), 54321, 54322), 0);
        EXPECT_EQ(std::system(("touch -d '2001-02-03 04:05' '" + At("t/plain") + "'").c_str()), 0);
    }
    void TearDown() override {
        unsetenv("TZ");
        ArbolinFolderTest::TearDown();
    }
    std::string Tree(const std::string& args) { return Shell("cd '" + At("") + "' && tree -a " + args + " t"); }
    std::vector<std::string> Split(const std::string& args) { return Words(args); }
};

// The fields of each entry, word by word, as tree shows them between its brackets and arbolin before
// the name; -D with the same date format.
TEST_F(CliTree, FieldsHoldTreesValues) {
    if (UnderWine()) GTEST_SKIP() << kLinuxFields;
    const char* rows[] = {"-u", "-g", "--inodes", "--device", "-p", "-s", "-D", "-c -D", "-u -g --inodes --device -p -s -D"};
    for (const char* row : rows) {
        std::string args = row;
        bool date = args.find("-D") != std::string::npos;
        std::string treeArgs = args + (date ? std::string(" --timefmt '") + kTimeFormat + "'" : "");
        std::map<std::string, std::vector<std::string>> expected;
        for (const std::string& line : Lines(Tree("--noreport " + treeArgs))) {
            size_t open = line.find('['), close = line.find("]  ");
            if (open == std::string::npos || close == std::string::npos) continue;
            std::string name = line.substr(close + 3);
            name = name.substr(0, name.find(" -> "));
            expected[name] = Words(line.substr(open + 1, close - open - 1));
        }
        ASSERT_GT(expected.size(), 15u) << row;
        RunResult r = Arbolin(Split(args + " --indented t"));
        ASSERT_EQ(r.status, 0) << row << r.err;
        size_t checked = 0;
        for (const std::string& line : Lines(r.out)) {
            for (const auto& [name, fields] : expected) {
                std::string shown = name.rfind('/') == std::string::npos ? name : name.substr(name.rfind('/') + 1);
                std::string lineName = line.find("[ ") != std::string::npos
                                           ? line.substr(line.find("[ ") + 2, line.size() - line.find("[ ") - 4)
                                           : "";
                bool folderLine = !lineName.empty();
                if (folderLine ? lineName != shown && lineName != name
                               : line.size() < shown.size() || line.compare(line.size() - shown.size(), shown.size(), shown) != 0 ||
                                     line[line.size() - shown.size() - 1] != ' ')
                    continue;
                std::string before = folderLine ? line.substr(0, line.find("[ ")) : line.substr(0, line.size() - shown.size());
                EXPECT_EQ(Words(before), fields) << row << ": " << name;
                ++checked;
                break;
            }
        }
        EXPECT_EQ(checked, expected.size()) << row << "\n" << r.out;
    }
}

// --metafirst: the fields start the line and the pieces follow, in the tree and the indented view alike.
TEST_F(CliTree, MetaFirstPutsTheFieldsBeforeThePieces) {
    if (UnderWine()) GTEST_SKIP() << kLinuxFields;
    for (const char* view : {"--pieces=ascii", "--indented"}) {
        std::vector<std::string> plain = Lines(Arbolin({view, "t"}).out);
        std::vector<std::string> after = Lines(Arbolin({view, "-p", "-u", "-s", "t"}).out);
        RunResult first = Arbolin({view, "--metafirst", "-p", "-u", "-s", "t"});
        ASSERT_EQ(first.status, 0) << first.err;
        std::vector<std::string> got = Lines(first.out);
        ASSERT_EQ(got.size(), plain.size());
        ASSERT_EQ(after.size(), plain.size());
        for (size_t i = 0; i < plain.size(); ++i) {
            // after = pieces " " fields entry (the root: fields entry); plain = pieces entry.
            size_t p = 0;
            while (p < plain[i].size() && plain[i][p] == after[i][p]) ++p;
            size_t fieldsLength = after[i].size() - plain[i].size() - (i == 0 ? 0 : 1);
            std::string fields = after[i].substr(i == 0 ? 0 : p + 1, fieldsLength);
            EXPECT_EQ(got[i], fields + plain[i]) << view;
            EXPECT_EQ(Words(fields).size(), 3u) << fields;
        }
    }
}

// -J and -X against tree -a -J and -X as parsed documents, one row per option line.
TEST_F(CliTree, DocumentsMatchTreesAsParsed) {
    if (UnderWine()) GTEST_SKIP() << kLinuxFields;
    const char* rows[] = {"", "-p", "-s", "-u -g", "--inodes --device", "-D", "-c -D", "-p -s -u -g --inodes --device -D"};
    for (const char* format : {"-J", "-X"}) {
        for (const char* row : rows) {
            std::string args = std::string(format) + " " + row;
            bool date = args.find("-D") != std::string::npos;
            std::string treeArgs = args + (date ? std::string(" --timefmt '") + kTimeFormat + "'" : "");
            WriteFile(At("tree.doc"), Tree(treeArgs));
            RunResult r = Arbolin(Split(args + " t"));
            ASSERT_EQ(r.status, 0) << args << r.err;
            WriteFile(At("arbolin.doc"), r.out);
            std::string command = "/usr/bin/python3 '" ARBOLIN_TREE_DOCS_CHECK "' '" + At("tree.doc") + "' '" +
                                  At("arbolin.doc") + "' '" + At("t") + "'";
            int status = std::system(command.c_str());
            EXPECT_TRUE(WIFEXITED(status) && WEXITSTATUS(status) == 0) << args << "\n" << r.out;
        }
    }
}

// The documents' own bytes: tree's layout line by line where the entries are in tree's order, names XML
// and JSON cannot hold as they are kept as bytes, and nothing else written with them.
TEST_F(CliTree, DocumentsKeepTreesLayoutAndEveryName) {
    Folder("s/only");
    File("s/only/a");
    Folder("e");
    RunResult r = Arbolin({"-J", "s"});
    EXPECT_EQ(r.out, Shell("cd '" + At("") + "' && tree -J s"));
    r = Arbolin({"-X", "s"});
    EXPECT_EQ(r.out, Shell("cd '" + At("") + "' && tree -X s"));
    r = Arbolin({"-J", "e"});
    EXPECT_EQ(r.out, "[\n  {\"type\":\"directory\",\"name\":\"e\"}\n,\n  {\"type\":\"report\",\"directories\":0,\"files\":0}\n]\n");
    if (UnderWine()) {
        NotUnderWine("names with control characters and bytes that are not UTF-8",
                     "Windows allows no such name, and Wine shows other bytes as U+FFFD");
        return;
    }
    Folder("n");
    File("n/bad\xff\x01");
    File("n/tab\tline\nend");
    r = Arbolin({"-X", "n"});
    EXPECT_NE(r.out.find("<file name=\"bad\xEF\xBF\xBD\xEF\xBF\xBD\" bytes=\"626164ff01\"></file>"), std::string::npos) << r.out;
    EXPECT_NE(r.out.find("<file name=\"tab&#x0009;line&#x000A;end\"></file>"), std::string::npos) << r.out;
    EXPECT_EQ(std::system(("python3 -c 'import sys, xml.dom.minidom as m; m.parseString(sys.stdin.buffer.read())' <<'EOF'\n" +
                           r.out + "EOF").c_str()), 0);
    r = Arbolin({"-J", "n"});
    EXPECT_NE(r.out.find("{\"type\":\"file\",\"name\":\"bad\xEF\xBF\xBD\\u0001\",\"bytes\":\"626164ff01\"}"), std::string::npos)
        << r.out;
    // Neither document is coloured, and both refuse what --compat refuses.
    r = Arbolin({"-J", "--color=always", "s"});
    EXPECT_EQ(r.out.find('\x1b'), std::string::npos);
    EXPECT_EQ(Arbolin({"-X", "--compat", "s"}).status, 64);
    EXPECT_EQ(Arbolin({"-u", "--fromfile", "list"}).status, 64);
}

// JSON's "type" in --format json: tree -J's words for FIFOs, sockets and devices; folders stay "folder".
TEST_F(CliTree, JsonNamesEveryKindAsTreeDoes) {
    if (UnderWine()) GTEST_SKIP() << kLinuxFields;
    RunResult r = Arbolin({"--format", "json", "t"});
    ASSERT_EQ(r.status, 0) << r.err;
    const std::pair<const char*, const char*> kinds[] = {
        {"pipe", "fifo"}, {"sock", "socket"}, {"blk", "block"}, {"chr", "char"}, {"link", "link"},
        {"broken", "link"}, {"dirlink", "link"}, {"plain", "file"}, {"dir", "folder"}};
    for (const auto& [name, type] : kinds) {
        if (!fs::exists(fs::symlink_status(At(std::string("t/") + name)))) continue;
        std::string entry = std::string("{\"name\": \"") + name + "\", \"type\": \"" + type + "\"";
        EXPECT_NE(r.out.find(entry), std::string::npos) << entry << "\n" << r.out;
    }
    // Where the entries cannot be looked at, JSON still lists them, as files, without a word: no
    // option asked for their metadata.
    Folder("shut");
    File("shut/one");
    chmod(At("shut").c_str(), 0444);
    r = Arbolin({"--format", "json", "shut"}, true);
    chmod(At("shut").c_str(), 0755);
    EXPECT_EQ(r.status, 0) << r.err;
    EXPECT_EQ(r.err, "");
    EXPECT_NE(r.out.find("{\"name\": \"one\", \"type\": \"file\"}"), std::string::npos) << r.out;
}

// -c and --sort ctime order by the last status change, newest first (as -t orders by modification);
// -r gives tree's order, oldest first. Only -c changes the date -D shows.
TEST_F(CliTree, StatusChangeTimeOrdersAndShows) {
    if (UnderWine()) GTEST_SKIP() << "-c and --sort ctime are refused on Windows (OptionsWindowsCannotMeanRefused)";
    Folder("o");
    File("o/a");
    File("o/b");
    File("o/c");
    // Modification times one way, status changes the other.
    EXPECT_EQ(std::system(("touch -d '2001-01-01' '" + At("o/c") + "' && touch -d '2002-01-01' '" + At("o/b") +
                           "' && touch -d '2003-01-01' '" + At("o/a") + "'").c_str()), 0);
    struct timespec pause {0, 20000000};
    for (const char* name : {"o/a", "o/b", "o/c"}) {
        nanosleep(&pause, nullptr);
        chmod(At(name).c_str(), 0600);
    }
    auto names = [](const std::string& out) {
        std::string order;
        for (const std::string& line : Lines(out)) order += line.back();
        return order;
    };
    EXPECT_EQ(names(Arbolin({"--sort", "ctime", "--no-subfolders", "o"}).out), "]cba");
    EXPECT_EQ(names(Arbolin({"-c", "o"}).out), "]cba");
    EXPECT_EQ(names(Arbolin({"-c", "-r", "o"}).out), "]abc");
    EXPECT_EQ(names(Arbolin({"--sort", "mtime", "o"}).out), "]abc");
    std::string shownC = Arbolin({"-c", "-D", "o"}).out, shownSort = Arbolin({"--sort", "ctime", "-D", "o"}).out;
    EXPECT_EQ(shownSort.find("2001-01-01"), shownSort.find("2001")) << shownSort;
    EXPECT_NE(shownSort.find("2001-01-01 00:00 c"), std::string::npos) << shownSort;
    EXPECT_EQ(shownC.find("2001-01-01"), std::string::npos) << shownC;
}

}  // namespace
