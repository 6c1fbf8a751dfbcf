#pragma once

#include <cstddef>
#include <condition_variable>
#include <cstdlib>
#include <mutex>
#include <new>
#include <thread>
#include <vector>

namespace tabulix::cli {

// Address space of its own for a command's large blocks, advised for transparent huge pages where the
// system offers them: a load that touches tens of megabytes of fresh memory then takes one page fault
// for every 2 MiB instead of one for every 4 KiB. A block is handed out at the lowest address where it
// fits, and a freed block joins its free neighbours, so that what one step of a load frees is what the
// next step reuses, already faulted in. Nothing is given back to the system before the process ends.
class TLargeBlockArena {
public:
    // Reserves bytes of address space; when the system refuses, the arena hands out nothing.
    explicit TLargeBlockArena(size_t reserve);
    ~TLargeBlockArena();
    TLargeBlockArena(const TLargeBlockArena&) = delete;
    TLargeBlockArena& operator=(const TLargeBlockArena&) = delete;

    // A block of at least size bytes, aligned to 64; null when the arena has no room for it.
    void* Allocate(size_t size) noexcept;
    // Takes back a block that Allocate handed out.
    void Free(void* block) noexcept;
    bool Owns(const void* block) const noexcept {
        return FBase && static_cast<const char*>(block) >= FBase && static_cast<const char*>(block) < FBase + FReserved;
    }
    // The bytes from the start of the arena to the end of its highest block in use.
    size_t Extent() const noexcept;
    // Starts a thread that keeps the pages of the arena faulted in up to ahead bytes past the highest
    // block handed out so far, so that the kernel's zero-filling of fresh pages, dear on a virtual
    // machine, is done on another processor before the blocks are used. Where the system cannot fault
    // pages in without touching them (MADV_POPULATE_WRITE), the thread ends. Destroying the arena
    // stops it.
    void PrefaultAhead(size_t ahead);

    static constexpr size_t Alignment = 64;

private:
    // The free list lives on malloc's heap, so that taking back a block never comes back here.
    template <typename T>
    struct TMallocAllocator {
        using value_type = T;
        TMallocAllocator() = default;
        template <typename U>
        TMallocAllocator(const TMallocAllocator<U>&) noexcept {}
        T* allocate(size_t n) {
            if (void* memory = std::malloc(n * sizeof(T))) return static_cast<T*>(memory);
            throw std::bad_alloc();
        }
        void deallocate(T* memory, size_t) noexcept { std::free(memory); }
        friend bool operator==(const TMallocAllocator&, const TMallocAllocator&) { return true; }
    };
    struct TRange {
        size_t Offset = 0;
        size_t Size = 0;
    };

    void Prefault();

    char* FBase = nullptr;
    size_t FReserved = 0;
    size_t FTop = 0; // nothing at or above this offset is in use
    size_t FHighWater = 0; // nothing at or above this offset was ever handed out
    size_t FAhead = 0;
    size_t FFaultedIn = 0; // the prefaulting thread took the pages below this offset
    bool FStopping = false;
    std::condition_variable FGrown;
    std::thread FPrefaulter;
    std::vector<TRange, TMallocAllocator<TRange>> FFree; // by offset, no two adjacent
    mutable std::mutex FLock;
};

} // namespace tabulix::cli
