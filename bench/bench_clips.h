#pragma once

#include <QString>

// The benches' source clips, made with ffmpeg so anyone can rerun a bench:
// testsrc2's moving pattern and a sine tone, H.264 (veryfast, yuv420p) and
// 128 kbit/s AAC at 44.1 kHz.
struct ClipShape {
    int width = 640;
    int height = 480;
    int frameRate = 25;
    int seconds = 5;
    // Where in the pattern the clip starts, in seconds; it also moves the
    // tone's pitch, so that clips with different starts share no picture or sound.
    int start = 0;
};

// Writes the clip to `path`; false when ffmpeg failed.
bool MakeClip(const QString &path, const ClipShape &shape);
