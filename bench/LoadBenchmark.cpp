// How long loading a workbook at the load limit takes, compared with the least any loader must do
// (inflate the package and parse its XML parts), and how much heap one load needs at its peak.

#include "LimitWorkbook.h"
#include "workbook/XlsxReader.h"
#include "workbook/XmlHelpers.h"
#include "workbook/ZipPackage.h"

#include <benchmark/benchmark.h>
#include <malloc.h>
#include <pugixml.hpp>

#include <atomic>
#include <cstdio>
#include <cstdlib>
#include <map>
#include <new>
#include <string>

namespace {

// Live and peak heap bytes. Every block is counted at malloc_usable_size, so that a free needs no
// size header and the operator new replacements and pugixml's allocator can share one pair of
// functions.
std::atomic<size_t> gLiveBytes{0};
std::atomic<size_t> gPeakBytes{0};

void* CountedAlloc(size_t size, size_t alignment = 0) {
    void* block = nullptr;
    if (alignment <= alignof(std::max_align_t)) block = std::malloc(size ? size : 1);
    else if (posix_memalign(&block, alignment, size ? size : 1) != 0) block = nullptr;
    if (!block) return nullptr;
    const size_t live = gLiveBytes.fetch_add(malloc_usable_size(block), std::memory_order_relaxed) +
                        malloc_usable_size(block);
    size_t peak = gPeakBytes.load(std::memory_order_relaxed);
    while (live > peak && !gPeakBytes.compare_exchange_weak(peak, live, std::memory_order_relaxed)) {}
    return block;
}

void CountedFree(void* block) {
    if (!block) return;
    gLiveBytes.fetch_sub(malloc_usable_size(block), std::memory_order_relaxed);
    std::free(block);
}

void* CountedAllocOrThrow(size_t size, size_t alignment = 0) {
    if (void* block = CountedAlloc(size, alignment)) return block;
    throw std::bad_alloc();
}

void* PugiAlloc(size_t size) { return CountedAlloc(size); }

} // namespace

void* operator new(size_t n) { return CountedAllocOrThrow(n); }
void* operator new[](size_t n) { return CountedAllocOrThrow(n); }
void* operator new(size_t n, std::align_val_t a) { return CountedAllocOrThrow(n, size_t(a)); }
void* operator new[](size_t n, std::align_val_t a) { return CountedAllocOrThrow(n, size_t(a)); }
void* operator new(size_t n, const std::nothrow_t&) noexcept { return CountedAlloc(n); }
void* operator new[](size_t n, const std::nothrow_t&) noexcept { return CountedAlloc(n); }
void* operator new(size_t n, std::align_val_t a, const std::nothrow_t&) noexcept { return CountedAlloc(n, size_t(a)); }
void* operator new[](size_t n, std::align_val_t a, const std::nothrow_t&) noexcept { return CountedAlloc(n, size_t(a)); }
// Aligned blocks come from posix_memalign, which free releases too: every delete is the same.
void operator delete(void* p) noexcept { CountedFree(p); }
void operator delete[](void* p) noexcept { CountedFree(p); }
void operator delete(void* p, size_t) noexcept { CountedFree(p); }
void operator delete[](void* p, size_t) noexcept { CountedFree(p); }
void operator delete(void* p, std::align_val_t) noexcept { CountedFree(p); }
void operator delete[](void* p, std::align_val_t) noexcept { CountedFree(p); }
void operator delete(void* p, size_t, std::align_val_t) noexcept { CountedFree(p); }
void operator delete[](void* p, size_t, std::align_val_t) noexcept { CountedFree(p); }
void operator delete(void* p, const std::nothrow_t&) noexcept { CountedFree(p); }
void operator delete[](void* p, const std::nothrow_t&) noexcept { CountedFree(p); }
void operator delete(void* p, std::align_val_t, const std::nothrow_t&) noexcept { CountedFree(p); }
void operator delete[](void* p, std::align_val_t, const std::nothrow_t&) noexcept { CountedFree(p); }

