#pragma once

#include <condition_variable>
#include <cstddef>
#include <functional>
#include <mutex>
#include <thread>
#include <vector>

// Runs jobs on a few threads and hands their results back in the order the
// jobs came in. At most `window` jobs are submitted and not yet taken, so a
// slow job holds up the output but never lets memory grow: the caller
// submits while !full() and takes the oldest result otherwise.
//
// One thread submits and takes; `work` runs on the pool's threads and must
// only read what they share. Threads are started as jobs wait for one, so a
// run over a single file starts a single thread.
template <typename Job, typename Result> class OrderedPool {
public:
    OrderedPool(int threads, std::size_t window, std::function<Result(const Job &)> work)
        : mWork(std::move(work)), mSlots(window), mMaxThreads(static_cast<std::size_t>(threads)) {
        mThreads.reserve(mMaxThreads);
    }

    // Jobs not yet started are dropped; those running are finished.
    ~OrderedPool() {
        {
            std::lock_guard lock(mMutex);
            mStopping = true;
        }
        mJobReady.notify_all();
        for (std::thread &thread : mThreads)
            thread.join();
    }

    OrderedPool(const OrderedPool &) = delete;
    OrderedPool &operator=(const OrderedPool &) = delete;

    bool full() const { return mSubmitted - mTaken == mSlots.size(); }
    bool empty() const { return mSubmitted == mTaken; }

    void submit(Job job) {
        bool startThread = false;
        {
            std::lock_guard lock(mMutex);
            Slot &slot = mSlots[mSubmitted % mSlots.size()];
            slot.job = std::move(job);
            slot.done = false;
            ++mSubmitted;
            startThread = mIdle == 0 && mThreads.size() < mMaxThreads;
        }
        if (startThread)
            mThreads.emplace_back([this] { run(); });
        else
            mJobReady.notify_one();
    }

    // Whether the oldest result is there, so take() would not wait.
    bool ready() {
        std::lock_guard lock(mMutex);
        return !empty() && mSlots[mTaken % mSlots.size()].done;
    }

    // The oldest result, waiting for it as needed; only when !empty().
    Result take() {
        std::unique_lock lock(mMutex);
        Slot &slot = mSlots[mTaken % mSlots.size()];
        mResultReady.wait(lock, [&] { return slot.done; });
        ++mTaken;
        return std::move(slot.result);
    }

private:
    struct Slot {
        Job job{};
        Result result{};
        bool done = false;
    };

    void run() {
        std::unique_lock lock(mMutex);
        while (true) {
            ++mIdle;
            mJobReady.wait(lock, [&] { return mStopping || mStarted < mSubmitted; });
            --mIdle;
            if (mStopping)
                return;
            const std::size_t index = mStarted++;
            Slot &slot = mSlots[index % mSlots.size()];
            // The slot stays this job's until its result is taken, so it is
            // read and written without the lock.
            lock.unlock();
            Result result = mWork(slot.job);
            lock.lock();
            slot.result = std::move(result);
            slot.done = true;
            if (index == mTaken)
                mResultReady.notify_one();
        }
    }

    std::function<Result(const Job &)> mWork;
    std::vector<Slot> mSlots;
    std::size_t mMaxThreads;
    std::vector<std::thread> mThreads; // touched by the submitting thread only
    std::size_t mIdle = 0;
    std::mutex mMutex;
    std::condition_variable mJobReady;
    std::condition_variable mResultReady;
    std::size_t mSubmitted = 0; // written by the submitting thread under the lock
    std::size_t mStarted = 0;
    std::size_t mTaken = 0;
    bool mStopping = false;
};
