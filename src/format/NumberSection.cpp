// Number sections (placeholders, grouping, scaling, scientific notation, fractions) and General.
#include "format/DecimalDigits.h"
#include "format/SectionFormatting.h"

#include <algorithm>
#include <cmath>
#include <limits>

namespace tabulix {

namespace {

// Largest denominator a fraction may search for: nine placeholders.
constexpr size_t MaxDenominatorDigits = 9;

// What a placeholder shows where the number has no digit for it: 0 a zero, ? a space, # nothing.
char16_t PadOf(char16_t placeholder) {
    if (placeholder == u'0') return u'0';
    if (placeholder == u'?') return u' ';
    return 0;
}

// Digits laid over the placeholders of a part from the right: the first placeholder also takes every
// digit that has no placeholder of its own. With grouping, a separator follows every third digit
// from the right (a space where the digit was a space).
class TRightAligned {
public:
    TRightAligned(std::string_view digits, std::u16string_view placeholders, bool grouping)
        : FDigits(digits), FPlaceholders(placeholders), FGrouping(grouping), FTotal(digits.size()) {
        for (size_t j = 0; j + digits.size() < placeholders.size(); ++j) {
            if (PadOf(placeholders[j]) != 0) ++FTotal;
        }
    }

    void AppendNext(std::u16string& out) {
        const size_t count = FPlaceholders.size();
        const size_t j = FNext++;
        if (j >= count) return;
        if (j == 0) {
            for (size_t k = 0; k + count < FDigits.size(); ++k) Put(out, char16_t(FDigits[k]));
        }
        const size_t fromRight = count - 1 - j;
        if (fromRight < FDigits.size()) {
            Put(out, char16_t(FDigits[FDigits.size() - 1 - fromRight]));
        } else if (const char16_t pad = PadOf(FPlaceholders[j])) {
            Put(out, pad);
        }
    }

    // Every digit at once, for a part that has no placeholder.
    void AppendAll(std::u16string& out) {
        for (char digit : FDigits) Put(out, char16_t(digit));
    }

private:
    void Put(std::u16string& out, char16_t c) {
        out += c;
        const size_t fromRight = FTotal - 1 - FPut++;
        if (FGrouping && fromRight > 0 && fromRight % 3 == 0) out += c == u' ' ? u' ' : u',';
    }

    std::string_view FDigits;
    std::u16string_view FPlaceholders;
    bool FGrouping;
    size_t FTotal; // characters the part shows, separators aside
    size_t FNext = 0;
    size_t FPut = 0;
};

// Digits laid over the placeholders of a part from the left (decimals, a denominator): the last
// placeholder also takes the digits left over. Trailing zeros of decimals under # and ? are dropped
// or shown as spaces.
class TLeftAligned {
public:
    TLeftAligned(std::string_view digits, std::u16string_view placeholders, bool dropTrailingZeros)
        : FDigits(digits), FPlaceholders(placeholders), FShown(std::min(digits.size(), placeholders.size())) {
        if (dropTrailingZeros) {
            while (FShown > 0 && FDigits[FShown - 1] == '0' && FPlaceholders[FShown - 1] != u'0') --FShown;
        }
    }

