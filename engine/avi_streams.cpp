#include "engine/avi_streams.h"

#include <QByteArray>
#include <QFile>
#include <QtEndian>
#include <algorithm>

namespace {

// The header list is read whole up to this size; the encoder's is a few KiB.
constexpr quint32 kMaxHeaderList = 1 << 20;

quint32 Le32(const QByteArray &data, qsizetype at)
{
    return qFromLittleEndian<quint32>(data.constData() + at);
}

bool HasTag(const QByteArray &data, qsizetype at, const char *tag)
{
    return at + 4 <= data.size() && data.mid(at, 4) == tag;
}

}  // namespace

bool AviHasAudioStream(const QString &path)
{
    QFile file(path);
    if (!file.open(QIODevice::ReadOnly))
        return false;
    // "RIFF" size "AVI " "LIST" size "hdrl", then the header list's chunks:
    // "avih", and one "LIST" "strl" per stream that starts with its "strh",
    // whose data starts with the stream type.
    const QByteArray start = file.read(24);
    if (start.size() < 24 || !HasTag(start, 0, "RIFF") || !HasTag(start, 8, "AVI ") || !HasTag(start, 12, "LIST") ||
        !HasTag(start, 20, "hdrl"))
        return false;
    const quint32 listSize = Le32(start, 16);
    if (listSize < 4)
        return false;
    const QByteArray header = file.read(std::min(listSize - 4, kMaxHeaderList));
    for (qsizetype at = 0; at + 8 <= header.size();) {
        const quint32 size = Le32(header, at + 4);
        if (HasTag(header, at, "LIST") && HasTag(header, at + 8, "strl") && HasTag(header, at + 12, "strh") &&
            HasTag(header, at + 20, "auds"))
            return true;
        at += 8 + qsizetype(size) + qsizetype(size & 1);
    }
    return false;
}
