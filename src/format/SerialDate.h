#pragma once

// Date serials, the numbers by which workbooks store dates and times: whole days since the start of
// the workbook's date system, and the time of day as the fraction.

#include <cstdint>
#include <optional>

namespace tabulix {

// Day 0 is 1899-12-30 in the 1900 system (with its leap day, below), 1904-01-01 in the 1904 system.
enum class TDateSystem : uint8_t { Days1900, Days1904 };

struct TSerialDateTime {
    int64_t SerialDay = 0;     // the whole days of the serial, after the time was rounded
    int32_t Year = 0;
    int32_t Month = 0;         // 1 to 12
    int32_t Day = 0;           // 1 to 31
    int32_t Weekday = 0;       // 0 Sunday to 6 Saturday
    int32_t Hour = 0;
    int32_t Minute = 0;
    int32_t Second = 0;
    int32_t Millisecond = 0;
};

// The calendar date and time of day of a serial from 0 to the last moment of 9999-12-31, none
// otherwise (negative, too large, not a number). The time is rounded to the nearest unit of
// 10^-secondDigits seconds (secondDigits 0 to 3), which may carry into the next day.
//
// The 1900 system counts 1900 as a leap year, as spreadsheet applications always have: serial 1 is
// 1900-01-01, 59 is 1900-02-28, 60 is 1900-02-29, 61 is 1900-03-01, and from 61 on day 0 is
// 1899-12-30; below 1 the serial keeps that day 0. Weekdays follow the serial (serial 1 is a Sunday,
// as those applications show it), so that they agree with the applications on every day.
std::optional<TSerialDateTime> SplitDateSerial(double serial, TDateSystem system, int32_t secondDigits = 3);

// The serial of a calendar date from day 0 of the system to 9999-12-31, as SplitDateSerial counts
// them (so 1900-02-29 is serial 60 of the 1900 system); none for a day the calendar and the system do
// not have.
std::optional<int64_t> DateSerial(int32_t year, int32_t month, int32_t day, TDateSystem system);

} // namespace tabulix
