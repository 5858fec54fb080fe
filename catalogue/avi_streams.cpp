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

// The format tag of each audio stream: a stream's "LIST" "strl" starts with
// its "strh" (data: the stream type), followed by its "strf" (for audio a
// wave format, which starts with the format tag).
QList<quint16> AudioFormatTags(const QString &path)
{
    const QByteArray header = HeaderList(path);
    QList<quint16> tags;
    for (qsizetype at = 0; at + 8 <= header.size(); at += ChunkSpan(header, at)) {
        if (!HasTag(header, at, "LIST") || !HasTag(header, at + 8, "strl") || !HasTag(header, at + 12, "strh") ||
            !HasTag(header, at + 20, "auds"))
            continue;
        const qsizetype format = at + 12 + ChunkSpan(header, at + 12);
        quint16 tag = 0;
        if (HasTag(header, format, "strf") && format + 10 <= header.size())
            tag = qFromLittleEndian<quint16>(header.constData() + format + 8);
        tags.append(tag);
    }
    return tags;
}

}  // namespace

bool AviHasMp3Audio(const QString &path)
{
    return AudioFormatTags(path).contains(kWaveFormatMp3);
}
