#pragma once

#include <atomic>
#include <map>
#include <mutex>
#include <sys/types.h>
#include <thread>

// The running tools of one batch as pause, resume and stop reach them. Each
// row of the batch runs on a thread of its own and names the tool it runs
// while it runs; the commands signal only those processes, through the child
// registry, so they never reach a probe's player or a process that has ended.
class EncoderControl {
public:
    // Row side, from the row's thread: its tool has started (a stop that came
    // first kills it at once, a pause stops it at once) / has ended.
    void started(pid_t pid);
    void ended();

    // Command side: no further tool starts, and every running tool (paused or
    // not) is killed.
    void requestStop();
    bool stopRequested() const { return m_stop.load(); }
    const std::atomic<bool> &stopFlag() const { return m_stop; }

    // SIGSTOP / SIGCONT (or any signal) to every running tool; false when none runs.
    bool signal(int signal);
    // The running tools have been stopped by SIGSTOP and not continued since.
    bool suspended() const { return m_suspended.load(); }

    // One running tool's process id (the lowest), 0 when none runs.
    pid_t pid() const;
    // How many tools run now.
    int running() const;

private:
    mutable std::mutex m_mutex;
    std::map<std::thread::id, pid_t> m_pids;  // each row thread's running tool
    std::atomic<bool> m_stop{false};
    std::atomic<bool> m_suspended{false};
};
