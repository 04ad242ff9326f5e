#include "platform/VDateTime.h"

#include "common/FreshProcess.h"

#include <QDateTime>
#include <QThread>
#include <gtest/gtest.h>

#include <climits>
#include <cstdint>
#include <ctime>
#include <string>

namespace {

TEST(VDateTimeFreshProcess, DISABLED_SharedClockStartsAtFirstCall) {
    const int first = VDateTime::getTimeInMs();
    EXPECT_GE(first, 0);
    EXPECT_LE(first, 100);
    QThread::msleep(30);
    const int later = VDateTime::getTimeInMs();
    EXPECT_GE(later - first, 30);
    EXPECT_LT(later, 20000);
    bool ok = false;
    EXPECT_GE(VDateTime::_getTimeWithStartInMs_viaQt(ok), later);
    EXPECT_TRUE(ok);
}

TEST(VDateTimeFreshProcess, DISABLED_DifferenceAsFirstCallStartsTheClock) {
    const int diff = VDateTime::getTimeDiffInMs(1000);
    EXPECT_LE(diff, -900);
    EXPECT_GE(diff, -1000);
}

TEST(VDateTimeFreshProcess, DISABLED_TimeOfDayClockStartsAtItsFirstCall) {
    VDateTime::getTimeInMs();
    QThread::msleep(20); // the shared clock's start does not move this one's
    bool ok = false;
    const int first = VDateTime::_getTimeWithStartInMs_viaGetTimeOfDay(ok);
    EXPECT_TRUE(ok);
    EXPECT_GE(first, 0);
    EXPECT_LE(first, 100);
    QThread::msleep(30);
    ok = false;
    EXPECT_GE(VDateTime::_getTimeWithStartInMs_viaGetTimeOfDay(ok) - first, 29);
    EXPECT_TRUE(ok);
}

TEST(VDateTimeClocks, FirstCallsInAFreshProcess) {
    for (const char* name :
         {"DISABLED_SharedClockStartsAtFirstCall", "DISABLED_DifferenceAsFirstCallStartsTheClock",
          "DISABLED_TimeOfDayClockStartsAtItsFirstCall"}) {
        std::string output;
        EXPECT_TRUE(orvtest::runTestInFreshProcess(std::string("VDateTimeFreshProcess.") + name, output))
            << output;
    }
}

TEST(VDateTimeClocks, SharedClockNeverGoesBack) {
    int previous = VDateTime::getTimeInMs();
    for (int i = 0; i < 1000; ++i) {
        const int now = VDateTime::getTimeInMs();
        ASSERT_GE(now, previous);
        previous = now;
    }
    const int start = VDateTime::getTimeInMs();
    QThread::msleep(25);
    EXPECT_GE(VDateTime::getTimeDiffInMs(start), 25);
}

TEST(VDateTimeClocks, DifferencesWrapAt32Bits) {
    EXPECT_EQ(VDateTime::getTimeDiffInMs(10, 4), -6);
    EXPECT_EQ(VDateTime::getTimeDiffInMs(4, 10), 6);
    EXPECT_EQ(VDateTime::getTimeDiffInMs(INT_MAX, INT_MIN), 1);
    EXPECT_EQ(VDateTime::getTimeDiffInMs(INT_MIN, INT_MAX), -1);
    EXPECT_EQ(VDateTime::getTimeDiffInMs(-5, INT_MAX), INT_MIN + 4);
}

TEST(VDateTimeClocks, WallClockMatchesTheSystem) {
    const std::uint32_t expectedMs = static_cast<std::uint32_t>(QDateTime::currentMSecsSinceEpoch());
    const std::uint32_t osMs = static_cast<std::uint32_t>(VDateTime::getOSTimeInMs());
    EXPECT_LT(osMs - expectedMs, 2000u) << "low 32 bits of the milliseconds since 1970";

    const std::time_t before = std::time(nullptr);
    const std::uint64_t seconds = VDateTime::getSecondsSince1970();
    const std::time_t after = std::time(nullptr);
    EXPECT_GE(seconds, static_cast<std::uint64_t>(before));
    // time() may read a coarse clock that lags the precise one by a tick across a second boundary.
    EXPECT_LE(seconds, static_cast<std::uint64_t>(after) + 1);
    EXPECT_LE(seconds, 4294967295u);
}

TEST(VDateTimeCalendar, FieldsGoOnlyWhereAsked) {
    VDateTime::getYearMonthDayHourMinuteSecond(nullptr, nullptr, nullptr, nullptr, nullptr, nullptr);

    int hour = -1;
    VDateTime::getYearMonthDayHourMinuteSecond(nullptr, nullptr, nullptr, &hour, nullptr, nullptr);
    EXPECT_GE(hour, 0);
    EXPECT_LE(hour, 23);

    int fields[6] = {-1, -1, -1, -1, -1, -1};
    const QDateTime before = QDateTime::currentDateTime();
    VDateTime::getYearMonthDayHourMinuteSecond(&fields[0], &fields[1], &fields[2], &fields[3], &fields[4],
                                               &fields[5]);
    const QDateTime read(QDate(fields[0], fields[1], fields[2]), QTime(fields[3], fields[4], fields[5]));
    ASSERT_TRUE(read.isValid());
    EXPECT_LE(read.secsTo(before), 0);
    EXPECT_LE(read.secsTo(QDateTime::currentDateTime()), 2);
}

TEST(VDateTimeCalendar, DaysBetweenDates) {
    struct Row {
        const char* name;
        int date1[3];
        int date2[3];
        std::int64_t expected;
    };
    const Row rows[] = {
        {"across a leap day", {2020, 2, 28}, {2020, 3, 1}, 2},
        {"backwards", {2020, 3, 1}, {2020, 2, 28}, -2},
        {"no leap day", {2019, 2, 28}, {2019, 3, 1}, 1},
        {"same day", {2024, 6, 30}, {2024, 6, 30}, 0},
        {"a century without its leap year", {1900, 1, 1}, {2000, 1, 1}, 36524},
        {"month 13 first", {2020, 13, 1}, {2020, 3, 1}, 0},
        {"month 13 second", {2020, 3, 1}, {2020, 13, 1}, 0},
        {"day 29 of a common February", {2019, 2, 29}, {2019, 3, 1}, 0},
        {"day 0", {2020, 1, 1}, {2020, 1, 0}, 0},
    };
    for (const Row& row : rows) {
        SCOPED_TRACE(row.name);
        EXPECT_EQ(VDateTime::getDaysTo(row.date1[0], row.date1[1], row.date1[2], row.date2[0], row.date2[1],
                                       row.date2[2]),
                  row.expected);
    }
}

} // namespace
