// Work shared among threads: a tree walked by several threads at once, each
// walking its own branch, and a thread that runs out of branches taking one
// that another thread set aside for it. A thread sets a branch aside only
// when some thread waits (hungry()), so the queue holds at most a few
// branches and memory stays that of the threads' own paths. The calling
// thread is one of them; threads the system cannot start are done without.
#pragma once

#include <condition_variable>
#include <cstddef>
#include <deque>
#include <exception>
#include <mutex>
#include <optional>
#include <thread>
#include <vector>

namespace initform {

template <class Task>
class TaskPool {
public:
    explicit TaskPool(std::size_t threads) : threads_(threads < 1 ? 1 : threads), running_(threads_) {}

    // Whether a thread waits for work and none is queued: the caller should
    // set a branch aside with give() rather than walk it.
    bool hungry() const {
        std::lock_guard<std::mutex> lock(mutex_);
        return waiting_ > 0 && queue_.empty() && !failed_;
    }

    void give(Task task) {
        {
            std::lock_guard<std::mutex> lock(mutex_);
            queue_.push_back(std::move(task));
        }
        ready_.notify_one();
    }

    // Whether a thread failed: the others stop as soon as they look.
    bool stopped() const {
        std::lock_guard<std::mutex> lock(mutex_);
        return failed_ != nullptr;
    }

    // Runs work(worker, task) on the first tasks and every task given, in
    // the threads (worker numbers from 0), until no task is left and every
    // thread waits. The first exception a thread throws stops the others
    // and is thrown here.
    template <class Work>
    void run(std::vector<Task> first, Work work) {
        for (Task& t : first) queue_.push_back(std::move(t));
        std::vector<std::thread> others;
        for (std::size_t k = 1; k < threads_; ++k) {
            try {
                others.emplace_back([this, k, &work] { loop(k, work); });
            } catch (...) {  // no thread to be had: the work is shared by fewer
                std::lock_guard<std::mutex> lock(mutex_);
                running_ = others.size() + 1;
                break;
            }
        }
        loop(0, work);
        for (std::thread& t : others) t.join();
        if (failed_) std::rethrow_exception(failed_);
    }

    // The threads asked for (worker numbers are below it).
    std::size_t threads() const { return threads_; }

private:
    template <class Work>
    void loop(std::size_t worker, Work& work) {
        for (;;) {
            std::optional<Task> task = take();
            if (!task) return;
            try {
                work(worker, *task);
            } catch (...) {
                std::lock_guard<std::mutex> lock(mutex_);
                if (!failed_) failed_ = std::current_exception();
                queue_.clear();
            }
            ready_.notify_all();
        }
    }

    // The next task; none once every thread waits with nothing queued, or
    // a thread failed.
    std::optional<Task> take() {
        std::unique_lock<std::mutex> lock(mutex_);
        ++waiting_;
        for (;;) {
            if (failed_) break;
            if (!queue_.empty()) {
                --waiting_;
                Task task = std::move(queue_.front());
                queue_.pop_front();
                return task;
            }
            if (waiting_ == running_) break;
            ready_.wait(lock);
        }
        ready_.notify_all();
        return std::nullopt;
    }

    const std::size_t threads_;
    std::size_t running_;  // the threads that run, at most threads_
    mutable std::mutex mutex_;
    std::condition_variable ready_;
    std::deque<Task> queue_;
    std::size_t waiting_ = 0;
    std::exception_ptr failed_;
};

}  // namespace initform
