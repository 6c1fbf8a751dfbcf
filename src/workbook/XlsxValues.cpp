// How cell values of a workbook become display texts: escaped characters, date formats, date serials.
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

// Days since 1970-01-01 to a proleptic Gregorian date.
void CivilFromDays(int64_t days, int64_t& year, int& month, int& day) {
    days += 719468;
    const int64_t era = (days >= 0 ? days : days - 146096) / 146097;
    const int64_t dayOfEra = days - era * 146097;
    const int64_t yearOfEra = (dayOfEra - dayOfEra / 1460 + dayOfEra / 36524 - dayOfEra / 146096) / 365;
    const int64_t dayOfYear = dayOfEra - (365 * yearOfEra + yearOfEra / 4 - yearOfEra / 100);
    const int64_t monthIndex = (5 * dayOfYear + 2) / 153;
    day = int(dayOfYear - (153 * monthIndex + 2) / 5 + 1);
    month = int(monthIndex < 10 ? monthIndex + 3 : monthIndex - 9);
    year = yearOfEra + era * 400 + (month <= 2 ? 1 : 0);
}

constexpr int64_t SerialOfUnixEpoch = 25569;   // 1970-01-01
constexpr int64_t LastSerial = 2958465;        // 9999-12-31
constexpr int64_t SerialOf1904 = 1462;         // 1904-01-01, day 0 of workbooks that count from 1904
constexpr int64_t SerialOfLeapDay1900 = 60;    // 1900-02-29, a day that spreadsheet applications count
constexpr int64_t MillisecondsPerDay = 86400000;

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
    if (!(serial >= 0)) return std::nullopt;
    if (date1904) serial += double(SerialOf1904);
    if (serial >= double(LastSerial + 1)) return std::nullopt;
    int64_t days = int64_t(std::floor(serial));
    const double fraction = serial - double(days);
    int64_t milliseconds = 0;
    if (fraction != 0) {
        // Rounded to the millisecond first; the seconds are then dropped, not rounded into the minute.
        milliseconds = std::llround(fraction * double(MillisecondsPerDay));
        if (milliseconds >= MillisecondsPerDay) {
            ++days;
            milliseconds -= MillisecondsPerDay;
        }
        if (days > LastSerial) return std::nullopt;
    }
    int64_t year = 0;
    int month = 0;
    int day = 0;
    if (!date1904 && days >= 1 && days <= SerialOfLeapDay1900) {
        // Spreadsheet applications count 1900 as a leap year, as the first of them did: serial 1 is
        // 1900-01-01, 59 is 1900-02-28 and 60 the 1900-02-29 that never was. From 61 on the count is
        // the calendar's again.
        if (days == SerialOfLeapDay1900) {
            year = 1900;
            month = 2;
            day = 29;
        } else {
            CivilFromDays(days + 1 - SerialOfUnixEpoch, year, month, day);
        }
    } else {
        CivilFromDays(days - SerialOfUnixEpoch, year, month, day);
    }
    char date[16];
    std::snprintf(date, sizeof date, "%04d-%02d-%02d", int(year), month, day);
    std::u16string text = AsciiToUtf16(date);
    if (fraction != 0) {
        char hours[4];
        char minutes[4];
        std::snprintf(hours, sizeof hours, "%02d", int(milliseconds / 3600000));
        std::snprintf(minutes, sizeof minutes, "%02d", int(milliseconds / 60000 % 60));
        text += u' ';
        text += AsciiToUtf16(hours);
        text += timeSeparator;
        text += AsciiToUtf16(minutes);
    }
    return text;
}

} // namespace tabulix
