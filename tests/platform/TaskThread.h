#pragma once
// A long-lived thread that runs handed-over tasks, for tests that act as one chosen thread (holding
// a lock, being recorded) across several steps.

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

} // namespace orvtest
