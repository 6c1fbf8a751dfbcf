#pragma once

// Text across the host boundary: host strings are ANSI, zero-terminated, in blocks of the host's
// allocator when they change owner.

#include <string>
#include <string_view>

namespace tabulix {

// A slot the library fills gets a new block of exactly length + 1 bytes of the host's allocator, after
// the block it held (if any) is freed.
void AssignHostString(char** slot, std::u16string_view text);
void FreeHostString(char** slot);
std::u16string ReadHostString(const char* hostString); // null reads as empty
// A text as the host takes it by value: the library's own buffer, valid while it lives.
std::string ToHostText(std::u16string_view text);

} // namespace tabulix
