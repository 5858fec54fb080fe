#include "catalogue/probe_queue.h"
#include "process/cpu_cores.h"

#include <algorithm>
#include <chrono>
#include <condition_variable>
#include <gtest/gtest.h>
#include <mutex>
#include <vector>

namespace {

// Jobs that record when they start and block until the test lets them end.
struct Gate {
    std::mutex mutex;
    std::condition_variable changed;
    std::vector<int> started;
    int running = 0, mostAtOnce = 0, finished = 0, released = 0;

    ProbeQueue::Job job(int number)
    {
        return [this, number] {
            std::unique_lock lock(mutex);
            started.push_back(number);
            mostAtOnce = std::max(mostAtOnce, ++running);
            changed.notify_all();
            changed.wait(lock, [&] { return released > 0; });
            --released;
            --running;
            ++finished;
            changed.notify_all();
        };
    }
    // Waits until `count` jobs have started; true when they have.
    bool waitStarted(size_t count)
    {
        std::unique_lock lock(mutex);
        return changed.wait_for(lock, std::chrono::seconds(10), [&] { return started.size() >= count; });
    }
    void release(int count)
    {
        std::lock_guard lock(mutex);
        released += count;
        changed.notify_all();
    }
};

TEST(ProbeQueue, RunsAtMostItsThreadsAtOnceInTheOrderOfPosting)
{
    Gate gate;
    ProbeQueue queue(2);
    for (int i = 0; i < 7; ++i)
        queue.post(gate.job(i));

    // Two run, the rest wait. Letting one job end at a time frees exactly one
    // thread, which must take the oldest waiting job.
    ASSERT_TRUE(gate.waitStarted(2));
    for (size_t next = 3; next <= 7; ++next) {
        gate.release(1);
        ASSERT_TRUE(gate.waitStarted(next));
    }
    gate.release(2);
    std::unique_lock lock(gate.mutex);
    ASSERT_TRUE(gate.changed.wait_for(lock, std::chrono::seconds(10), [&] { return gate.finished == 7; }));
    EXPECT_EQ(gate.started, (std::vector<int>{0, 1, 2, 3, 4, 5, 6}));
    EXPECT_EQ(gate.mostAtOnce, 2);
    lock.unlock();

    // Once idle, the queue starts threads again for new jobs.
    queue.post(gate.job(7));
    gate.release(1);
    lock.lock();
    EXPECT_TRUE(gate.changed.wait_for(lock, std::chrono::seconds(10), [&] { return gate.finished == 8; }));
}

TEST(ProbeQueue, ProbesGetOneThreadPerCore)
{
    EXPECT_EQ(ProbeQueue::probes().maxThreads(), OnlineCores());
    EXPECT_EQ(ProbeQueue(0).maxThreads(), 1);
}

} // namespace
