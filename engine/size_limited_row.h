#pragma once

#include "engine/conversion_worker.h"

#include <QString>
#include <QtGlobal>
#include <functional>

// What the encoder step of one pass of a row reports beside its result.
struct EncodedVideo {
    bool mayBeStill = true;  // the encoder spent so little, or its decoding went so wrong, that it may repeat one frame
    bool sourceBroken = false;  // the source's decoding failed for much of it
    qint64 videoBytes = 0;      // the video it says it wrote
};

// One pass of a row's steps, the encoder and the format's after-step, made
// with `choices`.
using RowPass = std::function<RowResult(const BatchChoices &choices, EncodedVideo *video)>;

// A row under the batch's size limit. Its rates are planned from its length
// (ffmpeg's reading of the source's header, else the probe's): a row whose
// length is not known fails, and so does one the limit cannot hold, before
// any encoder runs, with the smallest size it could be made into. Then one
// pass; a file over the limit (or far under it, see JudgePass) is made once
// more, encoder and after-step, at the corrected video rate, and a file still
// over the limit fails the row. `video` is the last pass's; `finalFile` the
// file the passes write last.
RowResult ConvertWithinSizeLimit(ConversionJob &job, const RowEntry &row, const QString &finalFile, const RowPass &pass,
                                 EncodedVideo *video);
