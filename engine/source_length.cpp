#include "engine/source_length.h"

#include <QFileInfo>

namespace {

// Hardly any video is stored at less than this (bits per second), so a file of
// unknown length plays at most its size divided by it.
constexpr double kLowestSourceBitrate = 32000;

}  // namespace

double SourceSecondsBound(const RowEntry &row)
{
    if (row.seconds > 0)
        return row.seconds;
    return double(QFileInfo(row.path).size()) * 8 / kLowestSourceBitrate;
}
