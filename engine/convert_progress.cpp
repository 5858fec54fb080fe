#include "engine/convert_progress.h"

#include <QByteArray>
#include <QList>
#include <cctype>
#include <cstring>
#include <optional>

bool ParseConvertOutput(const char *chunk, int *percent)
{
    const char *const mark = std::strstr(chunk, "%)");
    if (!mark)
        return false;
    const char *first = mark;
    while (first > chunk && mark - first < 3 && first[-1] >= '0' && first[-1] <= '9')
        --first;
    if (first == mark)
        return false;
    int value = 0;
    for (const char *digit = first; digit < mark; ++digit)
        value = value * 10 + (*digit - '0');
    if (value > 100)
        return false;
    *percent = value;
    return true;
}

namespace {

// The byte count after "size:" on the summary line that starts with `label`;
// nothing when the output has no such line.
std::optional<qint64> SummarySize(const QByteArray &output, const char *label)
{
    const qsizetype summary = output.lastIndexOf(label);
    if (summary < 0)
        return std::nullopt;
    qsizetype end = summary;
    while (end < output.size() && output[end] != '\n' && output[end] != '\r')
        ++end;
    const QByteArray line = output.mid(summary, end - summary);
    qsizetype at = line.indexOf("size:");
    if (at < 0)
        return std::nullopt;
    at += 5;
    while (at < line.size() && line[at] == ' ')
        ++at;
    qsizetype digitsEnd = at;
    while (digitsEnd < line.size() && std::isdigit(static_cast<unsigned char>(line[digitsEnd])))
        ++digitsEnd;
    bool ok = false;
    const qint64 bytes = line.mid(at, digitsEnd - at).toLongLong(&ok);
    return ok ? std::optional<qint64>(bytes) : std::nullopt;
}

// The number right before `unit` on the last "Video stream:" line
// ("Video stream:  616.723 kbit/s  (77090 B/s)  size: 385452 bytes  5.000 secs");
// nothing for "-nan" or no such line.
std::optional<double> SummaryNumberBefore(const QByteArray &output, const char *unit)
{
    const qsizetype summary = output.lastIndexOf("Video stream:");
    if (summary < 0)
        return std::nullopt;
    qsizetype lineEnd = output.indexOf('\n', summary);
    if (lineEnd < 0)
        lineEnd = output.size();
    const QByteArray line = output.mid(summary + 13, lineEnd - summary - 13);
    const qsizetype at = line.indexOf(unit);
    if (at < 0)
        return std::nullopt;
    const QList<QByteArray> words = line.left(at).simplified().split(' ');
    bool ok = false;
    const double value = words.last().toDouble(&ok);
    return ok && value >= 0 ? std::optional<double>(value) : std::nullopt;
}

}  // namespace

EncoderSummary ParseEncoderSummary(const QByteArray &output)
{
    EncoderSummary summary;
    const std::optional<qint64> video = SummarySize(output, "Video stream:");
    if (!video)
        return summary;
    summary.found = true;
    summary.videoBytes = *video;
    summary.audioBytes = SummarySize(output, "Audio stream:").value_or(0);
    summary.videoKbits = SummaryNumberBefore(output, "kbit/s");
    summary.videoSeconds = SummaryNumberBefore(output, "secs");
    return summary;
}

bool EncoderWroteNoVideo(const QByteArray &output)
{
    const EncoderSummary summary = ParseEncoderSummary(output);
    return summary.found && summary.videoBytes == 0;
}
