#pragma once

#include <QString>
#include <QtGlobal>

// How the frames of a file's picture are spaced in time.
enum class FrameTiming {
    Unknown,   // the file does not say (not an ISO media file nor an AVI, or no index)
    Constant,  // every frame lasts as long as the others
    Variable,  // frames come at varying intervals (frames missing, times jittered)
};

// The picture's frame times as the file's index stores them.
struct PictureTiming {
    FrameTiming kind = FrameTiming::Unknown;
    quint64 frames = 0;     // the frames counted
    quint64 ticks = 0;      // how long they last together, in time-scale units
    quint32 timeScale = 0;  // time-scale units per second

    // Whether the frames come at a constant `framesPerSecond`: together they
    // last within one time-scale unit of that many frames at that rate, so
    // that taking them one for one at that rate drifts from the sound by no
    // more than a unit.
    bool runsAt(double framesPerSecond) const;
};

// Reads the picture's frame times. An ISO media file (MP4, MOV, 3GP, M4V)
// gives its picture track's time-to-sample table: the times the frames were
// kept at (a last frame whose length is only what was left of the track is not
// counted). An AVI gives its header's rate, over the frames of its index; an
// AVI whose index lists empty frames (frames its writer dropped) is Variable.
// Other files give Unknown.
PictureTiming ReadPictureTiming(const QString &path);

// ReadPictureTiming's kind.
FrameTiming ReadFrameTiming(const QString &path);
