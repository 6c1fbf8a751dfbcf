// Date serials to calendar dates and times of day.
#include "format/SerialDate.h"

#include <algorithm>
#include <cmath>

namespace tabulix {

namespace {

constexpr int64_t SerialOfUnixEpoch = 25569;   // 1970-01-01, counted from 1899-12-30
constexpr int64_t LastSerial = 2958465;        // 9999-12-31 in the 1900 system
constexpr int64_t SerialOf1904 = 1462;         // 1904-01-01 in the 1900 system
constexpr int64_t LeapDaySerial = 60;          // 1900-02-29, a day the calendar never had

struct TCivilDate {
    int64_t Year;
    int32_t Month;
    int32_t Day;
};

// Days since 1970-01-01 to a proleptic Gregorian date.
TCivilDate CivilFromDays(int64_t days) {
    days += 719468;
    const int64_t era = (days >= 0 ? days : days - 146096) / 146097;
    const int64_t dayOfEra = days - era * 146097;
    const int64_t yearOfEra = (dayOfEra - dayOfEra / 1460 + dayOfEra / 36524 - dayOfEra / 146096) / 365;
    const int64_t dayOfYear = dayOfEra - (365 * yearOfEra + yearOfEra / 4 - yearOfEra / 100);
    const int64_t monthIndex = (5 * dayOfYear + 2) / 153;
    const int32_t day = int32_t(dayOfYear - (153 * monthIndex + 2) / 5 + 1);
    const int32_t month = int32_t(monthIndex < 10 ? monthIndex + 3 : monthIndex - 9);
    return {yearOfEra + era * 400 + (month <= 2 ? 1 : 0), month, day};
}

// Days since 1970-01-01 of a proleptic Gregorian date.
int64_t DaysFromCivil(int64_t year, int32_t month, int32_t day) {
    year -= month <= 2 ? 1 : 0;
    const int64_t era = (year >= 0 ? year : year - 399) / 400;
    const int64_t yearOfEra = year - era * 400;
    const int64_t dayOfYear = (153 * (month > 2 ? month - 3 : month + 9) + 2) / 5 + day - 1;
    const int64_t dayOfEra = yearOfEra * 365 + yearOfEra / 4 - yearOfEra / 100 + dayOfYear;
    return era * 146097 + dayOfEra - 719468;
}

int32_t DaysInMonth(int32_t year, int32_t month) {
    static constexpr int32_t days[12] = {31, 28, 31, 30, 31, 30, 31, 31, 30, 31, 30, 31};
    const bool leap = (year % 4 == 0 && year % 100 != 0) || year % 400 == 0;
    return month == 2 && leap ? 29 : days[month - 1];
}

// A day of the 1900 system (0 is 1899-12-30 below 1 and from 61 on).
TCivilDate DateOf1900Day(int64_t day) {
    if (day == LeapDaySerial) return {1900, 2, 29};
    // Days 1 to 59 come before the leap day that never was, so they count from 1899-12-31.
    const int64_t shifted = day >= 1 && day < LeapDaySerial ? day + 1 : day;
    return CivilFromDays(shifted - SerialOfUnixEpoch);
}

} // namespace

std::optional<TSerialDateTime> SplitDateSerial(double serial, TDateSystem system, int32_t secondDigits) {
    const int64_t lastDay = system == TDateSystem::Days1904 ? LastSerial - SerialOf1904 : LastSerial;
    if (!(serial >= 0) || !(serial < double(lastDay + 1))) return std::nullopt;
    int64_t unitsPerSecond = 1;
    for (int32_t k = std::clamp(secondDigits, 0, 3); k > 0; --k) unitsPerSecond *= 10;
    const int64_t unitsPerDay = 86400 * unitsPerSecond;
    int64_t day = int64_t(std::floor(serial));
    int64_t units = std::llround((serial - double(day)) * double(unitsPerDay));
    if (units >= unitsPerDay) {
        ++day;
        units -= unitsPerDay;
    }
    if (day > lastDay) return std::nullopt;

    TSerialDateTime result;
    result.SerialDay = day;
    const TCivilDate date = system == TDateSystem::Days1904
                                ? CivilFromDays(day + SerialOf1904 - SerialOfUnixEpoch)
                                : DateOf1900Day(day);
    result.Year = int32_t(date.Year);
    result.Month = date.Month;
    result.Day = date.Day;
    // Serial 0 of the 1900 system is a Saturday, 1904-01-01 a Friday.
    result.Weekday = int32_t((day + (system == TDateSystem::Days1904 ? 5 : 6)) % 7);
    const int64_t milliseconds = units * (1000 / unitsPerSecond);
    result.Hour = int32_t(milliseconds / 3600000);
    result.Minute = int32_t(milliseconds / 60000 % 60);
    result.Second = int32_t(milliseconds / 1000 % 60);
    result.Millisecond = int32_t(milliseconds % 1000);
    return result;
}

std::optional<int64_t> DateSerial(int32_t year, int32_t month, int32_t day, TDateSystem system) {
    if (year < 1899 || year > 9999 || month < 1 || month > 12 || day < 1) return std::nullopt;
    const bool leapDay1900 = system == TDateSystem::Days1900 && year == 1900 && month == 2 && day == 29;
    if (leapDay1900) return LeapDaySerial;
    if (day > DaysInMonth(year, month)) return std::nullopt;
    int64_t serial = DaysFromCivil(year, month, day) + SerialOfUnixEpoch; // the calendar's count from 1899-12-30
    if (system == TDateSystem::Days1904) {
        serial -= SerialOf1904;
    } else if (serial == 1) {
        return std::nullopt; // 1899-12-31: the 1900 system goes from day 0 to 1900-01-01
    } else if (serial >= 2 && serial <= LeapDaySerial) {
        --serial; // 1900-01-01 to 1900-02-28 come before the leap day that never was
    }
    if (serial < 0) return std::nullopt;
    return serial;
}

} // namespace tabulix
