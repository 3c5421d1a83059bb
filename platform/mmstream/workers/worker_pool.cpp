#include "mmstream/workers/worker_pool.h"

#include <pthread.h>
#include <signal.h>

#include <thread>

#include <standin/standin.h>

#include "common/immortal.h"

namespace standin::mmstream {

namespace {

void BlockSigpipe() {
    sigset_t pipe;
    sigemptyset(&pipe);
    sigaddset(&pipe, SIGPIPE);
    pthread_sigmask(SIG_BLOCK, &pipe, nullptr);
}

}  // namespace

WorkerPool &WorkerPool::Shared() {
    // A child forked while workers were idle has none of them: it starts
    // with an empty pool (a death test, say, that plays a movie).
    static const bool forkHandled = [] {
        pthread_atfork([] { Immortal<WorkerPool>().mutex_.lock(); },
                       [] { Immortal<WorkerPool>().mutex_.unlock(); }, &WorkerPool::ForkedChild);
        return true;
    }();
    (void)forkHandled;
    return Immortal<WorkerPool>();
}

void WorkerPool::ForkedChild() {
    WorkerPool &pool = Immortal<WorkerPool>();
    // The jobs handed to the parent's idle workers are the parent's.
    pool.handed_.clear();
    pool.idle_ = pool.alive_ = 0;
    pool.mutex_.unlock();
}

WorkerPool::WorkerPool(std::chrono::milliseconds linger) : linger_(linger) {}

WorkerPool::~WorkerPool() {
    std::unique_lock<std::mutex> lock(mutex_);
    closing_ = true;
    wake_.notify_all();
    settled_.wait(lock, [&] { return alive_ == 0; });
}

bool WorkerPool::WaitUntilIdle(std::chrono::milliseconds timeout) {
    std::unique_lock<std::mutex> lock(mutex_);
    return settled_.wait_for(lock, timeout, [&] { return idle_ == alive_; });
}

void WorkerPool::Run(std::function<void()> job) {
    std::lock_guard<std::mutex> lock(mutex_);
    if (idle_ > static_cast<int>(handed_.size())) {
        handed_.push_back(std::move(job));
        wake_.notify_one();
        return;
    }
    // Counted before it starts, so that the destructor waits for it.
    ++alive_;
    try {
        std::thread([this, job = std::move(job)]() mutable { Work(std::move(job)); }).detach();
    } catch (...) {
        --alive_;
        throw;
    }
}

WorkerPool::Count WorkerPool::Workers() {
    std::lock_guard<std::mutex> lock(mutex_);
    return Count{alive_, idle_};
}

void WorkerPool::Work(std::function<void()> job) {
    BlockSigpipe();
    std::unique_lock<std::mutex> lock(mutex_, std::defer_lock);
    for (;;) {
        try {
            job();
        } catch (...) {
        }
        job = nullptr;  // what the job holds goes now, not with the next one
        lock.lock();
        ++idle_;
        settled_.notify_all();
        const bool handed = wake_.wait_for(lock, linger_, [&] { return !handed_.empty() || closing_; }) && !handed_.empty();
        --idle_;
        if (!handed) break;
        job = std::move(handed_.front());
        handed_.pop_front();
        lock.unlock();
    }
    // Notified under the lock: the destructor cannot end the pool before.
    --alive_;
    settled_.notify_all();
}

PooledThread::PooledThread(std::function<void()> job) : finished_(std::make_shared<Finished>()) {
    WorkerPool::Shared().Run([finished = finished_, job = std::move(job)]() mutable {
        try {
            job();
        } catch (...) {
        }
        // What the job holds goes before a join returns, as with a thread.
        job = nullptr;
        std::lock_guard<std::mutex> lock(finished->mutex);
        finished->done = true;
        finished->signal.notify_all();
    });
}

PooledThread &PooledThread::operator=(PooledThread &&other) {
    if (this != &other) {
        join();
        finished_ = std::move(other.finished_);
    }
    return *this;
}

PooledThread::~PooledThread() { join(); }

void PooledThread::join() {
    if (!finished_) return;
    std::unique_lock<std::mutex> lock(finished_->mutex);
    finished_->signal.wait(lock, [&] { return finished_->done; });
    lock.unlock();
    finished_.reset();
}

}  // namespace standin::mmstream

extern "C" BOOL StandinSettle(DWORD milliseconds) {
    return standin::mmstream::WorkerPool::Shared().WaitUntilIdle(std::chrono::milliseconds(milliseconds)) ? TRUE : FALSE;
}
