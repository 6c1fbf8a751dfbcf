#include "base/HostMemory.h"

#include <windows.h>

namespace tabulix {

namespace {

class TGlobalMemory final : public THostMemory {
public:
    char* Allocate(size_t bytes) override { return static_cast<char*>(GlobalAlloc(GMEM_FIXED, bytes)); }
    void Free(char* block) override {
        if (block) GlobalFree(block);
    }
};

} // namespace

THostMemory& SystemHostMemory() {
    static TGlobalMemory memory;
    return memory;
}

} // namespace tabulix
