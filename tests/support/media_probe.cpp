#include "tests/support/media_probe.h"

#include "tests/support/test_support.h"

#include <QJsonArray>
#include <QJsonDocument>
#include <QJsonObject>
#include <QStringList>
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
