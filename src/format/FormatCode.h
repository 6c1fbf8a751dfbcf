#pragma once

// The parsed form of a number format code, shared by the parser and the formatters: up to three
// sections for numbers and one for text, each a list of tokens with what formatting needs to know
// about them worked out once.

#include <cstdint>
#include <optional>
#include <string>
#include <string_view>
#include <vector>

namespace tabulix {

enum class TTokenKind : uint8_t {
    Literal,        // Text, shown as written
    Fill,           // Char, repeated by the viewer to fill the cell
    Digit,          // Char '0', '#' or '?', a placeholder of the part Role names
    DecimalPoint,
    Exponent,       // Char 'E' or 'e'; Count 1 when a plus sign is shown for positive exponents
    FractionBar,    // Count: the denominator written as digits after the bar, or 0
    TextValue,      // @
    General,
    Comma,          // only while parsing: becomes grouping, scaling or a literal
    Year,           // Count letters
    Month,
    MonthName,
    Day,
    DayName,
    Hour,
    Minute,
    Second,
    ElapsedHours,
    ElapsedMinutes,
    ElapsedSeconds,
    SecondFraction, // Count digits after the point
    AmPm,           // Text as written ("AM/PM", "a/p"); Count letters of each marker
};

enum class TDigitRole : uint8_t { Integer, Decimal, Exponent, Numerator, Denominator };

struct TFormatToken {
    TTokenKind Kind = TTokenKind::Literal;
    char16_t Char = 0;
    TDigitRole Role = TDigitRole::Integer;
    int32_t Count = 0;
    std::u16string Text; // a literal's text; for other tokens the code as written, shown when they turn literal
};

enum class TSectionKind : uint8_t { Number, Scientific, Fraction, DateTime, Text };

enum class TCompare : uint8_t { None, Less, LessEqual, Equal, NotEqual, Greater, GreaterEqual };

struct TFormatSection {
    TSectionKind Kind = TSectionKind::Number;
    std::vector<TFormatToken> Tokens;
    std::optional<uint32_t> Color;
    TCompare Condition = TCompare::None;
    double Limit = 0;

    // Numbers: powers of ten the value is scaled by (2 for each %, -3 for each scaling comma), digit
    // grouping, and the placeholders of each part, left to right.
    int32_t DecimalShift = 0;
    bool Grouping = false;
    std::u16string IntegerDigits;
    std::u16string DecimalDigits;
    std::u16string ExponentDigits;
    std::u16string NumeratorDigits;
    std::u16string DenominatorDigits;
    int64_t FixedDenominator = 0;

    // Dates and times.
    bool TwelveHour = false;
    bool Elapsed = false;
    int32_t SecondDigits = 0;

    bool Matches(double value) const;
};

struct TFormatCode {
    std::vector<TFormatSection> NumberSections; // one to three; none when numbers are shown as General
    std::optional<TFormatSection> TextSection;
};

// Never fails: whatever a code holds that no section can use is shown as a literal or ignored.
TFormatCode ParseFormatCode(std::u16string_view code);

} // namespace tabulix
