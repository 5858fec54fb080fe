#include "engine/iso_facts.h"

#include "catalogue/iso_boxes.h"

#include <QFile>
#include <QtEndian>

namespace {

// The read-back's names of the sample entries the formats write.
QString CodecName(const QByteArray &entry)
{
    if (entry == "s263")
        return QStringLiteral("h263");
    if (entry == "mp4v")
        return QStringLiteral("mpeg4");
    if (entry == "samr")
        return QStringLiteral("amr_nb");
    if (entry == "mp4a")
        return QStringLiteral("aac");
    return QString::fromLatin1(entry);
}

quint32 U32(const QByteArray &data, qsizetype at)
{
    return at + 4 <= data.size() ? qFromBigEndian<quint32>(data.constData() + at) : 0;
}

quint16 U16(const QByteArray &data, qsizetype at)
{
    return at + 2 <= data.size() ? qFromBigEndian<quint16>(data.constData() + at) : 0;
}

// A time scale and a duration in it, from a movie or media header (versions 0 and 1).
double HeaderSeconds(const QByteArray &header)
{
    const bool wide = !header.isEmpty() && header[0] == 1;
    const quint32 scale = U32(header, wide ? 20 : 12);
    const double duration = wide ? double(qFromBigEndian<quint64>(header.mid(24, 8).leftJustified(8, '\0').constData()))
                                 : double(U32(header, 16));
    return scale > 0 ? duration / scale : 0;
}

// The sample count of a time-to-sample table.
qint64 SampleCount(const QByteArray &table)
{
    const qint64 entries = U32(table, 4);
    qint64 samples = 0;
    for (qint64 i = 0; i < entries && 8 + 8 * i + 8 <= table.size(); ++i)
        samples += U32(table, 8 + 8 * i);
    return samples;
}

// Fills the facts of one track: the first of each kind counts.
void ReadTrack(const QByteArray &track, OutputFacts *facts)
{
    const std::optional<QByteArray> media = Child(track, "mdia");
    const std::optional<QByteArray> handler = media ? Child(*media, "hdlr") : std::nullopt;
    const std::optional<QByteArray> info = media ? Child(*media, "minf") : std::nullopt;
    const std::optional<QByteArray> table = info ? Child(*info, "stbl") : std::nullopt;
    const std::optional<QByteArray> entries = table ? Child(*table, "stsd") : std::nullopt;
    // Version and flags, the entry count, then the first entry's size and type.
    if (!handler || !entries || entries->size() < 16)
        return;
    const QByteArray kind = handler->mid(8, 4);
    const QByteArray entry = entries->mid(16);  // the first entry's data
    const QString codec = CodecName(entries->mid(12, 4));
    if (kind == "vide" && facts->videoCodec.isEmpty()) {
        facts->videoCodec = codec;
        // Reserved and reference index (8), pre-defined and reserved (16), then the size.
        facts->width = U16(entry, 24);
        facts->height = U16(entry, 26);
        const std::optional<QByteArray> header = Child(*media, "mdhd");
        const std::optional<QByteArray> times = Child(*table, "stts");
        const double seconds = header ? HeaderSeconds(*header) : 0;
        if (times && seconds > 0)
            facts->frameRate = double(SampleCount(*times)) / seconds;
    } else if (kind == "soun" && facts->audioCodec.isEmpty()) {
        facts->audioCodec = codec;
        // Reserved and reference index (8), reserved (8), the channels, then the rate in 16.16.
        // AMR is mono whatever the entry says (3GPP files write 2 there).
        facts->channels = codec == QLatin1String("amr_nb") ? 1 : U16(entry, 16);
        facts->sampleRate = int(U32(entry, 24) >> 16);
    }
}

}  // namespace

OutputFacts ReadIsoFacts(const QString &path)
{
    OutputFacts facts;
    QFile file(path);
    if (!file.open(QIODevice::ReadOnly))
        return facts;
    const std::optional<QByteArray> movie = ReadMovieBox(file);
    if (!movie)
        return facts;
    for (qint64 at = 0;;) {
        const std::optional<IsoBox> box = BoxAt(*movie, at);
        if (!box)
            break;
        if (box->type == "trak")
            ReadTrack(movie->mid(box->dataStart, box->end - box->dataStart), &facts);
        at = box->end;
    }
    facts.readable = !facts.videoCodec.isEmpty() || !facts.audioCodec.isEmpty();
    facts.container = QStringLiteral("mov,mp4,m4a,3gp,3g2,mj2");
    facts.fileBytes = file.size();
    if (const std::optional<QByteArray> header = Child(*movie, "mvhd"))
        facts.seconds = HeaderSeconds(*header);
    if (facts.seconds > 0)
        facts.bitrate = qint64(double(facts.fileBytes) * 8 / facts.seconds);
    return facts;
}
