#include "platform/VMutex.h"

#include "TaskThread.h"
#include "common/WaitUntil.h"

#include <gtest/gtest.h>

#include <future>
#include <thread>
#include <vector>

namespace {

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

TEST(VMutexTry, TakesOnlyWhatIsFree) {
    struct Row {
        bool heldSimple, heldHere, triedSimple, taken;
    };
    const Row rows[] = {
        {false, true, false, true}, {false, false, false, false}, {true, true, true, false},
        {true, false, true, false}, {false, false, true, true},   {true, false, false, true},
    };
    orvtest::TaskThread other;
    for (const Row& row : rows) {
        VMutex mutex;
        const auto onHolder = [&](auto step) { row.heldHere ? step() : other.run(step); };
        onHolder([&] { take(mutex, row.heldSimple); });
        EXPECT_EQ(tryTake(mutex, row.triedSimple), row.taken) << &row - rows;
        onHolder([&] { release(mutex, row.heldSimple); });
        EXPECT_TRUE(other.run([&] { return tryTake(mutex, false) && tryTake(mutex, true); }));
    }
}

TEST(VMutexRecursive, StaysHeldUntilReleasedAsOftenAsTaken) {
    VMutex mutex;
    orvtest::TaskThread other;
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
    int waiting = 0, woken = 0, wokenHoldingLock = 0; // guarded by the simple lock
    bool go = false;
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
    const auto underLock = [&](const int& value) {
        mutex.lock_simple("main");
        const int copy = value;
        mutex.unlock_simple();
        return copy;
    };
    // A waiter gives the lock up only by waiting, so once all have counted themselves all wait.
    ASSERT_TRUE(orvtest::waitUntil([&] { return underLock(waiting) == kWaiters; }, 20000));
    mutex.lock_simple("main");
    go = true;
    mutex.wakeAll_simple();
    mutex.unlock_simple();
    EXPECT_TRUE(orvtest::waitUntil([&] { return underLock(woken) == kWaiters; }, 10000));
    while (underLock(woken) < kWaiters) // frees any waiter a faulty wake left behind
        mutex.wakeAll_simple();
    for (std::thread& waiter : waiters)
        waiter.join();
    EXPECT_EQ(underLock(wokenHoldingLock), kWaiters);
}

} // namespace
