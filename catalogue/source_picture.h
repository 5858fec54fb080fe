#pragma once

#include "catalogue/picture_turn.h"

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

// One ffprobe run from `toolDir` on the source: its turn and its shape. With
// `wantShape` false only MP4, MOV and 3GP sources are looked at, for their
// turn. A source ffprobe cannot read has no turn and an unknown shape.
// The look is remembered for the file as it is now (its size and time of
// change), so that a conversion of a file the list has probed needs no look
// of its own.
SourcePicture ReadSourcePicture(const QByteArray &toolDir, const QString &path, bool wantShape);

// The remembered look at the source when the file has not changed since, and
// it told what is wanted; otherwise a fresh one, as `ReadSourcePicture`.
SourcePicture KnownSourcePicture(const QByteArray &toolDir, const QString &path, bool wantShape);
