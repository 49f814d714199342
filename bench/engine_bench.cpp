// Speed of the listing engine after the scan (structure pass, file ordering, tree rendering): production
// against the literal reference on the same scanned tables at the Windows program's full capacities, with
// the two texts checked byte for byte; production's growth without limits at 1x, 4x and 16x; and the
// command line over a generated tree on disk. Reports times; the ratios are printed after the table.
#include <benchmark/benchmark.h>

#include <cstdio>
#include <cstdlib>
#include <filesystem>
#include <map>
#include <memory>
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

// One tree scanned once, by production and (under the defined limits) by the reference: the stages after
// the scan start from a copy of these tables in every iteration.
struct Scanned {
    ListLimits limits;
    ListingTables tables;
    int32_t folderLast = 0;
    reference::ListingTables refTables;
    int32_t refFolderLast = 0;
    std::string productionText;  // the text the production stages make, for the byte check
};

ListOptions OptionsFor(const ListLimits& limits) {
    ListOptions options;
    if (limits.textCapacity == 0) options.maxDepth = 1 << 30;  // no limits: every level
    return options;
}

Scanned* Scan(int folders, int files, const ListLimits& limits) {
    MemoryTree tree = MakeTree(folders, files);
    auto* s = new Scanned{limits, {}, 0, {}, 0, {}};
    ListOptions options = OptionsFor(limits);
    InitListing(s->tables, limits);
    ResetListing(s->tables, tree.root);
    int32_t depth = 1;
    if (ScanFolder(s->tables, MemoryFolderSource(tree), tree.root, s->folderLast, depth, options) != kScanDone)
        std::fprintf(stderr, "engine_bench: the scan of %d folders, %d files did not complete\n", folders, files);
    if (limits.textCapacity > 0) {
        reference::InitListing(s->refTables, limits);
        reference::ResetListing(s->refTables, tree.root);
        depth = 1;
        reference::ScanFolder(s->refTables, MemoryFolderSource(tree), tree.root, s->refFolderLast, depth, options);
    }
    return s;
}

// The stages after the scan, in production, over `tables` (changed in place). Returns the text's length.
size_t ProductionStages(const Scanned& s, ListingTables& tables, TextBuffer& buffer) {
    BuildFolderStructure(tables, s.folderLast, TestNameOrder());
    if (!OrderFiles(tables, TestNameOrder())) return 0;
    InitTextBuffer(buffer, s.limits);
    RenderTree(buffer, tables, 0, OptionsFor(s.limits), kWindowsStyle);
    return size_t(buffer.Length());
}

void Production(benchmark::State& state, Scanned& s) {
    ListingTables tables;
    TextBuffer buffer;
    size_t bytes = 0;
    for (auto _ : state) {
        state.PauseTiming();
        tables = s.tables;
        state.ResumeTiming();
        bytes = ProductionStages(s, tables, buffer);
    }
    s.productionText = buffer.text;
    state.counters["rows"] = double(s.folderLast + 1 + int64_t(s.tables.files.size()));
    state.counters["text_bytes"] = double(bytes);
}

void Reference(benchmark::State& state, Scanned& s) {
    reference::ListingTables tables;
    reference::TextBuffer buffer;
    ListOptions options = OptionsFor(s.limits);
    for (auto _ : state) {
        state.PauseTiming();
        tables = s.refTables;
        state.ResumeTiming();
        reference::BuildFolderStructure(tables, s.refFolderLast, TestNameOrder());
        reference::OrderFiles(tables, TestNameOrder());
        reference::InitTextBuffer(buffer, s.limits.textCapacity, s.limits.textLimit);
        reference::RenderTree(buffer, tables, 0, options);
    }
    // The comparison only counts with identical text: production's run comes first and kept its text.
    if (s.productionText.empty()) {
        ListingTables copy = s.tables;
        TextBuffer text;
        ProductionStages(s, copy, text);
        s.productionText = text.text;
    }
    if (buffer.Text() != s.productionText) state.SkipWithError("production and reference texts differ");
    state.counters["text_bytes"] = double(buffer.Text().size());
}

