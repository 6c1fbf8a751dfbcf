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

int TWin32AnsiCodePage::WideToMultiByte(DWORD flags, const wchar_t* text, int count, char* bytes, int size) const {
    return WideCharToMultiByte(FCodePage, flags, text, count, bytes, size, nullptr, nullptr);
}

std::string TWin32AnsiCodePage::FromUtf16(std::u16string_view text) const {
    if (text.empty()) return {};
    const auto* wide = reinterpret_cast<const wchar_t*>(text.data());
    const int count = int(text.size());
    DWORD flags = WC_NO_BEST_FIT_CHARS;
    int size = WideToMultiByte(flags, wide, count, nullptr, 0);
    if (size == 0 && GetLastError() == ERROR_INVALID_FLAGS) {
        flags = 0;
        size = WideToMultiByte(flags, wide, count, nullptr, 0);
    }
    std::string bytes(size_t(size > 0 ? size : 0), '\0');
    if (size > 0) WideToMultiByte(flags, wide, count, bytes.data(), size);
    return bytes;
}

std::u16string TWin32AnsiCodePage::ToUtf16(std::string_view bytes) const {
    if (bytes.empty()) return {};
    const int count = int(bytes.size());
    const int size = MultiByteToWideChar(FCodePage, 0, bytes.data(), count, nullptr, 0);
    std::u16string text(size_t(size > 0 ? size : 0), u'\0');
    if (size > 0) MultiByteToWideChar(FCodePage, 0, bytes.data(), count, reinterpret_cast<wchar_t*>(text.data()), size);
    return text;
}

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
