#include "tests/support/media_probe.h"

#include "tests/support/test_support.h"

#include <QFile>
#include <QJsonArray>
#include <QJsonDocument>
#include <QJsonObject>
#include <QRegularExpression>
#include <QStringList>
#include <QtEndian>
#include <algorithm>

namespace {

double Ratio(const QString &text)
{
    const QStringList parts = text.split('/');
    return parts.size() == 2 && parts[1].toDouble() != 0 ? parts[0].toDouble() / parts[1].toDouble() : 0;
}

}  // namespace

MediaInfo ProbeMedia(const QString &path)
{
    MediaInfo info;
    QByteArray json;
    if (RunProgram("ffprobe",
                   {"-v", "error", "-show_format", "-show_streams", "-show_entries",
                    "packet=stream_index,pts_time,duration_time", "-of", "json", path},
                   &json) != 0)
        return info;
    const QJsonObject root = QJsonDocument::fromJson(json).object();
    info.container = root["format"]["format_name"].toString();
    info.duration = root["format"]["duration"].toString().toDouble();
    info.brand = root["format"]["tags"]["major_brand"].toString();
    QMap<int, QString> typeOfIndex;
    for (const QJsonValue &value : root["streams"].toArray()) {
        const QJsonObject s = value.toObject();
        StreamInfo stream;
        stream.codec = s["codec_name"].toString();
        stream.profile = s["profile"].toString();
        stream.level = s["level"].toInt(-1);
        stream.width = s["width"].toInt();
        stream.height = s["height"].toInt();
        stream.sampleRate = s["sample_rate"].toString().toInt();
        stream.channels = s["channels"].toInt();
        stream.frameRate = Ratio(s["r_frame_rate"].toString());
        typeOfIndex[s["index"].toInt()] = s["codec_type"].toString();
        info.streams[s["codec_type"].toString()] = stream;
    }
    for (const QJsonValue &value : root["packets"].toArray()) {
        const QJsonObject p = value.toObject();
        StreamInfo &stream = info.streams[typeOfIndex[p["stream_index"].toInt()]];
        stream.end =
            std::max(stream.end, p["pts_time"].toString().toDouble() + p["duration_time"].toString().toDouble());
        ++stream.packets;
    }
    return info;
}

DiscoveredMedia DiscoverMedia(const QString &path)
{
    DiscoveredMedia media;
    QByteArray text;
    if (RunProgram("gst-discoverer-1.0", {"-v", path}, &text) != 0)
        return media;
    // "  Duration: 0:00:03.066000000", then one line per stream:
    // "  container #0: video/quicktime, ...", "    video #1: video/mpeg, ...".
    static const QRegularExpression duration(R"(^\s*Duration: (\d+):(\d+):([\d.]+)$)");
    static const QRegularExpression stream(R"(^\s*(container|video|audio) #\d+: (.*)$)");
    for (const QString &line : QString::fromUtf8(text).split('\n')) {
        if (const QRegularExpressionMatch m = duration.match(line); m.hasMatch()) {
            media.duration = m.captured(1).toDouble() * 3600 + m.captured(2).toDouble() * 60 + m.captured(3).toDouble();
        } else if (const QRegularExpressionMatch s = stream.match(line); s.hasMatch()) {
            QString &caps = s.captured(1) == "container" ? media.container
                            : s.captured(1) == "video"   ? media.video
                                                         : media.audio;
            if (caps.isEmpty())
                caps = s.captured(2);
        }
    }
    return media;
}

QStringList TopLevelBoxes(const QString &path)
{
    QStringList boxes;
    QFile file(path);
    if (!file.open(QIODevice::ReadOnly))
        return boxes;
    for (qint64 at = 0; at + 8 <= file.size();) {
        file.seek(at);
        const QByteArray header = file.read(16);
        if (header.size() < 8)
            break;
        quint64 size = qFromBigEndian<quint32>(header.constData());
        if (size == 1 && header.size() == 16)
            size = qFromBigEndian<quint64>(header.constData() + 8);
        else if (size == 0)
            size = quint64(file.size() - at);
        boxes << QString::fromLatin1(header.mid(4, 4));
        if (size < 8)
            break;
        at += qint64(size);
    }
    return boxes;
}
