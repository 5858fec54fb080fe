#include "catalogue/avi_streams.h"

#include <QByteArray>
#include <QFile>
#include <QList>
#include <QtEndian>
#include <algorithm>

namespace {

// The header list is read whole up to this size; the encoder's is a few KiB.
constexpr quint32 kMaxHeaderList = 1 << 20;
// The wave format tag of MPEG audio layer 3.
constexpr quint16 kWaveFormatMp3 = 0x55;
// The index is read whole up to this size: a million frames of picture and sound.
constexpr quint32 kMaxIndex = 32u << 20;

quint32 Le32(const QByteArray &data, qsizetype at)
{
    return qFromLittleEndian<quint32>(data.constData() + at);
}

bool HasTag(const QByteArray &data, qsizetype at, const char *tag)
{
    return at + 4 <= data.size() && data.mid(at, 4) == tag;
}

// Size of a chunk at `at` including its header and padding byte.
qsizetype ChunkSpan(const QByteArray &data, qsizetype at)
{
    const quint32 size = Le32(data, at + 4);
    return 8 + qsizetype(size) + qsizetype(size & 1);
}

// The AVI's header list ("hdrl") after its list type; empty when the file
// cannot be read or is no AVI.
QByteArray HeaderList(const QString &path)
{
    QFile file(path);
    if (!file.open(QIODevice::ReadOnly))
        return {};
    // "RIFF" size "AVI " "LIST" size "hdrl", then the header list's chunks.
    const QByteArray start = file.read(24);
    if (start.size() < 24 || !HasTag(start, 0, "RIFF") || !HasTag(start, 8, "AVI ") || !HasTag(start, 12, "LIST") ||
        !HasTag(start, 20, "hdrl"))
        return {};
    const quint32 listSize = Le32(start, 16);
    if (listSize < 4)
        return {};
    return file.read(std::min(listSize - 4, kMaxHeaderList));
}

// Where one stream's header chunks lie in the header list.
struct StreamHeaders {
    qsizetype strh = 0;  // the stream header's data: its type, then ...
    qsizetype strf = 0;  // the stream format chunk ("strf" and its size first)
};

// Each stream's "LIST" "strl", in stream order: its "strh" (data: the stream
// type), followed by its "strf" (for audio a wave format, which starts with
// the format tag).
QList<StreamHeaders> StreamsIn(const QByteArray &header)
{
    QList<StreamHeaders> streams;
    for (qsizetype at = 0; at + 8 <= header.size(); at += ChunkSpan(header, at)) {
        // The list's header, its type, then the stream header's tag and size.
        if (at + 20 > header.size() || !HasTag(header, at, "LIST") || !HasTag(header, at + 8, "strl") ||
            !HasTag(header, at + 12, "strh"))
            continue;
        streams.append({at + 20, at + 12 + ChunkSpan(header, at + 12)});
    }
    return streams;
}

// The format tag of each audio stream.
QList<quint16> AudioFormatTags(const QString &path)
{
    const QByteArray header = HeaderList(path);
    QList<quint16> tags;
    for (const StreamHeaders &stream : StreamsIn(header)) {
        if (!HasTag(header, stream.strh, "auds"))
            continue;
        quint16 tag = 0;
        if (HasTag(header, stream.strf, "strf") && stream.strf + 10 <= header.size())
            tag = qFromLittleEndian<quint16>(header.constData() + stream.strf + 8);
        tags.append(tag);
    }
    return tags;
}

// Index entries ("idx1" format: id, flags, offset, size) made by walking the
// chunks of the "movi" list from `at`, into its "rec " lists, up to `end`.
// Only the ids and sizes are filled in; a chunk cut off by the end of the
// file still counts.
QByteArray ScanMovieList(QFile &file, qint64 at, qint64 end)
{
    QByteArray entries;
    while (at + 8 <= end && entries.size() < qsizetype(kMaxIndex)) {
        if (!file.seek(at))
            break;
        const QByteArray chunk = file.read(12);
        if (chunk.size() < 8)
            break;
        if (HasTag(chunk, 0, "LIST") && HasTag(chunk, 8, "rec ")) {
            at += 12;
            continue;
        }
        QByteArray entry(16, '\0');
        entry.replace(0, 4, chunk.left(4));
        entry.replace(12, 4, chunk.mid(4, 4));
        entries += entry;
        const quint32 size = Le32(chunk, 4);
        at += 8 + qint64(size) + (size & 1);
    }
    return entries;
}

// The index of the file's first RIFF part: its "idx1" chunk, or, when the file
// has none (cut short before it), entries made by walking the "movi" list.
// Empty when there is neither, or when another RIFF part follows.
QByteArray IndexEntries(const QString &path)
{
    QFile file(path);
    if (!file.open(QIODevice::ReadOnly))
        return {};
    const QByteArray start = file.read(12);
    if (start.size() < 12 || !HasTag(start, 0, "RIFF") || !HasTag(start, 8, "AVI "))
        return {};
    const qint64 riffEnd = 8 + qint64(Le32(start, 4));
    if (file.size() > riffEnd + 8)
        return {};
    const qint64 end = std::min(riffEnd, file.size());
    std::optional<qint64> movie;  // where the "movi" list's chunks start
    qint64 movieEnd = end;
    for (qint64 at = 12; at + 8 <= end;) {
        if (!file.seek(at))
            return {};
        const QByteArray chunk = file.read(12);
        if (chunk.size() < 8)
            return {};
        const quint32 size = Le32(chunk, 4);
        if (HasTag(chunk, 0, "idx1"))
            return size <= kMaxIndex && file.seek(at + 8) ? file.read(size) : QByteArray();
        if (HasTag(chunk, 0, "LIST") && HasTag(chunk, 8, "movi")) {
            movie = at + 12;
            movieEnd = std::min(end, at + 8 + qint64(size));
        }
        at += 8 + qint64(size) + (size & 1);
    }
    if (!movie)
        return {};
    return ScanMovieList(file, *movie, movieEnd);
}

}  // namespace

