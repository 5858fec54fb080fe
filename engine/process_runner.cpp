#include "engine/process_runner.h"

#include "engine/command_line.h"
#include "engine/globals.h"
#include "engine/spawn.h"

#include <cerrno>
#include <chrono>
#include <fcntl.h>
#include <thread>
#include <unistd.h>

namespace {

constexpr int kReadBufferSize = 4096;
constexpr auto kPauseAfterRead = std::chrono::milliseconds(10);

// Reads the pipe until every write end is closed. Each read is one chunk,
// ended by a zero right after its own bytes, so a short chunk never shows
// the tail of a longer one before it. The pause after each read bounds how
// often the parser (and the window updates it causes) runs.
void DrainChunks(int readFd, const std::atomic<bool> &live, const ChunkParser &parse)
{
    char buffer[kReadBufferSize] = {};
    for (;;) {
        ssize_t got;
        do {
            got = read(readFd, buffer, kReadBufferSize - 1);
        } while (got < 0 && errno == EINTR);
        if (got <= 0)
            break;
        buffer[got] = '\0';
        std::this_thread::sleep_for(kPauseAfterRead);
        // A run whose output is not wanted keeps reading, so its child never
        // blocks on a full pipe.
        if (live.load() && parse)
            parse(buffer);
    }
}

} // namespace

RunOutcome RunCaptured(const QByteArray &commandLine, Priority priority,
                       const std::atomic<bool> &live, const ChunkParser &parse,
                       const StartedHook &onStarted)
{
    // The whole line is split, however long: nothing is cut at a fixed size.
    const QList<QByteArray> arguments = SplitCommandLine(commandLine);
    if (arguments.isEmpty())
        return {};

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

    g_dwChildProcessId.store(pid);
    if (onStarted)
        onStarted(pid);

    DrainChunks(ends[0], live, parse);
    close(ends[0]);
    return WaitForTool(pid);
}

RunOutcome RunAndWait(const QByteArray &toolPath, const QByteArray &parameters,
                      const StartedHook &onStarted)
{
    // The tool path is one argument as it stands; only the parameters are split.
    QList<QByteArray> arguments = SplitCommandLine(parameters);
    arguments.prepend(toolPath);

    const int discard = open("/dev/null", O_WRONLY | O_CLOEXEC);
    if (discard < 0)
        return {};
    const pid_t pid = SpawnTool(arguments, Priority::Normal, discard);
    close(discard);
    if (pid < 0)
        return {};

    if (onStarted)
        onStarted(pid);
    return WaitForTool(pid);
}
