#include "engine/encoder_control.h"

#include "process/child_registry.h"

#include <csignal>

void EncoderControl::started(pid_t pid)
{
    std::lock_guard lock(m_mutex);
    m_pid = pid;
    m_suspended.store(false);
    // The flag is set under the same lock as requestStop reads m_pid, so an
    // encoder started just after a stop is ended here rather than left running.
    if (m_stop.load())
        ChildRegistry::signal(pid, SIGKILL);
}

void EncoderControl::ended()
{
    std::lock_guard lock(m_mutex);
    m_pid = 0;
    m_suspended.store(false);
}

void EncoderControl::requestStop()
{
    std::lock_guard lock(m_mutex);
    m_stop.store(true);
    if (m_pid != 0)
        ChildRegistry::signal(m_pid, SIGKILL);
}

bool EncoderControl::signal(int signal)
{
    std::lock_guard lock(m_mutex);
    if (m_pid == 0 || !ChildRegistry::signal(m_pid, signal))
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
    return m_pid;
}
