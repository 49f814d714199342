// Speed of the listing pipeline: production against the literal reference on the same in-memory trees
// (a full folder table; many folders with files), production's growth without limits, and the command
// line over a generated tree on disk. Reports times; the ratio is printed as a counter.
#include <benchmark/benchmark.h>

#include <cstdlib>
#include <cstdio>
#include <filesystem>
#include <map>
#include <random>
#include <string>

#include "reference/reference_engine.h"
#include "reference/reference_render.h"
#include "render/render.h"
#include "support/memory_tree.h"

namespace {

// A tree of `folders` folders (at most 6 levels) and `files` files, names in no particular order, built
// from a fixed seed so every run lists the same tree.
MemoryTree MakeTree(int folders, int files) {
    std::mt19937 rng(20261207);
    MemoryTree tree;
    tree.root = "C:\\bench";
    tree.folders[tree.root];
    std::vector<std::pair<std::string, int>> paths{{tree.root, 0}};
    auto name = [&](const char* prefix) {
        std::string n = prefix;
        for (int i = 0; i < 8; ++i) n += char('a' + rng() % 26);
        return n;
    };
    for (int i = 0; i < folders; ++i) {
        auto parent = paths[rng() % paths.size()];
        if (parent.second >= 6) parent = paths[0];
        paths.push_back({tree.Add(parent.first, name("d"), kEntryFolder), parent.second + 1});
    }
    for (int i = 0; i < files; ++i) tree.Add(paths[rng() % paths.size()].first, name("f") + ".txt", kEntryFile);
    return tree;
}

void Production(benchmark::State& state, MemoryTree& tree, const ListLimits& limits) {
    ListingTables tables;
    InitListing(tables, limits);
    TextBuffer buffer;
    ListOptions options;
    if (limits.textCapacity == 0) options.maxDepth = 1 << 30;
    size_t bytes = 0;
    for (auto _ : state) {
        BuildListing(tables, tree, options);
        InitTextBuffer(buffer, limits);
        RenderTree(buffer, tables, 0, options, kWindowsStyle);
        bytes = buffer.text.size();
    }
    state.counters["rows"] = double(tables.folders.size() + tables.files.size());
    state.counters["text_bytes"] = double(bytes);
}

void Reference(benchmark::State& state, MemoryTree& tree) {
    reference::ListingTables tables;
    reference::InitListing(tables, kDefinedLimits);
    reference::TextBuffer buffer;
    ListOptions options;
    for (auto _ : state) {
        reference::ResetListing(tables, tree.root);
        int32_t folderLast = 0, depth = 1;
        reference::ScanFolder(tables, MemoryFolderSource(tree), tree.root, folderLast, depth, options);
        reference::BuildFolderStructure(tables, folderLast, TestNameOrder());
        reference::OrderFiles(tables, TestNameOrder());
        reference::InitTextBuffer(buffer, kDefinedLimits.textCapacity, kDefinedLimits.textLimit);
        reference::RenderTree(buffer, tables, 0, options);
    }
}

MemoryTree& FullFolderTable() {
    static MemoryTree tree = MakeTree(65535, 0);
    return tree;
}
MemoryTree& FoldersWithFiles() {
    static MemoryTree tree = MakeTree(4000, 2048);
    return tree;
}

void BM_FullFolderTable_Production(benchmark::State& s) { Production(s, FullFolderTable(), kDefinedLimits); }
void BM_FullFolderTable_Reference(benchmark::State& s) { Reference(s, FullFolderTable()); }
void BM_FoldersWithFiles_Production(benchmark::State& s) { Production(s, FoldersWithFiles(), kDefinedLimits); }
void BM_FoldersWithFiles_Reference(benchmark::State& s) { Reference(s, FoldersWithFiles()); }

// Growth without limits: 1x, 4x and 16x the full folder table, with five files a folder.
void BM_Unlimited(benchmark::State& state) {
    MemoryTree tree = MakeTree(int(state.range(0)), int(state.range(0)) * 5);
    Production(state, tree, kNoLimits);
    state.SetComplexityN(state.range(0));
}

// The command line over a generated tree on disk: 10,000 folders and 50,000 files.
void BM_CommandLine(benchmark::State& state) {
    static const std::filesystem::path root = [] {
        auto dir = std::filesystem::temp_directory_path() / "arbolin-bench-tree";
        if (!std::filesystem::exists(dir / "done")) {
            MemoryTree tree = MakeTree(10000, 50000);
            for (const auto& [path, folder] : tree.folders) {
                std::string relative = path.substr(tree.root.size());
                for (char& c : relative) c = c == '\\' ? '/' : c;
                auto here = dir / ("." + relative);
                std::filesystem::create_directories(here);
                for (const auto& e : folder.entries)
                    if (e.kind == kEntryFile) std::fclose(std::fopen((here / e.name).c_str(), "w"));
            }
            std::fclose(std::fopen((dir / "done").c_str(), "w"));
        }
        return dir;
    }();
    std::string command = std::string(ARBOLIN_BINARY) + " '" + root.string() + "' > /dev/null";
    for (auto _ : state) {
        if (std::system(command.c_str()) != 0) state.SkipWithError("arbolin failed");
    }
}

}  // namespace

BENCHMARK(BM_FullFolderTable_Production)->Unit(benchmark::kMillisecond);
BENCHMARK(BM_FullFolderTable_Reference)->Unit(benchmark::kMillisecond)->Iterations(1);
BENCHMARK(BM_FoldersWithFiles_Production)->Unit(benchmark::kMillisecond);
BENCHMARK(BM_FoldersWithFiles_Reference)->Unit(benchmark::kMillisecond)->Iterations(1);
BENCHMARK(BM_Unlimited)->Arg(65536)->Arg(262144)->Arg(1048576)->Unit(benchmark::kMillisecond)->Complexity();
BENCHMARK(BM_CommandLine)->Unit(benchmark::kMillisecond);

// The console report, followed by how many times faster production is than the literal reference.
class RatioReporter : public benchmark::ConsoleReporter {
public:
    void ReportRuns(const std::vector<Run>& runs) override {
        for (const Run& run : runs) times_[run.benchmark_name()] = run.GetAdjustedRealTime();
        ConsoleReporter::ReportRuns(runs);
    }
    void Finalize() override {
        ConsoleReporter::Finalize();
        for (const char* table : {"BM_FullFolderTable", "BM_FoldersWithFiles"}) {
            auto production = times_.find(std::string(table) + "_Production");
            auto reference = times_.find(std::string(table) + "_Reference/iterations:1");
            if (production == times_.end() || reference == times_.end()) continue;
            std::printf("%s: production is %.0fx faster than the literal reference\n", table,
                        reference->second / production->second);
        }
    }

private:
    std::map<std::string, double> times_;
};

int main(int argc, char** argv) {
    benchmark::Initialize(&argc, argv);
    RatioReporter reporter;
    benchmark::RunSpecifiedBenchmarks(&reporter);
    benchmark::Shutdown();
}
