#include "platform/Thread.h"
#include "platform/VThread.h"

#include "TaskThread.h"
#include "common/WaitUntil.h"

#include <QPointer>
#include <QTimer>
#include <gtest/gtest.h>

#include <mutex>
#include <thread>

#ifdef __SANITIZE_ADDRESS__
#include <sanitizer/lsan_interface.h>
#include <unistd.h>
#endif

namespace {

std::mutex logMutex; // guards what the started functions saw:
int runs[4], released;
pthread_t runner, releaser;

bool releasedAll(int count) {
    return orvtest::waitUntil(
        [count] {
            const std::lock_guard<std::mutex> guard(logMutex);
            return released == count;
        },
        20000);
}

// Counts the run (a non-null argument a hundredfold), and the release of the Thread running it.
template <int N> unsigned int loggedStart(void* argument) {
    QObject::connect(QThread::currentThread(), &QObject::destroyed, [] {
        const std::lock_guard<std::mutex> guard(logMutex);
        ++released;
        releaser = pthread_self();
    });
    const std::lock_guard<std::mutex> guard(logMutex);
    runs[N] += argument == nullptr ? 1 : 100;
    runner = pthread_self();
    return N;
}
unsigned int (*const kStarts[4])(void*) = {loggedStart<0>, loggedStart<1>, loggedStart<2>, loggedStart<3>};

void resetLog() {
    const std::lock_guard<std::mutex> guard(logMutex);
    runs[0] = runs[1] = runs[2] = runs[3] = released = 0;
}

TEST(ThreadLaunch, RunsEachFunctionExactlyOnceAndReleasesEveryThread) {
    // Threads launching at once (0: the test's own thread, without an event loop), launches each.
    for (const auto& [launchers, launches] : {std::pair<int, int>{0, 40}, {2, 20}, {4, 10}}) {
        resetLog();
        for (int i = 0; launchers == 0 && i < launches; ++i) {
            VThread::launchSimpleThread(kStarts[0]);
            EXPECT_TRUE(Thread::startAddressIsFree.load()); // the new thread took its function
        }
        std::vector<std::thread> threads;
        for (int t = 0; t < launchers; ++t)
            threads.emplace_back([t, launches = launches] {
                for (int i = 0; i < launches; ++i)
                    VThread::launchSimpleThread(kStarts[t]);
            });
        for (std::thread& thread : threads)
            thread.join();
        EXPECT_TRUE(releasedAll(std::max(launchers, 1) * launches)) << launchers;
        const std::lock_guard<std::mutex> guard(logMutex);
        for (int t = 0; t < 4; ++t)
            EXPECT_EQ(runs[t], t < std::max(launchers, 1) ? launches : 0) << launchers << " " << t;
    }
    VThread::launchSimpleThread(nullptr);
    VThread::endSimpleThread();
    EXPECT_TRUE(Thread::startAddressIsFree.load());
    EXPECT_EQ(Thread::startAddress, nullptr);
}

TEST(ThreadRelease, ReleasedByTheLauncherLoopOrElseByItsOwnThread) {
    for (const char* launcher : {"main thread in an event loop", "idle main thread", "plain thread"}) {
        resetLog();
        pthread_t launching = pthread_self();
        const auto launch = [] {
            VThread::launchSimpleThread(kStarts[1]);
            return pthread_self();
        };
        if (launcher[0] == 'm')
            QTimer::singleShot(0, launch); // runs in the loop of the wait below
        else if (launcher[0] == 'i')
            launch();
        else
            launching = orvtest::TaskThread().run(launch);
        ASSERT_TRUE(releasedAll(1)) << launcher;
        const std::lock_guard<std::mutex> guard(logMutex);
        EXPECT_EQ(runs[1], 1);
        EXPECT_FALSE(pthread_equal(runner, launching)) << launcher;
        EXPECT_TRUE(pthread_equal(releaser, launcher[0] == 'm' ? launching : runner)) << launcher;
    }
    // A Thread started by its owner stays with it, and the slot does nothing without a sender.
    QPointer<Thread> owned(new Thread());
    QMetaObject::invokeMethod(owned, "threadFinished", Qt::DirectConnection);
    resetLog();
    Thread::startAddress = kStarts[2];
    Thread::startAddressIsFree = false;
    owned->start();
    ASSERT_TRUE(owned->wait(20000));
    EXPECT_TRUE(Thread::startAddressIsFree.load() && Thread::startAddress == nullptr);
    orvtest::processEventsFor(20);
    ASSERT_FALSE(owned.isNull());
    delete owned.data();
    const std::lock_guard<std::mutex> guard(logMutex);
    EXPECT_EQ(runs[2] * 10 + released, 11);
}

#ifdef __SANITIZE_ADDRESS__
// Launches from threads that run no event loop and asks the leak checker: 0 when no Thread was
// lost, otherwise the step that went wrong.
int launchWithoutEventLoopsAndCheckLeaks() {
    if (__lsan_do_recoverable_leak_check() != 0)
        return 2; // leaks before any launch: the check below would prove nothing
    for (int i = 0; i < 3; ++i)
        VThread::launchSimpleThread(kStarts[0]);
    orvtest::TaskThread().run([] {
        for (int i = 0; i < 3; ++i)
            VThread::launchSimpleThread(kStarts[1]);
    });
    if (!releasedAll(6))
        return 3;
    if (__lsan_do_recoverable_leak_check() != 0)
        return 4;
    // The checker does see a Thread whose only pointer lived on an ended thread.
    std::thread([] { new Thread(); }).join();
    return __lsan_do_recoverable_leak_check() == 0 ? 5 : 0;
}
#endif

// Runs in a freshly started copy of this program (the "threadsafe" death-test style executes it
// again), so no thread of an earlier test is still ending while the checker looks.
TEST(ThreadReleaseLeakCheck, NoThreadObjectIsLostWithoutAnEventLoop) {
#ifndef __SANITIZE_ADDRESS__
    GTEST_SKIP() << "needs AddressSanitizer's leak checker";
#else
    const std::string savedStyle = GTEST_FLAG_GET(death_test_style);
    GTEST_FLAG_SET(death_test_style, "threadsafe");
    EXPECT_EXIT(_exit(launchWithoutEventLoopsAndCheckLeaks()), testing::ExitedWithCode(0), "");
    GTEST_FLAG_SET(death_test_style, savedStyle);
#endif
}

} // namespace
