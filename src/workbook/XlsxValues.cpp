// How cell values of a workbook become texts: escaped characters, date formats and date serials for the
// display text, number formats for the text a cell shows.
#include "workbook/XlsxWorkbook.h"

#include "base/Text.h"

#include <cmath>
#include <cstdio>

namespace tabulix {

namespace {

int HexDigit(char16_t c) {
    if (c >= u'0' && c <= u'9') return c - u'0';
    if (c >= u'a' && c <= u'f') return c - u'a' + 10;
    if (c >= u'A' && c <= u'F') return c - u'A' + 10;
    return -1;
}

// The character of an _xHHHH_ escape starting at text[i], or -1.
int EscapeAt(std::u16string_view text, size_t i) {
    if (i + 7 > text.size() || text[i] != u'_' || text[i + 1] != u'x' || text[i + 6] != u'_') return -1;
    int value = 0;
    for (size_t k = i + 2; k < i + 6; ++k) {
        const int digit = HexDigit(text[k]);
        if (digit < 0) return -1;
        value = value * 16 + digit;
    }
    return value;
}

bool IsElapsedTimeSection(std::u16string_view section) {
    if (section.empty()) return false;
    const char16_t first = AsciiLowerChar(section[0]);
    if (first != u'h' && first != u'm' && first != u's') return false;
    for (char16_t c : section) {
        if (AsciiLowerChar(c) != first) return false;
    }
    return true;
}

} // namespace

std::u16string DecodeEscapedCharacters(std::u16string_view text) {
    if (text.find(u"_x") == std::u16string_view::npos) return std::u16string(text);
    std::u16string result;
    result.reserve(text.size());
    size_t i = 0;
    while (i < text.size()) {
        const int escaped = EscapeAt(text, i);
        if (escaped >= 0) {
            result += char16_t(escaped);
            i += 7;
        } else {
            result += text[i++];
        }
    }
    return result;
}

namespace {

// Whether a character can stand as itself in the text of a part. A CR can not: readers turn CR LF
// into LF, so it is escaped as spreadsheet applications escape it.
bool IsXmlChar(std::u16string_view text, size_t i) {
    const char16_t c = text[i];
    if (c < 0x20) return c == u'\t' || c == u'\n';
    if (c == 0xFFFE || c == 0xFFFF) return false;
    if (c >= 0xD800 && c <= 0xDBFF) return i + 1 < text.size() && text[i + 1] >= 0xDC00 && text[i + 1] <= 0xDFFF;
    if (c >= 0xDC00 && c <= 0xDFFF) return i > 0 && text[i - 1] >= 0xD800 && text[i - 1] <= 0xDBFF;
    return true;
}

void AppendEscape(std::u16string& out, char16_t c) {
    char buffer[8];
    std::snprintf(buffer, sizeof buffer, "_x%04X_", unsigned(c));
    out += AsciiToUtf16(buffer);
}

} // namespace

std::u16string EncodeEscapedCharacters(std::u16string_view text) {
    std::u16string result;
    result.reserve(text.size());
    for (size_t i = 0; i < text.size(); ++i) {
        if (!IsXmlChar(text, i)) {
            AppendEscape(result, text[i]);
        } else if (EscapeAt(text, i) >= 0) {
            AppendEscape(result, u'_'); // the underscore of a literal escape, so it is not decoded
        } else {
            result += text[i];
        }
    }
    return result;
}

bool IsDateFormatCode(std::u16string_view code) {
    for (size_t i = 0; i < code.size(); ++i) {
        const char16_t c = AsciiLowerChar(code[i]);
        if (c == u'"') {
            const size_t close = code.find(u'"', i + 1);
            if (close == std::u16string_view::npos) return false;
            i = close;
        } else if (c == u'\\' || c == u'_' || c == u'*') {
            ++i; // an escaped literal, a space the width of a character, a fill character
        } else if (c == u'[') {
            const size_t close = code.find(u']', i + 1);
            if (close == std::u16string_view::npos) return false;
            if (IsElapsedTimeSection(code.substr(i + 1, close - i - 1))) return true;
            i = close;
        } else if (c == u'y' || c == u'd' || c == u'h') {
            return true;
        }
    }
    return false;
}

std::optional<std::u16string> SerialToDateText(double serial, std::u16string_view timeSeparator, bool date1904) {
    // Rounded to the millisecond first; the seconds are then dropped, not rounded into the minute.
    const auto when = SplitDateSerial(serial, date1904 ? TDateSystem::Days1904 : TDateSystem::Days1900, 3);
    if (!when) return std::nullopt;
    char date[16];
    std::snprintf(date, sizeof date, "%04d-%02d-%02d", int(when->Year), int(when->Month), int(when->Day));
    std::u16string text = AsciiToUtf16(date);
    if (serial != std::floor(serial)) {
        char hours[4];
        char minutes[4];
        std::snprintf(hours, sizeof hours, "%02d", int(when->Hour));
        std::snprintf(minutes, sizeof minutes, "%02d", int(when->Minute));
        text += u' ';
        text += AsciiToUtf16(hours);
        text += timeSeparator;
        text += AsciiToUtf16(minutes);
    }
    return text;
}

namespace {

// The digits of text at i, exactly count of them, as a number; i moves past them. None otherwise.
std::optional<int32_t> ReadDigits(std::u16string_view text, size_t& i, size_t count) {
    if (i + count > text.size()) return std::nullopt;
    int32_t value = 0;
    for (size_t end = i + count; i < end; ++i) {
        if (text[i] < u'0' || text[i] > u'9') return std::nullopt;
        value = value * 10 + (text[i] - u'0');
    }
    return value;
}

bool Skip(std::u16string_view text, size_t& i, char16_t c) {
    if (i >= text.size() || text[i] != c) return false;
    ++i;
    return true;
}

} // namespace

std::optional<double> IsoDateTimeSerial(std::u16string_view text, bool date1904) {
    size_t i = 0;
    const auto year = ReadDigits(text, i, 4);
    const auto month = Skip(text, i, u'-') ? ReadDigits(text, i, 2) : std::nullopt;
    const auto day = Skip(text, i, u'-') ? ReadDigits(text, i, 2) : std::nullopt;
    if (!year || !month || !day) return std::nullopt;
    const auto date = DateSerial(*year, *month, *day, date1904 ? TDateSystem::Days1904 : TDateSystem::Days1900);
    if (!date) return std::nullopt;
    double seconds = 0;
    if (Skip(text, i, u'T')) {
        const auto hour = ReadDigits(text, i, 2);
        const auto minute = Skip(text, i, u':') ? ReadDigits(text, i, 2) : std::nullopt;
        if (!hour || !minute || *hour > 23 || *minute > 59) return std::nullopt;
        seconds = *hour * 3600.0 + *minute * 60.0;
        if (Skip(text, i, u':')) {
            const auto second = ReadDigits(text, i, 2);
            if (!second || *second > 59) return std::nullopt;
            seconds += *second;
            if (Skip(text, i, u'.')) {
                double unit = 0.1;
                const size_t first = i;
                for (; i < text.size() && text[i] >= u'0' && text[i] <= u'9'; ++i, unit /= 10) seconds += (text[i] - u'0') * unit;
                if (i == first) return std::nullopt;
            }
        }
        Skip(text, i, u'Z');
    }
    if (i != text.size()) return std::nullopt;
    return double(*date) + seconds / 86400.0;
}

const TNumberFormat& TXlsxWorkbook::CellNumberFormat(int32_t styleIndex) const {
    static const TNumberFormat general;
    if (styleIndex < 0 || size_t(styleIndex) >= FCellFormats.size()) return general;
    return *FCellFormats[size_t(styleIndex)];
}

TShownText TXlsxWorkbook::ShownText(int32_t sheetIndex, int32_t row, int32_t col) const {
    TShownText shown;
    if (!IsSheetIndex(sheetIndex)) return shown;
    const TXlsxSheet& sheet = Sheet(sheetIndex);
    const std::u16string_view stored = sheet.Text(row, col);
    const TCellKind kind = sheet.Kind(row, col);
    if (stored.empty() || kind == TCellKind::AsStored) {
        shown.Text = stored;
        return shown;
    }
    const TNumberFormat& format = CellNumberFormat(sheet.StyleIndex(row, col));
    if (kind == TCellKind::Text) return format.FormatText(stored);
    const std::optional<double> value = sheet.Number(row, col);
    if (!value) {
        shown.Text = stored; // a number cell whose value is no number
        return shown;
    }
    return format.FormatNumber(*value, FDate1904 ? TDateSystem::Days1904 : TDateSystem::Days1900);
}

} // namespace tabulix
