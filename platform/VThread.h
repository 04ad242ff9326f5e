#pragma once

#include "orvExport.h"

#include "platform/VMutex.h"

#include <pthread.h>
#include <vector>

/// Starts threads, records which threads are the user-interface and the simulation's main thread,
/// numbers the threads that query the application interface, and sleeps and yields.
class ORV_EXPORT VThread {
public:
    /// Starts a POSIX thread running start(nullptr), which is expected to call endThread(). The flag
    /// is not used.
    static void launchThread(void* (*start)(void*), bool followMainThread);
    /// Detaches the calling thread, so that its resources are released when it ends.
    static void endThread();
    /// Runs start(nullptr) on a new Thread and returns once that thread has taken start. Only one
    /// launch runs at a time.
    static void launchSimpleThread(unsigned int (*start)(void*));
    /// Counterpart of launchSimpleThread; does nothing.
    static void endSimpleThread();
    /// Does nothing.
    static void setProcessorCoreAffinity(int mode);
    static pthread_t getCurrentThreadId();
    static bool areThreadIDsSame(pthread_t a, pthread_t b);
    /// The number of processor cores, at least 1.
    static int getCoreCount();

    /// Records the calling thread as the user-interface thread.
    static void setUiThreadId();
    static void unsetUiThreadId();
    static bool isUiThreadIdSet();
    /// True when the calling thread is the recorded user-interface thread, or when none is recorded.
    static bool isCurrentThreadTheUiThread();

    /// Records the calling thread as the simulation's main thread.
    static void setSimulationMainThreadId();
    static void unsetSimulationMainThreadId();
    static bool isSimulationMainThreadIdSet();
    /// True when the calling thread is the recorded simulation main thread; false when none is.
    static bool isCurrentThreadTheMainSimulationThread();

    /// The calling thread's number among the threads that queried the application interface: once
    /// both main threads are recorded, the user-interface thread is 0, the simulation main thread 1
    /// and every other thread gets the next number on its first call; -1 before that.
    static int getThreadId_apiQueried();

    /// Lets another thread run.
    static void switchThread();
    /// Sleeps ms milliseconds; returns at once when ms is 0 or negative.
    static void sleep(int ms);

private:
    static VMutex _lock;
    static std::vector<pthread_t> _apiQueriedThreadIds;
    static pthread_t _uiThreadId;
    static bool _uiThreadIdSet;
    static pthread_t _simulationMainThreadId;
    static bool _simulationMainThreadIdSet;
};
