// Decimal digits of binary numbers, as spreadsheet applications round and show them.
#include "format/DecimalDigits.h"

#include <charconv>
#include <cmath>

namespace tabulix {

namespace {

constexpr int SignificantDigits = 15;

void TrimTrailingZeros(TDecimalDigits& number) {
    const size_t last = number.Digits.find_last_not_of('0');
    number.Digits.erase(last == std::string::npos ? 0 : last + 1);
    if (number.Digits.empty()) number.Exponent = 0;
}

} // namespace

std::string TDecimalDigits::IntegerPart() const {
    if (Exponent <= 0) return {};
    std::string part = Digits.substr(0, size_t(Exponent));
    part.append(size_t(Exponent) - part.size(), '0');
    return part;
}

std::string TDecimalDigits::DecimalPart(int32_t count) const {
    std::string part;
    part.reserve(size_t(std::max(count, 0)));
    for (int32_t k = 0; k < count; ++k) {
        const int64_t at = int64_t(Exponent) + k; // index into Digits of the k-th digit after the point
        part += at >= 0 && at < int64_t(Digits.size()) ? Digits[size_t(at)] : '0';
    }
    return part;
}

TDecimalDigits ToDecimalDigits(double value) {
    TDecimalDigits number;
    value = std::fabs(value);
    if (!(value > 0) || !std::isfinite(value)) return number;
    // d.dddddddddddddde+X: the shortest exact scientific form at 15 significant digits.
    char buffer[32];
    const auto result = std::to_chars(buffer, buffer + sizeof buffer, value, std::chars_format::scientific,
                                      SignificantDigits - 1);
    const std::string_view text(buffer, size_t(result.ptr - buffer));
    const size_t e = text.find('e');
    number.Digits += text[0];
    if (e > 2) number.Digits.append(text.substr(2, e - 2));
    int exponent = 0;
    const char* exponentText = text.data() + e + 1;
    if (*exponentText == '+') ++exponentText;
    std::from_chars(exponentText, text.data() + text.size(), exponent);
    number.Exponent = exponent + 1;
    TrimTrailingZeros(number);
    return number;
}

void RoundToDecimals(TDecimalDigits& number, int32_t decimals) {
    if (number.IsZero()) return;
    const int64_t keep = int64_t(number.Exponent) + decimals;
    if (keep >= int64_t(number.Digits.size())) return;
    if (keep < 0) {
        number.Digits.clear();
        number.Exponent = 0;
        return;
    }
    const bool up = number.Digits[size_t(keep)] >= '5';
    number.Digits.erase(size_t(keep));
    if (up) {
        size_t at = number.Digits.size();
        while (at > 0 && number.Digits[at - 1] == '9') number.Digits[--at] = '0';
        if (at == 0) {
            number.Digits.insert(number.Digits.begin(), '1');
            ++number.Exponent;
        } else {
            ++number.Digits[at - 1];
        }
    }
    TrimTrailingZeros(number);
}

} // namespace tabulix
