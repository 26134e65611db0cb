#include "core/worker_pool.h"

#include "core/vector_state.h"

#include <algorithm>
#include <atomic>
#include <condition_variable>
#include <cstdint>
#include <mutex>
#include <thread>
#include <vector>

namespace tolvane {
namespace {

/// Threads that wait for runs; the calling thread of a run works alongside them.
class WorkerPool {
public:
    WorkerPool() = default;
    WorkerPool(const WorkerPool&) = delete;
    WorkerPool& operator=(const WorkerPool&) = delete;

    ~WorkerPool() {
        {
            const std::lock_guard lock(mutex_);
            stopping_ = true;
        }
        wake_.notify_all();
        for (std::thread& thread : threads_)
            thread.join();
    }

    void run(std::size_t chunkCount, unsigned threadCount, const std::function<void()>& lead,
             const std::function<void(std::size_t, unsigned)>& task) {
        const std::lock_guard turn(runMutex_);
        {
            std::unique_lock lock(mutex_);
            while (threads_.size() + 1 < threadCount) {
                const auto worker = static_cast<unsigned>(threads_.size() + 1);
                threads_.emplace_back([this, worker] { serve(worker); });
            }
            task_ = &task;
            chunkCount_ = chunkCount;
            nextChunk_.store(0);
            helpers_ = threadCount - 1;
            busy_ = helpers_;
            ++generation_;
        }
        wake_.notify_all();
        if (lead) lead();
        work(0);
        std::unique_lock lock(mutex_);
        done_.wait(lock, [this] { return busy_ == 0; });
        task_ = nullptr;
    }

private:
    void work(unsigned worker) {
        for (std::size_t chunk = nextChunk_.fetch_add(1); chunk < chunkCount_;
             chunk = nextChunk_.fetch_add(1))
            (*task_)(chunk, worker);
    }

    void serve(unsigned worker) {
        std::uint64_t seen = 0;
        std::unique_lock lock(mutex_);
        for (;;) {
            wake_.wait(lock, [&] { return stopping_ || generation_ != seen; });
            if (stopping_) return;
            seen = generation_;
            if (worker > helpers_) continue; // this run needs fewer threads
            lock.unlock();
            ClearUpperVectorState(); // inherited from the thread that started this one
            work(worker);
            lock.lock();
            if (--busy_ == 0) done_.notify_one();
        }
    }

    std::mutex runMutex_; ///< one run at a time
    std::mutex mutex_;    ///< guards everything below but nextChunk_
    std::condition_variable wake_;
    std::condition_variable done_;
    std::vector<std::thread> threads_;
    const std::function<void(std::size_t, unsigned)>* task_ = nullptr;
    std::size_t chunkCount_ = 0;
    std::atomic<std::size_t> nextChunk_{0};
    unsigned helpers_ = 0;
    unsigned busy_ = 0;
    std::uint64_t generation_ = 0;
    bool stopping_ = false;
};

} // namespace

unsigned HardwareThreads() {
    return std::max(1u, std::thread::hardware_concurrency());
}

void RunOnWorkers(std::size_t chunkCount, unsigned threadCount, const std::function<void()>& lead,
                  const std::function<void(std::size_t, unsigned)>& task) {
    threadCount = std::max(1u, threadCount);
    // Long work runs with the AVX registers' upper halves cleared on every thread; the pool's
    // threads clear them in serve().
    ClearUpperVectorState();
    if (threadCount == 1 || chunkCount <= 1) {
        if (lead) lead();
        for (std::size_t chunk = 0; chunk < chunkCount; ++chunk)
            task(chunk, 0);
        return;
    }
    static WorkerPool pool;
    pool.run(chunkCount, threadCount, lead, task);
}

void RunOnWorkers(std::size_t chunkCount, unsigned threadCount,
                  const std::function<void(std::size_t, unsigned)>& task) {
    RunOnWorkers(chunkCount, threadCount, {}, task);
}

} // namespace tolvane
