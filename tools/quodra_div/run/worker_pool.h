// Worker threads taking batches from a queue, for the --jobs runners: the
// calling thread submits batch slots in sample order and waits for each in
// turn, so it writes finished batches in order while the workers go on.
#ifndef QUODRA_DIV_RUN_WORKER_POOL_H
#define QUODRA_DIV_RUN_WORKER_POOL_H

#include <condition_variable>
#include <cstddef>
#include <deque>
#include <functional>
#include <mutex>
#include <thread>
#include <utility>
#include <vector>

namespace quodra_div {

// Slot: a batch with a `bool done` member, which only the pool sets (under
// its mutex); the caller clears it before submitting the slot again.
// Destroying the pool stops and joins the workers, abandoning queued
// batches, so an exception in the writer never leaves a thread touching a
// destroyed batch: declare the pool after the slots.
template <typename Slot> class worker_pool {
public:
    // Workers start as batches arrive, up to `threads`: a short input
    // starts no more threads than it has batches. finish(slot) runs on a
    // worker and must not throw.
    worker_pool(unsigned threads, std::function<void(Slot &)> finish)
        : most_threads_(threads), finish_(std::move(finish)) {}

    ~worker_pool() { stop(); }
    worker_pool(const worker_pool &) = delete;
    worker_pool &operator=(const worker_pool &) = delete;

    void submit(Slot &slot) {
        {
            std::lock_guard<std::mutex> lock(mutex_);
            queue_.push_back(&slot);
        }
        if (workers_.size() < most_threads_) {
            workers_.emplace_back([this] { work(); });
        }
        work_ready_.notify_one();
    }

    void wait_until_done(Slot &slot) {
        std::unique_lock<std::mutex> lock(mutex_);
        slot_done_.wait(lock, [&] { return slot.done; });
    }

private:
    void work() {
        for (;;) {
            Slot *slot = nullptr;
            {
                std::unique_lock<std::mutex> lock(mutex_);
                work_ready_.wait(lock, [&] { return stopping_ || !queue_.empty(); });
                if (stopping_) {
                    return;
                }
                slot = queue_.front();
                queue_.pop_front();
            }
            finish_(*slot);
            {
                std::lock_guard<std::mutex> lock(mutex_);
                slot->done = true;
            }
            slot_done_.notify_all();
        }
    }

    void stop() {
        {
            std::lock_guard<std::mutex> lock(mutex_);
            stopping_ = true;
        }
        work_ready_.notify_all();
        for (std::thread &worker : workers_) {
            worker.join();
        }
        workers_.clear();
    }

    const std::size_t most_threads_;
    const std::function<void(Slot &)> finish_;
    std::mutex mutex_;
    std::condition_variable work_ready_;
    std::condition_variable slot_done_;
    std::deque<Slot *> queue_;
    bool stopping_ = false;
    std::vector<std::thread> workers_;
};

} // namespace quodra_div

#endif
