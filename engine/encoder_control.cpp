#include "engine/encoder_control.h"

#include "process/child_registry.h"

#include <csignal>

void EncoderControl::started(pid_t pid)
{
    std::lock_guard lock(m_mutex);
    m_pids.insert(pid);
    // The flags are set under the same lock as the commands read the running
    // tools, so a tool started just after a stop is ended here rather than left
    // running, and one started while the batch is paused waits with the others.
    if (m_stop.load())
        ChildRegistry::signal(pid, SIGKILL);
    else if (m_suspended.load())
        ChildRegistry::signal(pid, SIGSTOP);
}

void EncoderControl::ended(pid_t pid)
{
    std::lock_guard lock(m_mutex);
    m_pids.erase(pid);
}

void EncoderControl::requestStop()
{
    std::lock_guard lock(m_mutex);
    m_stop.store(true);
    for (const pid_t pid : m_pids) {
        // A stopped process gets the kill too, but is continued so that it goes at once.
        ChildRegistry::signal(pid, SIGKILL);
        ChildRegistry::signal(pid, SIGCONT);
    }
}

void EncoderControl::pause()
{
    std::lock_guard lock(m_mutex);
    m_suspended.store(true);
    for (const pid_t pid : m_pids)
        ChildRegistry::signal(pid, SIGSTOP);
}

void EncoderControl::resume()
{
    std::lock_guard lock(m_mutex);
    m_suspended.store(false);
    for (const pid_t pid : m_pids)
        ChildRegistry::signal(pid, SIGCONT);
}

pid_t EncoderControl::pid() const
{
    std::lock_guard lock(m_mutex);
    return m_pids.empty() ? 0 : *m_pids.begin();
}

int EncoderControl::running() const
{
    std::lock_guard lock(m_mutex);
    return int(m_pids.size());
}
