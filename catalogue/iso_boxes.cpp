#include "catalogue/iso_boxes.h"

#include <QtEndian>

namespace {

// The movie box is read whole up to this size; a two-hour video's is a few MiB.
constexpr qint64 kMaxMovieBox = 64 << 20;

}  // namespace

std::optional<IsoBox> BoxAt(const QByteArray &data, qint64 at)
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
    return IsoBox{data.mid(at + 4, 4), at + header, at + qint64(size)};
}

std::optional<QByteArray> Child(const QByteArray &parent, const char *type)
{
    for (qint64 at = 0;;) {
        const std::optional<IsoBox> box = BoxAt(parent, at);
        if (!box)
            return std::nullopt;
        if (box->type == type)
            return parent.mid(box->dataStart, box->end - box->dataStart);
        at = box->end;
    }
}

std::optional<QByteArray> FirstVideoTrack(const QByteArray &movie)
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
        if (handler && handler->mid(8, 4) == "vide")
            return track;
    }
}

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
