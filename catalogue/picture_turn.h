#pragma once

#include <QByteArray>
#include <QString>
#include <optional>

// How a source's stored picture is turned to show what the camera saw: a
// phone held upright stores its picture on its side and writes a display
// matrix that players honour. First a clockwise turn, then, for a mirrored
// matrix, a left-right mirror.
struct PictureTurn {
    int clockwise = 0;  // 0, 90, 180 or 270 degrees
    bool mirrored = false;

    bool isNone() const { return clockwise == 0 && !mirrored; }
    // Width and height trade places: the shown picture is the stored one on its side.
    bool swapsSides() const { return clockwise == 90 || clockwise == 270; }
    bool operator==(const PictureTurn &) const = default;
};

// What ffprobe printed of the first video stream's display matrix.
struct DisplayMatrixReport {
    // The turn, or nothing when the stream has no display matrix or one that
    // is not a multiple of a quarter turn (see `oddDegrees` then).
    std::optional<PictureTurn> turn;
    // The clockwise angle of a matrix that is no quarter turn.
    std::optional<double> oddDegrees;
};

// The turn of a display matrix whose upper left 2x2 part is a b / c d (in any
// one fixed-point scale); nothing for a matrix that is no quarter turn.
std::optional<PictureTurn> QuarterTurn(qint64 a, qint64 b, qint64 c, qint64 d);

// Reads the output of "ffprobe -show_entries stream_side_data=displaymatrix,rotation
// -of default=nw=1": the nine matrix entries in three numbered rows, then
// the angle.
DisplayMatrixReport ParseDisplayMatrix(const QByteArray &output);

// The encoder's picture filters that turn the stored picture upright, each
// followed by a comma (empty for no turn).
QByteArray PictureTurnFilters(const PictureTurn &turn);

// Whether the file is ISO media (MP4, MOV, 3GP, M4V): a box size, then one of
// the box types such a file starts with. Only these carry a display matrix
// that the tools read.
bool IsIsoMedia(const QString &path);
