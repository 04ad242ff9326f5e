#pragma once

#include "orvExport.h"

#include <QMutex>
#include <QWaitCondition>

/// Two independent locks: a recursive one (lock, tryLock, unlock) and a non-recursive one with a
/// wait condition (the *_simple operations). Neither family orders itself against the other.
class ORV_EXPORT VMutex {
public:
    VMutex();
    virtual ~VMutex();
    VMutex(const VMutex&) = delete;
    VMutex& operator=(const VMutex&) = delete;

    /// Takes the recursive lock, waiting as long as needed; location describes the caller only.
    void lock(const char* location);
    /// Takes the recursive lock if that needs no waiting.
    bool tryLock();
    /// Releases one level of the recursive lock, which the calling thread holds.
    void unlock();

    /// Takes the non-recursive lock, waiting as long as needed; location describes the caller only.
    /// A thread that holds it must not take it again.
    void lock_simple(const char* location);
    /// Takes the non-recursive lock if that needs no waiting; false also when this thread holds it.
    bool tryLock_simple();
    /// Releases the non-recursive lock, which the calling thread holds.
    void unlock_simple();
    /// Releases the non-recursive lock (which the caller holds), waits for wakeAll_simple, and
    /// holds the lock again before returning.
    void wait_simple();
    /// Wakes every thread waiting in wait_simple.
    void wakeAll_simple();

private:
    QRecursiveMutex _recursiveMutex;
    QMutex _simpleMutex;
    QWaitCondition _simpleCondition;
};
