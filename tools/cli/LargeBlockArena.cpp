#include "LargeBlockArena.h"

#include <algorithm>
#include <cstdint>
#include <system_error>

#include <sys/mman.h>

#if defined(__has_include)
#if __has_include(<sanitizer/asan_interface.h>)
#include <sanitizer/asan_interface.h>
#endif
#endif
#ifndef ASAN_POISON_MEMORY_REGION
#define ASAN_POISON_MEMORY_REGION(addr, size) ((void)(addr), (void)(size))
#define ASAN_UNPOISON_MEMORY_REGION(addr, size) ((void)(addr), (void)(size))
#endif

namespace tabulix::cli {

namespace {

constexpr size_t HugePage = size_t(2) << 20;
// Each block starts with its size, in a header that keeps the block's data aligned.
constexpr size_t Header = TLargeBlockArena::Alignment;

size_t RoundUp(size_t value, size_t unit) { return (value + unit - 1) / unit * unit; }

} // namespace

TLargeBlockArena::TLargeBlockArena(size_t reserve) {
    reserve = RoundUp(reserve, HugePage);
    if (reserve == 0) return;
    // Address space only: pages are taken when first touched, and never counted against the system's
    // commit limit before then.
    void* mapped = mmap(nullptr, reserve + HugePage, PROT_READ | PROT_WRITE, MAP_PRIVATE | MAP_ANONYMOUS | MAP_NORESERVE, -1, 0);
    if (mapped == MAP_FAILED) return;
    // Starting on a huge page's boundary, so that every 2 MiB of the arena can be one page.
    char* const start = static_cast<char*>(mapped);
    char* const aligned = start + (RoundUp(reinterpret_cast<uintptr_t>(start), HugePage) - reinterpret_cast<uintptr_t>(start));
    if (aligned > start) munmap(start, size_t(aligned - start));
    if (start + HugePage > aligned) munmap(aligned + reserve, size_t(start + HugePage - aligned));
#ifdef MADV_HUGEPAGE
    madvise(aligned, reserve, MADV_HUGEPAGE); // refused where the system offers no huge pages: small pages then
#endif
    FBase = aligned;
    FReserved = reserve;
}

TLargeBlockArena::~TLargeBlockArena() {
    {
        const std::lock_guard<std::mutex> lock(FLock);
        FStopping = true;
    }
    FGrown.notify_all();
    if (FPrefaulter.joinable()) FPrefaulter.join();
    if (FBase) munmap(FBase, FReserved);
}

void* TLargeBlockArena::Allocate(size_t size) noexcept {
    if (!FBase || size > FReserved || FReserved - size < Header) return nullptr;
    const size_t total = RoundUp(size + Header, Alignment);
    size_t offset = 0;
    {
        const std::lock_guard<std::mutex> lock(FLock);
        const auto fit = std::find_if(FFree.begin(), FFree.end(), [total](const TRange& range) { return range.Size >= total; });
        if (fit != FFree.end()) {
            offset = fit->Offset;
            if (fit->Size == total) {
                FFree.erase(fit);
            } else {
                fit->Offset += total;
                fit->Size -= total;
            }
        } else {
            if (FReserved - FTop < total) return nullptr;
            offset = FTop;
            FTop += total;
            if (FTop > FHighWater) {
                FHighWater = FTop;
                if (FAhead > 0 && FHighWater + FAhead > FFaultedIn) FGrown.notify_one();
            }
        }
    }
    char* const block = FBase + offset;
    ASAN_UNPOISON_MEMORY_REGION(block, total);
    *reinterpret_cast<size_t*>(block) = total;
    ASAN_POISON_MEMORY_REGION(block, Header);
    ASAN_POISON_MEMORY_REGION(block + Header + size, total - Header - size);
    return block + Header;
}

void TLargeBlockArena::Free(void* data) noexcept {
    char* const block = static_cast<char*>(data) - Header;
    ASAN_UNPOISON_MEMORY_REGION(block, sizeof(size_t));
    const size_t total = *reinterpret_cast<const size_t*>(block);
    ASAN_POISON_MEMORY_REGION(block, total);
    size_t offset = size_t(block - FBase);
    size_t size = total;
    const std::lock_guard<std::mutex> lock(FLock);
    auto next = std::lower_bound(FFree.begin(), FFree.end(), offset,
                                 [](const TRange& range, size_t at) { return range.Offset < at; });
    if (next != FFree.begin()) {
        const auto previous = next - 1;
        if (previous->Offset + previous->Size == offset) {
            offset = previous->Offset;
            size += previous->Size;
            next = FFree.erase(previous);
        }
    }
    if (next != FFree.end() && offset + size == next->Offset) {
        size += next->Size;
        next = FFree.erase(next);
    }
    if (offset + size == FTop) {
        FTop = offset; // the top comes down instead of keeping a free range below it
        return;
    }
    try {
        FFree.insert(next, TRange{offset, size});
    } catch (const std::bad_alloc&) {
        // Not reused: the block stays out of use until the process ends.
    }
}

void TLargeBlockArena::PrefaultAhead(size_t ahead) {
#ifdef MADV_POPULATE_WRITE
    if (!FBase || ahead == 0) return;
    {
        const std::lock_guard<std::mutex> lock(FLock);
        if (FAhead > 0) return;
        FAhead = RoundUp(ahead, HugePage);
    }
    try {
        FPrefaulter = std::thread([this] { Prefault(); });
    } catch (const std::system_error&) {
        // No thread to spare: pages are faulted in as blocks are used, as without it.
    }
#else
    (void)ahead;
#endif
}

void TLargeBlockArena::Prefault() {
#ifdef MADV_POPULATE_WRITE
    std::unique_lock<std::mutex> lock(FLock);
    for (;;) {
        FGrown.wait(lock, [this] { return FStopping || FFaultedIn < std::min(FReserved, FHighWater + FAhead); });
        if (FStopping) return;
        // A huge page at a time, so that the system's lock on the address space is never held long.
        const size_t from = FFaultedIn;
        FFaultedIn = std::min(FReserved, from + HugePage);
        lock.unlock();
        // Faulting pages in changes nothing they hold: blocks already in use may be among them.
        if (madvise(FBase + from, FFaultedIn - from, MADV_POPULATE_WRITE) != 0) return;
        lock.lock();
    }
#endif
}

size_t TLargeBlockArena::Extent() const noexcept {
    const std::lock_guard<std::mutex> lock(FLock);
    return FTop;
}

} // namespace tabulix::cli
