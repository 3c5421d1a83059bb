// The stand-in's worker pool: jobs never queue behind one another, an idle
// worker takes the next job, and idle workers end after their linger time.
#include "mmstream/workers/worker_pool.h"

#include <gtest/gtest.h>

#include <atomic>
#include <chrono>
#include <functional>
#include <future>
#include <stdexcept>
#include <thread>

namespace {

using standin::mmstream::PooledThread;
using standin::mmstream::WorkerPool;
using namespace std::chrono_literals;

// Waits up to 5 s for the pool's workers to come to `count`.
bool Reaches(WorkerPool &pool, int alive, int idle) {
    const auto until = std::chrono::steady_clock::now() + 5s;
    for (;; std::this_thread::sleep_for(2ms)) {
        const WorkerPool::Count count = pool.Workers();
        if (count.alive == alive && count.idle == idle) return true;
        if (std::chrono::steady_clock::now() > until) return false;
    }
}

TEST(WorkerPool, RunsJobsSideBySideReusesIdleWorkersAndLetsThemEnd) {
    WorkerPool pool(300ms);
    // A job that waits for a later one is not queued behind it.
    std::promise<void> release;
    std::shared_future<void> released = release.get_future().share();
    pool.Run([released] { released.wait(); });
    pool.Run([&] { release.set_value(); });
    ASSERT_TRUE(Reaches(pool, 2, 2));
    // An idle worker takes the next job; one that throws leaves it working.
    pool.Run([] { throw std::runtime_error("job"); });
    std::promise<void> ran;
    pool.Run([&] { ran.set_value(); });
    ran.get_future().wait();
    EXPECT_TRUE(Reaches(pool, 2, 2));
    // Idle for the linger time, they end.
    EXPECT_TRUE(Reaches(pool, 0, 0));
}

TEST(WorkerPool, PooledThreadJoinWaitsForItsJob) {
    std::atomic<bool> done{false};
    PooledThread thread([&] {
        std::this_thread::sleep_for(20ms);
        done = true;
    });
    ASSERT_TRUE(thread.joinable());
    thread.join();
    EXPECT_TRUE(done);
    EXPECT_FALSE(thread.joinable());
}

}  // namespace
