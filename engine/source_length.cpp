#include "engine/source_length.h"

#include <QFileInfo>
#include <QStringList>

namespace {

// Hardly any video is stored at less than this (bits per second), so a file of
// unknown length plays at most its size divided by it.
constexpr double kLowestSourceBitrate = 32000;

}  // namespace

std::optional<double> DurationSeconds(const QString &text)
{
    const QStringList parts = text.trimmed().split(QLatin1Char(':'));
    if (parts.size() != 3)
        return std::nullopt;
    double seconds = 0;
    for (const QString &part : parts) {
        bool ok = false;
        const int value = part.toInt(&ok);
        if (!ok || value < 0)
            return std::nullopt;
        seconds = seconds * 60 + value;
    }
    if (seconds <= 0)
        return std::nullopt;
    return seconds;
}

double SourceSecondsBound(const RowEntry &row)
{
    if (const std::optional<double> probed = DurationSeconds(row.duration))
        return *probed;
    return double(QFileInfo(row.path).size()) * 8 / kLowestSourceBitrate;
}
