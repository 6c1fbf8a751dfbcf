// What the native build takes from its platform.
#include "base/AnsiCodePage.h"
#include "base/HostMemory.h"
#include "base/Locale.h"

#include <cstdlib>

namespace tabulix {

namespace {

class THeapMemory final : public THostMemory {
public:
    char* Allocate(size_t bytes) override { return static_cast<char*>(std::malloc(bytes)); }
    void Free(char* block) override { std::free(block); }
};

} // namespace

const TAnsiCodePage& SystemAnsiCodePage() {
    static const TWindows1252CodePage codePage;
    return codePage;
}

std::u16string SystemTimeSeparator() { return u":"; }

THostMemory& SystemHostMemory() {
    static THeapMemory memory;
    return memory;
}

} // namespace tabulix
