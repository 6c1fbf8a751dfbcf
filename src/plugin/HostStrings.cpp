#include "plugin/HostStrings.h"

#include "plugin/HostBridge.h"

#include <cstring>

namespace tabulix {

void AssignHostString(char** slot, std::u16string_view text) {
    if (!slot) return;
    FreeHostString(slot);
    const std::string ansi = Bridge().CodePage->FromUtf16(text);
    char* block = Bridge().Memory->Allocate(ansi.size() + 1);
    if (block) std::memcpy(block, ansi.c_str(), ansi.size() + 1);
    *slot = block;
}

void FreeHostString(char** slot) {
    if (!slot || !*slot) return;
    Bridge().Memory->Free(*slot);
    *slot = nullptr;
}

std::u16string ReadHostString(const char* hostString) {
    if (!hostString) return u"";
    return Bridge().CodePage->ToUtf16(std::string_view(hostString, std::strlen(hostString)));
}

std::string ToHostText(std::u16string_view text) { return Bridge().CodePage->FromUtf16(text); }

} // namespace tabulix
