#include "process/child_registry.h"

#include "base/eintr.h"

#include <cerrno>
#include <csignal>
#include <map>
#include <mutex>
#include <sys/syscall.h>
#include <sys/wait.h>
#include <unistd.h>

namespace {

// Unreaped children by id. The pidfd (-1 when the kernel gives none) names the
// very process we started; without one, kill() is still safe because an entry
// only exists while its child is unreaped, and reaping happens under the lock.
struct Children {
    std::mutex mutex;
    std::map<pid_t, int> pidfds;
};

Children &Registry()
{
    static Children children;  // outlives every thread that may use it
    return children;
}

bool IsUnreapedChild(pid_t pid)
{
    siginfo_t info{};
    return RetryOnEintr([&] { return waitid(P_PID, static_cast<id_t>(pid), &info, WEXITED | WNOHANG | WNOWAIT); }) == 0;
}

int OpenPidfd(pid_t pid)
{
    return static_cast<int>(syscall(SYS_pidfd_open, pid, 0));
}

bool SendSignal(pid_t pid, int pidfd, int signal)
{
    if (pidfd >= 0)
        return syscall(SYS_pidfd_send_signal, pidfd, signal, nullptr, 0) == 0;
    return kill(pid, signal) == 0;
}

void CloseFd(int fd)
{
    if (fd >= 0)
        close(fd);
}

}  // namespace

namespace ChildRegistry {

void add(pid_t pid)
{
    if (pid <= 0 || !IsUnreapedChild(pid))
        return;
    const int pidfd = OpenPidfd(pid);
    Children &children = Registry();
    std::lock_guard lock(children.mutex);
    auto [it, inserted] = children.pidfds.try_emplace(pid, pidfd);
    if (!inserted) {
        CloseFd(it->second);
        it->second = pidfd;
    }
}

void remove(pid_t pid)
{
    Children &children = Registry();
    std::lock_guard lock(children.mutex);
    const auto it = children.pidfds.find(pid);
    if (it == children.pidfds.end())
        return;
    CloseFd(it->second);
    children.pidfds.erase(it);
}

bool signal(pid_t pid, int signal)
{
    Children &children = Registry();
    std::lock_guard lock(children.mutex);
    const auto it = children.pidfds.find(pid);
    if (it == children.pidfds.end())
        return false;
    return SendSignal(pid, it->second, signal);
}

void killAll()
{
    Children &children = Registry();
    std::lock_guard lock(children.mutex);
    for (const auto &[pid, pidfd] : children.pidfds)
        SendSignal(pid, pidfd, SIGKILL);
}

bool contains(pid_t pid)
{
    Children &children = Registry();
    std::lock_guard lock(children.mutex);
    return children.pidfds.count(pid) != 0;
}

bool reap(pid_t pid, int *status)
{
    if (pid <= 0)
        return false;

    // Wait for the end without reaping, so the id stays ours meanwhile.
    siginfo_t info{};
    if (RetryOnEintr([&] { return waitid(P_PID, static_cast<id_t>(pid), &info, WEXITED | WNOWAIT); }) != 0) {
        remove(pid);
        return false;
    }

    // Reap and forget together: an id set free here can only be registered
    // again after the lock is released.
    Children &children = Registry();
    std::lock_guard lock(children.mutex);
    int waitStatus = 0;
    const pid_t reaped = RetryOnEintr([&] { return waitpid(pid, &waitStatus, 0); });
    const auto it = children.pidfds.find(pid);
    if (it != children.pidfds.end()) {
        CloseFd(it->second);
        children.pidfds.erase(it);
    }
    if (reaped != pid)
        return false;
    if (status)
        *status = waitStatus;
    return true;
}

}  // namespace ChildRegistry
