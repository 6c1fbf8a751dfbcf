#pragma once

// Number formats: the codes by which a workbook's author says how a cell's value is shown ("#,##0.00",
// "0%", "m/d/yyyy", "[Red]-0.0"), read once and then applied to any number of values. Texts are those
// of an English locale: "." as decimal point, "," between thousands, English month and day names.

#include "format/SerialDate.h"

#include <cstdint>
#include <memory>
#include <optional>
#include <string>
#include <string_view>
#include <unordered_map>

namespace tabulix {

struct TFormatCode;

// A value as its format shows it.
struct TShownText {
    std::u16string Text;
    // The colour the format names for the value ([Red], [Color10]), red in the lowest byte.
    std::optional<uint32_t> Color;
    // A character to repeat at FillAt (an index into Text) until the text fills the cell, or 0. A value
    // a date or time cannot show (negative, past 9999-12-31) is "#" filled so, as spreadsheet
    // applications show it.
    char16_t Fill = 0;
    size_t FillAt = 0;
};

// Colour number (1 to 56) of the legacy palette, which [ColorN] names and a workbook's indexed colours
// 8 to 63 give, red in the lowest byte; black outside it.
uint32_t LegacyPaletteColor(int32_t number);

// A parsed format code. Copies share the parsed form. Reading never fails: what a code holds that
// makes no sense is shown as written or ignored, and a code longer than 1,024 characters is read as
// General, so that formatting takes little time and gives a short text whatever a file holds.
class TNumberFormat {
public:
    TNumberFormat(); // General
    explicit TNumberFormat(std::u16string_view code);

    // A number, a date or a time, by the section the value selects: positive; negative (shown without
    // its sign); zero; or by the sections' conditions. A value no section takes, and an infinity or
    // NaN (shown as "#NUM!"), are shown as General.
    TShownText FormatNumber(double value, TDateSystem dates = TDateSystem::Days1900) const;
    // A text through the text section (the fourth, or the last when it holds @); without one, the text
    // as it is. What a text section makes of a text is cut after 32,767 characters, as many as a cell
    // holds.
    TShownText FormatText(std::u16string_view text) const;

    // Whether numbers are shown by the General rules alone.
    bool IsGeneral() const;
    // Whether the first section shows numbers as dates or times.
    bool ShowsDateTime() const;

private:
    std::shared_ptr<const TFormatCode> FCode;
};

// A number as General shows it in a standard-width column, in at most 11 characters: fixed notation
// rounded to as many decimals as fit (trailing zeros and point dropped) when the integer part fits and
// the value does not round to zero; otherwise scientific notation with the mantissa rounded to fit,
// E+ or E- and at least two exponent digits. 3.14159265358979 shows 3.141592654, 123456789012 shows
// 1.23457E+11.
std::u16string ShownGeneralText(double value);

// The code of a built-in format id (0 to 49, as an English locale writes them), and "General" for any
// id without one of its own. A workbook's own code for an id takes its place (TNumberFormatTable).
std::u16string_view BuiltInFormatCode(int32_t id);

// The formats of one workbook by id, each read once: the workbook's own codes (numFmts), over the
// built-in ones, over General.
class TNumberFormatTable {
public:
    // A workbook's own code for id; a later code for the same id replaces an earlier one.
    void Add(int32_t id, std::u16string_view code);
    const TNumberFormat& Find(int32_t id) const;

private:
    std::unordered_map<int32_t, TNumberFormat> FCustom;
};

} // namespace tabulix
