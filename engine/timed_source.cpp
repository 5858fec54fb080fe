#include "engine/timed_source.h"

#include "base/log.h"
#include "catalogue/avi_streams.h"
#include "catalogue/frame_timing.h"
#include "engine/output_naming.h"
#include "engine/row_files.h"
#include "engine/sdr_copy.h"
#include "engine/tool_step.h"
#include "process/command_line.h"

QByteArray TimedCopyParameters(const QString &source, const QString &copy)
{
    return "-v error -y -i " + QuotePath(source) + " -map 0:v:0 -map 0:a:0? -c copy -f matroska " + QuotePath(copy);
}

namespace {

// The source turned into SDR in the row's Matroska file, to be read from there
// by its timestamps, at the source's own frame times when they are constant.
// Nothing when the copy could not be made; the row's end when it was stopped.
std::optional<EncoderSource> SdrCopy(const QString &source, const QString &stem, const QByteArray &toolDir,
                                     const ToolWatchdog::Limits &limits, EncoderControl &control,
                                     const SourcePicture &picture, const PictureTiming &timing)
{
    const QString copy = TimedCopyPath(stem);
    const StepResult step = RunRowTool(toolDir + "ffmpeg", SdrCopyParameters(source, copy, picture), limits, control,
                                       stem, FailReason::Unreadable);
    EncoderSource read;
    if (step.end && step.end->outcome == RowOutcome::Stopped) {
        read.end = step.end;
        return read;
    }
    if (step.end || !FileHasContent(copy)) {
        qCWarning(lcQ9) << "the source is in high dynamic range, but no SDR copy could be made; its colours come out"
                        << "faded:" << source;
        return std::nullopt;
    }
    read.path = copy;
    read.matroskaReader = true;
    if (timing.kind != FrameTiming::Variable)
        read.timing = timing;
    return read;
}

}  // namespace

EncoderSource PrepareEncoderSource(const QString &source, const QString &stem, const QByteArray &toolDir,
                                   const ToolWatchdog::Limits &limits, EncoderControl &control,
                                   const SourcePicture &picture)
{
    EncoderSource read;
    read.path = source;
    read.timing = ReadPictureTiming(source);
    if (picture.colour.highDynamicRange()) {
        if (std::optional<EncoderSource> sdr = SdrCopy(source, stem, toolDir, limits, control, picture, read.timing))
            return *sdr;
    }
    if (read.timing.kind != FrameTiming::Variable)
        return read;
    const std::optional<AviVideoIndex> avi = ReadAviVideoIndex(source);
    if (avi && !IsMpeg4Part2(avi->compression)) {
        read.libavformatReader = true;
        return read;
    }
    const QString copy = TimedCopyPath(stem);
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
