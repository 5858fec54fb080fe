#include "engine/encoder_control.h"

#include "process/child_registry.h"

#include <algorithm>
#include <csignal>

void EncoderControl::started(pid_t pid)
{
    std::lock_guard lock(m_mutex);
    m_pids[std::this_thread::get_id()] = pid;
    // The flags are set under the same lock as the commands read the running
    // tools, so a tool started just after a stop is ended here rather than left
    // running, and one started while the other rows are paused waits with them.
    if (m_stop.load())
        ChildRegistry::signal(pid, SIGKILL);
    else if (m_suspended.load())
        ChildRegistry::signal(pid, SIGSTOP);
}

void EncoderControl::ended()
{
    std::lock_guard lock(m_mutex);
    m_pids.erase(std::this_thread::get_id());
    if (m_pids.empty())
        m_suspended.store(false);
}

void EncoderControl::requestStop()
{
    std::lock_guard lock(m_mutex);
    m_stop.store(true);
    for (const auto &[thread, pid] : m_pids)
        ChildRegistry::signal(pid, SIGKILL);
}

bool EncoderControl::signal(int signal)
{
    std::lock_guard lock(m_mutex);
    bool reached = false;
    for (const auto &[thread, pid] : m_pids) {
        if (ChildRegistry::signal(pid, signal))
            reached = true;
    }
    if (!reached)
        return false;
    if (signal == SIGSTOP)
        m_suspended.store(true);
    else if (signal == SIGCONT)
        m_suspended.store(false);
    return true;
}

pid_t EncoderControl::pid() const
{
    std::lock_guard lock(m_mutex);
    if (m_pids.empty())
        return 0;
    return std::min_element(m_pids.begin(), m_pids.end(),
                            [](const auto &a, const auto &b) { return a.second < b.second; })
        ->second;
}

int EncoderControl::running() const
{
    std::lock_guard lock(m_mutex);
    return int(m_pids.size());
}
