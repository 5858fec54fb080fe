#include "process/spawn.h"

#include "base/eintr.h"
#include "process/child_registry.h"

#include <cerrno>
#include <csignal>
#include <fcntl.h>
#include <memory>
#include <pthread.h>
#include <sched.h>
#include <sys/prctl.h>
#include <sys/resource.h>
#include <sys/wait.h>
#include <unistd.h>
#include <vector>

namespace {

// The child's stack until it executes the tool: a few system calls deep.
constexpr std::size_t kChildStackBytes = 64 * 1024;

// Descriptors the child needs, all numbered above 2 so that placing its
// standard handles cannot overwrite one of them (the program itself may have
// been started with a standard handle closed).
struct ChildFds {
    int input = -1;       // /dev/null
    int output = -1;      // becomes standard output and standard error
    int errorWrite = -1;  // close-on-exec: tells the parent why exec failed
    int errorRead = -1;
    int outputCopy = -1;  // our own duplicate of the caller's descriptor, if one was needed

    ~ChildFds()
    {
        for (const int fd : {input, errorWrite, errorRead, outputCopy})
            if (fd >= 0)
                close(fd);
    }
};

// `fd` itself when it is above 2, else a close-on-exec duplicate that is
// (the original is closed when `own`).
int AboveStdio(int fd, bool own)
{
    if (fd < 0 || fd > 2)
        return fd;
    const int moved = fcntl(fd, F_DUPFD_CLOEXEC, 3);
    if (own)
        close(fd);
    return moved;
}

bool PrepareFds(ChildFds &fds, int outputFd)
{
    fds.input = AboveStdio(open("/dev/null", O_RDONLY | O_CLOEXEC), true);
    int errorPipe[2];
    if (pipe2(errorPipe, O_CLOEXEC) != 0)
        return false;
    fds.errorRead = AboveStdio(errorPipe[0], true);
    fds.errorWrite = AboveStdio(errorPipe[1], true);
    fds.output = AboveStdio(outputFd, false);
    if (fds.output != outputFd)
        fds.outputCopy = fds.output;
    return fds.input >= 0 && fds.errorRead >= 0 && fds.errorWrite >= 0 && fds.output >= 0;
}

// What the child needs to start the tool, made before it is created.
struct ChildStart {
    char *const *argv;
    const ChildFds *fds;
    Priority priority;
    const sigset_t *noSignals;  // the tool's signal mask
    int openMax;
    pid_t parent;
};

// Runs in the child, which shares this program's memory until it executes the
// tool (and the thread that created it waits until then): system calls only,
// nothing allocated, nothing of the program's state changed.
[[noreturn]] void ExecChild(char *const argv[], const ChildFds &fds, Priority priority, const sigset_t &noSignals,
                            int openMax, pid_t parent)
{
    // A tool dies with the program: one killed or crashed must not leave an
    // encoder writing on into a file the next start clears away. (The thread
    // that starts a tool also waits for it, so it outlives the tool.)
    prctl(PR_SET_PDEATHSIG, SIGKILL);
    if (getppid() != parent)
        _exit(127);
    // Every signal is blocked here: none may run one of the program's handlers
    // on its memory. Those handlers go before the signals are let through; and
    // the program may ignore SIGPIPE, which the tool must not.
    struct sigaction byDefault {};
    byDefault.sa_handler = SIG_DFL;
    for (int signal = 1; signal < NSIG; ++signal) {
        struct sigaction current {};
        if (sigaction(signal, nullptr, &current) == 0 && current.sa_handler != SIG_DFL &&
            (current.sa_handler != SIG_IGN || signal == SIGPIPE))
            sigaction(signal, &byDefault, nullptr);
    }
    sigprocmask(SIG_SETMASK, &noSignals, nullptr);

    int error = 0;
    if (dup2(fds.input, STDIN_FILENO) < 0 || dup2(fds.output, STDOUT_FILENO) < 0 ||
        dup2(fds.output, STDERR_FILENO) < 0) {
        error = errno;
    } else {
        // The tool gets its three standard handles and nothing else: whatever
        // this program holds, or inherited without close-on-exec from whoever
        // started it, stays out of the tool (the error pipe still works until exec).
        if (close_range(3, ~0U, CLOSE_RANGE_CLOEXEC) != 0) {
            for (int fd = 3; fd < openMax; ++fd)
                fcntl(fd, F_SETFD, FD_CLOEXEC);
        }
        sched_param param{};
        param.sched_priority = 0;
        if (priority == Priority::Idle) {
            // The lowest class there is; where it is refused, the lowest niceness.
            if (sched_setscheduler(0, SCHED_IDLE, &param) != 0)
                setpriority(PRIO_PROCESS, 0, 19);
        } else {
            sched_setscheduler(0, SCHED_OTHER, &param);
        }
        execv(argv[0], argv);
        error = errno;
    }
    RetryOnEintr([&] { return write(fds.errorWrite, &error, sizeof error); });
    _exit(127);
}

int ChildMain(void *start)
{
    const auto *child = static_cast<const ChildStart *>(start);
    ExecChild(child->argv, *child->fds, child->priority, *child->noSignals, child->openMax, child->parent);
}

void ReapFailedChild(pid_t pid)
{
    int status;
    RetryOnEintr([&] { return waitpid(pid, &status, 0); });
}

}  // namespace

pid_t SpawnTool(const QList<QByteArray> &arguments, Priority priority, int outputFd)
{
    if (arguments.isEmpty() || arguments.first().isEmpty())
        return -1;

    // Everything the child uses is made before the fork.
    std::vector<char *> argv;
    argv.reserve(arguments.size() + 1);
    for (const QByteArray &argument : arguments)
        argv.push_back(const_cast<char *>(argument.constData()));
    argv.push_back(nullptr);
    sigset_t noSignals;
    sigemptyset(&noSignals);
    const long limit = sysconf(_SC_OPEN_MAX);
    const int openMax = limit > 0 && limit < (1 << 20) ? static_cast<int>(limit) : (1 << 20);

    ChildFds fds;
    if (!PrepareFds(fds, outputFd))
        return -1;

    // The child shares this program's memory instead of a copy of it, on a
    // stack of its own, and this thread waits until the tool executes (or
    // could not): copying the page tables of a program with a window and a
    // few threads cost each tool start more than the rest of it.
    ChildStart start{argv.data(), &fds, priority, &noSignals, openMax, getpid()};
    const std::unique_ptr<char[]> stack(new char[kChildStackBytes]);
    sigset_t allSignals, callerSignals;
    sigfillset(&allSignals);
    pthread_sigmask(SIG_SETMASK, &allSignals, &callerSignals);
    const pid_t pid = clone(ChildMain, stack.get() + kChildStackBytes, CLONE_VM | CLONE_VFORK | SIGCHLD, &start);
    pthread_sigmask(SIG_SETMASK, &callerSignals, nullptr);
    if (pid < 0)
        return -1;

    // Exec closes the error pipe's write end; a failed exec writes its errno first.
    close(fds.errorWrite);
    fds.errorWrite = -1;
    int error = 0;
    const ssize_t got = RetryOnEintr([&] { return read(fds.errorRead, &error, sizeof error); });
    if (got != 0) {
        ReapFailedChild(pid);
        return -1;
    }

    ChildRegistry::add(pid);
    return pid;
}

RunOutcome WaitForTool(pid_t pid)
{
    RunOutcome outcome;
    outcome.started = true;
    int status = 0;
    if (ChildRegistry::reap(pid, &status) && WIFEXITED(status)) {
        outcome.exitedNormally = true;
        outcome.exitCode = WEXITSTATUS(status);
    }
    return outcome;
}
