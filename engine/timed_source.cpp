#include "engine/timed_source.h"

#include "base/log.h"
#include "catalogue/avi_streams.h"
#include "catalogue/frame_timing.h"
#include "engine/output_naming.h"
#include "engine/tool_step.h"
#include "process/command_line.h"

QByteArray TimedCopyParameters(const QString &source, const QString &copy)
{
    return "-v error -y -i " + QuotePath(source) + " -map 0:v:0 -map 0:a:0? -c copy -f matroska " + QuotePath(copy);
}

EncoderSource PrepareEncoderSource(const QString &source, const QString &stem, const QByteArray &toolDir,
                                   const ToolWatchdog::Limits &limits, EncoderControl &control)
{
    EncoderSource read;
    read.path = source;
    read.timing = ReadPictureTiming(source);
    if (read.timing.kind != FrameTiming::Variable)
        return read;
    const std::optional<AviVideoIndex> avi = ReadAviVideoIndex(source);
    if (avi && !IsMpeg4Part2(avi->compression)) {
        read.libavformatReader = true;
        return read;
    }
    const QString copy = stem + QLatin1String(kTimedCopyExtension);
    const StepResult step = RunRowTool(toolDir + "ffmpeg", TimedCopyParameters(source, copy), limits, control, stem,
                                       FailReason::Unreadable);
    if (step.end && step.end->outcome == RowOutcome::Stopped) {
        read.end = step.end;
    } else if (step.end || !FileHasContent(copy)) {
        qCWarning(lcQ9) << "frames at varying intervals, but no timed copy could be made; reading" << source
                        << "directly";
        read.libavformatReader = avi.has_value();
    } else {
        read.path = copy;
        read.matroskaReader = true;
        read.timing = {};
    }
    return read;
}
