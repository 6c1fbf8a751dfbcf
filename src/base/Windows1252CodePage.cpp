#include "base/AnsiCodePage.h"

namespace tabulix {

namespace {

// Bytes 0x80 to 0x9F; the five bytes Windows-1252 leaves undefined map to the C1 control of the same
// value, as Windows maps them.
constexpr char16_t HighControls[32] = {
    0x20AC, 0x0081, 0x201A, 0x0192, 0x201E, 0x2026, 0x2020, 0x2021, 0x02C6, 0x2030, 0x0160,
    0x2039, 0x0152, 0x008D, 0x017D, 0x008F, 0x0090, 0x2018, 0x2019, 0x201C, 0x201D, 0x2022,
    0x2013, 0x2014, 0x02DC, 0x2122, 0x0161, 0x203A, 0x0153, 0x009D, 0x017E, 0x0178,
};

int ByteFor(char16_t c) {
    if (c < 0x80 || (c >= 0xA0 && c <= 0xFF)) return c;
    for (int i = 0; i < 32; ++i) {
        if (HighControls[i] == c) return 0x80 + i;
    }
    return -1;
}

} // namespace

std::string TWindows1252CodePage::FromUtf16(std::u16string_view text) const {
    std::string bytes;
    bytes.reserve(text.size());
    for (size_t i = 0; i < text.size(); ++i) {
        const char16_t c = text[i];
        const bool pair = c >= 0xD800 && c <= 0xDBFF && i + 1 < text.size() && text[i + 1] >= 0xDC00 &&
                          text[i + 1] <= 0xDFFF;
        if (pair) ++i;
        const int b = pair ? -1 : ByteFor(c);
        bytes += b < 0 ? '?' : char(b);
    }
    return bytes;
}

std::u16string TWindows1252CodePage::ToUtf16(std::string_view bytes) const {
    std::u16string text;
    text.reserve(bytes.size());
    for (char ch : bytes) {
        const unsigned char b = static_cast<unsigned char>(ch);
        text += (b >= 0x80 && b <= 0x9F) ? HighControls[b - 0x80] : char16_t(b);
    }
    return text;
}

} // namespace tabulix
