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

} // namespace tabulix
