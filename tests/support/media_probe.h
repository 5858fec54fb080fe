#pragma once

#include <QMap>
#include <QString>

// What ffprobe reports of a media file, for checking conversion results.
struct StreamInfo {
    QString codec;
    int width = 0, height = 0, sampleRate = 0, channels = 0;
    double frameRate = 0;
    double end = 0;  // end of the last packet, seconds
    int packets = 0;
};

struct MediaInfo {
    QString container;
    QString brand;  // major brand of an ISO media file
    double duration = 0;
    QMap<QString, StreamInfo> streams;  // by codec type: "video", "audio"
};

// Empty when ffprobe cannot read the file.
MediaInfo ProbeMedia(const QString &path);
