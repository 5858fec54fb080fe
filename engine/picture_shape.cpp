#include "engine/picture_shape.h"

#include <algorithm>
#include <cmath>

namespace {

// A scaled side larger than this many times the output's is cut down: only
// a source of absurd shape comes near it.
constexpr int kMaxOverscan = 8;

// The nearest even number, at least 2 and at most `limit`.
int EvenWithin(double value, int limit)
{
    const int even = 2 * int(std::lround(value / 2));
    return std::clamp(even, 2, std::max(2, limit));
}

}  // namespace

double ShownAspect(const SourceShape &shape, const PictureTurn &turn)
{
    if (!shape.known())
        return 1;
    const double aspect = shape.width * shape.pixelAspect / shape.height;
    return turn.swapsSides() ? 1 / aspect : aspect;
}

QByteArray PictureShapeFilters(PictureShape choice, const SourceShape &shape, const PictureTurn &turn, int width,
                               int height, PixelAspect pixels)
{
    const QByteArray size = QByteArray::number(width) + ':' + QByteArray::number(height);
    // Square pixels as the size itself; others as the shown aspect, a fraction.
    const QByteArray shownSize =
        ",dsize=" + (pixels.square() ? size
                                     : QByteArray::number(qint64(width) * pixels.across) + '/' +
                                           QByteArray::number(qint64(height) * pixels.down));
    if (choice == PictureShape::Stretch || !shape.known() || width <= 0 || height <= 0)
        return "scale=" + size + shownSize;

    // Widths are laid out in stored pixels: one of them shows `pixelWidth`
    // times as wide as it is high.
    const double pixelWidth = pixels.ratio();
    const double aspect = ShownAspect(shape, turn);
    const bool wider = aspect >= width * pixelWidth / height;
    int scaledWidth = width;
    int scaledHeight = height;
    if (choice == PictureShape::Fit) {
        // The whole picture inside the size; black bars fill the rest, centred.
        if (wider)
            scaledHeight = EvenWithin(width * pixelWidth / aspect, height);
        else
            scaledWidth = EvenWithin(height * aspect / pixelWidth, width);
    } else {
        // The size filled; the overflow is cut off evenly on both sides.
        if (wider)
            scaledWidth = std::max(width, EvenWithin(height * aspect / pixelWidth, kMaxOverscan * width));
        else
            scaledHeight = std::max(height, EvenWithin(width * pixelWidth / aspect, kMaxOverscan * height));
    }
    const QByteArray scale = "scale=" + QByteArray::number(scaledWidth) + ':' + QByteArray::number(scaledHeight);
    if (scaledWidth == width && scaledHeight == height)
        return scale + shownSize;
    if (choice == PictureShape::Fit && scaledHeight == height) {
        // Bars left and right only: the encoder's "expand" leaves the first two
        // rows of such bars unset (dark green). Growing the height too and
        // cutting the two extra rows off each edge gives all-black bars.
        const QByteArray taller = QByteArray::number(width) + ':' + QByteArray::number(height + 4);
        return scale + ",expand=" + taller + ",crop=" + size + ":0:2" + shownSize;
    }
    return scale + (choice == PictureShape::Fit ? ",expand=" : ",crop=") + size + shownSize;
}