namespace {

using namespace tabulix;
using namespace tabulix::bench;

// Built once by main, before any benchmark runs, so that generating it is never timed.
std::string gPackage;

// One load takes about a second, so the default half second would time a single iteration: a few
// seconds give several, and a mean worth comparing. It overrides --benchmark_min_time.
constexpr double MinSeconds = 4.0;

void BM_FullLoad(benchmark::State& state) {
    for (auto _ : state) {
        TXlsxWorkbook workbook;
        workbook.LoadFromBytes(u"bench.xlsx", gPackage);
        benchmark::DoNotOptimize(workbook.Sheet(0).Data.data());
    }
}
BENCHMARK(BM_FullLoad)->Unit(benchmark::kMillisecond)->MinTime(MinSeconds);

// The floor under any loader: inflate every entry and parse each XML part, building nothing from it.
void BM_InflateAndParseBaseline(benchmark::State& state) {
    for (auto _ : state) {
        for (const TZipEntry& entry : ReadZipArchive(gPackage)) {
            if (!entry.Name.ends_with(u".xml") && !entry.Name.ends_with(u".rels")) continue;
            pugi::xml_document document;
            ParseXmlPart(entry.Bytes, entry.Name, document);
            benchmark::DoNotOptimize(document.first_child());
        }
    }
}
BENCHMARK(BM_InflateAndParseBaseline)->Unit(benchmark::kMillisecond)->MinTime(MinSeconds);

// The usual console output, plus the total time and iterations of each benchmark for the summary;
// totals over every repetition, so that --benchmark_repetitions gives their overall mean.
class TSummaryReporter : public benchmark::ConsoleReporter {
public:
    void ReportRuns(const std::vector<Run>& runs) override {
        for (const Run& run : runs) {
            if (run.run_type != Run::RT_Iteration || run.error_occurred) continue;
            auto& [seconds, iterations] = FTotals[run.run_name.function_name];
            seconds += run.real_accumulated_time;
            iterations += double(run.iterations);
        }
        ConsoleReporter::ReportRuns(runs);
    }
    // Mean wall-clock milliseconds per iteration; negative when the benchmark did not run.
    double MeanMs(const std::string& name) const {
        const auto found = FTotals.find(name);
        return found == FTotals.end() ? -1.0 : 1000.0 * found->second.first / found->second.second;
    }

private:
    std::map<std::string, std::pair<double, double>> FTotals;
};

double MiB(size_t bytes) { return double(bytes) / (1024.0 * 1024.0); }

} // namespace

int main(int argc, char** argv) {
    // Before any document exists: pugixml's pages then come from the counted heap as well.
    pugi::set_memory_management_functions(PugiAlloc, CountedFree);
    benchmark::Initialize(&argc, argv);
    if (benchmark::ReportUnrecognizedArguments(argc, argv)) return 1;
    gPackage = MakeLimitWorkbook();

    // A load that quietly kept fewer cells would make fast figures meaningless: check the corners.
    {
        TXlsxWorkbook workbook;
        workbook.LoadFromBytes(u"bench.xlsx", gPackage);
        const TXlsxSheet& sheet = workbook.Sheet(0);
        const int32_t lastRow = MaxLoadedRows - 1, lastCol = MaxLoadedCols - 1;
        const auto same = [](const std::u16string& a, const std::string& b) { return a == std::u16string(b.begin(), b.end()); };
        if (workbook.SheetCount() != 1 || sheet.RowCount != MaxLoadedRows || sheet.ColCount != MaxLoadedCols ||
            !same(sheet.Data[0][0], StringText(0, 0)) || !same(sheet.Data[size_t(lastRow)][size_t(lastCol)], NumberText(lastRow, lastCol)) ||
            !same(sheet.Data[size_t(lastRow)][size_t(lastCol - 1)], StringText(lastRow, lastCol - 1))) {
            std::fprintf(stderr, "the generated workbook did not load as %d x %d filled cells\n", MaxLoadedRows, MaxLoadedCols);
            return 1;
        }
    }

    TSummaryReporter reporter;
    benchmark::RunSpecifiedBenchmarks(&reporter);
    benchmark::Shutdown();

    // Peak of one load above what was live before it, so the package string the caller already holds
    // is not counted; and what the loaded workbook still holds when the load returns.
    size_t retained = 0;
    const size_t before = gLiveBytes.load();
    gPeakBytes.store(before);
    {
        TXlsxWorkbook workbook;
        workbook.LoadFromBytes(u"bench.xlsx", gPackage);
        retained = gLiveBytes.load() - before;
    }
    const size_t peak = gPeakBytes.load() - before;

    const double full = reporter.MeanMs("BM_FullLoad");
    const double baseline = reporter.MeanMs("BM_InflateAndParseBaseline");
    std::printf("\nWorkbook at the load limit: %d rows x %d columns, half numbers, half distinct shared strings\n",
                MaxLoadedRows, MaxLoadedCols);
    if (full >= 0) std::printf("full load:                   %8.2f ms per iteration\n", full);
    if (baseline >= 0) std::printf("inflate and parse baseline:  %8.2f ms per iteration\n", baseline);
    if (full >= 0 && baseline > 0) {
        const double ratio = full / baseline;
        std::printf("ratio full / baseline:       %8.2f (target at most 2.0: %s)\n", ratio, ratio <= 2.0 ? "met" : "NOT met");
    }
    std::printf("peak heap during one full load: %.1f MiB (package %.1f MiB compressed); the loaded workbook keeps %.1f MiB\n",
                MiB(peak), MiB(gPackage.size()), MiB(retained));
    return 0;
}
