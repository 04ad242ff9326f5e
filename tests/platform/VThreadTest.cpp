#include "platform/VThread.h"

#include "TaskThread.h"
#include "common/IsolatedRun.h"
#include "common/WaitUntil.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <atomic>
#include <cstdio>
#include <thread>

namespace {

using orvtest::TaskThread;

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

} // namespace
