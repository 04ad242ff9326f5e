#include "platform/VThread.h"

#include "TaskThread.h"
#include "common/IsolatedRun.h"

#include <QThread>
#include <gtest/gtest.h>

#include <algorithm>
#include <atomic>
#include <chrono>
#include <cstdio>
#include <ostream>
#include <string>
#include <thread>
#include <vector>

namespace {

using orvtest::TaskThread;
using orvtest::waitUntil;

// The registry lives for the whole process, so each scenario starts in a fresh one.
TEST(VThreadRegistry, NumbersThreadsOnceBothMainThreadsAreRecorded) {
    const orvtest::IsolatedResult result = orvtest::runIsolated(
        [] {
            TaskThread ui;
            TaskThread simulation;
            TaskThread worker;
            const auto ask = [](const char* who, TaskThread* thread) {
                const int number = thread != nullptr ? thread->run(VThread::getThreadId_apiQueried)
                                                     : VThread::getThreadId_apiQueried();
                std::printf("%s=%d ", who, number);
            };
            ask("worker", &worker);
            ask("main", nullptr);
            ui.run(VThread::setUiThreadId);
            ask("ui", &ui);
            ask("worker", &worker);
            simulation.run(VThread::setSimulationMainThreadId);
            std::printf("| ");
            ask("worker", &worker);
            ask("simulation", &simulation);
            ask("main", nullptr);
            ask("ui", &ui);
            ask("worker", &worker);
            VThread::unsetUiThreadId();
            VThread::unsetSimulationMainThreadId();
            std::printf("| ");
            ask("ui", &ui);
            ask("simulation", &simulation);
            ask("main", nullptr);
            return 0;
        },
        {""});
    ASSERT_FALSE(result.timedOut);
    EXPECT_EQ(0, result.exitCode);
    EXPECT_EQ("worker=-1 main=-1 ui=-1 worker=-1 | worker=2 simulation=1 main=3 ui=0 worker=2 "
              "| ui=0 simulation=1 main=3 ",
              result.output);
}

TEST(VThreadRegistry, ConcurrentFirstQuestionsGetDistinctNumbers) {
    const orvtest::IsolatedResult result = orvtest::runIsolated(
        [] {
            constexpr int kThreads = 8;
            VThread::setUiThreadId();
            TaskThread simulation;
            simulation.run(VThread::setSimulationMainThreadId);
            std::atomic<bool> go{false};
            std::vector<int> numbers(kThreads, -1);
            std::vector<std::thread> threads;
            for (int t = 0; t < kThreads; ++t) {
                threads.emplace_back([&, t] {
                    while (!go.load())
                        std::this_thread::yield();
                    numbers[t] = VThread::getThreadId_apiQueried();
                    if (VThread::getThreadId_apiQueried() != numbers[t])
                        numbers[t] = -2;
                });
            }
            go.store(true);
            for (std::thread& thread : threads)
                thread.join();
            std::sort(numbers.begin(), numbers.end());
            for (const int number : numbers)
                std::printf("%d ", number);
            return 0;
        },
        {""});
    ASSERT_FALSE(result.timedOut);
    EXPECT_EQ(0, result.exitCode);
    EXPECT_EQ("2 3 4 5 6 7 8 9 ", result.output);
}

enum class RecordedBy { nobody, thisThread, anotherThread, thisThreadThenUnset };

struct RecordRow {
    const char* name;
    RecordedBy ui;
    RecordedBy simulation;
    bool uiSet;
    bool simulationSet;
    bool isUiThread;
    bool isSimulationThread;
};

void PrintTo(const RecordRow& row, std::ostream* out) {
    *out << row.name;
}

const RecordRow kRecordRows[] = {
    {"nothing_recorded", RecordedBy::nobody, RecordedBy::nobody, false, false, true, false},
    {"both_are_this_thread", RecordedBy::thisThread, RecordedBy::thisThread, true, true, true, true},
    {"both_are_another_thread", RecordedBy::anotherThread, RecordedBy::anotherThread, true, true, false,
     false},
    {"ui_here_simulation_elsewhere", RecordedBy::thisThread, RecordedBy::anotherThread, true, true, true,
     false},
    {"recorded_then_unset", RecordedBy::thisThreadThenUnset, RecordedBy::thisThreadThenUnset, false, false,
     true, false},
    {"only_simulation_elsewhere", RecordedBy::nobody, RecordedBy::anotherThread, false, true, true, false},
};

class VThreadRecorded : public testing::TestWithParam<RecordRow> {
protected:
    void TearDown() override {
        VThread::unsetUiThreadId();
        VThread::unsetSimulationMainThreadId();
    }
};

void record(RecordedBy by, TaskThread& another, void (*set)(), void (*unset)()) {
    switch (by) {
    case RecordedBy::nobody:
        unset();
        break;
    case RecordedBy::thisThread:
        set();
        break;
    case RecordedBy::anotherThread:
        another.run(set);
        break;
    case RecordedBy::thisThreadThenUnset:
        set();
        unset();
        break;
    }
}

TEST_P(VThreadRecorded, AnswersForTheCallingThread) {
    const RecordRow& row = GetParam();
    TaskThread another;
    record(row.ui, another, VThread::setUiThreadId, VThread::unsetUiThreadId);
    record(row.simulation, another, VThread::setSimulationMainThreadId, VThread::unsetSimulationMainThreadId);
    EXPECT_EQ(row.uiSet, VThread::isUiThreadIdSet());
    EXPECT_EQ(row.simulationSet, VThread::isSimulationMainThreadIdSet());
    EXPECT_EQ(row.isUiThread, VThread::isCurrentThreadTheUiThread());
    EXPECT_EQ(row.isSimulationThread, VThread::isCurrentThreadTheMainSimulationThread());
}

INSTANTIATE_TEST_SUITE_P(Rows, VThreadRecorded, testing::ValuesIn(kRecordRows),
                         [](const testing::TestParamInfo<RecordRow>& info) { return info.param.name; });

TEST(VThreadIdentity, SameOnlyForTheSameThread) {
    TaskThread other;
    const pthread_t here = VThread::getCurrentThreadId();
    const pthread_t there = other.run(VThread::getCurrentThreadId);
    EXPECT_TRUE(VThread::areThreadIDsSame(here, VThread::getCurrentThreadId()));
    EXPECT_TRUE(VThread::areThreadIDsSame(there, other.run(VThread::getCurrentThreadId)));
    EXPECT_FALSE(VThread::areThreadIDsSame(here, there));
    EXPECT_TRUE(VThread::areThreadIDsSame(here, pthread_self()));
}

TEST(VThreadCores, CountsAtLeastOneCore) {
    const int cores = VThread::getCoreCount();
    EXPECT_GE(cores, 1);
    EXPECT_EQ(std::max(1, QThread::idealThreadCount()), cores);
}

struct SleepRow {
    const char* name;
    int ms;
    std::chrono::milliseconds atLeast;
    std::chrono::milliseconds below;
};

// Upper bounds are loose: they tell "returns at once" from "sleeps for minutes" on a busy machine.
void PrintTo(const SleepRow& row, std::ostream* out) {
    *out << row.name;
}

const SleepRow kSleepRows[] = {
    {"zero_returns_at_once", 0, std::chrono::milliseconds(0), std::chrono::milliseconds(1000)},
    {"negative_returns_at_once", -5, std::chrono::milliseconds(0), std::chrono::milliseconds(1000)},
    {"short_sleep_lasts", 30, std::chrono::milliseconds(30), std::chrono::milliseconds(5000)},
};

class VThreadSleep : public testing::TestWithParam<SleepRow> {};

TEST_P(VThreadSleep, SleepsAsLongAsAsked) {
    const SleepRow& row = GetParam();
    const auto start = std::chrono::steady_clock::now();
    VThread::sleep(row.ms);
    const auto elapsed = std::chrono::steady_clock::now() - start;
    EXPECT_GE(elapsed, row.atLeast);
    EXPECT_LT(elapsed, row.below);
}

INSTANTIATE_TEST_SUITE_P(Rows, VThreadSleep, testing::ValuesIn(kSleepRows),
                         [](const testing::TestParamInfo<SleepRow>& info) { return info.param.name; });

std::atomic<int> plainRuns{0};
std::atomic<int> plainNonNullArguments{0};
std::atomic<int> plainDetached{0};

bool callingThreadIsDetached() {
#if defined(__GLIBC__)
    pthread_attr_t attributes;
    if (pthread_getattr_np(pthread_self(), &attributes) != 0)
        return false;
    int state = PTHREAD_CREATE_JOINABLE;
    pthread_attr_getdetachstate(&attributes, &state);
    pthread_attr_destroy(&attributes);
    return state == PTHREAD_CREATE_DETACHED;
#else
    return true;
#endif
}

void* plainStart(void* argument) {
    if (argument != nullptr)
        ++plainNonNullArguments;
    VThread::switchThread();
    const bool detachedBefore = callingThreadIsDetached();
    VThread::endThread();
    if (!detachedBefore && callingThreadIsDetached())
        ++plainDetached;
    ++plainRuns;
    return nullptr;
}

TEST(VThreadLaunch, PlainThreadRunsItsFunctionOnceAndDetachesItself) {
    plainRuns = 0;
    plainNonNullArguments = 0;
    plainDetached = 0;
    constexpr int kLaunches = 5;
    for (int i = 0; i < kLaunches; ++i)
        VThread::launchThread(plainStart, true);
    VThread::launchThread(nullptr, false);
    EXPECT_TRUE(waitUntil([] { return plainRuns.load() == kLaunches; }));
    EXPECT_EQ(kLaunches, plainDetached.load());
    EXPECT_EQ(0, plainNonNullArguments.load());
}

} // namespace
