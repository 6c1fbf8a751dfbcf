#pragma once

#include <cstddef>

namespace tabulix {

// The allocator whose blocks change owner between the host and the library: host strings handed to
// the host, and slots the host fills. On Windows the global-memory allocator (fixed blocks); natively
// the C heap.
class THostMemory {
public:
    virtual ~THostMemory() = default;
    virtual char* Allocate(size_t bytes) = 0; // null when out of memory
    virtual void Free(char* block) = 0;
};

THostMemory& SystemHostMemory();

} // namespace tabulix
