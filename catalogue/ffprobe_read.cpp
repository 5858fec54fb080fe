#include "catalogue/ffprobe_read.h"

#include "base/log.h"
#include "process/process_runner.h"
#include "process/tool_watchdog.h"

#include <chrono>

namespace {

// ffprobe answers in a fraction of a second; one still running after this is
// stuck on a broken file.
constexpr std::chrono::seconds kReadDeadline{10};

}  // namespace

std::optional<QByteArray> ReadWithFfprobe(const QByteArray &toolDir, const QByteArray &parameters, const QString &path,
                                          const char *consequence)
{
    ToolWatchdog::Limits limits;
    limits.deadline = kReadDeadline;
    ToolWatchdog watchdog(limits);
    const RunOutcome run = RunAndWait(toolDir + "ffprobe", parameters, {}, &watchdog);
    if (!run.started || run.stuck) {
        qCWarning(lcQ9).noquote() << "ffprobe" << (run.stuck ? "was stuck on" : "could not be started for") << path
                                  << "-" << consequence;
        return std::nullopt;
    }
    return run.tail;
}
