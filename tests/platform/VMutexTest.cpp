#include "platform/VMutex.h"

#include "TaskThread.h"

#include <gtest/gtest.h>

#include <ostream>
#include <thread>
#include <vector>

namespace {

using orvtest::TaskThread;
using orvtest::waitUntil;

enum class Family { plain, simple };

void take(VMutex& mutex, Family family) {
    if (family == Family::plain)
        mutex.lock("test");
    else
        mutex.lock_simple("test");
}

bool tryTake(VMutex& mutex, Family family) {
    return family == Family::plain ? mutex.tryLock() : mutex.tryLock_simple();
}

void release(VMutex& mutex, Family family) {
    if (family == Family::plain)
        mutex.unlock();
    else
        mutex.unlock_simple();
}

struct TryRow {
    const char* name;
    Family held;
    bool heldByThisThread;
    Family tried;
    bool taken;
};

void PrintTo(const TryRow& row, std::ostream* out) {
    *out << row.name;
}

const TryRow kTryRows[] = {
    {"plain_again_by_its_holder", Family::plain, true, Family::plain, true},
    {"plain_held_by_another_thread", Family::plain, false, Family::plain, false},
    {"simple_again_by_its_holder", Family::simple, true, Family::simple, false},
    {"simple_held_by_another_thread", Family::simple, false, Family::simple, false},
    {"simple_while_plain_held_elsewhere", Family::plain, false, Family::simple, true},
    {"plain_while_simple_held_elsewhere", Family::simple, false, Family::plain, true},
    {"simple_while_plain_held_here", Family::plain, true, Family::simple, true},
};

class VMutexTry : public testing::TestWithParam<TryRow> {};

TEST_P(VMutexTry, TakesOnlyWhatIsFree) {
    const TryRow& row = GetParam();
    VMutex mutex;
    TaskThread other;
    if (row.heldByThisThread)
        take(mutex, row.held);
    else
        other.run([&] { take(mutex, row.held); });

    const bool taken = tryTake(mutex, row.tried);
    EXPECT_EQ(row.taken, taken);
    if (taken)
        release(mutex, row.tried);

    if (row.heldByThisThread)
        release(mutex, row.held);
    else
        other.run([&] { release(mutex, row.held); });
    // Everything released: another thread finds both families free.
    EXPECT_TRUE(other.run([&] {
        const bool plainFree = mutex.tryLock();
        const bool simpleFree = mutex.tryLock_simple();
        if (plainFree)
            mutex.unlock();
        if (simpleFree)
            mutex.unlock_simple();
        return plainFree && simpleFree;
    }));
}

INSTANTIATE_TEST_SUITE_P(Rows, VMutexTry, testing::ValuesIn(kTryRows),
                         [](const testing::TestParamInfo<TryRow>& info) { return info.param.name; });

TEST(VMutexRecursive, StaysHeldUntilReleasedAsOftenAsTaken) {
    VMutex mutex;
    TaskThread other;
    const auto otherTakes = [&] {
        return other.run([&] {
            if (!mutex.tryLock())
                return false;
            mutex.unlock();
            return true;
        });
    };
    mutex.lock("first");
    mutex.lock("second");
    EXPECT_FALSE(otherTakes());
    mutex.unlock();
    EXPECT_FALSE(otherTakes());
    mutex.unlock();
    EXPECT_TRUE(otherTakes());
}

TEST(VMutexExclusion, EachFamilyKeepsConcurrentIncrementsWhole) {
    constexpr int kThreads = 4;
    constexpr int kIncrements = 2000;
    for (const Family family : {Family::plain, Family::simple}) {
        SCOPED_TRACE(family == Family::plain ? "plain" : "simple");
        VMutex mutex;
        long counter = 0; // guarded by the family under test only
        std::vector<std::thread> threads;
        for (int t = 0; t < kThreads; ++t) {
            threads.emplace_back([&] {
                for (int i = 0; i < kIncrements; ++i) {
                    take(mutex, family);
                    const long seen = counter;
                    std::this_thread::yield();
                    counter = seen + 1;
                    release(mutex, family);
                }
            });
        }
        for (std::thread& thread : threads)
            thread.join();
        EXPECT_EQ(kThreads * kIncrements, counter);
    }
}

TEST(VMutexWait, WakeAllReleasesEveryWaiter) {
    constexpr int kWaiters = 4;
    VMutex mutex;
    // All guarded by the simple lock.
    int waiting = 0;
    int woken = 0;
    bool go = false;
    int wokenHoldingLock = 0;

    std::vector<std::thread> waiters;
    for (int w = 0; w < kWaiters; ++w) {
        waiters.emplace_back([&] {
            mutex.lock_simple("waiter");
            ++waiting;
            while (!go)
                mutex.wait_simple();
            ++woken;
            // The lock is held again on return: nobody else can take it now.
            std::thread probe([&] {
                if (!mutex.tryLock_simple())
                    ++wokenHoldingLock;
                else
                    mutex.unlock_simple();
            });
            probe.join();
            mutex.unlock_simple();
        });
    }
    const auto underLock = [&](auto read) {
        mutex.lock_simple("main");
        const auto value = read();
        mutex.unlock_simple();
        return value;
    };
    // Each waiter counts itself while holding the lock and gives it up only by waiting, so once
    // the count is complete every waiter is inside wait_simple.
    ASSERT_TRUE(waitUntil([&] { return underLock([&] { return waiting; }) == kWaiters; }));

    mutex.lock_simple("main");
    go = true;
    mutex.wakeAll_simple();
    mutex.unlock_simple();

    const bool allWoken =
        waitUntil([&] { return underLock([&] { return woken; }) == kWaiters; }, std::chrono::seconds(10));
    EXPECT_TRUE(allWoken) << "woken: " << underLock([&] { return woken; });
    // Free any waiter a faulty wake left behind, so the threads can be joined.
    while (!allWoken && underLock([&] { return woken; }) < kWaiters) {
        mutex.wakeAll_simple();
        std::this_thread::yield();
    }
    for (std::thread& waiter : waiters)
        waiter.join();
    EXPECT_EQ(kWaiters, underLock([&] { return wokenHoldingLock; }));
}

} // namespace
