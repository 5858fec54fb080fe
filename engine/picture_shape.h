#pragma once

#include "catalogue/source_picture.h"
#include "settings/output_style.h"

#include <QByteArray>
#include <QString>

// The shape of an output's stored pixels, width to height: square for most
// formats, 12:11 for the H.263 picture formats (a player shows 176x144 as 4:3).
struct PixelAspect {
    int across = 1;
    int down = 1;

    double ratio() const { return double(across) / down; }
    bool square() const { return across == down; }
};

// The width-to-height ratio of the picture as it is shown, after `turn`.
double ShownAspect(const SourceShape &shape, const PictureTurn &turn);

// The encoder's filters that bring the (already turned) picture to exactly
// width x height stored pixels of the shape `pixels`, so that a player shows
// it in the chosen shape: "scale=...,expand=" (bars), "scale=...,crop=" (cut,
// centred) or "scale=" (stretched), then "dsize=" with the size as shown, so
// that an encoder that writes the pixel shape writes this one. A source of
// unknown shape is stretched. No trailing comma.
QByteArray PictureShapeFilters(PictureShape choice, const SourceShape &shape, const PictureTurn &turn, int width,
                               int height, PixelAspect pixels);
