#include "platform/VThread.h"
#include "platform/Thread.h"
#include "platform/VMutex.h"

#include "common/IsolatedRun.h"
#include "common/WaitUntil.h"

#include <QPointer>
#include <QTimer>
#include <gtest/gtest.h>

#include <algorithm>
#include <atomic>
#include <chrono>
#include <cstdio>
#include <future>
#include <string>
#include <thread>
#include <vector>

namespace {

/// Runs task on a new thread and returns its result.
template <typename Task> auto elsewhere(Task task) {
    return std::async(std::launch::async, task).get();
}

/// Whether the calling thread can take the lock now; what it takes it releases.
bool tryTake(VMutex& mutex, bool simple) {
    const bool taken = simple ? mutex.tryLock_simple() : mutex.tryLock();
    if (taken)
        simple ? mutex.unlock_simple() : mutex.unlock();
    return taken;
}

TEST(VMutexTry, TakesOnlyWhatIsFreeAndTheRecursiveLockAsOftenAsReleased) {
    // Per lock this thread holds: the recursive and the simple lock tried here, then on another
    // thread, where the recursive lock taken and released here again is still held.
    for (const auto& [heldSimple, taken] : {std::pair<bool, const char*>{false, "1101"}, {true, "1010"}}) {
        VMutex mutex;
        heldSimple ? mutex.lock_simple("test") : mutex.lock("test");
        std::string got;
        for (const bool here : {true, false})
            for (const bool simple : {false, true})
                got += (here ? tryTake(mutex, simple) : elsewhere([&] { return tryTake(mutex, simple); }))
                           ? '1'
                           : '0';
        EXPECT_EQ(got, taken) << heldSimple;
        heldSimple ? mutex.unlock_simple() : mutex.unlock();
        EXPECT_TRUE(elsewhere([&] { return tryTake(mutex, false) && tryTake(mutex, true); }));
    }
}

TEST(VMutexWait, WakeAllReleasesEveryWaiterHoldingTheLockAgain) {
    VMutex mutex;
    std::atomic<int> waiting{0}, wokenHoldingLock{0};
    bool go = false; // guarded by the simple lock
    std::vector<std::thread> waiters;
    for (int w = 0; w < 4; ++w)
        waiters.emplace_back([&] {
            mutex.lock_simple("waiter");
            for (++waiting; !go;)
                mutex.wait_simple();
            wokenHoldingLock += !elsewhere([&] { return tryTake(mutex, true); });
            mutex.unlock_simple();
        });
    // A waiter gives the lock up only by waiting, so once all have counted themselves all wait.
    ASSERT_TRUE(orvtest::waitUntil([&] { return waiting == 4; }, 20000));
    mutex.lock_simple("main");
    go = true;
    mutex.wakeAll_simple();
    mutex.unlock_simple();
    EXPECT_TRUE(orvtest::waitUntil([&] { return wokenHoldingLock == 4; }, 10000));
    for (std::thread& waiter : waiters) {
        mutex.wakeAll_simple(); // frees a waiter that a faulty wake left behind
        waiter.join();
    }
}

/// The calling thread's view of the records: ui thread set, simulation thread set, is the ui
/// thread, is the simulation thread, then its number.
std::string recordsSeen() {
    char seen[32];
    std::snprintf(seen, sizeof(seen), "%d%d%d%d:%d", VThread::isUiThreadIdSet(),
                  VThread::isSimulationMainThreadIdSet(), VThread::isCurrentThreadTheUiThread(),
                  VThread::isCurrentThreadTheMainSimulationThread(), VThread::getThreadId_apiQueried());
    return seen;
}

// The records live for the whole process, so they are tried in a fresh one, whose main thread is
// the ui thread. A thread is numbered while it has not been joined, so its id cannot be reused.
TEST(VThreadRegistry, RecordsMainThreadsAndNumbersThreadsOnceBothAre) {
    const orvtest::IsolatedResult result = orvtest::runIsolated(
        [] {
            std::string seen = recordsSeen();
            VThread::setUiThreadId();
            seen += " " + recordsSeen() + " " + elsewhere(recordsSeen);
            std::thread([&seen] {
                VThread::setSimulationMainThreadId();
                seen += " " + recordsSeen();
                // Threads asking for the first time at once get distinct numbers, kept afterwards.
                std::vector<std::string> others(4);
                std::vector<std::thread> threads;
                for (std::string& other : others)
                    threads.emplace_back([&other] {
                        other = recordsSeen() + "," + std::to_string(VThread::getThreadId_apiQueried());
                    });
                for (std::thread& thread : threads)
                    thread.join();
                std::sort(others.begin(), others.end());
                for (const std::string& other : others)
                    seen += " " + other;
                VThread::unsetUiThreadId();
                VThread::unsetSimulationMainThreadId();
                seen += " " + recordsSeen();
            }).join();
            VThread::setSimulationMainThreadId();
            std::printf("%s %s", seen.c_str(), recordsSeen().c_str());
            return 0;
        },
        orvtest::kNoHost);
    EXPECT_EQ(result.output,
              "0010:-1 1010:-1 1000:-1 1101:1 1100:2,2 1100:3,3 1100:4,4 1100:5,5 0010:1 0111:0");
}

std::atomic<int> plainRuns;

TEST(VThreadLaunch, ThreadsStartAndSleep) {
    // A plain thread detaches itself, so that nothing is left to join.
    const auto start = [](void* argument) -> void* {
        VThread::switchThread();
        VThread::endThread();
        pthread_attr_t attributes;
        int state = PTHREAD_CREATE_JOINABLE;
        if (pthread_getattr_np(pthread_self(), &attributes) == 0)
            pthread_attr_getdetachstate(&attributes, &state), pthread_attr_destroy(&attributes);
        plainRuns += argument == nullptr && state == PTHREAD_CREATE_DETACHED ? 1 : 100;
        return nullptr;
    };
    plainRuns = 0;
    VThread::launchThread(nullptr, false);
    VThread::launchThread(start, true);
    EXPECT_TRUE(orvtest::waitUntil([] { return plainRuns.load() == 1; }, 20000)) << plainRuns.load();

    // The upper bound is loose: it tells milliseconds from seconds on a busy machine.
    const auto before = std::chrono::steady_clock::now();
    VThread::sleep(30);
    const auto elapsed = std::chrono::steady_clock::now() - before;
    EXPECT_TRUE(elapsed >= std::chrono::milliseconds(30) && elapsed < std::chrono::seconds(5));
}

// The runs of the started function, and the releases of the Thread running it by that thread
// itself or by another.
std::atomic<int> runs, releasedByItself, releasedByAnother;

unsigned int loggedStart(void*) {
    const pthread_t runner = pthread_self();
    QObject::connect(QThread::currentThread(), &QObject::destroyed, [runner] {
        ++(pthread_equal(runner, pthread_self()) ? releasedByItself : releasedByAnother);
    });
    return ++runs;
}

TEST(ThreadLaunch, RunsEachFunctionOnceReleasedByTheLauncherLoopOrElseByItsOwnThread) {
    const auto launch = [] {
        for (int i = 0; i < 10; ++i)
            VThread::launchSimpleThread(loggedStart);
    };
    // The main thread launches in an event loop, idle, and idle together with three plain threads
    // (a start function taken by the wrong thread would leave another thread without one).
    for (const int plainLaunchers : {-1, 0, 3}) {
        runs = releasedByItself = releasedByAnother = 0;
        std::vector<std::thread> threads;
        for (int t = 0; t < plainLaunchers; ++t)
            threads.emplace_back(launch);
        if (plainLaunchers < 0)
            QTimer::singleShot(0, launch); // runs in the loop of the wait below
        else
            launch();
        for (std::thread& thread : threads)
            thread.join();
        const int launched = (std::max(plainLaunchers, 0) + 1) * 10;
        EXPECT_TRUE(
            orvtest::waitUntil([&] { return releasedByItself + releasedByAnother == launched; }, 20000))
            << plainLaunchers;
        EXPECT_EQ(plainLaunchers < 0 ? releasedByAnother : releasedByItself, launched);
        EXPECT_EQ(runs, launched);
    }

    // A Thread started by its owner stays with it, and the slot does nothing without a sender.
    QPointer<Thread> owned(new Thread());
    QMetaObject::invokeMethod(owned, "threadFinished", Qt::DirectConnection);
    runs = 0;
    Thread::startAddress = loggedStart;
    Thread::startAddressIsFree = false;
    owned->start();
    ASSERT_TRUE(owned->wait(20000));
    EXPECT_TRUE(Thread::startAddressIsFree.load() && Thread::startAddress == nullptr && runs == 1);
    orvtest::processEventsFor(20);
    EXPECT_FALSE(owned.isNull());
    delete owned.data();
}

} // namespace
