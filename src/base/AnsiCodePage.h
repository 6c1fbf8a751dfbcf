#pragma once

#include <string>
#include <string_view>

namespace tabulix {

// The system's ANSI code page, in which host strings, publication files and PDF text are written.
// Characters the code page cannot hold become its default character.
class TAnsiCodePage {
public:
    virtual ~TAnsiCodePage() = default;
    virtual std::string FromUtf16(std::u16string_view text) const = 0;
    virtual std::u16string ToUtf16(std::string_view bytes) const = 0;
};

// Windows-1252, the ANSI code page of Western systems: the native build's code page and the test
// double of the Windows one. Unmappable characters become "?", one for each code point.
class TWindows1252CodePage final : public TAnsiCodePage {
public:
    std::string FromUtf16(std::u16string_view text) const override;
    std::u16string ToUtf16(std::string_view bytes) const override;
};

// The code page of the platform the library runs on (Windows: CP_ACP; elsewhere: Windows-1252).
const TAnsiCodePage& SystemAnsiCodePage();

} // namespace tabulix
