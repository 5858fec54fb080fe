#include "catalogue/frame_timing.h"

#include <QByteArray>
#include <QFile>
#include <QtEndian>
#include <algorithm>
#include <optional>

namespace {

// The movie box is read whole up to this size; a two-hour video's is a few MiB.
constexpr qint64 kMaxMovieBox = 64 << 20;
// Frame durations within this ratio of each other count as one rate: a
// millisecond time scale stores 30 fps as 33, 33 and 34 ms.
constexpr double kSameDurationRatio = 1.1;

struct Box {
    QByteArray type;
    qint64 dataStart = 0;  // offset of the box's data within its parent
    qint64 end = 0;        // offset just past the box
};

// The box that starts at `at` in `data`, or nothing when it does not fit.
std::optional<Box> BoxAt(const QByteArray &data, qint64 at)
{
    if (at + 8 > data.size())
        return std::nullopt;
    const auto *bytes = reinterpret_cast<const uchar *>(data.constData()) + at;
    quint64 size = qFromBigEndian<quint32>(bytes);
    qint64 header = 8;
    if (size == 1) {
        if (at + 16 > data.size())
            return std::nullopt;
        size = qFromBigEndian<quint64>(bytes + 8);
        header = 16;
    } else if (size == 0) {
        size = quint64(data.size() - at);
    }
    if (size < quint64(header) || size > quint64(data.size() - at))
        return std::nullopt;
    return Box{data.mid(at + 4, 4), at + header, at + qint64(size)};
}

// The data of the first child box of this type, or nothing.
std::optional<QByteArray> Child(const QByteArray &parent, const char *type)
{
    for (qint64 at = 0;;) {
        const std::optional<Box> box = BoxAt(parent, at);
        if (!box)
            return std::nullopt;
        if (box->type == type)
            return parent.mid(box->dataStart, box->end - box->dataStart);
        at = box->end;
    }
}

// The movie box, found among the top-level boxes without reading the media
// data between them (the index may come before or after it).
std::optional<QByteArray> ReadMovieBox(QFile &file)
{
    const qint64 fileSize = file.size();
    for (qint64 at = 0; at + 8 <= fileSize;) {
        if (!file.seek(at))
            return std::nullopt;
        const QByteArray header = file.read(16);
        if (header.size() < 8)
            return std::nullopt;
        const auto *bytes = reinterpret_cast<const uchar *>(header.constData());
        qint64 headerSize = 8;
        qint64 size = qFromBigEndian<quint32>(bytes);
        if (size == 1 && header.size() == 16) {
            size = qint64(qFromBigEndian<quint64>(bytes + 8));
            headerSize = 16;
        } else if (size == 0) {
            size = fileSize - at;  // the last box runs to the end of the file
        }
        if (size < headerSize || size > fileSize - at)
            return std::nullopt;
        if (header.mid(4, 4) == "moov") {
            if (size - headerSize > kMaxMovieBox || !file.seek(at + headerSize))
                return std::nullopt;
            return file.read(size - headerSize);
        }
        at += size;
    }
    return std::nullopt;
}

// The time-to-sample table of the first picture track.
std::optional<QByteArray> PictureTimeTable(const QByteArray &movie)
{
    for (qint64 at = 0;;) {
        const std::optional<Box> box = BoxAt(movie, at);
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
