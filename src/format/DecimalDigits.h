#pragma once

// Numbers as the decimal digits spreadsheet applications show: at most 15 significant digits of the
// binary value, rounded half away from zero at the last digit shown.

#include <cstdint>
#include <string>

namespace tabulix {

// A number at or above zero: 0.D1D2D3... times 10 to the power Exponent. Digits has no leading or
// trailing zeros and is empty for zero.
struct TDecimalDigits {
    std::string Digits;
    int32_t Exponent = 0;

    bool IsZero() const { return Digits.empty(); }
    // The digits before the point, without leading zeros: empty below 1.
    std::string IntegerPart() const;
    // Exactly count digits after the point.
    std::string DecimalPart(int32_t count) const;
};

// The magnitude of a finite value, to 15 significant digits.
TDecimalDigits ToDecimalDigits(double value);

// Keeps decimals digits after the point (fewer than zero rounds to tens, hundreds and so on).
void RoundToDecimals(TDecimalDigits& number, int32_t decimals);

} // namespace tabulix
