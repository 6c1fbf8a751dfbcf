#pragma once

#include <string>
#include <string_view>

#include "base/AnsiCodePage.h"

#include <windows.h>

namespace tabulix {

// UTF-16 of the system and of the library are the same units.
inline const wchar_t* WidePtr(const std::u16string& text) { return reinterpret_cast<const wchar_t*>(text.c_str()); }
inline std::u16string FromWide(const wchar_t* text) {
    return text ? std::u16string(reinterpret_cast<const char16_t*>(text)) : std::u16string();
}

// The system's text for an error code, without its trailing line break and full stop.
std::u16string SystemErrorText(DWORD error);

// The ANSI code page of Windows. Text goes out without best-fit mapping, so that a character the code
// page lacks becomes its default character rather than a look-alike; a code page that refuses that
// flag (UTF-8, 65001, an option of current Windows) converts plainly, since it holds every character.
class TWin32AnsiCodePage : public TAnsiCodePage {
public:
    explicit TWin32AnsiCodePage(UINT codePage = CP_ACP) : FCodePage(codePage) {}
    std::string FromUtf16(std::u16string_view text) const override;
    std::u16string ToUtf16(std::string_view bytes) const override;

protected:
    // WideCharToMultiByte for this code page; tests put a system that refuses flags in its place.
    virtual int WideToMultiByte(DWORD flags, const wchar_t* text, int count, char* bytes, int size) const;

private:
    UINT FCodePage;
};

} // namespace tabulix
