#pragma once

#include <QByteArray>
#include <QString>
#include <QtGlobal>
#include <optional>

// Whether the AVI file's header lists an MP3 audio stream (wave format tag
// 0x55 in the stream's format). False when the file cannot be read or is no AVI.
bool AviHasMp3Audio(const QString &path);

// The first video stream's format and rate as its header names them, and its
// frames as the index ("idx1") lists them; an AVI cut short before its index
// has its chunks walked instead.
struct AviVideoIndex {
    QByteArray compression;  // the picture's four-character code ("XVID", "MJPG", ...)
    quint32 rate = 0;        // frames per second are rate / scale
    quint32 scale = 0;
    quint64 frames = 0;       // the stream's chunks in the index
    quint64 emptyFrames = 0;  // of those, chunks without data: frames the writer dropped
};

// Nothing when the file cannot be read, is no AVI, has no video stream or
// neither index nor chunks, or goes on past its first RIFF part (an OpenDML AVI, whose first
// index covers only the beginning).
std::optional<AviVideoIndex> ReadAviVideoIndex(const QString &path);

// Whether the four-character code names MPEG-4 Part 2 video (XviD, DivX 4
// and later, ...), which Matroska carries as such.
bool IsMpeg4Part2(const QByteArray &compression);
