#pragma once

#include <QMap>
#include <QString>
#include <QStringList>

// What ffprobe reports of a media file, for checking conversion results.
struct StreamInfo {
    QString codec;
    QString profile;  // "LC", "Simple Profile"
    int level = -1;   // as the stream header says; -1 when it says nothing
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

// What GStreamer's discoverer reports of a media file: a reader that shares no
// code with the tools that wrote it. Texts are GStreamer caps, for example
// "video/mpeg, mpegversion=(int)4, ... level=(string)4a, ...".
struct DiscoveredMedia {
    double duration = 0;  // seconds
    QString container;
    QString video, audio;  // the first stream of each kind; empty when none
};

// Empty when the discoverer cannot read the file.
DiscoveredMedia DiscoverMedia(const QString &path);

// The types of the top-level boxes of an ISO media file (MP4, 3GP), in file order.
QStringList TopLevelBoxes(const QString &path);
