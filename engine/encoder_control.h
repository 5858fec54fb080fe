#pragma once

#include <atomic>
#include <mutex>
#include <sys/types.h>

// The encoder of one batch as pause, resume and stop reach it. The worker names
// the encoder while it runs; the commands signal only that process, through the
// child registry, so they never reach a probe's player, a packaging tool or a
// process that has ended.
class EncoderControl {
public:
    // Worker side: the encoder has started (a stop that came first kills it at
    // once) / has ended.
    void started(pid_t pid);
    void ended();

    // Command side: no further tool starts, and the running encoder (paused or
    // not) is killed.
    void requestStop();
    bool stopRequested() const { return m_stop.load(); }
    const std::atomic<bool> &stopFlag() const { return m_stop; }

    // SIGSTOP / SIGCONT (or any signal) to the running encoder; false when none runs.
    bool signal(int signal);
    // The running encoder has been stopped by SIGSTOP and not continued since.
    bool suspended() const { return m_suspended.load(); }

    // The running encoder's process id, 0 when none runs.
    pid_t pid() const;

private:
    mutable std::mutex m_mutex;
    pid_t m_pid = 0;
    std::atomic<bool> m_stop{false};
    std::atomic<bool> m_suspended{false};
};
