#pragma once

#include <QColor>
#include <QRect>

class QImage;
class QPainter;
class QPixmap;

// Pixel-exact drawing primitives the flat controls are built from. Each one
// fills whole device-independent pixels with solid colours, so what a control
// draws does not depend on antialiasing or on the style in use.

// A one-pixel 3-D frame inside `r`: the top row and the left column (each
// without its last pixel) in `topLeft`, the right column and the bottom row in
// `bottomRight`.
void Draw3dRect(QPainter &painter, const QRect &r, const QColor &topLeft, const QColor &bottomRight);

// Fills `r` row by row with a colour interpolated linearly per channel from
// `top` (first row) to `bottom` (last row).
void FillVerticalGradient(QPainter &painter, const QRect &r, const QColor &top, const QColor &bottom);

// The colour of row `row` (0-based) of a vertical gradient `rows` rows high.
QColor GradientRowColour(const QColor &top, const QColor &bottom, int row, int rows);

// The one-pixel outline of a rounded rectangle inside `r` whose corners follow
// an ellipse `ellipse` pixels across: each corner is cut by a diagonal of
// ellipse / 2 pixels, the edges run straight between the cuts.
void DrawRoundFrame(QPainter &painter, const QRect &r, int ellipse, const QColor &colour);

// A dotted focus frame along the edge of `r`, drawn by inverting every other
// pixel of `image` (the pixels whose x + y is even). Drawing it twice restores
// the image. `painter` must be the active painter on `image`.
void DrawFocusFrame(QPainter &painter, const QImage &image, const QRect &r);

// A grey copy of an icon: every pixel that is not black becomes the grey of
// level 0.299 R + 0.587 G + 0.114 B (truncated); transparency is kept.
QPixmap GreyCopy(const QPixmap &icon);
