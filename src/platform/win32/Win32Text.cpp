#include "platform/win32/Win32Text.h"

#include "base/AnsiCodePage.h"
#include "base/Locale.h"
#include "base/Numbers.h"

namespace tabulix {

std::u16string SystemErrorText(DWORD error) {
    wchar_t* buffer = nullptr;
    const DWORD length = FormatMessageW(FORMAT_MESSAGE_ALLOCATE_BUFFER | FORMAT_MESSAGE_FROM_SYSTEM |
                                            FORMAT_MESSAGE_IGNORE_INSERTS,
                                        nullptr, error, 0, reinterpret_cast<wchar_t*>(&buffer), 0, nullptr);
    std::u16string text;
    if (length > 0 && buffer) text.assign(reinterpret_cast<const char16_t*>(buffer), length);
    if (buffer) LocalFree(buffer);
    while (!text.empty() && (text.back() <= u' ' || text.back() == u'.')) text.pop_back();
    if (text.empty()) text = u"System error " + IntToText(int64_t(error));
    return text;
}

namespace {

class TWin32AnsiCodePage final : public TAnsiCodePage {
public:
    std::string FromUtf16(std::u16string_view text) const override {
        if (text.empty()) return {};
        const auto* wide = reinterpret_cast<const wchar_t*>(text.data());
        const int count = int(text.size());
        const int size = WideCharToMultiByte(CP_ACP, WC_NO_BEST_FIT_CHARS, wide, count, nullptr, 0, nullptr, nullptr);
        std::string bytes(size_t(size > 0 ? size : 0), '\0');
        if (size > 0) WideCharToMultiByte(CP_ACP, WC_NO_BEST_FIT_CHARS, wide, count, bytes.data(), size, nullptr, nullptr);
        return bytes;
    }

    std::u16string ToUtf16(std::string_view bytes) const override {
        if (bytes.empty()) return {};
        const int count = int(bytes.size());
        const int size = MultiByteToWideChar(CP_ACP, 0, bytes.data(), count, nullptr, 0);
        std::u16string text(size_t(size > 0 ? size : 0), u'\0');
        if (size > 0) MultiByteToWideChar(CP_ACP, 0, bytes.data(), count, reinterpret_cast<wchar_t*>(text.data()), size);
        return text;
    }
};

} // namespace

std::u16string SystemTimeSeparator() {
    wchar_t separator[8] = {};
    if (GetLocaleInfoW(LOCALE_USER_DEFAULT, LOCALE_STIME, separator, 8) <= 1) return u":";
    return FromWide(separator);
}

const TAnsiCodePage& SystemAnsiCodePage() {
    static const TWin32AnsiCodePage codePage;
    return codePage;
}

} // namespace tabulix
