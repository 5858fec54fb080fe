#include "catalogue/ffprobe_read.h"

#include "base/log.h"
#include "process/process_runner.h"
#include "process/tool_watchdog.h"

#include <chrono>

namespace {

// A reader answers in a fraction of a second; one still running after this is
// stuck on a broken file.
constexpr std::chrono::seconds kReadDeadline{10};

}  // namespace

std::optional<QByteArray> ReadWithTool(const QByteArray &toolDir, const char *tool, const QByteArray &parameters,
                                       const QString &path, const char *consequence, int *exitCode)
{
    ToolWatchdog::Limits limits;
    limits.deadline = kReadDeadline;
    ToolWatchdog watchdog(limits);
    const RunOutcome run = RunAndWait(toolDir + tool, parameters, {}, &watchdog);
    if (!run.started || run.stuck) {
        qCWarning(lcQ9).noquote() << tool << (run.stuck ? "was stuck on" : "could not be started for") << path << "-"
                                  << consequence;
        return std::nullopt;
    }
    if (exitCode)
        *exitCode = run.exitedNormally ? run.exitCode : -1;
    return run.tail;
}

std::optional<QByteArray> ReadWithFfprobe(const QByteArray &toolDir, const QByteArray &parameters, const QString &path,
                                          const char *consequence)
{
    return ReadWithTool(toolDir, "ffprobe", parameters, path, consequence);
}
