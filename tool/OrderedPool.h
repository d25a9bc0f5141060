// SPDX-License-Identifier: MIT
#pragma once

#include <algorithm>
#include <atomic>
#include <chrono>
#include <condition_variable>
#include <cstddef>
#include <exception>
#include <functional>
#include <memory>
#include <mutex>
#include <pthread.h>
#include <semaphore>
#include <thread>
#include <tuple>
#include <utility>
#include <vector>

// Runs jobs on up to `threads` threads and hands their results back in the
// order the jobs came in. At most `window` jobs are submitted and not yet
// taken, so a slow job holds up the output but never lets memory grow: the
// caller submits while !full() and takes the oldest result otherwise.
//
// The jobs are reads of a few bytes. From the page cache one takes a few
// microseconds of processor time, and more threads than processors would
// only take turns and wake each other; from a cold disk or a network share
// it mostly waits, and then many in flight pay. So no more threads work at
// once than there are processors, except that a thread whose job has run for
// longer than a cached read could is counted as waiting, and another one is
// woken (or started) in its place, up to `threads`.
//
// One thread submits and takes; `work` runs on the pool's threads and must
// only read what they share. A thread that cannot be started (a process
// limit) leaves the work to those there are; when there are none, take()
// does the jobs itself, one by one. An exception thrown by `work` comes out
// of the take() of its result.
template <typename Job, typename Result> class OrderedPool {
public:
    // A job needs a few KiB of stack. The default of 8 MiB a thread would
    // take 2 GiB of address space for 256 threads, more than a process
    // under a limit may have.
    static constexpr std::size_t kStackSize = 256 * 1024;

    OrderedPool(int threads, std::size_t window, std::function<Result(const Job &)> work)
        : mWork(std::move(work)), mSlots(window), mMaxThreads(static_cast<std::size_t>(threads)),
          mProcessors(std::max(1u, std::thread::hardware_concurrency())) {
        mWorkers.reserve(mMaxThreads);
    }

    // Jobs not yet started are dropped; those running are finished.
    ~OrderedPool() {
        {
            std::lock_guard lock(mMutex);
            mStopping = true;
            for (const auto &worker : mWorkers) {
                if (worker->sleeping) {
                    worker->sleeping = false;
                    worker->wake.release();
                }
            }
        }
        for (const auto &worker : mWorkers)
            ::pthread_join(worker->thread, nullptr);
    }

    OrderedPool(const OrderedPool &) = delete;
    OrderedPool &operator=(const OrderedPool &) = delete;

    bool full() const { return mSubmitted - mTaken == mSlots.size(); }
    bool empty() const { return mSubmitted == mTaken; }

    void submit(Job job) {
        std::lock_guard lock(mMutex);
        Slot &slot = mSlots[mSubmitted % mSlots.size()];
        slot.job = std::move(job);
        slot.done = false;
        ++mSubmitted;
        addWorkersIfNeeded();
    }

    // Whether the oldest result is there, so take() would not wait.
    bool ready() {
        std::lock_guard lock(mMutex);
        return !empty() && headDone();
    }

    // The oldest result; only when !empty(). When it is not there yet, waits
    // until it is and half the window is done too (or all that was
    // submitted), so that the caller takes and submits in bursts; meanwhile
    // it looks now and then for threads stuck in a read.
    Result take() {
        std::unique_lock lock(mMutex);
        if (!headDone() && mWorkers.empty()) {
            Slot &slot = mSlots[mStarted++ % mSlots.size()];
            std::tie(slot.result, slot.failure) = attempt(slot.job);
            slot.done = true;
            ++mDoneNotTaken;
        }
        if (!headDone()) {
            mCallerWaiting = true;
            while (!mResultReady.wait_for(lock, kLookAgain, [&] { return worthWaking(); }))
                addWorkersIfNeeded();
            mCallerWaiting = false;
        }
        Slot &slot = mSlots[mTaken % mSlots.size()];
        ++mTaken;
        --mDoneNotTaken;
        if (slot.failure)
            std::rethrow_exception(std::exchange(slot.failure, nullptr));
        return std::move(slot.result);
    }

private:
    using Clock = std::chrono::steady_clock;

    // Several times a read from the page cache, shorter than one from a disk
    // (waking a thread for a read that was about to end costs little; 200 µs
    // left a fast disk with too few reads in flight).
    static constexpr Clock::duration kStuck = std::chrono::microseconds(30);
    static constexpr Clock::duration kLookAgain = std::chrono::microseconds(500);
    // Queued jobs per working thread before another one is worth waking.
    static constexpr std::size_t kQueuedPerThread = 4;

    struct Slot {
        Job job{};
        Result result{};
        std::exception_ptr failure;
        bool done = false;
    };

    struct Worker {
        OrderedPool *pool = nullptr;
        pthread_t thread{};
        std::binary_semaphore wake{0};
        bool sleeping = false; // under the lock
        std::atomic<Clock::rep> busySince{0};
    };

    bool headDone() const { return mSlots[mTaken % mSlots.size()].done; }

    bool worthWaking() const {
        return headDone() &&
               (2 * mDoneNotTaken >= mSlots.size() || mDoneNotTaken == mSubmitted - mTaken);
    }

    // Under the lock, on the submitting thread: wakes or starts as many
    // threads as the queue and the processors call for.
    void addWorkersIfNeeded() {
        const std::size_t queued = mSubmitted - mStarted;
        const Clock::rep stuckBefore = (Clock::now() - kStuck).time_since_epoch().count();
        std::size_t working = 0;
        for (const auto &worker : mWorkers) {
            const Clock::rep since = worker->busySince.load(std::memory_order_relaxed);
            if (!worker->sleeping && (since == 0 || since > stuckBefore))
                ++working;
        }
        const std::size_t wanted =
            std::min(mProcessors, (queued + kQueuedPerThread - 1) / kQueuedPerThread);
        std::size_t missing = wanted > working ? wanted - working : 0;
        for (auto it = mWorkers.begin(); missing > 0 && it != mWorkers.end(); ++it) {
            if ((*it)->sleeping) {
                (*it)->sleeping = false;
                (*it)->wake.release();
                --missing;
            }
        }
        for (; missing > 0 && mWorkers.size() < mMaxThreads; --missing) {
            auto worker = std::make_unique<Worker>();
            worker->pool = this;
            if (!start(*worker)) {
                // Out of threads or address space: go on with those there are.
                mMaxThreads = mWorkers.size();
                return;
            }
            mWorkers.push_back(std::move(worker));
        }
    }

    static bool start(Worker &worker) {
        pthread_attr_t attributes;
        if (::pthread_attr_init(&attributes) != 0)
            return false;
        ::pthread_attr_setstacksize(&attributes, kStackSize);
        const auto entry = [](void *self) -> void * {
            auto *w = static_cast<Worker *>(self);
            w->pool->run(*w);
            return nullptr;
        };
        const bool started = ::pthread_create(&worker.thread, &attributes, entry, &worker) == 0;
        ::pthread_attr_destroy(&attributes);
        return started;
    }

    std::pair<Result, std::exception_ptr> attempt(const Job &job) {
        try {
            return {mWork(job), nullptr};
        } catch (...) {
            return {Result{}, std::current_exception()};
        }
    }

    void run(Worker &self) {
        std::unique_lock lock(mMutex);
        while (!mStopping) {
            if (mStarted == mSubmitted) {
                self.sleeping = true;
                lock.unlock();
                self.wake.acquire();
                lock.lock();
                continue;
            }
            const std::size_t index = mStarted++;
            Slot &slot = mSlots[index % mSlots.size()];
            // The slot stays this job's until its result is taken, so it is
            // read and written without the lock.
            lock.unlock();
            self.busySince.store(Clock::now().time_since_epoch().count(),
                                 std::memory_order_relaxed);
            auto [result, failure] = attempt(slot.job);
            self.busySince.store(0, std::memory_order_relaxed);
            lock.lock();
            slot.result = std::move(result);
            slot.failure = failure;
            slot.done = true;
            ++mDoneNotTaken;
            if (mCallerWaiting && worthWaking())
                mResultReady.notify_one();
        }
    }

    std::function<Result(const Job &)> mWork;
    std::vector<Slot> mSlots;
    std::size_t mMaxThreads;
    const std::size_t mProcessors;
    std::mutex mMutex;
    std::condition_variable mResultReady;
    // Added to by the submitting thread under the lock, never shrunk.
    std::vector<std::unique_ptr<Worker>> mWorkers;
    // Counted under the lock; the submitting thread alone writes mSubmitted
    // and mTaken, and so may read them without it.
    std::size_t mSubmitted = 0;
    std::size_t mStarted = 0;
    std::size_t mTaken = 0;
    std::size_t mDoneNotTaken = 0;
    bool mCallerWaiting = false;
    bool mStopping = false;
};
