#pragma once

#include <string>
#include <string_view>

#include <windows.h>

namespace tabulix {

// UTF-16 of the system and of the library are the same units.
inline const wchar_t* WidePtr(const std::u16string& text) { return reinterpret_cast<const wchar_t*>(text.c_str()); }
inline std::u16string FromWide(const wchar_t* text) {
    return text ? std::u16string(reinterpret_cast<const char16_t*>(text)) : std::u16string();
}

// The system's text for an error code, without its trailing line break and full stop.
std::u16string SystemErrorText(DWORD error);

} // namespace tabulix
