#pragma once

#include "engine/output_presets.h"

#include <QByteArray>
#include <QString>
#include <optional>

// What a written output holds, read back from the file.
struct OutputFacts {
    bool readable = false;  // the reader could read the file
    QString container;      // the reader's format name: "mov,mp4,m4a,3gp,3g2,mj2", "flv"
    QString videoCodec;     // "mpeg4", "h263", "flv1"
    QString videoProfile;   // "Simple Profile"; empty when none is named
    int videoLevel = -1;    // as the stream header says; -1 when it says nothing
    int width = 0, height = 0;
    double frameRate = 0;
    qint64 bitrate = 0;  // bits per second, the whole file
    QString audioCodec;  // empty when the file has no sound
    int sampleRate = 0, channels = 0;
    double seconds = 0;
    qint64 fileBytes = 0;
    std::optional<bool> indexFirst;  // MP4 and 3GP: the index before the media data
};

// Why a written file is no file the handset plays.
enum class OutputMismatch {
    None,
    Unreadable,  // nothing could be read back
    VideoCodec,  // not the format's video codec
    Profile,     // MPEG-4 video of another profile, or with no level
    AudioCodec,  // sound, but not the format's audio codec
    Size,        // not the chosen picture size
    IndexLast,   // the index after the media data: no playing while loading
};

// What the row's written file holds and whether the handset takes it.
struct OutputReport {
    OutputFacts facts;
    OutputMismatch mismatch = OutputMismatch::None;
};

// Reads the JSON answer about a file's format and streams (mp4creator's
// listing, in the shape of ffprobe's).
OutputFacts ParseOutputFacts(const QByteArray &json);

// The facts of mp4creator's listing of the file at `path` (what it printed),
// with where the file's index is.
OutputFacts ListedOutputFacts(const QByteArray &printed, const QString &path);

// What the written file holds, and where its index is: an FLV's tags and a
// 3GP's index are read here; an MP4 (or a file those readers make nothing
// of) is listed by `toolDir`'s mp4creator. Nothing when mp4creator cannot be
// started or gets stuck: then nothing is known either way.
std::optional<OutputFacts> ReadOutputFacts(const QByteArray &toolDir, const QString &path);

// The first handset constraint of `format` the file breaks, for the chosen size.
OutputMismatch CheckHandsetConstraints(OutputFormat format, const OutputFacts &facts, int width, int height);
