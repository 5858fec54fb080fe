#include "engine/encoder_control.h"

#include "engine/child_registry.h"

#include <csignal>

void EncoderControl::started(pid_t pid)
{
    std::lock_guard lock(m_mutex);
    m_pid = pid;
    // The flag is set under the same lock as requestStop reads m_pid, so an
    // encoder started just after a stop is ended here rather than left running.
    if (m_stop.load())
        ChildRegistry::signal(pid, SIGKILL);
}

void EncoderControl::ended()
{
    std::lock_guard lock(m_mutex);
    m_pid = 0;
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
    return m_pid != 0 && ChildRegistry::signal(m_pid, signal);
}

pid_t EncoderControl::pid() const
{
    std::lock_guard lock(m_mutex);
    return m_pid;
}
