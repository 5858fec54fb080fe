#pragma once

#include "catalogue/picture_turn.h"
#include "settings/output_style.h"

#include <QByteArray>
#include <QString>

// The stored size of a source's picture and the shape of its pixels, as the
// source's stream and container flag them (an anamorphic 16:9 DVD picture is
// 720x576 with pixels 64:45 wide).
struct SourceShape {
    int width = 0;
    int height = 0;
    double pixelAspect = 1;  // sample aspect ratio; 1 for square pixels

    bool known() const { return width > 0 && height > 0; }
};

// What one look at the source tells about its picture.
struct SourcePicture {
    PictureTurn turn;
    SourceShape shape;
};

// Reads "width=", "height=" and "sample_aspect_ratio=" lines of ffprobe's
// default output. A missing, zero, negative or absurd (beyond 4:1 either way)
// pixel aspect counts as square.
SourceShape ParseSourceShape(const QByteArray &output);

// The width-to-height ratio of the picture as it is shown, after `turn`.
double ShownAspect(const SourceShape &shape, const PictureTurn &turn);

// The encoder's filters that bring the (already turned) picture to exactly
// width x height with square pixels, in the chosen shape: "scale=...,expand="
// (bars), "scale=...,crop=" (cut, centred) or "scale=" (stretched), then
// "dsize=" so that the output claims square pixels. A source of unknown shape
// is stretched. No trailing comma.
QByteArray PictureShapeFilters(PictureShape choice, const SourceShape &shape, const PictureTurn &turn, int width,
                               int height);

// One ffprobe run from `toolDir` on the source: its turn and its shape. With
// `wantShape` false only MP4, MOV and 3GP sources are looked at, for their
// turn. A source ffprobe cannot read has no turn and an unknown shape.
SourcePicture ReadSourcePicture(const QByteArray &toolDir, const QString &path, bool wantShape);
