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

// The source's colours as its stream flags them, in ffprobe's names ("bt709",
// "arib-std-b67", "smpte2084", "bt2020nc", "smpte170m" ...); empty when the
// stream does not say.
struct SourceColour {
    QByteArray transfer;   // the transfer function (color_transfer)
    QByteArray primaries;  // the primaries (color_primaries)
    QByteArray matrix;     // the Y'CbCr matrix (color_space)

    // Recorded in high dynamic range, HLG or PQ, as phones record by default:
    // read as it is, as the encoder reads every source, the picture comes out
    // pale and faded.
    bool highDynamicRange() const { return transfer == "arib-std-b67" || transfer == "smpte2084"; }
};

// What one look at the source tells about its picture.
struct SourcePicture {
    PictureTurn turn;
    SourceShape shape;
    SourceColour colour;
};

// The pixel aspect num:den as a look takes it: a missing (zero or negative)
// or absurd (beyond 4:1 either way) one counts as square.
double SanePixelAspect(qint64 num, qint64 den);

// Reads "width=", "height=" and "sample_aspect_ratio=" lines of ffprobe's
// default output. A missing, zero, negative or absurd (beyond 4:1 either way)
// pixel aspect counts as square.
SourceShape ParseSourceShape(const QByteArray &output);

// Reads "color_transfer=", "color_primaries=" and "color_space=" lines of
// ffprobe's default output; "unknown" and missing values are left empty.
SourceColour ParseSourceColour(const QByteArray &output);

// One look at the source: its turn, its shape and its colours, read from the
// index of an ISO media file where that tells all (ReadIsoPicture), else by
// one ffprobe run from `toolDir`. With `wantShape` false only MP4, MOV and 3GP
// sources are looked at (the kinds that carry a turn); other sources then have
// no turn, and unknown shape and colours. A source ffprobe cannot read has no
// turn and an unknown shape and colours.
// The look is remembered for the file as it is now (its size and time of
// change), so that a conversion of a file the list has probed needs no look
// of its own.
SourcePicture ReadSourcePicture(const QByteArray &toolDir, const QString &path, bool wantShape);

// The remembered look at the source when the file has not changed since, and
// it told what is wanted; otherwise a fresh one, as `ReadSourcePicture`.
SourcePicture KnownSourcePicture(const QByteArray &toolDir, const QString &path, bool wantShape);
