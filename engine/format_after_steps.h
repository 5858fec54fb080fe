#pragma once

#include "engine/output_presets.h"

#include <QString>

// What follows the encoder step, for the formats whose encoder output is an
// intermediate. Each turns the row's `encoderOutput` into the final file beside
// it, with the row's `choices` (the batch's, or those a size limit set).

// mp4creator packs the encoder's AVI into the MP4.
RowResult PackageMp4Step(ConversionJob &job, const RowEntry &row, const BatchChoices &choices,
                         const QString &encoderOutput);
// pack3gp packs the encoder's AVI into the 3GP file: the picture copied, the sound made AMR-NB.
RowResult Export3gpStep(ConversionJob &job, const RowEntry &row, const BatchChoices &choices,
                        const QString &encoderOutput);
