#include "engine/output_motion.h"

#include "base/log.h"
#include "process/command_line.h"
#include "process/process_runner.h"

#include <QRegularExpression>

namespace {

constexpr int kThumbWidth = 32;
constexpr int kThumbHeight = 24;

RunOutcome RunFfmpeg(const QByteArray &toolDir, const QByteArray &parameters, const ToolWatchdog::Limits &limits)
{
    ToolWatchdog watchdog(limits);
    return RunAndWait(toolDir + "ffmpeg", parameters, {}, &watchdog);
}

}  // namespace

std::optional<double> MediaSeconds(const QByteArray &toolDir, const QString &path, const ToolWatchdog::Limits &limits)
{
    // ffmpeg describes the input ("Duration: 00:01:02.50, ...") and, asked for
    // no time of it, reads none of its data.
    const RunOutcome run =
        RunFfmpeg(toolDir, "-nostdin -hide_banner -i " + QuotePath(path) + " -t 0 -f null -", limits);
    static const QRegularExpression duration(QStringLiteral("Duration: (\\d+):(\\d\\d):(\\d\\d(?:\\.\\d+)?)"));
    const QRegularExpressionMatch match = duration.match(QString::fromLatin1(run.tail));
    if (!match.hasMatch())
        return std::nullopt;
    const double seconds =
        match.captured(1).toDouble() * 3600 + match.captured(2).toDouble() * 60 + match.captured(3).toDouble();
    return seconds > 0 ? std::optional<double>(seconds) : std::nullopt;
}

MotionSample SampleMotion(const QByteArray &toolDir, const QString &path, double seconds,
                          const ToolWatchdog::Limits &limits)
{
    // The file opened twice, each seeking before its input (a few hundredths
    // of a second even deep into a long file), the two pictures stacked into
    // one frame; quiet, so that the output holds the picture's bytes alone.
    const QByteArray size = QByteArray::number(kThumbWidth) + ':' + QByteArray::number(kThumbHeight);
    QByteArray parameters = "-nostdin -v quiet";
    for (const double at : {seconds / 4, seconds * 3 / 4})
        parameters += " -ss " + QByteArray::number(at, 'f', 3) + " -i " + QuotePath(path);
    parameters += " -filter_complex [0:v]scale=" + size + ",format=gray[a];[1:v]scale=" + size +
                  ",format=gray[b];[a][b]vstack -an -frames:v 1 -f rawvideo -";
    const RunOutcome run = RunFfmpeg(toolDir, parameters, limits);
    constexpr qsizetype kPicture = kThumbWidth * kThumbHeight;
    if (!run.ok() || run.tail.size() != 2 * kPicture)
        return {};
    return {run.tail.left(kPicture), run.tail.mid(kPicture)};
}

bool OutputPictureFroze(const QByteArray &toolDir, const QString &source, const QString &output,
                        std::optional<double> sourceSeconds, bool sourceBroken, const ToolWatchdog::Limits &limits)
{
    const std::optional<double> seconds = sourceSeconds ? sourceSeconds : MediaSeconds(toolDir, output, limits);
    if (!seconds)
        return false;
    const MotionSample sourceSample = SampleMotion(toolDir, source, *seconds, limits);
    const MotionSample outputSample = SampleMotion(toolDir, output, *seconds, limits);
    if (!PictureStaysStill(sourceSample, outputSample, sourceBroken))
        return false;
    qCWarning(lcQ9) << "the output's picture stays still where the source's moves:" << output << "change"
                    << PictureChange(outputSample).value_or(-1) << "against the source's"
                    << PictureChange(sourceSample).value_or(-1);
    return true;
}
