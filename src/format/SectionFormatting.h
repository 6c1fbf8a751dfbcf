#pragma once

// How each kind of section shows a value, shared by the number format and its parts.

#include "format/FormatCode.h"
#include "format/NumberFormat.h"

namespace tabulix {

// The width General fills in a standard column.
constexpr int32_t GeneralWidth = 11;

// A number as General shows it in at most width characters, its sign included.
std::u16string GeneralText(double value, int32_t width);

// A number, scientific or fraction section applied to a magnitude (at or above zero). The result
// tells whether every digit shown is zero, so that the caller knows whether a minus sign belongs.
bool AppendNumberSection(const TFormatSection& section, double magnitude, int32_t generalWidth, TShownText& out);

// A date or time section; false when the value is no date it can show.
bool AppendDateTimeSection(const TFormatSection& section, double value, TDateSystem dates, TShownText& out);

// The first fill of a section is repeated where it stands in the text.
inline void SetFill(TShownText& out, char16_t c) {
    out.Fill = c;
    out.FillAt = out.Text.size();
}

} // namespace tabulix
