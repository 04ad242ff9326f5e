#include "platform/VThread.h"

#include "platform/Thread.h"

#include <QThread>

#include <algorithm>
#include <chrono>
#include <mutex>
#include <sched.h>
#include <thread>

VMutex VThread::_lock;
std::vector<pthread_t> VThread::_apiQueriedThreadIds;
pthread_t VThread::_uiThreadId;
bool VThread::_uiThreadIdSet = false;
pthread_t VThread::_simulationMainThreadId;
bool VThread::_simulationMainThreadIdSet = false;

namespace {

// Guards the registry and the recorded threads: any thread may ask for its number, and its first
// question adds it to the registry.
std::mutex& recordsMutex() {
    static std::mutex mutex;
    return mutex;
}

} // namespace

void VThread::launchThread(void* (*start)(void*), bool) {
    if (start == nullptr)
        return;
    pthread_t thread;
    pthread_create(&thread, nullptr, start, nullptr);
}

void VThread::endThread() {
    pthread_detach(pthread_self());
}

void VThread::launchSimpleThread(unsigned int (*start)(void*)) {
    if (start == nullptr)
        return;
    _lock.lock_simple("VThread::launchSimpleThread");
    auto* const thread = new Thread();
    // A queued call only arrives where an event loop runs; elsewhere the thread releases itself.
    if (QThread::currentThread()->loopLevel() > 0) {
        thread->_release = Thread::Release::byLauncherLoop;
    } else {
        thread->_release = Thread::Release::byFinishingThread;
        // The object then belongs to its own thread, so that it ends together with that thread's
        // data instead of keeping the launcher's alive.
        thread->moveToThread(thread);
    }
    Thread::startAddress = start;
    Thread::startAddressIsFree.store(false, std::memory_order_release);
    thread->start(QThread::NormalPriority);

    bool started = true;
    while (!Thread::startAddressIsFree.load(std::memory_order_acquire)) {
        // Neither running nor finished: the thread could not be created and never will take start.
        if (!thread->isRunning() && !thread->isFinished()) {
            started = false;
            break;
        }
        QThread::yieldCurrentThread();
    }
    if (started) {
        thread->_launcherDone.store(true, std::memory_order_release);
    } else {
        Thread::startAddress = nullptr;
        Thread::startAddressIsFree.store(true, std::memory_order_release);
        delete thread;
    }
    _lock.unlock_simple();
}

void VThread::endSimpleThread() {}

void VThread::setProcessorCoreAffinity(int) {}

pthread_t VThread::getCurrentThreadId() {
    return pthread_self();
}

bool VThread::areThreadIDsSame(pthread_t a, pthread_t b) {
    return pthread_equal(a, b) != 0;
}

int VThread::getCoreCount() {
    return std::max(1, QThread::idealThreadCount());
}

void VThread::setUiThreadId() {
    const std::lock_guard<std::mutex> guard(recordsMutex());
    _uiThreadId = pthread_self();
    _uiThreadIdSet = true;
}

void VThread::unsetUiThreadId() {
    const std::lock_guard<std::mutex> guard(recordsMutex());
    _uiThreadIdSet = false;
}

bool VThread::isUiThreadIdSet() {
    const std::lock_guard<std::mutex> guard(recordsMutex());
    return _uiThreadIdSet;
}

bool VThread::isCurrentThreadTheUiThread() {
    const std::lock_guard<std::mutex> guard(recordsMutex());
    return !_uiThreadIdSet || pthread_equal(_uiThreadId, pthread_self()) != 0;
}

void VThread::setSimulationMainThreadId() {
    const std::lock_guard<std::mutex> guard(recordsMutex());
    _simulationMainThreadId = pthread_self();
    _simulationMainThreadIdSet = true;
}

void VThread::unsetSimulationMainThreadId() {
    const std::lock_guard<std::mutex> guard(recordsMutex());
    _simulationMainThreadIdSet = false;
}

bool VThread::isSimulationMainThreadIdSet() {
    const std::lock_guard<std::mutex> guard(recordsMutex());
    return _simulationMainThreadIdSet;
}

bool VThread::isCurrentThreadTheMainSimulationThread() {
    const std::lock_guard<std::mutex> guard(recordsMutex());
    return _simulationMainThreadIdSet && pthread_equal(_simulationMainThreadId, pthread_self()) != 0;
}

int VThread::getThreadId_apiQueried() {
    const std::lock_guard<std::mutex> guard(recordsMutex());
    if (_apiQueriedThreadIds.empty() && _uiThreadIdSet && _simulationMainThreadIdSet) {
        _apiQueriedThreadIds.push_back(_uiThreadId);
        _apiQueriedThreadIds.push_back(_simulationMainThreadId);
    }
    if (_apiQueriedThreadIds.empty())
        return -1;
    const pthread_t self = pthread_self();
    for (std::size_t i = 0; i < _apiQueriedThreadIds.size(); ++i) {
        if (pthread_equal(_apiQueriedThreadIds[i], self) != 0)
            return static_cast<int>(i);
    }
    _apiQueriedThreadIds.push_back(self);
    return static_cast<int>(_apiQueriedThreadIds.size() - 1);
}

void VThread::switchThread() {
#if defined(__APPLE__)
    pthread_yield_np();
#else
    sched_yield();
#endif
}

void VThread::sleep(int ms) {
    if (ms <= 0)
        return;
    std::this_thread::sleep_for(std::chrono::milliseconds(ms));
}
