#include "catalogue/probe_queue.h"

#include "base/log.h"
#include "process/cpu_cores.h"

#include <algorithm>
#include <deque>
#include <mutex>
#include <system_error>
#include <thread>
#include <utility>

struct ProbeQueue::State {
    std::mutex mutex;
    std::deque<Job> jobs;
    int threads = 0;
    int maxThreads = 1;
};

void ProbeQueue::serve(const std::shared_ptr<State> &state)
{
    for (;;) {
        Job job;
        {
            std::lock_guard lock(state->mutex);
            if (state->jobs.empty()) {
                --state->threads;
                return;
            }
            job = std::move(state->jobs.front());
            state->jobs.pop_front();
        }
        job();
    }
}

ProbeQueue::ProbeQueue(int maxThreads) : m_state(std::make_shared<State>())
{
    m_state->maxThreads = std::max(1, maxThreads);
}

void ProbeQueue::post(Job job)
{
    std::unique_lock lock(m_state->mutex);
    m_state->jobs.push_back(std::move(job));
    if (m_state->threads >= m_state->maxThreads)
        return;  // a serving thread takes it in its turn
    ++m_state->threads;
    lock.unlock();

    try {
        std::thread([state = m_state] { serve(state); }).detach();
    } catch (const std::system_error &error) {
        // The waiting jobs' rows keep their paths only.
        qCWarning(lcQ9) << "cannot start a probe thread:" << error.what();
        std::deque<Job> dropped;
        lock.lock();
        if (--m_state->threads == 0)
            dropped.swap(m_state->jobs);
        lock.unlock();
        // Destroyed outside the lock: a job may hold what it releases there.
    }
}

int ProbeQueue::maxThreads() const
{
    return m_state->maxThreads;
}

ProbeQueue &ProbeQueue::probes()
{
    static ProbeQueue queue(OnlineCores());
    return queue;
}
