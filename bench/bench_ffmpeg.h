#pragma once

#include "engine/conversion_batch.h"

#include <QString>
#include <QStringList>

// How much of the worker's encoder options an ffmpeg pass is asked for.
enum class FfmpegQuality {
    Defaults,        // ffmpeg's defaults for the same codecs, size, rate and bitrates
    RateDistortion,  // plus the rate-distortion macroblock choice and trellis, where the codec has them
    WorkerOptions,   // plus every further option the worker's encoder and sound step are given
};

// ffmpeg's arguments converting `clip` into `file` as `choices` ask; with
// `oneThread`, one thread for decoding and one for encoding.
QStringList FfmpegArguments(const BatchChoices &choices, const QString &clip, const QString &file,
                            FfmpegQuality quality, bool oneThread = false);

// Runs ffmpeg with `arguments` at idle priority, as the worker runs its
// encoder, so other load weighs the same on both. False unless it exited 0.
bool RunFfmpegIdle(const QStringList &arguments);
