#pragma once

#include "engine/conversion_batch.h"
#include "engine/output_presets.h"

#include <QElapsedTimer>
#include <QString>

// What the benches share beside their clips: timing, the machine's load, the
// choices of a format's default preset, and what an output file holds.

double Seconds(const QElapsedTimer &timer);

// What one run cost: its wall time, the CPU time of this process's own
// threads (the window, the worker, the readers of the tools' output) and that
// of the tools it ran. CPU time tells where the work went even when other
// load on the machine stretches the wall time.
struct RunCost {
    double wall = 0;
    double own = 0;
    double tools = 0;
};

// Measures from its making (or `restart`) to `cost`; the tools counted are the
// children reaped meanwhile.
class CostMeter {
public:
    CostMeter() { restart(); }
    void restart();
    RunCost cost() const;

private:
    QElapsedTimer m_timer;
    double m_own = 0;
    double m_tools = 0;
};

// The best of several runs, each measure on its own.
struct BestCost {
    RunCost best{1e9, 1e9, 1e9};
    void add(const RunCost &run);
};

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
