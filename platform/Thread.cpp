#include "platform/Thread.h"

unsigned int (*Thread::startAddress)(void*) = nullptr;
std::atomic<bool> Thread::startAddressIsFree{true};

Thread::Thread(QObject* parent) : QThread(parent) {}

Thread::~Thread() = default;

void Thread::run() {
    // An owner may delete this object as soon as the function has returned, so only a Thread that
    // releases itself looks at it afterwards.
    const Release release = _release;
    if (release == Release::byLauncherLoop)
        connect(this, SIGNAL(finished()), this, SLOT(threadFinished()));
    else if (release == Release::byFinishingThread)
        _releaseWhenThreadExits();

    unsigned int (*const start)(void*) = startAddress;
    startAddress = nullptr;
    startAddressIsFree.store(true, std::memory_order_release);
    if (start != nullptr)
        start(nullptr);
    if (release == Release::byLauncherLoop)
        _runReturned.store(true, std::memory_order_release);
}

void Thread::threadFinished() {
    auto* const finishedThread = qobject_cast<Thread*>(sender());
    if (finishedThread == nullptr || !finishedThread->_runReturned.load(std::memory_order_acquire))
        return;
    finishedThread->deleteLater();
}

void Thread::_releaseWhenThreadExits() {
    // Thread-local objects are destroyed after QThread has finished with its thread, when nothing
    // touches this object any more except, briefly, the launcher.
    struct ReleaseAtExit {
        Thread* thread = nullptr;
        ~ReleaseAtExit() {
            if (thread == nullptr)
                return;
            while (!thread->_launcherDone.load(std::memory_order_acquire))
                QThread::yieldCurrentThread();
            delete thread;
        }
    };
    thread_local ReleaseAtExit releaseAtExit;
    releaseAtExit.thread = this;
}
