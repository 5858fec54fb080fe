#pragma once

#include <QByteArray>
#include <atomic>
#include <functional>
#include <sys/types.h>

class ToolWatchdog;

enum class Priority { Normal, Idle };

// How a tool run ended.
struct RunOutcome {
    bool started = false;         // the child was created and its program executed
    bool exitedNormally = false;  // it ended by exit(), not by a signal
    int exitCode = -1;            // exit status when exitedNormally
    bool stuck = false;           // killed because its watchdog found it stuck
    bool refused = false;         // not started: the thread's tool owner is stopping
    QByteArray tail;              // the last few KiB the tool printed
    bool ok() const { return started && exitedNormally && exitCode == 0 && !stuck; }
};

using ChunkParser = std::function<void(const char *chunk)>;
// Told the id of the child right after it has started (and before any output
// is read), so the caller can name it for pause, resume and stop.
using StartedHook = std::function<void(pid_t pid)>;

// Captured run: `commandLine` is one text, split into arguments by the Windows
// C-runtime quoting rules and executed without a shell. Standard output and
// standard error go into one pipe that is read in chunks of at most 4095 bytes,
// each handed to `parse` as a zero-terminated text (10 ms sleep after each
// read) while `live` is set, and dropped otherwise. The child's id goes to
// `onStarted`. Returns once the pipe has ended and the child has been reaped;
// started is false (and `onStarted` not called) when the tool cannot start.
// With a watchdog, a tool it finds stuck is killed and the outcome says so.
RunOutcome RunCaptured(const QByteArray &commandLine, Priority priority, const std::atomic<bool> &live,
                       const ChunkParser &parse, const StartedHook &onStarted = {}, ToolWatchdog *watchdog = nullptr);

// Waited run: starts `toolPath` with the arguments split from `parameters`,
// output unparsed (only its tail is kept), and waits for it to end. Returns at
// once when the tool cannot start.
RunOutcome RunAndWait(const QByteArray &toolPath, const QByteArray &parameters, const StartedHook &onStarted = {},
                      ToolWatchdog *watchdog = nullptr);
