#include "platform/VMutex.h"

#if defined(__SANITIZE_THREAD__)
#define ORV_THREAD_SANITIZER 1
#elif defined(__has_feature)
#if __has_feature(thread_sanitizer)
#define ORV_THREAD_SANITIZER 1
#endif
#endif

#ifdef ORV_THREAD_SANITIZER
#include <sanitizer/tsan_interface.h>
#endif

namespace {

// The Qt library is not built with ThreadSanitizer, so the sanitizer cannot see Qt's mutexes take
// and release. These calls tell it, so that data guarded by a VMutex is not reported as raced;
// without the sanitizer they do nothing.
#ifdef ORV_THREAD_SANITIZER
void announceCreated(void* mutex, bool recursive) {
    __tsan_mutex_create(mutex, recursive ? __tsan_mutex_write_reentrant : 0);
}
void announceDestroyed(void* mutex) {
    __tsan_mutex_destroy(mutex, 0);
}
void announceLocking(void* mutex, bool trying) {
    __tsan_mutex_pre_lock(mutex, trying ? __tsan_mutex_try_lock : 0);
}
void announceLocked(void* mutex, bool trying, bool taken) {
    unsigned flags = trying ? __tsan_mutex_try_lock : 0;
    if (!taken)
        flags |= __tsan_mutex_try_lock_failed;
    __tsan_mutex_post_lock(mutex, flags, 0);
}
void announceUnlocking(void* mutex) {
    __tsan_mutex_pre_unlock(mutex, 0);
}
void announceUnlocked(void* mutex) {
    __tsan_mutex_post_unlock(mutex, 0);
}
#else
void announceCreated(void*, bool) {}
void announceDestroyed(void*) {}
void announceLocking(void*, bool) {}
void announceLocked(void*, bool, bool) {}
void announceUnlocking(void*) {}
void announceUnlocked(void*) {}
#endif

template <typename Mutex> void lockAnnounced(Mutex& mutex) {
    announceLocking(&mutex, false);
    mutex.lock();
    announceLocked(&mutex, false, true);
}

template <typename Mutex> bool tryLockAnnounced(Mutex& mutex) {
    announceLocking(&mutex, true);
    const bool taken = mutex.tryLock();
    announceLocked(&mutex, true, taken);
    return taken;
}

template <typename Mutex> void unlockAnnounced(Mutex& mutex) {
    announceUnlocking(&mutex);
    mutex.unlock();
    announceUnlocked(&mutex);
}

} // namespace

VMutex::VMutex() {
    announceCreated(&_recursiveMutex, true);
    announceCreated(&_simpleMutex, false);
}

VMutex::~VMutex() {
    announceDestroyed(&_simpleMutex);
    announceDestroyed(&_recursiveMutex);
}

void VMutex::lock(const char*) {
    lockAnnounced(_recursiveMutex);
}

bool VMutex::tryLock() {
    return tryLockAnnounced(_recursiveMutex);
}

void VMutex::unlock() {
    unlockAnnounced(_recursiveMutex);
}

void VMutex::lock_simple(const char*) {
    lockAnnounced(_simpleMutex);
}

bool VMutex::tryLock_simple() {
    return tryLockAnnounced(_simpleMutex);
}

void VMutex::unlock_simple() {
    unlockAnnounced(_simpleMutex);
}

void VMutex::wait_simple() {
    // The wait releases the lock and takes it again; announce both around it.
    announceUnlocking(&_simpleMutex);
    announceUnlocked(&_simpleMutex);
    _simpleCondition.wait(&_simpleMutex);
    announceLocking(&_simpleMutex, false);
    announceLocked(&_simpleMutex, false, true);
}

void VMutex::wakeAll_simple() {
    _simpleCondition.wakeAll();
}
