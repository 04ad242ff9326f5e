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
#include <condition_variable>
#include <cstdio>
#include <deque>
#include <future>
#include <mutex>
#include <thread>

#ifdef __SANITIZE_ADDRESS__
#include <sanitizer/lsan_interface.h>
#include <unistd.h>
#endif

namespace {

/// A thread that runs handed-over tasks one after the other until it is destroyed, for tests that
/// act as one chosen thread (holding a lock, being recorded) across several steps.
class TaskThread {
public:
    TaskThread() : _thread([this] { serve(); }) {}
    ~TaskThread() {
        post(nullptr);
        _thread.join();
    }
    /// Runs task on this thread and returns its result once it has run.
    template <typename Task> auto run(Task task) -> decltype(task()) {
        std::packaged_task<decltype(task())()> packaged(std::move(task));
        auto result = packaged.get_future();
        post([&packaged] { packaged(); });
        return result.get();
    }

private:
    void post(std::function<void()> task) {
        const std::lock_guard<std::mutex> guard(_mutex);
        _tasks.push_back(std::move(task));
        _wake.notify_one();
    }
    void serve() {
        for (;;) {
            std::unique_lock<std::mutex> lock(_mutex);
            _wake.wait(lock, [this] { return !_tasks.empty(); });
            const std::function<void()> task = std::move(_tasks.front());
            _tasks.pop_front();
            lock.unlock();
            if (!task)
                return; // the destructor's empty task
            task();
        }
    }

