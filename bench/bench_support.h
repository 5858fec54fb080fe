#pragma once

#include "engine/conversion_batch.h"
#include "engine/output_presets.h"

#include <QElapsedTimer>
#include <QString>

// What the benches share beside their clips: timing, the machine's load, the
// choices of a format's default preset, and what an output file holds.

double Seconds(const QElapsedTimer &timer);

// The 1-minute load average, as `uptime` shows it: the other load a
// measurement shared the machine with; -1 when it cannot be read.
double LoadAverage();

// ".mp4", ".flv", ".3gp".
QString Extension(OutputFormat format);

// What a reader of a bench needs of one output next to another's: its SSIM
// against the source (compares best at equal size), its video frames (fewer
// than another's shows frames lost) and its size.
struct OutputReading {
    double ssim = -1;   // -1 when it cannot be measured
    int frames = -1;    // -1 when ffprobe cannot count them
    qint64 bytes = -1;  // -1 when there is no file
};

// What `output` holds, its picture compared frame by frame from the first with
// `source` scaled to `choices`' size and rate.
OutputReading ReadOutput(const BatchChoices &choices, const QString &source, const QString &output);
