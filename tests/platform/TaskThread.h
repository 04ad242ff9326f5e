#pragma once
// Helpers for tests that need several threads: a long-lived thread that runs the tasks handed to
// it (a test can act as one chosen thread throughout, since the handle of an ended thread may be
// given to a new one), and a bounded wait for a condition.

#include <chrono>
#include <condition_variable>
#include <deque>
#include <functional>
#include <future>
#include <mutex>
#include <thread>

namespace orvtest {

/// A thread that runs handed-over tasks one after the other until it is destroyed.
class TaskThread {
public:
    TaskThread() : _thread([this] { serve(); }) {}
    ~TaskThread() {
        {
            const std::lock_guard<std::mutex> guard(_mutex);
            _stopping = true;
        }
        _wake.notify_all();
        _thread.join();
    }
    TaskThread(const TaskThread&) = delete;
    TaskThread& operator=(const TaskThread&) = delete;

    /// Runs task on this thread and returns its result once it has run.
    template <typename Task> auto run(Task task) -> decltype(task()) {
        std::packaged_task<decltype(task())()> packaged(std::move(task));
        auto result = packaged.get_future();
        {
            const std::lock_guard<std::mutex> guard(_mutex);
            _tasks.emplace_back([&packaged] { packaged(); });
        }
        _wake.notify_all();
        return result.get();
    }

private:
    void serve() {
        std::unique_lock<std::mutex> lock(_mutex);
        for (;;) {
            _wake.wait(lock, [this] { return _stopping || !_tasks.empty(); });
            if (_tasks.empty())
                return;
            std::function<void()> task = std::move(_tasks.front());
            _tasks.pop_front();
            lock.unlock();
            task();
            lock.lock();
        }
    }

    std::mutex _mutex;
    std::condition_variable _wake;
    std::deque<std::function<void()>> _tasks;
    bool _stopping = false;
    std::thread _thread; // last: starts once everything above exists
};

/// Polls done every millisecond until it is true or limit has passed; returns its last answer.
inline bool waitUntil(const std::function<bool()>& done,
                      std::chrono::milliseconds limit = std::chrono::seconds(20)) {
    const auto deadline = std::chrono::steady_clock::now() + limit;
    while (!done()) {
        if (std::chrono::steady_clock::now() > deadline)
            return done();
        std::this_thread::sleep_for(std::chrono::milliseconds(1));
    }
    return true;
}

} // namespace orvtest
