// The command's own allocation: every block of 32 KiB or more, from operator new and from pugixml
// (whose document pages are that large), comes from an arena advised for huge pages; smaller blocks,
// and any block the arena has no room for, come from malloc. A load touches tens of megabytes of fresh
// memory, and on a machine where a page fault is dear its faults took as long as the work itself.
// Only the command is linked with this: the plug-in leaves the host's allocator as it is.
#include "LargeBlockAllocation.h"

#include "LargeBlockArena.h"

#include <pugixml.hpp>

#include <cstddef>
#include <cstdint>
#include <cstdlib>
#include <new>

namespace {

using tabulix::cli::TLargeBlockArena;

constexpr size_t LargeBlock = 32 * 1024;
// Address space for the largest package a load accepts several times over; past it, malloc. Where
// addresses have 32 bits there is no room for it, and everything comes from malloc.
constexpr size_t ArenaReserve = sizeof(size_t) >= 8 ? size_t(uint64_t(1) << 34) : 0;

TLargeBlockArena& Arena() {
    // Never destroyed: the destructors of other static objects may free blocks as the process ends.
    alignas(TLargeBlockArena) static unsigned char storage[sizeof(TLargeBlockArena)];
    static TLargeBlockArena* const arena = new (storage) TLargeBlockArena(ArenaReserve);
    return *arena;
}

void* Allocate(size_t size, size_t alignment) noexcept {
    if (size >= LargeBlock && alignment <= TLargeBlockArena::Alignment) {
        if (void* block = Arena().Allocate(size)) return block;
    }
    if (alignment <= alignof(std::max_align_t)) return std::malloc(size ? size : 1);
    void* block = nullptr;
    return posix_memalign(&block, alignment, size ? size : 1) == 0 ? block : nullptr;
}

void Free(void* block) noexcept {
    if (!block) return;
    if (Arena().Owns(block)) Arena().Free(block);
    else std::free(block);
}

void* AllocateOrThrow(size_t size, size_t alignment) {
    if (void* block = Allocate(size, alignment)) return block;
    throw std::bad_alloc();
}

void* AllocateXml(size_t size) { return Allocate(size, 0); }

} // namespace

void* operator new(size_t n) { return AllocateOrThrow(n, 0); }
void* operator new[](size_t n) { return AllocateOrThrow(n, 0); }
void* operator new(size_t n, std::align_val_t a) { return AllocateOrThrow(n, size_t(a)); }
void* operator new[](size_t n, std::align_val_t a) { return AllocateOrThrow(n, size_t(a)); }
void* operator new(size_t n, const std::nothrow_t&) noexcept { return Allocate(n, 0); }
void* operator new[](size_t n, const std::nothrow_t&) noexcept { return Allocate(n, 0); }
void* operator new(size_t n, std::align_val_t a, const std::nothrow_t&) noexcept { return Allocate(n, size_t(a)); }
void* operator new[](size_t n, std::align_val_t a, const std::nothrow_t&) noexcept { return Allocate(n, size_t(a)); }
// Aligned blocks come from the arena or posix_memalign, which free releases too: every delete is the same.
void operator delete(void* p) noexcept { Free(p); }
void operator delete[](void* p) noexcept { Free(p); }
void operator delete(void* p, size_t) noexcept { Free(p); }
void operator delete[](void* p, size_t) noexcept { Free(p); }
void operator delete(void* p, std::align_val_t) noexcept { Free(p); }
void operator delete[](void* p, std::align_val_t) noexcept { Free(p); }
void operator delete(void* p, size_t, std::align_val_t) noexcept { Free(p); }
void operator delete[](void* p, size_t, std::align_val_t) noexcept { Free(p); }
void operator delete(void* p, const std::nothrow_t&) noexcept { Free(p); }
void operator delete[](void* p, const std::nothrow_t&) noexcept { Free(p); }
void operator delete(void* p, std::align_val_t, const std::nothrow_t&) noexcept { Free(p); }
void operator delete[](void* p, std::align_val_t, const std::nothrow_t&) noexcept { Free(p); }

namespace tabulix::cli {

void UseLargeBlockArenaForXml() { pugi::set_memory_management_functions(AllocateXml, Free); }

void PrefaultLargeBlocks(size_t ahead) { Arena().PrefaultAhead(ahead); }

} // namespace tabulix::cli
