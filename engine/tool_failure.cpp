#include "engine/tool_failure.h"

#include <utility>

#include "base/log.h"
#include "engine/row_files.h"

#include <QList>

namespace {

// How many of the tool's last lines a failure's log entry shows.
constexpr int kLoggedLines = 8;

QByteArray LastLines(const QByteArray &output)
{
    QByteArray text = output;
    text.replace('\r', '\n');
    QList<QByteArray> lines;
    for (const QByteArray &line : text.split('\n')) {
        if (!line.trimmed().isEmpty())
            lines.append(line);
    }
    if (lines.size() > kLoggedLines)
        lines = lines.mid(lines.size() - kLoggedLines);
    return lines.join('\n');
}

// The reason in the log's words.
const char *ReasonName(FailReason why)
{
    switch (why) {
    case FailReason::None:
        return "none";
    case FailReason::Unreadable:
        return "source unreadable";
    case FailReason::NoVideo:
        return "no video";
    case FailReason::Stuck:
        return "stuck";
    case FailReason::Damaged:
        return "source damaged";
    case FailReason::DiskFull:
        return "disk full";
    case FailReason::FolderUnwritable:
        return "output folder unwritable";
    case FailReason::ToolMissing:
        return "tool missing";
    case FailReason::EncoderFailed:
        return "encoder failed";
    case FailReason::PackagingFailed:
        return "packaging failed";
    case FailReason::ExportFailed:
        return "export failed";
    case FailReason::StillPicture:
        return "still picture";
    case FailReason::NotForHandset:
        return "output not for the handset";
    case FailReason::OverSizeLimit:
        return "over the size limit";
    case FailReason::LengthUnknown:
        return "length unknown for the size limit";
    }
    return "unknown";
}

}  // namespace

bool OutputReportsWriteError(const QByteArray &output)
{
    // ffmpeg, mp4creator and the C library say "No space left on device";
    // the encoder's FLV writer only "Error while writing frame." (and its
    // AVI writer nothing at all: the worker also checks the sizes).
    return output.contains("No space left on device") || output.contains("Error while writing") ||
           output.contains("Read-only file system");
}

FailReason ClassifyToolFailure(const RunOutcome &run, const QString &folder, FailReason otherwise)
{
    if (!run.started)
        return FailReason::ToolMissing;
    if (run.stuck)
        return FailReason::Stuck;
    if (VolumeFull(folder))
        return FailReason::DiskFull;
    if (OutputReportsWriteError(run.tail) || !FolderWritable(folder))
        return FailReason::FolderUnwritable;
    return otherwise;
}

namespace {
thread_local std::optional<FailureDetails> t_lastFailure;
}  // namespace

std::optional<FailureDetails> TakeLastFailure()
{
    return std::exchange(t_lastFailure, std::nullopt);
}

void LogToolFailure(const QByteArray &commandLine, const RunOutcome &run, FailReason reason)
{
    t_lastFailure = FailureDetails{
        QString::fromLocal8Bit(commandLine),        run.started, run.stuck, run.exitedNormally, run.exitCode,
        QString::fromLocal8Bit(LastLines(run.tail))};
    QByteArray ending;
    if (!run.started)
        ending = "could not start";
    else if (run.stuck)
        ending = "was stuck and has been killed";
    else if (run.exitedNormally)
        ending = "exited with " + QByteArray::number(run.exitCode);
    else
        ending = "was ended by a signal";
    qCWarning(lcQ9).noquote() << "row failed (" << ReasonName(reason) << "):" << QString::fromLocal8Bit(commandLine)
                              << "\n  the tool" << ending << "; its last output:\n"
                              << QString::fromLocal8Bit(LastLines(run.tail));
}
