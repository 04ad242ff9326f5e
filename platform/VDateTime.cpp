#include "platform/VDateTime.h"

#include <QDate>
#include <QDateTime>
#include <QElapsedTimer>
#include <QTime>

#include <sys/time.h>

namespace {

// Millisecond counts are 32-bit and wrap: arithmetic is done unsigned and read back as int.
int wrapped(std::uint32_t value) {
    return static_cast<int>(value);
}

struct TimeOfDay {
    bool ok = false;
    std::uint32_t seconds = 0; // low 32 bits
    std::int32_t microseconds = 0;
};

TimeOfDay readTimeOfDay() {
    timeval now{};
    TimeOfDay result;
    result.ok = gettimeofday(&now, nullptr) == 0;
    result.seconds = static_cast<std::uint32_t>(now.tv_sec);
    result.microseconds = static_cast<std::int32_t>(now.tv_usec);
    return result;
}

// A monotonic clock, so that durations survive clock corrections and daylight-saving changes.
const QElapsedTimer& sharedClock() {
    static const QElapsedTimer clock = [] {
        QElapsedTimer started;
        started.start();
        return started;
    }();
    return clock;
}

} // namespace

int VDateTime::getTimeInMs() {
    return wrapped(static_cast<std::uint32_t>(sharedClock().elapsed()));
}

int VDateTime::_getTimeWithStartInMs_viaQt(bool& ok) {
    ok = true;
    return getTimeInMs();
}

int VDateTime::_getTimeWithStartInMs_viaGetTimeOfDay(bool& ok) {
    static const TimeOfDay start = readTimeOfDay();
    const TimeOfDay now = readTimeOfDay();
    ok = now.ok;
    const std::int32_t microseconds = now.microseconds - start.microseconds;
    return wrapped((now.seconds - start.seconds) * 1000u + static_cast<std::uint32_t>(microseconds / 1000));
}

int VDateTime::getOSTimeInMs() {
    const TimeOfDay now = readTimeOfDay();
    return wrapped(now.seconds * 1000u + static_cast<std::uint32_t>(now.microseconds / 1000));
}

int VDateTime::getTimeDiffInMs(int since) {
    return getTimeDiffInMs(since, getTimeInMs());
}

int VDateTime::getTimeDiffInMs(int earlier, int later) {
    return wrapped(static_cast<std::uint32_t>(later) - static_cast<std::uint32_t>(earlier));
}

std::uint64_t VDateTime::getSecondsSince1970() {
    const qint64 seconds = QDateTime::currentSecsSinceEpoch();
    if (seconds < 0 || seconds > 0xFFFFFFFFLL)
        return 0xFFFFFFFFu;
    return static_cast<std::uint64_t>(seconds);
}

void VDateTime::getYearMonthDayHourMinuteSecond(int* year, int* month, int* day, int* hour, int* minute,
                                                int* second) {
    // One reading for both halves: a date read just before midnight and a time read just after it
    // would name a moment a day early.
    const QDateTime now = QDateTime::currentDateTime();
    const QDate date = now.date();
    const QTime time = now.time();
    const int values[6] = {date.year(), date.month(), date.day(), time.hour(), time.minute(), time.second()};
    int* const targets[6] = {year, month, day, hour, minute, second};
    for (int i = 0; i < 6; ++i) {
        if (targets[i] != nullptr)
            *targets[i] = values[i];
    }
}

std::int64_t VDateTime::getDaysTo(int year1, int month1, int day1, int year2, int month2, int day2) {
    const QDate first(year1, month1, day1);
    const QDate second(year2, month2, day2);
    if (!first.isValid() || !second.isValid())
        return 0;
    return first.daysTo(second);
}
