#include "catalogue/frame_timing.h"

#include "catalogue/avi_streams.h"
#include "catalogue/iso_boxes.h"

#include <QByteArray>
#include <QFile>
#include <QtEndian>
#include <algorithm>
#include <cmath>
#include <optional>

namespace {

// Frame durations within this ratio of each other count as one rate: a
// millisecond time scale stores 30 fps as 33, 33 and 34 ms.
constexpr double kSameDurationRatio = 1.1;

// The media's time scale from its header: version and flags, then creation
// and change times (32 bits each in version 0, 64 in version 1).
quint32 TimeScale(const QByteArray &media)
{
    const std::optional<QByteArray> header = Child(media, "mdhd");
    if (!header || header->isEmpty())
        return 0;
    const qsizetype at = header->at(0) == 1 ? 20 : 12;
    return header->size() >= at + 4 ? qFromBigEndian<quint32>(header->constData() + at) : 0;
}

PictureTiming ReadIsoTiming(QFile &file)
{
    PictureTiming timing;
    const std::optional<QByteArray> movie = ReadMovieBox(file);
    const std::optional<QByteArray> track = movie ? FirstVideoTrack(*movie) : std::nullopt;
    const std::optional<QByteArray> media = track ? Child(*track, "mdia") : std::nullopt;
    const std::optional<QByteArray> info = media ? Child(*media, "minf") : std::nullopt;
    const std::optional<QByteArray> table = info ? Child(*info, "stbl") : std::nullopt;
    const std::optional<QByteArray> times = table ? Child(*table, "stts") : std::nullopt;
    if (!times || times->size() < 8)
        return timing;
    timing.timeScale = TimeScale(*media);

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
        timing.frames += count;
        timing.ticks += quint64(count) * duration;
    }
    if (shortest == 0)
        timing.kind = longest == 0 ? FrameTiming::Unknown : FrameTiming::Variable;
    else
        timing.kind = double(longest) / shortest > kSameDurationRatio ? FrameTiming::Variable : FrameTiming::Constant;
    return timing;
}

PictureTiming ReadAviTiming(const QString &path)
{
    PictureTiming timing;
    const std::optional<AviVideoIndex> index = ReadAviVideoIndex(path);
    if (!index || index->frames == 0 || index->rate == 0 || index->scale == 0)
        return timing;
    timing.kind = index->emptyFrames > 0 ? FrameTiming::Variable : FrameTiming::Constant;
    timing.frames = index->frames;
    timing.ticks = index->frames * index->scale;
    timing.timeScale = index->rate;
    return timing;
}

}  // namespace

bool PictureTiming::runsAt(double framesPerSecond) const
{
    if (kind != FrameTiming::Constant || frames == 0 || timeScale == 0 || !(framesPerSecond > 0))
        return false;
    const double atThatRate = double(frames) * timeScale / framesPerSecond;
    return std::abs(double(ticks) - atThatRate) <= 1.0;
}

PictureTiming ReadPictureTiming(const QString &path)
{
    QFile file(path);
    if (!file.open(QIODevice::ReadOnly))
        return {};
    const PictureTiming iso = ReadIsoTiming(file);
    return iso.kind != FrameTiming::Unknown ? iso : ReadAviTiming(path);
}

FrameTiming ReadFrameTiming(const QString &path)
{
    return ReadPictureTiming(path).kind;
}
