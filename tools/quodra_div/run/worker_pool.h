// Worker threads taking batches from a queue, for the --jobs runners: the
// calling thread submits batch slots in sample order. Either it waits for
// each in turn and writes the finished batches itself, or, given a commit
// function, the workers commit finished batches in submission order
// themselves, refill each committed slot with the next batch and queue it
// again, and the calling thread only waits for the end of the run.
#ifndef QUODRA_DIV_RUN_WORKER_POOL_H
#define QUODRA_DIV_RUN_WORKER_POOL_H

#include <condition_variable>
#include <cstddef>
#include <cstdint>
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
    // Returns false when the run must stop after this batch.
    using commit_function = std::function<bool(Slot &)>;
    // Loads a committed slot with the next batch; false when the input is
    // over (the slot then stays idle).
    using refill_function = std::function<bool(Slot &)>;

    // Workers start as batches arrive, up to `threads`: a short input
    // starts no more threads than it has batches. finish(slot) runs on a
    // worker and must not throw. With commit, commit(slot) runs on a
    // worker too, for every finished slot in submission order and never
    // on two threads at once (each commit happens after the one before
    // it); it must not throw, and once it returns false no slot is
    // committed again. With refill as well, refill(slot) runs right after
    // the slot's successful commit, on the same thread (so refills never
    // overlap and come in commit order), and a slot it loads is queued
    // again behind the others: the workers keep themselves fed, and the
    // calling thread, which would otherwise be woken for every batch on
    // the cores the workers need, sleeps until the run is over.
    worker_pool(unsigned threads, std::function<void(Slot &)> finish,
                commit_function commit = nullptr, refill_function refill = nullptr)
        : most_threads_(threads), finish_(std::move(finish)), commit_(std::move(commit)),
          refill_(std::move(refill)) {}

    ~worker_pool() { stop(); }
    worker_pool(const worker_pool &) = delete;
    worker_pool &operator=(const worker_pool &) = delete;

    void submit(Slot &slot) { submit_all({&slot}); }

    // Queues the slots in this order at once; with refill, the first
    // slots of the run go this way, so that no refilled slot comes between.
    void submit_all(const std::vector<Slot *> &slots) {
        {
            std::lock_guard<std::mutex> lock(mutex_);
            for (Slot *slot : slots) {
                queue_.push_back(slot);
                if (commit_) uncommitted_.push_back(slot);
            }
        }
        for (std::size_t i = 0; i < slots.size() && workers_.size() < most_threads_; ++i) {
            workers_.emplace_back([this] { work(); });
        }
        work_ready_.notify_all();
    }

    // Without commit: returns once the slot is finished.
    void wait_until_done(Slot &slot) {
        std::unique_lock<std::mutex> lock(mutex_);
        slot_done_.wait(lock, [&] { return slot.done; });
    }

    // With commit and refill: waits until every queued slot is committed
    // and none was refilled, or a commit returned false; returns whether
    // every commit succeeded.
    bool wait_until_all_committed() {
        std::unique_lock<std::mutex> lock(mutex_);
        slot_done_.wait(lock, [&] { return all_committed(); });
        return !commit_stopped_;
    }

private:
    void work() {
        for (;;) {
            Slot *slot = nullptr;
            {
                std::unique_lock<std::mutex> lock(mutex_);
                ++idle_workers_;
                work_ready_.wait(lock, [&] { return stopping_ || !queue_.empty(); });
                --idle_workers_;
                if (stopping_) {
                    return;
                }
                slot = queue_.front();
                queue_.pop_front();
            }
            finish_(*slot);
            std::unique_lock<std::mutex> lock(mutex_);
            slot->done = true;
            if (commit_) {
                commit_in_order(lock); // wakes the waiting thread only for commits
            } else {
                lock.unlock();
                slot_done_.notify_all();
            }
        }
    }

    // Whichever worker finds the oldest uncommitted slot finished takes the
    // commit turn and commits every finished slot in order from there,
    // outside the lock; a worker finishing a slot meanwhile leaves it to
    // the thread holding the turn, which looks again before giving it up.
    void commit_in_order(std::unique_lock<std::mutex> &lock) {
        if (committing_) return;
        committing_ = true;
        while (!commit_stopped_ && !stopping_ && !uncommitted_.empty() &&
               uncommitted_.front()->done) {
            Slot *next = uncommitted_.front();
            uncommitted_.pop_front();
            lock.unlock();
            const bool go_on = commit_(*next);
            const bool refilled = go_on && refill_ && refill_(*next);
            lock.lock();
            ++committed_;
            commit_stopped_ = !go_on;
            if (refilled) {
                queue_.push_back(next);
                uncommitted_.push_back(next);
                // This worker takes queued work itself; only an idle one
                // needs waking.
                if (idle_workers_ > 0) work_ready_.notify_one();
            }
            if (!refill_ || all_committed()) {
                // Woken outside the lock, the waiting thread finds it free.
                lock.unlock();
                slot_done_.notify_all();
                lock.lock();
            }
        }
        committing_ = false;
    }

    // Under the lock: nothing is left to commit, or nothing more will be.
    bool all_committed() const { return commit_stopped_ || uncommitted_.empty(); }

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
    const commit_function commit_;
    const refill_function refill_;
    std::mutex mutex_;
    std::condition_variable work_ready_;
    std::condition_variable slot_done_;
    std::deque<Slot *> queue_;
    std::deque<Slot *> uncommitted_; // submitted, in order, with commit
    uint64_t committed_ = 0;
    bool committing_ = false; // a worker holds the commit turn
    std::size_t idle_workers_ = 0; // waiting for work_ready_
    bool commit_stopped_ = false;
    bool stopping_ = false;
    std::vector<std::thread> workers_;
};

} // namespace quodra_div

#endif