    void AppendNext(std::u16string& out) {
        const size_t k = FNext++;
        if (k >= FPlaceholders.size()) return;
        if (k < FShown) {
            out += char16_t(FDigits[k]);
        } else if (FPlaceholders[k] == u'?') {
            out += u' ';
        }
        if (k + 1 == FPlaceholders.size()) {
            for (size_t rest = FPlaceholders.size(); rest < FDigits.size(); ++rest) out += char16_t(FDigits[rest]);
        }
    }

private:
    std::string_view FDigits;
    std::u16string_view FPlaceholders;
    size_t FShown;
    size_t FNext = 0;
};

// What a number section shows, worked out before its tokens are walked.
struct TNumberParts {
    std::string Integer;
    std::string Decimals;
    std::string Exponent;
    std::string Numerator;
    std::string Denominator;
    bool NegativeExponent = false;
    bool BlankFraction = false; // a whole number under a fraction code: the fraction shown as spaces
    bool AllZero = false;
};

TDecimalDigits ScaledDigits(const TFormatSection& section, double magnitude) {
    TDecimalDigits digits = ToDecimalDigits(magnitude);
    if (!digits.IsZero()) digits.Exponent += section.DecimalShift;
    return digits;
}

std::string IntegerText(double integer) {
    TDecimalDigits digits = ToDecimalDigits(integer);
    RoundToDecimals(digits, 0);
    const std::string text = digits.IntegerPart();
    return text.empty() ? "0" : text;
}

TNumberParts PlainParts(const TFormatSection& section, double magnitude) {
    TDecimalDigits digits = ScaledDigits(section, magnitude);
    RoundToDecimals(digits, int32_t(section.DecimalDigits.size()));
    TNumberParts parts;
    parts.Integer = digits.IntegerPart();
    parts.Decimals = digits.DecimalPart(int32_t(section.DecimalDigits.size()));
    parts.AllZero = digits.IsZero();
    return parts;
}

int32_t FloorToMultiple(int32_t value, int32_t step) {
    const int32_t quotient = value / step - (value % step != 0 && value < 0 ? 1 : 0);
    return quotient * step;
}

// The exponent is a multiple of the integer placeholders' count (##0.0E+0 gives 12.3E+3), so that
// the mantissa has one to that many integer digits.
TNumberParts ScientificParts(const TFormatSection& section, double magnitude) {
    const int32_t step = std::max<int32_t>(int32_t(section.IntegerDigits.size()), 1);
    const int32_t decimals = int32_t(section.DecimalDigits.size());
    TDecimalDigits mantissa = ScaledDigits(section, magnitude);
    int32_t exponent = 0;
    if (!mantissa.IsZero()) {
        exponent = FloorToMultiple(mantissa.Exponent - 1, step);
        mantissa.Exponent -= exponent;
        RoundToDecimals(mantissa, decimals);
        if (mantissa.Exponent > step) { // rounding carried into another integer digit: 9.99 to 10.0
            exponent += step;
            mantissa.Exponent -= step;
            RoundToDecimals(mantissa, decimals);
        }
    }
    TNumberParts parts;
    parts.Integer = mantissa.IntegerPart();
    parts.Decimals = mantissa.DecimalPart(decimals);
    parts.Exponent = std::to_string(std::abs(exponent));
    parts.NegativeExponent = exponent < 0;
    parts.AllZero = mantissa.IsZero();
    return parts;
}

struct TFraction {
    int64_t Numerator;
    int64_t Denominator;
};

// The fraction nearest to x (0 <= x < 1) whose denominator is at most limit: the last convergent of
// its continued fraction within the limit, or the best semiconvergent after it.
TFraction NearestFraction(double x, int64_t limit) {
    int64_t p0 = 0, q0 = 1, p1 = 1, q1 = 0;
    double rest = x;
    for (int step = 0; step < 64; ++step) {
        const double whole = std::floor(rest);
        // A term past the limit only needs to be known to be past it.
        const int64_t a = whole > double(limit) ? limit + 1 : int64_t(whole);
        if (q1 != 0 && a > (limit - q0) / q1) {
            const int64_t t = (limit - q0) / q1;
            const TFraction semi{p0 + t * p1, q0 + t * q1};
            const double semiError = std::fabs(double(semi.Numerator) / double(semi.Denominator) - x);
            const double lastError = std::fabs(double(p1) / double(q1) - x);
            if (semiError < lastError) return semi;
            break;
        }
        const int64_t p2 = a * p1 + p0, q2 = a * q1 + q0;
        p0 = p1, q0 = q1, p1 = p2, q1 = q2;
        if (rest - whole <= 0) break;
        rest = 1 / (rest - whole);
    }
    return {p1, q1};
}

// A whole part (when the code has placeholders for one), then the numerator over a denominator the
// code writes or the nearest one its placeholders allow; without a whole part the fraction is
// improper (1.3 under ?/8 is 10/8).
TNumberParts FractionParts(const TFormatSection& section, double magnitude) {
    double value = magnitude;
    if (section.DecimalShift != 0 && magnitude != 0) {
        value = std::min(magnitude * std::pow(10.0, section.DecimalShift), std::numeric_limits<double>::max());
    }
    double whole = std::floor(value);
    const double fraction = value - whole;
    TFraction shown{0, 1};
    if (section.FixedDenominator > 0) {
        shown = {std::llround(fraction * double(section.FixedDenominator)), section.FixedDenominator};
    } else {
        const size_t digits = std::min(section.DenominatorDigits.size(), MaxDenominatorDigits);
        int64_t limit = 1;
        for (size_t k = 0; k < digits; ++k) limit *= 10;
        shown = NearestFraction(fraction, limit - 1);
    }
    if (shown.Numerator >= shown.Denominator) {
        whole += 1;
        shown.Numerator = 0;
    }
    TNumberParts parts;
    parts.AllZero = whole == 0 && shown.Numerator == 0;
    parts.Denominator = std::to_string(shown.Denominator);
    if (section.IntegerDigits.empty()) {
        const double improper = whole * double(shown.Denominator) + double(shown.Numerator);
        parts.Numerator = IntegerText(std::min(improper, std::numeric_limits<double>::max()));
        return parts;
    }
    parts.BlankFraction = shown.Numerator == 0;
    parts.Integer = whole == 0 ? (parts.BlankFraction ? "0" : "") : IntegerText(whole);
    parts.Numerator = std::to_string(shown.Numerator);
    return parts;
}

// The tokens a blank fraction turns into spaces: from after the whole part's last digit to the end
// of the denominator.
void BlankRange(const std::vector<TFormatToken>& tokens, size_t& from, size_t& to) {
    from = 0;
    to = 0;
    for (size_t i = 0; i < tokens.size(); ++i) {
        const TFormatToken& token = tokens[i];
        if (token.Kind == TTokenKind::Digit && token.Role == TDigitRole::Integer) from = i + 1;
        if (token.Kind == TTokenKind::FractionBar ||
            (token.Kind == TTokenKind::Digit && token.Role == TDigitRole::Denominator)) {
            to = i + 1;
        }
    }
}

// A denominator the code writes takes no room of its own: 5 under # ?/8 is "5" and three spaces.
size_t BlankWidth(const TFormatToken& token) {
    switch (token.Kind) {
    case TTokenKind::Literal: return token.Text.size();
    case TTokenKind::FractionBar:
    case TTokenKind::Digit: return 1;
    default: return 0;
    }
}

void AppendAscii(std::u16string& out, std::string_view text) {
    for (char c : text) out += char16_t(c);
}

} // namespace

bool AppendNumberSection(const TFormatSection& section, double magnitude, int32_t generalWidth, TShownText& out) {
    const TNumberParts parts = section.Kind == TSectionKind::Scientific ? ScientificParts(section, magnitude)
                               : section.Kind == TSectionKind::Fraction ? FractionParts(section, magnitude)
                                                                        : PlainParts(section, magnitude);
    TRightAligned integer(parts.Integer, section.IntegerDigits, section.Grouping);
    TLeftAligned decimals(parts.Decimals, section.DecimalDigits, true);
    TRightAligned exponent(parts.Exponent, section.ExponentDigits, false);
    TRightAligned numerator(parts.Numerator, section.NumeratorDigits, false);
    TLeftAligned denominator(parts.Denominator, section.DenominatorDigits, false);
    size_t blankFrom = 0, blankTo = 0;
    if (parts.BlankFraction) BlankRange(section.Tokens, blankFrom, blankTo);
    bool showsGeneral = false;
    for (size_t i = 0; i < section.Tokens.size(); ++i) {
        const TFormatToken& token = section.Tokens[i];
        if (i >= blankFrom && i < blankTo) {
            out.Text.append(BlankWidth(token), u' ');
            continue;
        }
        switch (token.Kind) {
        case TTokenKind::Literal: out.Text += token.Text; break;
        case TTokenKind::Fill: SetFill(out, token.Char); break;
        case TTokenKind::Digit:
            switch (token.Role) {
            case TDigitRole::Integer: integer.AppendNext(out.Text); break;
            case TDigitRole::Decimal: decimals.AppendNext(out.Text); break;
            case TDigitRole::Exponent: exponent.AppendNext(out.Text); break;
            case TDigitRole::Numerator: numerator.AppendNext(out.Text); break;
            case TDigitRole::Denominator: denominator.AppendNext(out.Text); break;
            }
            break;
        case TTokenKind::DecimalPoint:
            if (section.IntegerDigits.empty()) integer.AppendAll(out.Text);
            out.Text += u'.';
            break;
        case TTokenKind::Exponent:
            out.Text += token.Char;
            if (parts.NegativeExponent) {
                out.Text += u'-';
            } else if (token.Count != 0) {
                out.Text += u'+';
            }
            if (section.ExponentDigits.empty()) exponent.AppendAll(out.Text);
            break;
        case TTokenKind::FractionBar:
            out.Text += u'/';
            if (section.FixedDenominator > 0) AppendAscii(out.Text, parts.Denominator);
            break;
        case TTokenKind::General:
            out.Text += GeneralText(magnitude, generalWidth);
            showsGeneral = true;
            break;
        default: break;
        }
    }
    return parts.AllZero && !(showsGeneral && magnitude != 0);
}

namespace {

std::string FixedText(const TDecimalDigits& digits) {
    std::string text = digits.IntegerPart();
    if (text.empty()) text.push_back('0');
    const int32_t decimals = int32_t(digits.Digits.size()) - digits.Exponent;
    if (decimals > 0) {
        text += '.';
        text += digits.DecimalPart(decimals);
    }
    return text;
}

std::string ScientificText(TDecimalDigits digits, int32_t decimals) {
    RoundToDecimals(digits, decimals + 1 - digits.Exponent);
    std::string text(1, digits.Digits[0]);
    if (digits.Digits.size() > 1) {
        text += '.';
        text.append(digits.Digits, 1);
    }
    const int32_t exponent = digits.Exponent - 1;
    text += exponent < 0 ? "E-" : "E+";
    const std::string exponentDigits = std::to_string(std::abs(exponent));
    if (exponentDigits.size() < 2) text += '0';
    return text + exponentDigits;
}

} // namespace

// Fixed notation is shown when the integer part fits and rounding to fit keeps the whole value, or as
// many significant digits as scientific notation would: 0.000012345 stays fixed, while 5E-10 is not
// shown as 0.000000001 nor 0.0000012345 as 0.000001235.
std::u16string GeneralText(double value, int32_t width) {
    if (value == 0) return u"0";
    const int32_t room = std::max(width - (value < 0 ? 1 : 0), 1);
    // One digit, the point and four characters of exponent leave room - 6 decimals.
    const int32_t scientificDecimals = std::max(room - 6, 0);
    const TDecimalDigits digits = ToDecimalDigits(value);
    std::string text;
    if (digits.Exponent <= room) {
        const int32_t fixedDecimals = std::max(room - std::max(digits.Exponent, 1) - 1, 0);
        const int32_t fixedKeeps = digits.Exponent + fixedDecimals; // significant digits kept
        TDecimalDigits fixed = digits;
        RoundToDecimals(fixed, fixedDecimals);
        if (!fixed.IsZero() && (fixedKeeps >= int32_t(digits.Digits.size()) || fixedKeeps > scientificDecimals)) {
            text = FixedText(fixed);
        }
    }
    if (text.empty() || int32_t(text.size()) > room) {
        for (int32_t decimals = scientificDecimals;; --decimals) {
            text = ScientificText(digits, decimals);
            if (int32_t(text.size()) <= room || decimals == 0) break;
        }
    }
    std::u16string shown;
    if (value < 0) shown += u'-';
    AppendAscii(shown, text);
    return shown;
}

std::u16string ShownGeneralText(double value) {
    if (!std::isfinite(value)) return u"#NUM!";
    return GeneralText(value, GeneralWidth);
}

} // namespace tabulix