bool AviHasMp3Audio(const QString &path)
{
    return AudioFormatTags(path).contains(kWaveFormatMp3);
}

std::optional<AviVideoIndex> ReadAviVideoIndex(const QString &path)
{
    const QByteArray header = HeaderList(path);
    const QList<StreamHeaders> streams = StreamsIn(header);
    for (qsizetype number = 0; number < std::min<qsizetype>(streams.size(), 100); ++number) {
        const qsizetype strh = streams[number].strh;
        // The stream type, its handler, flags, priority and language, initial frames, then scale and rate.
        if (!HasTag(header, strh, "vids") || strh + 28 > header.size())
            continue;
        AviVideoIndex video;
        video.scale = Le32(header, strh + 20);
        video.rate = Le32(header, strh + 24);
        // The format is a bitmap header: its size, width, height, planes and
        // bits per pixel, then the compression.
        const qsizetype format = streams[number].strf;
        if (HasTag(header, format, "strf") && format + 28 <= header.size())
            video.compression = header.mid(format + 24, 4);
        const QByteArray index = IndexEntries(path);
        if (index.isEmpty())
            return std::nullopt;
        // Each entry: the chunk's id ("00dc": stream number, then compressed or
        // plain picture), flags, offset and size.
        const QByteArray id = QByteArray::number(number).rightJustified(2, '0');
        for (qsizetype at = 0; at + 16 <= index.size(); at += 16) {
            if (index.mid(at, 2) != id || (index.mid(at + 2, 2) != "dc" && index.mid(at + 2, 2) != "db"))
                continue;
            ++video.frames;
            if (Le32(index, at + 12) == 0)
                ++video.emptyFrames;
        }
        return video;
    }
    return std::nullopt;
}

bool IsMpeg4Part2(const QByteArray &compression)
{
    static const QByteArrayList kCodes{"XVID", "DIVX", "DX50", "FMP4", "MP4V", "M4S2", "3IV2", "XVIX", "BLZ0", "DXGM"};
    return kCodes.contains(compression.toUpper());
}
