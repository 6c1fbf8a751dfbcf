// Loading a workbook at the load limit: tabulix dump against openpyxl reading every value, and the heap
// one load needs at its peak, the heap a loaded workbook keeps, and the peak of an edit and a save.

#include "LimitWorkbook.h"
#include "Measure.h"
#include "base/Files.h"
#include "workbook/XlsxWorkbook.h"
#include "workbook/ZipPackage.h"

#include <malloc.h>
#include <unistd.h>
#include <pugixml.hpp>

#include <atomic>
#include <cstdio>
#include <cstddef>
#include <cstdlib>
#include <filesystem>
#include <memory>
#include <new>
#include <string>
#include <tuple>
#include <vector>

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

double MiB(size_t bytes) { return double(bytes) / (1024.0 * 1024.0); }

// Heap bytes above what was live before: the peak while work runs, and what is still live after it.
template <typename TWork>
std::pair<size_t, size_t> HeapOf(TWork&& work) {
    const size_t before = gLiveBytes.load();
    gPeakBytes.store(before);
    work();
    return {gPeakBytes.load() - before, gLiveBytes.load() - before};
}

// The heap a workbook's resolved styles and its sheets' layouts take, measured as a copy of them.
size_t LayoutAndStylesHeap(const TXlsxWorkbook& workbook) {
    std::unique_ptr<TCellStyles> styles;
    std::vector<TSheetLayout> layouts;
    return HeapOf([&] {
        styles = std::make_unique<TCellStyles>(workbook.Styles());
        for (int32_t i = 0; i < workbook.SheetCount(); ++i) layouts.push_back(workbook.Sheet(i).Layout);
    }).second;
}

} // namespace

int main() {
    // Before any document exists: pugixml's pages then come from the counted heap as well.
    pugi::set_memory_management_functions(PugiAlloc, CountedFree);
    const std::string package = MakeLimitWorkbook();
    const std::filesystem::path file = std::filesystem::temp_directory_path() / ("tabulix-load-bench-" + std::to_string(::getpid()) + ".xlsx");
    WriteFileBytes(file, package);
    uint64_t uncompressed = 0;
    for (const TPackageEntry& entry : ReadZipPackage(package)) uncompressed += entry.Size;

    // A load that quietly kept fewer cells would make fast figures meaningless: check the corners.
    {
        TXlsxWorkbook workbook;
        workbook.LoadFromBytes(u"bench.xlsx", package);
        const TXlsxSheet& sheet = workbook.Sheet(0);
        const int32_t lastRow = MaxLoadedRows - 1, lastCol = MaxLoadedCols - 1;
        const auto same = [](std::u16string_view a, const std::string& b) { return a == std::u16string(b.begin(), b.end()); };
        if (workbook.SheetCount() != 1 || sheet.RowCount != MaxLoadedRows || sheet.ColCount != MaxLoadedCols ||
            !same(sheet.Text(0, 0), StringText(0, 0)) || !same(sheet.Text(lastRow, lastCol), NumberText(lastRow, lastCol)) ||
            !same(sheet.Text(lastRow, lastCol - 1), StringText(lastRow, lastCol - 1))) {
            std::fprintf(stderr, "the generated workbook did not load as %d x %d filled cells\n", MaxLoadedRows, MaxLoadedCols);
            return 1;
        }
    }

    // Memory, from the counting heap of this process (every operator new and pugixml page; zlib's own
    // few hundred KiB of state are not counted).
    size_t loadPeak = 0, kept = 0, editPeak = 0, layoutKept = 0, formattedKept = 0, formattedLayoutKept = 0;
    {
        std::unique_ptr<TXlsxWorkbook> workbook;
        std::tie(loadPeak, kept) = HeapOf([&] {
            workbook = std::make_unique<TXlsxWorkbook>();
            workbook->LoadFromBytes(u"bench.xlsx", package);
        });
        layoutKept = LayoutAndStylesHeap(*workbook);
    }
    {
        const std::string formatted = MakeFormattedWorkbook(MaxLoadedRows, MaxLoadedCols);
        std::unique_ptr<TXlsxWorkbook> workbook;
        formattedKept = HeapOf([&] {
            workbook = std::make_unique<TXlsxWorkbook>();
            workbook->LoadFromBytes(u"formatted.xlsx", formatted);
        }).second;
        formattedLayoutKept = LayoutAndStylesHeap(*workbook);
    }
    {
        const std::filesystem::path saved = file.string() + ".saved.xlsx";
        editPeak = HeapOf([&] {
            TXlsxWorkbook workbook;
            workbook.LoadFromFile(PathToText(file));
            workbook.InsertRow(0, 0);
            workbook.SaveToFile(PathToText(saved));
        }).first;
        std::filesystem::remove(saved);
    }

    // tabulix dump against openpyxl reading every value, interleaved.
    TSamples dump, openpyxl;
    for (int round = 0; round < Rounds(); ++round) {
        dump.Add(RunProcess({CliPath(), "dump", file.string()}));
        const double seconds = OpenpyxlSeconds({"read", file.string()});
        if (seconds >= 0) openpyxl.Add(seconds);
    }
    std::filesystem::remove(file);

    std::printf("\nWorkbook at the load limit: %d rows x %d columns, half numbers, half distinct shared strings;\n"
                "package %.1f MiB, %.1f MiB uncompressed\n\n", MaxLoadedRows, MaxLoadedCols, MiB(package.size()),
                MiB(size_t(uncompressed)));
    std::printf("tabulix dump, whole process (median, range, rounds): %s\n", dump.Describe("ms", 1000).c_str());
    if (!openpyxl.Empty()) {
        const double ratio = openpyxl.Median() / dump.Median();
        std::printf("openpyxl load + read every value, after import:   %s\n", openpyxl.Describe("ms", 1000).c_str());
        std::printf("  dump is %.1fx faster (target at least 30x: %s)\n", ratio, Verdict(ratio >= 30));
    } else {
        std::printf("openpyxl is not installed: no baseline for dump\n");
    }
    const double limit = 2.5 * double(uncompressed);
    std::printf("peak heap of one load:           %6.1f MiB = %.2fx the uncompressed package (target at most 2.5x: %s)\n",
                MiB(loadPeak), double(loadPeak) / double(uncompressed), Verdict(double(loadPeak) <= limit));
    std::printf("peak heap of load, edit, save:   %6.1f MiB = %.2fx the uncompressed package (target at most 2.5x: %s)\n",
                MiB(editPeak), double(editPeak) / double(uncompressed), Verdict(double(editPeak) <= limit));
    std::printf("heap the loaded workbook keeps:  %6.1f MiB = %.2fx the uncompressed package (target at most 1x: %s)\n",
                MiB(kept), double(kept) / double(uncompressed), Verdict(kept <= uncompressed));
    std::printf("  of which the layout and the resolved styles: %.1f KiB\n", double(layoutKept) / 1024);
    std::printf("heap a loaded workbook of %d x %d formatted numbers keeps: %.1f MiB, of which the layout and the resolved styles: %.1f KiB\n",
                MaxLoadedRows, MaxLoadedCols, MiB(formattedKept), double(formattedLayoutKept) / 1024);
    std::printf("(heap counted by this process's own allocator: every operator new and every pugixml page)\n");
    return 0;
}
