#include "platform/Thread.h"
#include "platform/VThread.h"

#include "TaskThread.h"

#include <QCoreApplication>
#include <QEventLoop>
#include <QPointer>
#include <QTimer>
#include <gtest/gtest.h>

#include <algorithm>
#include <atomic>
#include <mutex>
#include <ostream>
#include <string>
#include <thread>
#include <vector>

#if defined(__SANITIZE_ADDRESS__)
#define ORV_TEST_LEAK_CHECKER 1
#elif defined(__has_feature)
#if __has_feature(address_sanitizer)
#define ORV_TEST_LEAK_CHECKER 1
#endif
#endif

#ifdef ORV_TEST_LEAK_CHECKER
#include <sanitizer/lsan_interface.h>
#include <unistd.h>
#endif

namespace {

using orvtest::TaskThread;
using orvtest::waitUntil;

constexpr int kStartCount = 4;

// What the started functions saw, shared by every launch of a test.
struct LaunchLog {
    std::mutex mutex;
    int runs[kStartCount] = {};
    int nonNullArguments = 0;
    int released = 0;
    pthread_t runner{};
    pthread_t releaser{};

    void reset() {
        const std::lock_guard<std::mutex> guard(mutex);
        std::fill(std::begin(runs), std::end(runs), 0);
        nonNullArguments = 0;
        released = 0;
    }
    int releasedCount() {
        const std::lock_guard<std::mutex> guard(mutex);
        return released;
    }
};

LaunchLog launchLog;

// Counts the run, and counts the release of the Thread running it when that happens.
template <int N> unsigned int loggedStart(void* argument) {
    QObject::connect(QThread::currentThread(), &QObject::destroyed, [] {
        const std::lock_guard<std::mutex> guard(launchLog.mutex);
        ++launchLog.released;
        launchLog.releaser = pthread_self();
    });
    const std::lock_guard<std::mutex> guard(launchLog.mutex);
    ++launchLog.runs[N];
    if (argument != nullptr)
        ++launchLog.nonNullArguments;
    launchLog.runner = pthread_self();
    return N;
}

unsigned int (*const kStarts[kStartCount])(void*) = {loggedStart<0>, loggedStart<1>, loggedStart<2>,
                                                     loggedStart<3>};

struct LaunchRow {
    const char* name;
    int launchers; // 0: the test's own thread launches, without an event loop
    int launchesEach;
};

void PrintTo(const LaunchRow& row, std::ostream* out) {
    *out << row.name;
}

const LaunchRow kLaunchRows[] = {
    {"one_launch", 0, 1},
    {"many_in_a_row", 0, 60},
    {"two_threads_at_once", 2, 30},
    {"four_threads_at_once", 4, 15},
};

class ThreadLaunch : public testing::TestWithParam<LaunchRow> {
protected:
    void SetUp() override { launchLog.reset(); }
};

TEST_P(ThreadLaunch, RunsEachFunctionExactlyOnceAndReleasesEveryThread) {
    const LaunchRow& row = GetParam();
    const int launchers = std::max(row.launchers, 1);
    if (row.launchers == 0) {
        for (int i = 0; i < row.launchesEach; ++i) {
            VThread::launchSimpleThread(kStarts[0]);
            // Returning means the new thread took its function and the slot is free again.
            EXPECT_TRUE(Thread::startAddressIsFree.load());
        }
    } else {
        std::atomic<bool> go{false};
        std::vector<std::thread> threads;
        for (int t = 0; t < row.launchers; ++t) {
            threads.emplace_back([&, t] {
                while (!go.load())
                    std::this_thread::yield();
                for (int i = 0; i < row.launchesEach; ++i)
                    VThread::launchSimpleThread(kStarts[t]);
            });
        }
        go.store(true);
        for (std::thread& thread : threads)
            thread.join();
    }
    const int total = launchers * row.launchesEach;
    EXPECT_TRUE(waitUntil([&] { return launchLog.releasedCount() == total; }))
        << "released " << launchLog.releasedCount() << " of " << total;

    const std::lock_guard<std::mutex> guard(launchLog.mutex);
    for (int t = 0; t < kStartCount; ++t) {
        SCOPED_TRACE(t);
        EXPECT_EQ(t < launchers ? row.launchesEach : 0, launchLog.runs[t]);
    }
    EXPECT_EQ(0, launchLog.nonNullArguments);
    EXPECT_EQ(total, launchLog.released);
}

INSTANTIATE_TEST_SUITE_P(Rows, ThreadLaunch, testing::ValuesIn(kLaunchRows),
                         [](const testing::TestParamInfo<LaunchRow>& info) { return info.param.name; });

TEST(ThreadLaunchNothing, NullFunctionStartsNoThread) {
    launchLog.reset();
    VThread::launchSimpleThread(nullptr);
    VThread::endSimpleThread();
    EXPECT_TRUE(Thread::startAddressIsFree.load());
    EXPECT_EQ(nullptr, Thread::startAddress);
}

enum class Launcher { loopingMainThread, idleMainThread, plainThread };

struct ReleaseRow {
    const char* name;
    Launcher launcher;
    bool releasedByLauncher; // otherwise by the thread that ran the function
};

void PrintTo(const ReleaseRow& row, std::ostream* out) {
    *out << row.name;
}

const ReleaseRow kReleaseRows[] = {
    {"launcher_runs_an_event_loop", Launcher::loopingMainThread, true},
    {"main_thread_without_event_loop", Launcher::idleMainThread, false},
    {"plain_thread_without_event_loop", Launcher::plainThread, false},
};

class ThreadRelease : public testing::TestWithParam<ReleaseRow> {
protected:
    void SetUp() override { launchLog.reset(); }
};

TEST_P(ThreadRelease, ReleasesTheThreadOnceItsFunctionHasReturned) {
    const ReleaseRow& row = GetParam();
    pthread_t launcher = pthread_self();
    bool released = false;
    switch (row.launcher) {
    case Launcher::loopingMainThread: {
        QEventLoop loop;
        QTimer::singleShot(0, [] { VThread::launchSimpleThread(kStarts[1]); });
        QTimer poll;
        QObject::connect(&poll, &QTimer::timeout, [&] {
            if (launchLog.releasedCount() == 1)
                loop.quit();
        });
        poll.start(1);
        QTimer::singleShot(20000, &loop, &QEventLoop::quit);
        loop.exec();
        released = launchLog.releasedCount() == 1;
        break;
    }
    case Launcher::idleMainThread:
        VThread::launchSimpleThread(kStarts[1]);
        released = waitUntil([] { return launchLog.releasedCount() == 1; });
        break;
    case Launcher::plainThread: {
        TaskThread plain;
        launcher = plain.run([] {
            VThread::launchSimpleThread(kStarts[1]);
            return pthread_self();
        });
        released = waitUntil([] { return launchLog.releasedCount() == 1; });
        break;
    }
    }
    ASSERT_TRUE(released);
    const std::lock_guard<std::mutex> guard(launchLog.mutex);
    EXPECT_EQ(1, launchLog.runs[1]);
    EXPECT_FALSE(pthread_equal(launchLog.runner, launcher));
    const pthread_t expectedReleaser = row.releasedByLauncher ? launcher : launchLog.runner;
    EXPECT_TRUE(pthread_equal(expectedReleaser, launchLog.releaser));
}

INSTANTIATE_TEST_SUITE_P(Rows, ThreadRelease, testing::ValuesIn(kReleaseRows),
                         [](const testing::TestParamInfo<ReleaseRow>& info) { return info.param.name; });

std::atomic<bool> returnedAtOnce{false};

unsigned int returnAtOnce(void*) {
    returnedAtOnce.store(true);
    return 7;
}

TEST(ThreadOwnership, ObjectsNotLaunchedSimplyStayWithTheirOwner) {
    {
        SCOPED_TRACE("slot called without a sender");
        QPointer<Thread> thread(new Thread());
        QMetaObject::invokeMethod(thread, "threadFinished", Qt::DirectConnection);
        QCoreApplication::sendPostedEvents(nullptr, QEvent::DeferredDelete);
        EXPECT_FALSE(thread.isNull());
        delete thread.data();
    }
    {
        SCOPED_TRACE("started by its owner");
        QPointer<Thread> thread(new Thread());
        returnedAtOnce = false;
        Thread::startAddress = returnAtOnce;
        Thread::startAddressIsFree = false;
        thread->start();
        ASSERT_TRUE(thread->wait(20000));
        EXPECT_TRUE(returnedAtOnce.load());
        EXPECT_TRUE(Thread::startAddressIsFree.load());
        EXPECT_EQ(nullptr, Thread::startAddress);
        QCoreApplication::processEvents();
        QCoreApplication::sendPostedEvents(nullptr, QEvent::DeferredDelete);
        EXPECT_FALSE(thread.isNull());
        delete thread.data();
    }
}

#ifdef ORV_TEST_LEAK_CHECKER
// Leaks a Thread whose only pointer lived on a thread that has ended.
void loseOneThreadObject() {
    std::thread([] { new Thread(); }).join();
}

// Launches from threads that run no event loop and asks the leak checker; returns 0 when no
// Thread was lost, otherwise the step that went wrong.
int launchWithoutEventLoopsAndCheckLeaks() {
    if (__lsan_do_recoverable_leak_check() != 0)
        return 2; // leaks before any launch: the check below would prove nothing
    launchLog.reset();
    for (int i = 0; i < 3; ++i)
        VThread::launchSimpleThread(kStarts[0]);
    {
        TaskThread plain;
        plain.run([] {
            for (int i = 0; i < 3; ++i)
                VThread::launchSimpleThread(kStarts[1]);
        });
    }
    if (!waitUntil([] { return launchLog.releasedCount() == 6; }))
        return 3;
    if (__lsan_do_recoverable_leak_check() != 0)
        return 4;
    // The checker does see a lost Thread, so its silence above means something.
    loseOneThreadObject();
    if (__lsan_do_recoverable_leak_check() == 0)
        return 5;
    return 0;
}
#endif

// Runs in a freshly started copy of this program (the "threadsafe" death-test style executes it
// again), so no thread of an earlier test is still ending while the checker looks.
TEST(ThreadReleaseLeakCheck, NoThreadObjectIsLostWithoutAnEventLoop) {
#ifndef ORV_TEST_LEAK_CHECKER
    GTEST_SKIP() << "needs AddressSanitizer's leak checker";
#else
    const std::string savedStyle = GTEST_FLAG_GET(death_test_style);
    GTEST_FLAG_SET(death_test_style, "threadsafe");
    // Exit codes: 2 leaks before launching, 3 not released, 4 leaks after launching, 5 the checker
    // missed a lost Thread.
    EXPECT_EXIT(_exit(launchWithoutEventLoopsAndCheckLeaks()), testing::ExitedWithCode(0), "");
    GTEST_FLAG_SET(death_test_style, savedStyle);
#endif
}

} // namespace
