#pragma once

#include <functional>
#include <memory>

// Jobs served first in, first out by at most `maxThreads` threads at a time.
// Threads are started as jobs arrive and end when the queue runs dry, so an
// idle queue holds no thread. Adding many files at once thus runs as many
// players as there are cores instead of one per file, and the rows fill in
// the order the files were added.
class ProbeQueue {
public:
    using Job = std::function<void()>;

    explicit ProbeQueue(int maxThreads);

    // Queues `job` and returns at once. When no thread can be started and none
    // is serving the queue, the waiting jobs are dropped (destroyed unrun).
    void post(Job job);

    int maxThreads() const;

    // The queue every probe goes through: as many threads as online cores.
    static ProbeQueue &probes();

private:
    struct State;
    // A serving thread: runs jobs from the front until the queue is empty.
    static void serve(const std::shared_ptr<State> &state);

    // Shared with the serving threads, which are detached and may outlive the queue.
    std::shared_ptr<State> m_state;
};
