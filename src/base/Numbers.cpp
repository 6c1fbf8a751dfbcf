#include "base/Numbers.h"

#include "base/Text.h"

#include <charconv>
#include <cmath>
#include <cstdio>
#include <cstdlib>

namespace tabulix {

namespace {

bool IsDigit(char16_t c) { return c >= u'0' && c <= u'9'; }

int HexValue(char16_t c) {
    if (IsDigit(c)) return c - u'0';
    if (c >= u'a' && c <= u'f') return c - u'a' + 10;
    if (c >= u'A' && c <= u'F') return c - u'A' + 10;
    return -1;
}

// Decimal digits into a magnitude no larger than limit.
template <typename CharT>
std::optional<uint64_t> ReadDecimalDigits(std::basic_string_view<CharT> digits, uint64_t limit) {
    if (digits.empty()) return std::nullopt;
    uint64_t value = 0;
    for (CharT c : digits) {
        if (c < CharT('0') || c > CharT('9')) return std::nullopt;
        const uint64_t digit = uint64_t(c - CharT('0'));
        if (value > (limit - digit) / 10) return std::nullopt; // checked before it could wrap around
        value = value * 10 + digit;
    }
    return value;
}

// Splits off an optional leading sign; returns whether it was a minus.
template <typename CharT>
bool TakeSign(std::basic_string_view<CharT>& text) {
    if (!text.empty() && (text[0] == CharT('+') || text[0] == CharT('-'))) {
        const bool negative = text[0] == CharT('-');
        text.remove_prefix(1);
        return negative;
    }
    return false;
}

} // namespace

std::optional<uint32_t> ReadHexDigits(std::u16string_view digits) {
    if (digits.empty() || digits.size() > 8) return std::nullopt;
    uint32_t value = 0;
    for (char16_t c : digits) {
        const int v = HexValue(c);
        if (v < 0) return std::nullopt;
        value = (value << 4) | uint32_t(v);
    }
    return value;
}

std::optional<int32_t> ReadHostInteger(std::u16string_view text) {
    while (!text.empty() && IsBlankChar(text.front())) text.remove_prefix(1);
    const bool negative = TakeSign(text);
    std::optional<uint32_t> hex;
    if (!text.empty() && (text[0] == u'$' || text[0] == u'x' || text[0] == u'X')) {
        hex = ReadHexDigits(text.substr(1));
        if (!hex) return std::nullopt;
    } else if (text.size() >= 2 && text[0] == u'0' && (text[1] == u'x' || text[1] == u'X')) {
        hex = ReadHexDigits(text.substr(2));
        if (!hex) return std::nullopt;
    }
    if (hex) {
        const int32_t value = static_cast<int32_t>(*hex);
        return negative ? static_cast<int32_t>(0u - *hex) : value;
    }
    const auto magnitude = ReadDecimalDigits(text, negative ? 2147483648ull : 2147483647ull);
    if (!magnitude) return std::nullopt;
    return negative ? static_cast<int32_t>(-static_cast<int64_t>(*magnitude)) : static_cast<int32_t>(*magnitude);
}

int32_t ReadHostIntegerOr(std::u16string_view text, int32_t fallback) {
    return ReadHostInteger(text).value_or(fallback);
}

namespace {

template <typename CharT>
std::optional<int64_t> ReadDecimalIntegerOf(std::basic_string_view<CharT> text) {
    const bool negative = TakeSign(text);
    const auto magnitude = ReadDecimalDigits(text, negative ? 9223372036854775808ull : 9223372036854775807ull);
    if (!magnitude) return std::nullopt;
    return negative ? static_cast<int64_t>(0ull - *magnitude) : static_cast<int64_t>(*magnitude);
}

} // namespace

std::optional<int64_t> ReadDecimalInteger(std::u16string_view text) { return ReadDecimalIntegerOf(text); }
std::optional<int64_t> ReadDecimalInteger(std::string_view text) { return ReadDecimalIntegerOf(text); }

int64_t ReadDecimalIntegerOr(std::u16string_view text, int64_t fallback) {
    return ReadDecimalInteger(text).value_or(fallback);
}

int64_t ReadDecimalIntegerOr(std::string_view text, int64_t fallback) {
    return ReadDecimalInteger(text).value_or(fallback);
}

std::optional<double> ReadDecimalNumber(std::u16string_view text) {
    text = TrimView(text);
    // Check the notation first, then let from_chars (locale independent) convert it.
    std::string ascii;
    size_t i = 0;
    if (i < text.size() && (text[i] == u'+' || text[i] == u'-')) {
        if (text[i] == u'-') ascii += '-';
        ++i;
    }
    size_t mantissaDigits = 0;
    while (i < text.size() && IsDigit(text[i])) ascii += char(text[i++]), ++mantissaDigits;
    if (i < text.size() && text[i] == u'.') {
        ascii += '.';
        ++i;
        while (i < text.size() && IsDigit(text[i])) ascii += char(text[i++]), ++mantissaDigits;
    }
    if (mantissaDigits == 0) return std::nullopt;
    if (i < text.size() && (text[i] == u'e' || text[i] == u'E')) {
        ascii += 'e';
        ++i;
        if (i < text.size() && (text[i] == u'+' || text[i] == u'-')) ascii += char(text[i++]);
        size_t exponentDigits = 0;
        while (i < text.size() && IsDigit(text[i])) ascii += char(text[i++]), ++exponentDigits;
        if (exponentDigits == 0) return std::nullopt;
    }
    if (i != text.size()) return std::nullopt;
    double value = 0;
    const char* first = ascii.data();
    const char* last = first + ascii.size();
    const auto [end, error] = std::from_chars(first, last, value);
    if (error != std::errc() || end != last || !std::isfinite(value)) return std::nullopt;
    return value;
}

std::u16string FormatGeneralNumber(double value) {
    if (std::isnan(value)) return u"NAN";
    if (std::isinf(value)) return value < 0 ? u"-INF" : u"INF";
    if (value == 0) return u"0";

    // 15 significant digits and the decimal exponent of the rounded value.
    char buffer[40];
    std::snprintf(buffer, sizeof buffer, "%.14e", std::fabs(value));
    std::string digits;
    const char* p = buffer;
    for (; *p && *p != 'e'; ++p) {
        if (*p >= '0' && *p <= '9') digits += *p; // whatever the C locale's decimal point is
    }
    const int exponent = std::atoi(p + 1);
    while (digits.size() > 1 && digits.back() == '0') digits.pop_back();

    std::string text = value < 0 ? "-" : "";
    if (exponent < -4 || exponent >= 15) {
        text += digits[0];
        if (digits.size() > 1) text.append(".").append(digits, 1);
        text.append("E").append(std::to_string(exponent));
    } else if (exponent < 0) {
        text.append("0.").append(size_t(-exponent - 1), '0').append(digits);
    } else {
        const size_t integerDigits = size_t(exponent) + 1;
        if (digits.size() <= integerDigits) {
            text.append(digits).append(integerDigits - digits.size(), '0');
        } else {
            text.append(digits, 0, integerDigits).append(".").append(digits, integerDigits);
        }
    }
    return AsciiToUtf16(text);
}

std::u16string IntToText(int64_t value) { return AsciiToUtf16(std::to_string(value)); }

} // namespace tabulix
