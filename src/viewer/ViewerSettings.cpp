// The viewer settings string and how the viewer applies it.
#include "viewer/ViewerSettings.h"

#include "base/Numbers.h"
#include "base/Text.h"
#include "viewer/NeoSpreadsheet.h"

namespace tabulix {

namespace {

bool IsLineBreak(char16_t c) { return c == u'\r' || c == u'\n'; }
bool IsSeparator(char16_t c) { return c == u';' || IsLineBreak(c); }

// An integer setting within its range, bounds included.
std::optional<int32_t> ReadSizeSetting(std::u16string_view value, int32_t lowest, int32_t highest) {
    const std::optional<int32_t> number = ReadHostInteger(value);
    if (!number || *number < lowest || *number > highest) return std::nullopt;
    return number;
}

} // namespace

std::vector<std::u16string> CutSettingsPieces(std::u16string_view text) {
    std::vector<std::u16string> pieces;
    size_t i = 0;
    while (i < text.size()) {
        while (i < text.size() && IsLineBreak(text[i])) ++i;
        const size_t start = i;
        char16_t quote = 0;
        for (; i < text.size(); ++i) {
            const char16_t c = text[i];
            if (quote) {
                if (c == quote) quote = 0;
            } else if (c == u'\'' || c == u'"') {
                quote = c;
            } else if (IsSeparator(c)) {
                break;
            }
        }
        if (i > start) pieces.emplace_back(text.substr(start, i - start));
        ++i; // past the separator
    }
    return pieces;
}

std::optional<TSettingsPiece> SplitSettingsPiece(std::u16string_view piece) {
    const size_t equals = piece.find(u'=');
    if (equals == std::u16string_view::npos) return std::nullopt;
    return TSettingsPiece{Trim(piece.substr(0, equals)), Trim(piece.substr(equals + 1))};
}

std::optional<TColor> ParseHexColor(std::u16string_view text) {
    std::u16string_view digits = TrimView(text);
    if (!digits.empty() && digits.front() == u'#') digits.remove_prefix(1);
    if (digits.size() != 6) return std::nullopt;
    const std::optional<uint32_t> value = ReadHexDigits(digits);
    if (!value) return std::nullopt;
    return RgbColor(uint8_t(*value >> 16), uint8_t(*value >> 8), uint8_t(*value));
}

void TNeoSpreadsheet::ApplySettings(const std::u16string& settings) noexcept {
    try {
        for (const std::u16string& text : CutSettingsPieces(settings)) {
            const std::optional<TSettingsPiece> piece = SplitSettingsPiece(text);
            if (!piece || piece->Value.empty()) continue; // a blank value leaves the setting as it is
            const std::u16string& key = piece->Key;
            const std::u16string& value = piece->Value;
            if (SameTextAscii(key, u"ToolbarColor")) {
                if (const auto color = ParseHexColor(value)) FToolbarColor = *color;
            } else if (SameTextAscii(key, u"HeaderColor")) {
                if (const auto color = ParseHexColor(value)) FHeaderColor = *color;
            } else if (SameTextAscii(key, u"SelectionColor")) {
                if (const auto color = ParseHexColor(value)) FSelectionColor = *color;
            } else if (SameTextAscii(key, u"GridFont")) {
                FGridFontName = value; // quotes and all
            } else if (SameTextAscii(key, u"FontSize")) {
                if (const auto size = ReadSizeSetting(value, 6, 36)) FGridFontSize = *size;
            } else if (SameTextAscii(key, u"RowHeight")) {
                if (const auto height = ReadSizeSetting(value, 14, 80)) {
                    FRowHeight = *height;
                    FRowHeightGiven = true;
                }
            } else if (SameTextAscii(key, u"ColumnWidth")) {
                if (const auto width = ReadSizeSetting(value, 30, 400)) {
                    FCellWidth = *width;
                    FColumnWidthGiven = true;
                }
            }
        }
        ForgetGeometry();
        InvalidateAll();
    } catch (...) {
        // Only running out of memory can get here; the settings applied so far stay.
    }
}

} // namespace tabulix
