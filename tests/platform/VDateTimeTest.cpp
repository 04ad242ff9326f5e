#include "platform/VDateTime.h"

#include "common/IsolatedRun.h"

#include <QDateTime>
#include <QThread>
#include <gtest/gtest.h>

#include <climits>
#include <cstdint>
#include <cstdio>
#include <ctime>
#include <string>

namespace {

TEST(VDateTimeClocks, ClocksStartAtTheirFirstCallAndWrapAt32Bits) {
    // The clocks start at their first call in a process, so they are tried in a fresh one.
    const orvtest::IsolatedResult run = orvtest::runIsolated(
        [] {
            const int diff = VDateTime::getTimeDiffInMs(1000); // the first call starts the shared clock
            QThread::msleep(30); // the shared clock's start does not move the time-of-day one's
            bool ok = false, qtOk = false;
            const int first = VDateTime::_getTimeWithStartInMs_viaGetTimeOfDay(ok);
            const bool firstOk = ok;
            QThread::msleep(30);
            const int later = VDateTime::getTimeInMs();
            const int sinceFirst = VDateTime::_getTimeWithStartInMs_viaGetTimeOfDay(ok) - first;
            const int viaQt = VDateTime::_getTimeWithStartInMs_viaQt(qtOk);
            std::printf("%d%d%d%d%d%d%d: %d %d %d %d", diff <= -900 && diff >= -1000, firstOk && ok,
                        first >= 0 && first <= 100, later >= 60 && later < 20000, sinceFirst >= 29, qtOk,
                        viaQt >= later, diff, first, later, sinceFirst);
            return 0;
        },
        orvtest::kNoHost);
    EXPECT_EQ(run.output.substr(0, 7), "1111111") << run.output;
    EXPECT_EQ(VDateTime::getTimeDiffInMs(10, 4), -6);
    EXPECT_EQ(VDateTime::getTimeDiffInMs(INT_MAX, INT_MIN), 1);
    EXPECT_EQ(VDateTime::getTimeDiffInMs(-5, INT_MAX), INT_MIN + 4);
}

TEST(VDateTimeCalendar, WallClockAndCalendarMatchTheSystem) {
    const auto expectedMs = static_cast<std::uint32_t>(QDateTime::currentMSecsSinceEpoch());
    EXPECT_LT(static_cast<std::uint32_t>(VDateTime::getOSTimeInMs()) - expectedMs, 2000u);
    const std::time_t before = std::time(nullptr);
    const std::uint64_t seconds = VDateTime::getSecondsSince1970();
    // time() may read a coarse clock that lags the precise one by a tick across a second boundary.
    EXPECT_TRUE(seconds >= std::uint64_t(before) && seconds <= std::uint64_t(std::time(nullptr)) + 1);

    int f[6] = {-1, -1, -1, -1, -1, -1}; // null pointers: parts not wanted
    VDateTime::getYearMonthDayHourMinuteSecond(nullptr, nullptr, nullptr, &f[3], nullptr, nullptr);
    EXPECT_TRUE(f[3] >= 0 && f[3] <= 23) << f[3];
    const QDateTime start = QDateTime::currentDateTime();
    VDateTime::getYearMonthDayHourMinuteSecond(&f[0], &f[1], &f[2], &f[3], &f[4], &f[5]);
    const QDateTime read(QDate(f[0], f[1], f[2]), QTime(f[3], f[4], f[5]));
    EXPECT_TRUE(read.isValid() && read.secsTo(start) <= 0 && read.secsTo(QDateTime::currentDateTime()) <= 2);
    // Days from the first date to the second, leap days counted; 0 when either is invalid.
    EXPECT_EQ(VDateTime::getDaysTo(2020, 3, 1, 2020, 2, 28), -2);
    EXPECT_EQ(VDateTime::getDaysTo(2019, 2, 29, 2019, 3, 1) + VDateTime::getDaysTo(2020, 3, 1, 2020, 13, 1),
              0);
}

} // namespace
