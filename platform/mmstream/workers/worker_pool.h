// Threads for the stream's long-running work (decoding a movie's pictures,
// feeding its sound, a sound device's open and close), kept a moment after
// their job ends. A host that opens and frees movie after movie (a menu
// that previews each, a fuzzer) reuses the threads of the last one instead
// of having the kernel make and end several threads for each.
//
// Jobs never wait for one another: Run hands a job to an idle worker or
// starts a worker for it. A worker idle for its linger time ends. Workers
// are detached and the shared pool is never destroyed, so a process
// returns from main without waiting for them; a job still running then (a
// device that never answers, a record the host never freed) ends with the
// process, as a thread of its own would.
#pragma once

#include <chrono>
#include <condition_variable>
#include <deque>
#include <memory>
#include <functional>
#include <mutex>

namespace standin::mmstream {

class WorkerPool {
public:
    static constexpr std::chrono::milliseconds kLinger{1000};

    // The process's pool.
    static WorkerPool &Shared();

    explicit WorkerPool(std::chrono::milliseconds linger = kLinger);
    // Waits for the workers to end: only for a pool with no job running.
    ~WorkerPool();
    WorkerPool(const WorkerPool &) = delete;
    WorkerPool &operator=(const WorkerPool &) = delete;

    // Runs `job` on a worker, with SIGPIPE blocked (see detached_call.h).
    // Throws std::system_error or std::bad_alloc when no worker can be
    // had, as std::thread does; the job has not run then. An exception
    // that leaves the job is dropped.
    void Run(std::function<void()> job);

    // Waits up to `timeout` until no worker has a job (what a freed stream
    // left to finish is finished); true when none has.
    bool WaitUntilIdle(std::chrono::milliseconds timeout);

    struct Count {
        int alive = 0;  // busy or idle
        int idle = 0;
    };
    Count Workers();

private:
    void Work(std::function<void()> job);
    static void ForkedChild();

    const std::chrono::milliseconds linger_;
    std::mutex mutex_;
    std::condition_variable wake_;   // idle workers: a job, or the pool closes
    std::condition_variable settled_;  // a worker went idle or ended
    std::deque<std::function<void()>> handed_;  // to idle workers, not yet taken
    int idle_ = 0;
    int alive_ = 0;
    bool closing_ = false;
};

// A job of the pool that its owner waits for, as for a std::thread it
// joins. Destroyed unjoined, it joins.
class PooledThread {
public:
    PooledThread() = default;
    // Starts `job` on the shared pool; throws as WorkerPool::Run.
    explicit PooledThread(std::function<void()> job);
    PooledThread(PooledThread &&) = default;
    PooledThread &operator=(PooledThread &&other);
    ~PooledThread();

    bool joinable() const { return finished_ != nullptr; }
    void join();

private:
    struct Finished {
        std::mutex mutex;
        std::condition_variable signal;
        bool done = false;
    };
    std::shared_ptr<Finished> finished_;
};

}  // namespace standin::mmstream
