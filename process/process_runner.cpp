#include "process/process_runner.h"

#include "base/eintr.h"
#include "base/timeline.h"
#include "process/child_registry.h"
#include "process/command_line.h"
#include "process/spawn.h"
#include "process/tool_owner.h"
#include "process/tool_watchdog.h"

#include <cerrno>
#include <chrono>
#include <csignal>
#include <fcntl.h>
#include <poll.h>
#include <unistd.h>

namespace {

constexpr int kReadBufferSize = 4096;
constexpr int kPauseAfterReadMs = 10;
// How often a watched run looks at its watchdog while the tool is quiet.
constexpr int kWatchPeriodMs = 250;
// How long the output of a killed tool is still read.
constexpr std::chrono::seconds kAfterKill{2};
// What a run keeps of the tool's last output: enough for an encoder's
// closing summary, or a failure's last lines.
constexpr qsizetype kTailSize = 4096;

void KeepTail(QByteArray &tail, const char *chunk, qsizetype size)
{
    tail.append(chunk, size);
    if (tail.size() > 2 * kTailSize)
        tail.remove(0, tail.size() - kTailSize);
}

// Reads the pipe until every write end is closed. Each read is one chunk,
// ended by a zero right after its own bytes, so a short chunk never shows
// the tail of a longer one before it. The pause after each read bounds how
// often the parser (and the window updates it causes) runs; it ends early
// when the tool closes its output, so that a batch's next step starts as soon
// as this one has ended. With a watchdog,
// the pipe is waited on for at most a moment at a time, and a tool the
// watchdog finds stuck is killed (the pipe then ends with it).
void DrainChunks(int readFd, pid_t pid, const std::atomic<bool> *live, const ChunkParser &parse, ToolWatchdog *watchdog,
                 RunOutcome &outcome)
{
    char buffer[kReadBufferSize] = {};
    if (watchdog)
        watchdog->start(ToolWatchdog::Clock::now());
    ToolWatchdog::Clock::time_point killedAt;
    for (;;) {
        if (watchdog) {
            pollfd wait{readFd, POLLIN, 0};
            const int ready = RetryOnEintr([&] { return poll(&wait, 1, kWatchPeriodMs); });
            const auto now = ToolWatchdog::Clock::now();
            if (!outcome.stuck && watchdog->check(now)) {
                outcome.stuck = true;
                killedAt = now;
                ChildRegistry::signal(pid, SIGKILL);
            }
            // Whatever the killed tool started may still hold the pipe open:
            // it is not waited for.
            if (outcome.stuck && now - killedAt > kAfterKill)
                break;
            if (ready == 0)
                continue;
        }
        const ssize_t got = RetryOnEintr([&] { return read(readFd, buffer, kReadBufferSize - 1); });
        if (got <= 0)
            break;
        buffer[got] = '\0';
        KeepTail(outcome.tail, buffer, got);
        if (watchdog)
            watchdog->output(buffer, ToolWatchdog::Clock::now());
        // Only a hang-up (every write end closed) ends the pause early: new
        // output waits for the next read.
        pollfd hangUp{readFd, 0, 0};
        RetryOnEintr([&] { return poll(&hangUp, 1, kPauseAfterReadMs); });
        // A run whose output is not wanted keeps reading, so its child never
        // blocks on a full pipe.
        if (parse && (!live || live->load()))
            parse(buffer);
    }
}

// Starts the tool with its output on a pipe and reads that to its end.
RunOutcome RunPiped(const QList<QByteArray> &arguments, Priority priority, const std::atomic<bool> *live,
                    const ChunkParser &parse, const StartedHook &onStarted, ToolWatchdog *watchdog)
{
    // A tool of a stopping row never starts; one of a paused row starts paused.
    ToolOwner *owner = ToolOwnerScope::current();
    if (owner && !owner->admits()) {
        RunOutcome refused;
        refused.refused = true;
        return refused;
    }
    if (owner && watchdog)
        watchdog->setPaused([owner] { return owner->paused(); });
    int ends[2];
    if (pipe2(ends, O_CLOEXEC) != 0)
        return {};
    const pid_t pid = SpawnTool(arguments, priority, ends[1]);
    // Only the child keeps a write end, so the pipe ends when the child (and
    // whatever inherited its output) is done.
    close(ends[1]);
    if (pid < 0) {
        close(ends[0]);
        return {};
    }

    if (owner)
        owner->started(pid);
    if (onStarted)
        onStarted(pid);
    const QByteArray tool = arguments.first().mid(arguments.first().lastIndexOf('/') + 1);
    if (Timeline::on())
        Timeline::note("start " + tool + " pid " + QByteArray::number(pid) + ": " + arguments.mid(1).join(' '));

    RunOutcome outcome;
    DrainChunks(ends[0], pid, live, parse, watchdog, outcome);
    close(ends[0]);
    const RunOutcome ended = WaitForTool(pid);
    if (owner)
        owner->ended(pid);
    outcome.started = ended.started;
    outcome.exitedNormally = ended.exitedNormally;
    outcome.exitCode = ended.exitCode;
    if (Timeline::on())
        Timeline::note("end " + tool + " pid " + QByteArray::number(pid) + " exit " +
                       QByteArray::number(outcome.exitCode));
    return outcome;
}

}  // namespace

RunOutcome RunCaptured(const QByteArray &commandLine, Priority priority, const std::atomic<bool> &live,
                       const ChunkParser &parse, const StartedHook &onStarted, ToolWatchdog *watchdog)
{
    // The whole line is split, however long: nothing is cut at a fixed size.
    const QList<QByteArray> arguments = SplitCommandLine(commandLine);
    if (arguments.isEmpty())
        return {};
    return RunPiped(arguments, priority, &live, parse, onStarted, watchdog);
}

RunOutcome RunAndWait(const QByteArray &toolPath, const QByteArray &parameters, const StartedHook &onStarted,
                      ToolWatchdog *watchdog)
{
    // The tool path is one argument as it stands; only the parameters are split.
    QList<QByteArray> arguments = SplitCommandLine(parameters);
    arguments.prepend(toolPath);
    // The output is read only for its last lines (a failure's trace) and for
    // the watchdog; nothing parses it.
    return RunPiped(arguments, Priority::Normal, nullptr, {}, onStarted, watchdog);
}
