#pragma once

#include "catalogue/source_picture.h"
#include "settings/output_style.h"

#include <QByteArray>
#include <QString>

// The width-to-height ratio of the picture as it is shown, after `turn`.
double ShownAspect(const SourceShape &shape, const PictureTurn &turn);

// The encoder's filters that bring the (already turned) picture to exactly
// width x height with square pixels, in the chosen shape: "scale=...,expand="
// (bars), "scale=...,crop=" (cut, centred) or "scale=" (stretched), then
// "dsize=" so that the output claims square pixels. A source of unknown shape
// is stretched. No trailing comma.
QByteArray PictureShapeFilters(PictureShape choice, const SourceShape &shape, const PictureTurn &turn, int width,
                               int height);