    std::mutex _mutex;
    std::condition_variable _wake;
    std::deque<std::function<void()>> _tasks;
    std::thread _thread; // last: starts once everything above exists
};

void take(VMutex& mutex, bool simple) {
    simple ? mutex.lock_simple("test") : mutex.lock("test");
}
void release(VMutex& mutex, bool simple) {
    simple ? mutex.unlock_simple() : mutex.unlock();
}
/// Whether the calling thread can take the lock now; what it takes it releases.
bool tryTake(VMutex& mutex, bool simple) {
    const bool taken = simple ? mutex.tryLock_simple() : mutex.tryLock();
    if (taken)
        release(mutex, simple);
    return taken;
}

TEST(VMutexTry, TakesOnlyWhatIsFreeAndTheRecursiveLockAsOftenAsReleased) {
    struct Row {
        bool heldSimple, heldHere, triedSimple, taken;
    };
    const Row rows[] = {
        {false, true, false, true}, {false, false, false, false}, {true, true, true, false},
        {true, false, true, false}, {false, false, true, true},   {true, false, false, true},
    };
    TaskThread other;
    for (const Row& row : rows) {
        VMutex mutex;
        const auto onHolder = [&](auto step) { row.heldHere ? step() : other.run(step); };
        onHolder([&] { take(mutex, row.heldSimple); });
        EXPECT_EQ(tryTake(mutex, row.triedSimple), row.taken) << &row - rows;
        onHolder([&] { release(mutex, row.heldSimple); });
        EXPECT_TRUE(other.run([&] { return tryTake(mutex, false) && tryTake(mutex, true); }));
    }
    VMutex mutex;
    const auto otherTakes = [&] { return other.run([&] { return tryTake(mutex, false); }); };
    mutex.lock("first");
    mutex.lock("second");
    EXPECT_FALSE(otherTakes());
    mutex.unlock();
    EXPECT_FALSE(otherTakes());
    mutex.unlock();
    EXPECT_TRUE(otherTakes());
}

TEST(VMutexWait, WakeAllReleasesEveryWaiterHoldingTheLockAgain) {
    constexpr int kWaiters = 4;
    VMutex mutex;
    std::atomic<int> waiting{0}, woken{0}, wokenHoldingLock{0};
    bool go = false; // guarded by the simple lock
    std::vector<std::thread> waiters;
    for (int w = 0; w < kWaiters; ++w) {
        waiters.emplace_back([&] {
            mutex.lock_simple("waiter");
            ++waiting;
            while (!go)
                mutex.wait_simple();
            ++woken;
            wokenHoldingLock += std::async(std::launch::async, [&] { return !tryTake(mutex, true); }).get();
            mutex.unlock_simple();
        });
    }
    // A waiter gives the lock up only by waiting, so once all have counted themselves all wait.
    ASSERT_TRUE(orvtest::waitUntil([&] { return waiting == kWaiters; }, 20000));
    mutex.lock_simple("main");
    go = true;
    mutex.wakeAll_simple();
    mutex.unlock_simple();
    EXPECT_TRUE(orvtest::waitUntil([&] { return woken == kWaiters; }, 10000));
    while (woken < kWaiters) // frees any waiter a faulty wake left behind
        mutex.wakeAll_simple();
    for (std::thread& waiter : waiters)
        waiter.join();
    EXPECT_EQ(wokenHoldingLock, kWaiters);
}

// The records live for the whole process, so they are tried in a fresh one.
TEST(VThreadRegistry, RecordsMainThreadsAndNumbersThreadsOnceBothAre) {
    const orvtest::IsolatedResult result = orvtest::runIsolated([] {
        TaskThread ui, simulation, worker;
        TaskThread* const self = nullptr; // the process's main thread
        const auto onThread = [](TaskThread* thread, int (*question)()) {
            return thread ? thread->run(question) : question();
        };
        // Per thread: ui set, simulation set, is the ui thread, is the simulation thread; then the number.
        const auto ask = [&](std::initializer_list<TaskThread*> threads) {
            for (TaskThread* thread : threads)
                std::printf(
                    "%d%d%d%d:%d ", VThread::isUiThreadIdSet(), VThread::isSimulationMainThreadIdSet(),
                    onThread(thread, [] { return int(VThread::isCurrentThreadTheUiThread()); }),
                    onThread(thread, [] { return int(VThread::isCurrentThreadTheMainSimulationThread()); }),
                    onThread(thread, VThread::getThreadId_apiQueried));
        };
        ask({&worker, self});
        ui.run(VThread::setUiThreadId);
        ask({&ui, self});
        simulation.run(VThread::setSimulationMainThreadId);
        ask({&worker, &simulation, self, &ui});
        VThread::unsetUiThreadId();
        VThread::unsetSimulationMainThreadId();
        ask({&ui, &simulation});
        VThread::setUiThreadId();
        VThread::setSimulationMainThreadId();
        ask({self});
        // Threads asking for the first time at once get distinct numbers, kept afterwards.
        std::vector<int> numbers(6, -1);
        std::vector<std::thread> threads;
        for (int& number : numbers)
            threads.emplace_back([&number] {
                number = VThread::getThreadId_apiQueried();
                number = VThread::getThreadId_apiQueried() == number ? number : -2;
            });
        for (std::thread& thread : threads)
            thread.join();
        std::sort(numbers.begin(), numbers.end());
        for (const int number : numbers)
            std::printf("%d ", number);
        return 0;
    });
    EXPECT_EQ(result.output,
              "0010:-1 0010:-1 1010:-1 1000:-1 1100:2 1101:1 1100:3 1110:0 0010:0 0010:1 1111:3 "
              "4 5 6 7 8 9 ");
}

std::atomic<int> plainRuns{0};

TEST(VThreadLaunch, ThreadsStartSleepAndCompare) {
    // Each plain thread detaches itself, so that nothing is left to join.
    const auto start = [](void* argument) -> void* {
        const auto detached = [] {
            pthread_attr_t attributes;
            int state = PTHREAD_CREATE_JOINABLE;
            if (pthread_getattr_np(pthread_self(), &attributes) == 0)
                pthread_attr_getdetachstate(&attributes, &state), pthread_attr_destroy(&attributes);
            return state == PTHREAD_CREATE_DETACHED;
        };
        VThread::switchThread();
        const bool detachedBefore = detached();
        VThread::endThread();
        plainRuns += argument == nullptr && !detachedBefore && detached() ? 1 : 100;
        return nullptr;
    };
    for (int i = 0; i < 5; ++i)
        VThread::launchThread(start, true);
    VThread::launchThread(nullptr, false);
    EXPECT_TRUE(orvtest::waitUntil([] { return plainRuns.load() == 5; }, 20000)) << plainRuns.load();

    TaskThread another;
    const pthread_t there = another.run(VThread::getCurrentThreadId);
    EXPECT_TRUE(VThread::areThreadIDsSame(pthread_self(), VThread::getCurrentThreadId()));
    EXPECT_TRUE(VThread::areThreadIDsSame(there, another.run(VThread::getCurrentThreadId)));
    EXPECT_FALSE(VThread::areThreadIDsSame(pthread_self(), there));
    EXPECT_GE(VThread::getCoreCount(), 1);
    // Upper bounds are loose: they tell "returns at once" from "sleeps for minutes" on a busy machine.
    for (const int ms : {0, -5, 30}) {
        const auto start = std::chrono::steady_clock::now();
        VThread::sleep(ms);
        const auto elapsed = std::chrono::steady_clock::now() - start;
        EXPECT_GE(elapsed, std::chrono::milliseconds(std::max(ms, 0))) << ms;
        EXPECT_LT(elapsed, std::chrono::milliseconds(ms > 0 ? 5000 : 1000)) << ms;
    }
}

// What the started functions saw.
std::atomic<int> runs[4], released;
std::atomic<pthread_t> runner, releaser;

bool releasedAll(int count) {
    return orvtest::waitUntil([count] { return released == count; }, 20000);
}

// Counts the run (a non-null argument a hundredfold), and the release of the Thread running it.
template <int N> unsigned int loggedStart(void* argument) {
    QObject::connect(QThread::currentThread(), &QObject::destroyed, [] {
        releaser = pthread_self();
        ++released;
    });
    runner = pthread_self();
    runs[N] += argument == nullptr ? 1 : 100;
    return N;
}
unsigned int (*const kStarts[4])(void*) = {loggedStart<0>, loggedStart<1>, loggedStart<2>, loggedStart<3>};

void resetLog() {
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
            launching = TaskThread().run(launch);
        ASSERT_TRUE(releasedAll(1)) << launcher;
        EXPECT_EQ(runs[1], 1);
        EXPECT_FALSE(pthread_equal(runner, launching)) << launcher;
        EXPECT_TRUE(pthread_equal(releaser, launcher[0] == 'm' ? launching : runner.load())) << launcher;
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
    TaskThread().run([] {
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
