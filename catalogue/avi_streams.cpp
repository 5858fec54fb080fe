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

// The index chunk ("idx1") of the file's first RIFF part; empty when there is
// none, or when another RIFF part follows.
QByteArray IndexChunk(const QString &path)
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
    for (qint64 at = 12; at + 8 <= std::min(riffEnd, file.size());) {
        if (!file.seek(at))
            return {};
        const QByteArray chunk = file.read(8);
        if (chunk.size() < 8)
            return {};
        const quint32 size = Le32(chunk, 4);
        if (HasTag(chunk, 0, "idx1"))
            return size <= kMaxIndex ? file.read(size) : QByteArray();
        at += 8 + qint64(size) + (size & 1);
    }
    return {};
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
        const QByteArray index = IndexChunk(path);
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
