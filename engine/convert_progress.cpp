#include "engine/convert_progress.h"

#include <QByteArray>
#include <cctype>
#include <cstring>

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

bool EncoderWroteNoVideo(const QByteArray &output)
{
    const qsizetype summary = output.lastIndexOf("Video stream:");
    if (summary < 0)
        return false;
    qsizetype end = summary;
    while (end < output.size() && output[end] != '\n' && output[end] != '\r')
        ++end;
    const QByteArray line = output.mid(summary, end - summary);
    qsizetype at = line.indexOf("size:");
    if (at < 0)
        return false;
    at += 5;
    while (at < line.size() && line[at] == ' ')
        ++at;
    // Exactly "0" followed by the unit: "size: 0 bytes".
    return at < line.size() && line[at] == '0' &&
           (at + 1 == line.size() || !std::isdigit(static_cast<unsigned char>(line[at + 1])));
}
