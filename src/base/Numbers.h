#pragma once

#include <cstdint>
#include <optional>
#include <string>
#include <string_view>

namespace tabulix {

// A 32-bit integer read the way the host's native tools read one: leading blanks, an optional sign,
// then decimal digits, or hexadecimal digits after "$", "x" or "0x" (up to eight of them, so that
// $FFFFFFFF is -1). Nothing may follow the digits. None when the text is not such an integer.
std::optional<int32_t> ReadHostInteger(std::u16string_view text);
int32_t ReadHostIntegerOr(std::u16string_view text, int32_t fallback);

// One to eight hexadecimal digits, nothing else.
std::optional<uint32_t> ReadHexDigits(std::u16string_view digits);

// An optionally signed decimal integer, nothing else (the workbook's style, string and row numbers).
std::optional<int64_t> ReadDecimalInteger(std::u16string_view text);
int64_t ReadDecimalIntegerOr(std::u16string_view text, int64_t fallback);
// The same for text in bytes (an attribute value); a byte outside ASCII is no digit.
std::optional<int64_t> ReadDecimalInteger(std::string_view text);
int64_t ReadDecimalIntegerOr(std::string_view text, int64_t fallback);

// A decimal number in the notation of the workbook file format: blanks around it allowed, an optional
// sign, digits with an optional "." and fraction digits, an optional exponent (E or e, optional sign,
// digits). None when the text is not one or its value does not fit a 64-bit float.
std::optional<double> ReadDecimalNumber(std::u16string_view text);

// The general number format: 15 significant digits, trailing zeros and point dropped, "." as decimal
// point, fixed notation when 0.0001 <= |value| < 1E15 after rounding (and for zero), otherwise
// scientific notation such as 1.5E20 or 1E-5.
std::u16string FormatGeneralNumber(double value);

// Decimal text of an integer (the %d of the system's messages).
std::u16string IntToText(int64_t value);

} // namespace tabulix
