#include "engine/convert_progress.h"

#include <QByteArray>
#include <QList>
#include <algorithm>
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
    if (const std::optional<double> frames = SummaryNumberBefore(output, "frames"))
        summary.videoFrames = int(*frames);
    return summary;
}

bool EncoderWroteNoVideo(const QByteArray &output)
{
    const EncoderSummary summary = ParseEncoderSummary(output);
    return summary.found && summary.videoBytes == 0;
}

void EncoderTrouble::feed(const char *chunk)
{
    // Lines end in a newline, or a carriage return for the progress line.
    // Only the end of an unfinished line is kept: the markers are short.
    constexpr qsizetype kKept = 256;
    m_partial += chunk;
    qsizetype start = 0;
    for (qsizetype i = 0; i < m_partial.size(); ++i) {
        if (m_partial[i] != '\n' && m_partial[i] != '\r')
            continue;
        if (i > start)
            countLine(m_partial.mid(start, i - start));
        start = i + 1;
    }
    m_partial.remove(0, std::max(start, m_partial.size() - kKept));
}

void EncoderTrouble::countLine(const QByteArray &line)
{
    if (const qsizetype mark = line.indexOf(" duplicate frame(s)!"); mark > 0) {
        bool ok = false;
        const int frames = line.left(mark).trimmed().toInt(&ok);
        if (ok && frames > 0)
            m_repeated += frames;
    } else if (line.contains("concealing") || line.contains("Error while decoding frame")) {
        ++m_damaged;
    }
}
