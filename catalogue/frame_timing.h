#pragma once

#include <QString>

// How the frames of a file's picture are spaced in time.
enum class FrameTiming {
    Unknown,   // the file does not say (not an ISO media file, or no sample table)
    Constant,  // every frame lasts as long as the others
    Variable,  // frames come at varying intervals (frames missing, times jittered)
};

// Reads the picture track's time-to-sample table of an ISO media file (MP4,
// MOV, 3GP, M4V): the times the frames were kept at. Other files give Unknown.
FrameTiming ReadFrameTiming(const QString &path);
