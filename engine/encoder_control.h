#pragma once

#include "process/tool_owner.h"

#include <atomic>
#include <mutex>
#include <set>
#include <sys/types.h>

// The running tools of one batch as pause, resume and stop reach them. Each
// row of the batch runs on a thread of its own with this as the owner of the
// tools it starts (ToolOwnerScope), so every tool of a row, its looks and
// checks as much as its encoder and packers, is named here while it runs.
// The commands signal only those processes, through the child registry, so
// they never reach a probe's player or a process that has ended.
class EncoderControl : public ToolOwner {
public:
    // Row side, from the runner: a tool has started (a stop that came first
    // kills it at once; while the batch is paused it is stopped at once) /
    // has been reaped.
    void started(pid_t pid) override;
    void ended(pid_t pid) override;
    bool admits() const override { return !m_stop.load(); }
    // The batch is paused.
    bool paused() const override { return m_suspended.load(); }

    // Command side: no further tool starts, and every running tool (paused or
    // not) is killed.
    void requestStop();
    bool stopRequested() const { return m_stop.load(); }
    const std::atomic<bool> &stopFlag() const { return m_stop; }

    // Pause is a state of the batch, not of the tools running at the press:
    // every running tool gets SIGSTOP, and a tool started later starts
    // stopped, until resume sends SIGCONT to them all.
    void pause();
    void resume();

    // One running tool's process id (the lowest), 0 when none runs.
    pid_t pid() const;
    // How many tools run now.
    int running() const;

private:
    mutable std::mutex m_mutex;
    std::set<pid_t> m_pids;  // the running tools of every row
    std::atomic<bool> m_stop{false};
    std::atomic<bool> m_suspended{false};
};
