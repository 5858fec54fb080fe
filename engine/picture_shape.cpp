#include "engine/picture_shape.h"

#include "base/log.h"
#include "catalogue/ffprobe_read.h"
#include "process/command_line.h"

#include <QList>
#include <algorithm>
#include <cmath>

namespace {

// Pixels more than four times wider than high, or the other way round, are no
// real source's: such a flag is a fault of the file.
constexpr double kMaxPixelAspect = 4;
// A scaled side larger than this many times the output's is cut down: only
// a source of absurd shape comes near it.
constexpr int kMaxOverscan = 8;

// The nearest even number, at least 2 and at most `limit`.
int EvenWithin(double value, int limit)
{
    const int even = 2 * int(std::lround(value / 2));
    return std::clamp(even, 2, std::max(2, limit));
}

double PixelAspectOf(const QByteArray &text)
{
    const QList<QByteArray> parts = text.split(':');
    if (parts.size() != 2)
        return 1;
    bool numOk = false;
    bool denOk = false;
    const double num = parts[0].toDouble(&numOk);
    const double den = parts[1].toDouble(&denOk);
    if (!numOk || !denOk || num <= 0 || den <= 0)
        return 1;
    const double aspect = num / den;
    if (aspect > kMaxPixelAspect || aspect < 1 / kMaxPixelAspect) {
        qCWarning(lcQ9) << "the source's pixel aspect" << text << "is absurd: its pixels are taken as square";
        return 1;
    }
    return aspect;
}

}  // namespace

SourceShape ParseSourceShape(const QByteArray &output)
{
    SourceShape shape;
    for (const QByteArray &rawLine : output.split('\n')) {
        const QByteArray line = rawLine.trimmed();
        if (line.startsWith("width="))
            shape.width = line.mid(6).toInt();
        else if (line.startsWith("height="))
            shape.height = line.mid(7).toInt();
        else if (line.startsWith("sample_aspect_ratio="))
            shape.pixelAspect = PixelAspectOf(line.mid(20));
    }
    return shape;
}

double ShownAspect(const SourceShape &shape, const PictureTurn &turn)
{
    if (!shape.known())
        return 1;
    const double aspect = shape.width * shape.pixelAspect / shape.height;
    return turn.swapsSides() ? 1 / aspect : aspect;
}

QByteArray PictureShapeFilters(PictureShape choice, const SourceShape &shape, const PictureTurn &turn, int width,
                               int height)
{
    const QByteArray size = QByteArray::number(width) + ':' + QByteArray::number(height);
    const QByteArray squarePixels = ",dsize=" + size;
    if (choice == PictureShape::Stretch || !shape.known() || width <= 0 || height <= 0)
        return "scale=" + size + squarePixels;

    const double aspect = ShownAspect(shape, turn);
    const bool wider = aspect >= double(width) / height;
    int scaledWidth = width;
    int scaledHeight = height;
    if (choice == PictureShape::Fit) {
        // The whole picture inside the size; black bars fill the rest, centred.
        if (wider)
            scaledHeight = EvenWithin(width / aspect, height);
        else
            scaledWidth = EvenWithin(height * aspect, width);
    } else {
        // The size filled; the overflow is cut off evenly on both sides.
        if (wider)
            scaledWidth = std::max(width, EvenWithin(height * aspect, kMaxOverscan * width));
        else
            scaledHeight = std::max(height, EvenWithin(width / aspect, kMaxOverscan * height));
    }
    const QByteArray scale = "scale=" + QByteArray::number(scaledWidth) + ':' + QByteArray::number(scaledHeight);
    if (scaledWidth == width && scaledHeight == height)
        return scale + squarePixels;
    if (choice == PictureShape::Fit && scaledHeight == height) {
        // Bars left and right only: the encoder's "expand" leaves the first two
        // rows of such bars unset (dark green). Growing the height too and
        // cutting the two extra rows off each edge gives all-black bars.
        const QByteArray taller = QByteArray::number(width) + ':' + QByteArray::number(height + 4);
        return scale + ",expand=" + taller + ",crop=" + size + ":0:2" + squarePixels;
    }
    return scale + (choice == PictureShape::Fit ? ",expand=" : ",crop=") + size + squarePixels;
}

SourcePicture ReadSourcePicture(const QByteArray &toolDir, const QString &path, bool wantShape)
{
    if (!wantShape)
        return {ReadPictureTurn(toolDir, path, false), {}};
    const QByteArray parameters = "-v error -select_streams v:0 -show_entries "
                                  "stream=width,height,sample_aspect_ratio:stream_side_data=displaymatrix,rotation "
                                  "-of default=nw=1 " +
                                  QuotePath(path);
    const std::optional<QByteArray> printed =
        ReadWithFfprobe(toolDir, parameters, path, "its picture is stretched to the size, as stored");
    if (!printed)
        return {};
    SourcePicture picture;
    picture.shape = ParseSourceShape(*printed);
    // The matrix rows follow the stream's own lines, whose values hold colons too.
    QByteArray matrix;
    for (const QByteArray &line : printed->split('\n')) {
        if (!line.startsWith("sample_aspect_ratio="))
            matrix += line + '\n';
    }
    picture.turn = ParseDisplayMatrix(matrix).turn.value_or(PictureTurn{});
    if (!picture.shape.known())
        qCWarning(lcQ9) << "ffprobe found no picture size in" << path << "- its picture is stretched to the size";
    return picture;
}
