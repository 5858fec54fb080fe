#include "catalogue/frame_timing.h"

#include "catalogue/iso_boxes.h"

#include <QByteArray>
#include <QFile>
#include <QtEndian>
#include <algorithm>
#include <optional>

namespace {

// Frame durations within this ratio of each other count as one rate: a
// millisecond time scale stores 30 fps as 33, 33 and 34 ms.
constexpr double kSameDurationRatio = 1.1;

// The time-to-sample table of the first picture track.
std::optional<QByteArray> PictureTimeTable(const QByteArray &movie)
{
    for (qint64 at = 0;;) {
        const std::optional<IsoBox> box = BoxAt(movie, at);
        if (!box)
            return std::nullopt;
        at = box->end;
        if (box->type != "trak")
            continue;
        const QByteArray track = movie.mid(box->dataStart, box->end - box->dataStart);
        const std::optional<QByteArray> media = Child(track, "mdia");
        const std::optional<QByteArray> handler = media ? Child(*media, "hdlr") : std::nullopt;
        // Version and flags, a pre-defined word, then the handler type.
        if (!handler || handler->mid(8, 4) != "vide")
            continue;
        const std::optional<QByteArray> info = Child(*media, "minf");
        const std::optional<QByteArray> table = info ? Child(*info, "stbl") : std::nullopt;
        return table ? Child(*table, "stts") : std::nullopt;
    }
}

}  // namespace

FrameTiming ReadFrameTiming(const QString &path)
{
    QFile file(path);
    if (!file.open(QIODevice::ReadOnly))
        return FrameTiming::Unknown;
    const std::optional<QByteArray> movie = ReadMovieBox(file);
    const std::optional<QByteArray> times = movie ? PictureTimeTable(*movie) : std::nullopt;
    if (!times || times->size() < 8)
        return FrameTiming::Unknown;

    // Version and flags, the entry count, then (frame count, frame duration) pairs.
    const auto *bytes = reinterpret_cast<const uchar *>(times->constData());
    const qint64 entries = std::min<qint64>(qFromBigEndian<quint32>(bytes + 4), (times->size() - 8) / 8);
    quint32 shortest = 0, longest = 0;
    for (qint64 i = 0; i < entries; ++i) {
        const quint32 count = qFromBigEndian<quint32>(bytes + 8 + 8 * i);
        const quint32 duration = qFromBigEndian<quint32>(bytes + 12 + 8 * i);
        // The last frame's duration is often only what was left of the track.
        if (count == 0 || (i == entries - 1 && count == 1 && entries > 1))
            continue;
        shortest = shortest == 0 ? duration : std::min(shortest, duration);
        longest = std::max(longest, duration);
    }
    if (shortest == 0)
        return longest == 0 ? FrameTiming::Unknown : FrameTiming::Variable;
    return double(longest) / shortest > kSameDurationRatio ? FrameTiming::Variable : FrameTiming::Constant;
}
