#include "base/Text.h"

namespace tabulix {

std::u16string_view TrimView(std::u16string_view text) {
    size_t begin = 0;
    size_t end = text.size();
    while (begin < end && IsBlankChar(text[begin])) ++begin;
    while (end > begin && IsBlankChar(text[end - 1])) --end;
    return text.substr(begin, end - begin);
}

std::u16string Trim(std::u16string_view text) { return std::u16string(TrimView(text)); }

char16_t AsciiUpperChar(char16_t c) { return (c >= u'a' && c <= u'z') ? char16_t(c - 32) : c; }
char16_t AsciiLowerChar(char16_t c) { return (c >= u'A' && c <= u'Z') ? char16_t(c + 32) : c; }

std::u16string AsciiUpper(std::u16string_view text) {
    std::u16string result(text);
    for (char16_t& c : result) c = AsciiUpperChar(c);
    return result;
}

std::u16string AsciiLower(std::u16string_view text) {
    std::u16string result(text);
    for (char16_t& c : result) c = AsciiLowerChar(c);
    return result;
}

bool SameTextAscii(std::u16string_view a, std::u16string_view b) {
    return a.size() == b.size() && CompareTextAscii(a, b) == 0;
}

bool SameTextAscii(std::string_view a, std::string_view b) {
    if (a.size() != b.size()) return false;
    for (size_t i = 0; i < a.size(); ++i) {
        if (AsciiUpperChar(static_cast<unsigned char>(a[i])) != AsciiUpperChar(static_cast<unsigned char>(b[i]))) {
            return false;
        }
    }
    return true;
}

int CompareTextAscii(std::u16string_view a, std::u16string_view b) {
    const size_t common = a.size() < b.size() ? a.size() : b.size();
    for (size_t i = 0; i < common; ++i) {
        const char16_t x = AsciiUpperChar(a[i]);
        const char16_t y = AsciiUpperChar(b[i]);
        if (x != y) return x < y ? -1 : 1;
    }
    if (a.size() == b.size()) return 0;
    return a.size() < b.size() ? -1 : 1;
}

size_t FindTextAscii(std::u16string_view haystack, std::u16string_view needle, size_t from) {
    if (needle.size() > haystack.size()) return std::u16string_view::npos;
    for (size_t i = from; i + needle.size() <= haystack.size(); ++i) {
        if (SameTextAscii(haystack.substr(i, needle.size()), needle)) return i;
    }
    return std::u16string_view::npos;
}

bool StartsWithTextAscii(std::u16string_view text, std::u16string_view prefix) {
    return text.size() >= prefix.size() && SameTextAscii(text.substr(0, prefix.size()), prefix);
}

bool EndsWithTextAscii(std::u16string_view text, std::u16string_view suffix) {
    return text.size() >= suffix.size() && SameTextAscii(text.substr(text.size() - suffix.size()), suffix);
}

std::u16string ReplaceAllTextAscii(std::u16string_view text, std::u16string_view token,
                                   std::u16string_view replacement) {
    if (token.empty()) return std::u16string(text);
    std::u16string result;
    size_t from = 0;
    for (size_t at = FindTextAscii(text, token); at != std::u16string_view::npos;
         at = FindTextAscii(text, token, from)) {
        result.append(text.substr(from, at - from));
        result.append(replacement);
        from = at + token.size();
    }
    result.append(text.substr(from));
    return result;
}

namespace {

constexpr char32_t ReplacementChar = 0xFFFD;

void AppendUtf8(std::string& out, char32_t cp) {
    if (cp < 0x80) {
        out += char(cp);
    } else if (cp < 0x800) {
        out += char(0xC0 | (cp >> 6));
        out += char(0x80 | (cp & 0x3F));
    } else if (cp < 0x10000) {
        out += char(0xE0 | (cp >> 12));
        out += char(0x80 | ((cp >> 6) & 0x3F));
        out += char(0x80 | (cp & 0x3F));
    } else {
        out += char(0xF0 | (cp >> 18));
        out += char(0x80 | ((cp >> 12) & 0x3F));
        out += char(0x80 | ((cp >> 6) & 0x3F));
        out += char(0x80 | (cp & 0x3F));
    }
}

void AppendUtf16(std::u16string& out, char32_t cp) {
    if (cp < 0x10000) {
        out += char16_t(cp);
    } else {
        cp -= 0x10000;
        out += char16_t(0xD800 + (cp >> 10));
        out += char16_t(0xDC00 + (cp & 0x3FF));
    }
}

bool IsContinuation(unsigned char b) { return (b & 0xC0) == 0x80; }

// Decodes one code point at bytes[i]; advances i past it, or past the maximal ill-formed subsequence
// and returns U+FFFD.
char32_t DecodeUtf8At(std::string_view bytes, size_t& i) {
    const unsigned char lead = static_cast<unsigned char>(bytes[i++]);
    if (lead < 0x80) return lead;
    int length;
    char32_t cp;
    unsigned char low = 0x80, high = 0xBF; // the valid range of the second byte
    if (lead >= 0xC2 && lead <= 0xDF) {
        length = 2;
        cp = lead & 0x1F;
    } else if (lead >= 0xE0 && lead <= 0xEF) {
        length = 3;
        cp = lead & 0x0F;
        if (lead == 0xE0) low = 0xA0;
        if (lead == 0xED) high = 0x9F; // no surrogates
    } else if (lead >= 0xF0 && lead <= 0xF4) {
        length = 4;
        cp = lead & 0x07;
        if (lead == 0xF0) low = 0x90;
        if (lead == 0xF4) high = 0x8F;
    } else {
        return ReplacementChar;
    }
    for (int k = 1; k < length; ++k) {
        if (i >= bytes.size()) return ReplacementChar;
        const unsigned char b = static_cast<unsigned char>(bytes[i]);
        if (k == 1 ? (b < low || b > high) : !IsContinuation(b)) return ReplacementChar;
        cp = (cp << 6) | (b & 0x3F);
        ++i;
    }
    return cp;
}

} // namespace

std::string Utf16ToUtf8(std::u16string_view text) {
    std::string out;
    out.reserve(text.size());
    AppendUtf16AsUtf8(out, text);
    return out;
}

void AppendUtf16AsUtf8(std::string& out, std::u16string_view text) {
    for (size_t i = 0; i < text.size(); ++i) {
        if (text[i] < 0x80) {
            out += char(text[i]);
            continue;
        }
        char32_t cp = text[i];
        if (cp >= 0xD800 && cp <= 0xDBFF && i + 1 < text.size() && text[i + 1] >= 0xDC00 && text[i + 1] <= 0xDFFF) {
            cp = 0x10000 + ((cp - 0xD800) << 10) + (text[i + 1] - 0xDC00);
            ++i;
        } else if (cp >= 0xD800 && cp <= 0xDFFF) {
            cp = ReplacementChar;
        }
        AppendUtf8(out, cp);
    }
}

std::u16string Utf8ToUtf16(std::string_view bytes) {
    std::u16string out;
    out.reserve(bytes.size());
    AppendUtf8AsUtf16(out, bytes);
    return out;
}

void AppendUtf8AsUtf16(std::u16string& out, std::string_view bytes) {
    size_t i = 0;
    while (i < bytes.size()) {
        // A run of ASCII at once, then one code point of more bytes.
        size_t end = i;
        while (end < bytes.size() && static_cast<unsigned char>(bytes[end]) < 0x80) ++end;
        if (end > i) {
            const size_t at = out.size();
            out.resize(at + (end - i));
            for (size_t k = i; k < end; ++k) out[at + k - i] = char16_t(bytes[k]);
            i = end;
            continue;
        }
        AppendUtf16(out, DecodeUtf8At(bytes, i));
    }
}

std::u16string AsciiToUtf16(std::string_view ascii) { return std::u16string(ascii.begin(), ascii.end()); }

std::string Utf16ToAsciiLossy(std::u16string_view text) {
    std::string out;
    out.reserve(text.size());
    for (char16_t c : text) out += c < 0x80 ? char(c) : '?';
    return out;
}

} // namespace tabulix
