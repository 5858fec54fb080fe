#include "catalogue/picture_turn.h"

#include <QFile>
#include <QList>
#include <cmath>

namespace {

int Sign(qint64 value)
{
    return (value > 0) - (value < 0);
}

}  // namespace

// The turn of a display matrix whose upper left 2x2 part is a b / c d. A
// stored point (p, q), with q counted downwards, is shown at (a p + c q,
// b p + d q), moved back into the picture: a = d = 0 with b > 0 > c is a
// clockwise quarter turn, b = c = 0 with a < 0 < d a left-right mirror.
// Other matrices (any angle between, shears) are no quarter turn.
std::optional<PictureTurn> QuarterTurn(qint64 a, qint64 b, qint64 c, qint64 d)
{
    if (b == 0 && c == 0 && a != 0 && d != 0) {
        if (Sign(a) == Sign(d))
            return PictureTurn{a > 0 ? 0 : 180, false};
        // Upside down is half a turn and a mirror.
        return PictureTurn{a > 0 ? 180 : 0, true};
    }
    if (a == 0 && d == 0 && b != 0 && c != 0) {
        if (Sign(b) != Sign(c))
            return PictureTurn{b > 0 ? 90 : 270, false};
        // Swapped across a diagonal: a quarter turn and a mirror.
        return PictureTurn{b > 0 ? 90 : 270, true};
    }
    return std::nullopt;
}

bool IsIsoMedia(const QString &path)
{
    QFile file(path);
    if (!file.open(QIODevice::ReadOnly))
        return false;
    const QByteArray type = file.read(8).mid(4);
    for (const char *known : {"ftyp", "moov", "mdat", "wide", "free", "skip", "pnot"}) {
        if (type == known)
            return true;
    }
    return false;
}

DisplayMatrixReport ParseDisplayMatrix(const QByteArray &output)
{
    DisplayMatrixReport report;
    const QList<QByteArray> lines = output.split('\n');
    QList<qint64> entries;
    bool inMatrix = false;
    std::optional<double> degrees;
    for (const QByteArray &rawLine : lines) {
        const QByteArray line = rawLine.trimmed();
        if (line.startsWith("displaymatrix=")) {
            inMatrix = true;
            entries.clear();
            continue;
        }
        if (line.startsWith("rotation=")) {
            bool ok = false;
            const double value = line.mid(9).toDouble(&ok);
            if (ok)
                degrees = value;
        }
        // The rows read "00000000:     0   65536       0".
        const qsizetype colon = line.indexOf(':');
        if (!inMatrix || colon < 0) {
            inMatrix = false;
            continue;
        }
        for (const QByteArray &field : line.mid(colon + 1).simplified().split(' ')) {
            bool ok = false;
            const qint64 value = field.toLongLong(&ok);
            if (ok)
                entries.append(value);
        }
    }
    if (entries.size() < 5)
        return report;  // no display matrix: the picture is shown as stored
    report.turn = QuarterTurn(entries[0], entries[1], entries[3], entries[4]);
    if (!report.turn) {
        // ffprobe names the angle counter-clockwise; the log says clockwise.
        const double clockwise = degrees ? std::fmod(360.0 - *degrees, 360.0) : 0;
        report.oddDegrees = clockwise;
    }
    return report;
}

QByteArray PictureTurnFilters(const PictureTurn &turn)
{
    // The encoder's "rotate" turns a quarter: 1 clockwise, 2 counter-clockwise,
    // 0 and 3 the same followed by a mirror; "flip" turns the picture upside
    // down and "mirror" swaps left and right.
    switch (turn.clockwise) {
    case 90:
        return turn.mirrored ? "rotate=0," : "rotate=1,";
    case 180:
        return turn.mirrored ? "flip," : "flip,mirror,";
    case 270:
        return turn.mirrored ? "rotate=3," : "rotate=2,";
    default:
        return turn.mirrored ? "mirror," : "";
    }
}
