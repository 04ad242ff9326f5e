#pragma once

#include "orvExport.h"

#include <cstdint>

/// Clocks and calendar dates; all operations are static.
class ORV_EXPORT VDateTime {
public:
    VDateTime() = delete;

    /// Milliseconds since the first call of any shared-clock operation in the process, from a
    /// monotonic clock; 32-bit, wraps after about 49.7 days.
    static int getTimeInMs();
    /// The same value as getTimeInMs; `ok` is set to true.
    static int _getTimeWithStartInMs_viaQt(bool& ok);
    /// Milliseconds since this function's own first call, from the time of day (32-bit arithmetic);
    /// `ok` says whether the time of day could be read.
    static int _getTimeWithStartInMs_viaGetTimeOfDay(bool& ok);
    /// The low 32 bits of the wall-clock milliseconds since 1970.
    static int getOSTimeInMs();
    /// getTimeInMs() - since, wrapping like the clock.
    static int getTimeDiffInMs(int since);
    /// later - earlier, wrapping like the clock.
    static int getTimeDiffInMs(int earlier, int later);
    /// Whole seconds since 1970-01-01 00:00 UTC as a 32-bit unsigned count.
    static std::uint64_t getSecondsSince1970();
    /// The local date and time, each field stored where its pointer is not null (month 1 to 12).
    static void getYearMonthDayHourMinuteSecond(int* year, int* month, int* day, int* hour, int* minute,
                                                int* second);
    /// Days from the first date to the second; 0 when either date is invalid.
    static std::int64_t getDaysTo(int year1, int month1, int day1, int year2, int month2, int day2);
};