// The Windows program's full tables: 65,535 folders and 2,048 files; the text runs into its 65,280-byte
// limit, where rendering stops. Then 225 folders with 2,048 files: the whole text, 65,222 bytes. The literal
// reference takes minutes over the full folder table (its bubble sort is quadratic).
Scanned& FullTables() {
    static Scanned* s = Scan(65535, 2048, kDefinedLimits);
    return *s;
}
Scanned& TextNearLimit() {
    static Scanned* s = Scan(225, 2048, kDefinedLimits);
    return *s;
}

void BM_FullTables_Production(benchmark::State& st) { Production(st, FullTables()); }
void BM_FullTables_Reference(benchmark::State& st) { Reference(st, FullTables()); }
void BM_TextNearLimit_Production(benchmark::State& st) { Production(st, TextNearLimit()); }
void BM_TextNearLimit_Reference(benchmark::State& st) { Reference(st, TextNearLimit()); }

// Growth without limits: 1x, 4x and 16x the full folder table, with five files a folder. The text is
// streamed as the command line streams it (in 64 KB blocks, here to a sink that only counts), and each
// size runs three times from the same scanned tables. The time per entry (reported) stays nearly flat
// where the stages are linear or n log n.
void CountBytes(void* context, std::string_view bytes) { *static_cast<uint64_t*>(context) += bytes.size(); }

void BM_Unlimited(benchmark::State& state) {
    static std::unique_ptr<Scanned> s;
    int folders = int(state.range(0));
    if (!s || s->folderLast != folders) s.reset(Scan(folders, folders * 5, kNoLimits));
    ListingTables tables;
    TextBuffer buffer;
    uint64_t streamed = 0;
    buffer.context = &streamed;
    buffer.flush = CountBytes;
    for (auto _ : state) {
        state.PauseTiming();
        tables = s->tables;
        state.ResumeTiming();
        ProductionStages(*s, tables, buffer);
        FlushText(buffer);
    }
    double rows = double(s->folderLast + 1 + int64_t(s->tables.files.size()));
    state.counters["rows"] = rows;
    state.counters["text_bytes"] = double(streamed);
    state.counters["per_entry"] =
        benchmark::Counter(rows, benchmark::Counter::kIsIterationInvariantRate | benchmark::Counter::kInvert);
    state.SetComplexityN(state.range(0));
}

// The command line over a generated tree on disk: 10,000 folders and 50,000 files (bench/compare.sh
// compares it with other programs on more trees).
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

BENCHMARK(BM_FullTables_Production)->Unit(benchmark::kMillisecond);
BENCHMARK(BM_FullTables_Reference)->Unit(benchmark::kMillisecond)->Iterations(1);
BENCHMARK(BM_TextNearLimit_Production)->Unit(benchmark::kMillisecond);
BENCHMARK(BM_TextNearLimit_Reference)->Unit(benchmark::kMillisecond)->Iterations(1);
BENCHMARK(BM_Unlimited)
    ->Arg(65536)->Arg(262144)->Arg(1048576)
    ->Iterations(1)->Repetitions(3)->ReportAggregatesOnly(true)
    ->Unit(benchmark::kMillisecond)->Complexity();
BENCHMARK(BM_CommandLine)->Unit(benchmark::kMillisecond);

// The console report, followed by how many times faster production is than the literal reference.
class RatioReporter : public benchmark::ConsoleReporter {
public:
    void ReportRuns(const std::vector<Run>& runs) override {
        for (const Run& run : runs) {
            // CPU time: on a shared machine waiting for a core would otherwise count.
            if (!run.error_occurred) times_[run.benchmark_name()] = run.GetAdjustedCPUTime();
        }
        ConsoleReporter::ReportRuns(runs);
    }
    void Finalize() override {
        ConsoleReporter::Finalize();
        for (const char* table : {"BM_FullTables", "BM_TextNearLimit"}) {
            auto production = times_.find(std::string(table) + "_Production");
            auto reference = times_.find(std::string(table) + "_Reference/iterations:1");
            if (production == times_.end() || reference == times_.end()) continue;
            std::printf("%s: after the scan, production is %.0fx faster than the literal reference"
                        " (CPU time, same text)\n",
                        table, reference->second / production->second);
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
