#include "controls/offscreen_dc.h"
#include "controls/pixel_drawing.h"
#include "tests/support/test_support.h"
#include "tests/support/window_support.h"

#include <QPainter>
#include <QPixmap>
#include <functional>
#include <gtest/gtest.h>

namespace {

// Draws on a white image and returns it as rows of characters: '.' for
// white, then one letter per colour in `legend`, '?' for anything else.
std::vector<std::string> Draw(QSize size, const std::function<void(QPainter &)> &draw,
                              const std::vector<std::pair<char, QColor>> &legend)
{
    QImage image(size, QImage::Format_RGB32);
    image.fill(Qt::white);
    {
        QPainter painter(&image);
        draw(painter);
    }
    std::vector<std::string> rows;
    for (int y = 0; y < size.height(); ++y) {
        std::string row;
        for (int x = 0; x < size.width(); ++x) {
            const QRgb p = image.pixel(x, y) & 0xFFFFFF;
            char c = p == 0xFFFFFF ? '.' : '?';
            for (const auto &[letter, colour] : legend)
                if (p == (colour.rgb() & 0xFFFFFF))
                    c = letter;
            row += c;
        }
        rows.push_back(row);
    }
    return rows;
}

using Rows = std::vector<std::string>;

TEST(PixelDrawingTest, ThreeDRectPutsTheCornersOfTheSecondColourOnTheBottomRight)
{
    const Rows rows = Draw({6, 5}, [](QPainter &p) { Draw3dRect(p, QRect(1, 1, 4, 3), Qt::red, Qt::blue); },
                           {{'A', Qt::red}, {'B', Qt::blue}});
    EXPECT_EQ(rows, (Rows{"......", ".AAAB.", ".A..B.", ".BBBB.", "......"}));
}

TEST(PixelDrawingTest, RoundFramesCutTheirCornersByHalfTheEllipse)
{
    const std::pair<int, Rows> cases[] = {
        {4, {".XXXXXX.", "X......X", "X......X", "X......X", "X......X", ".XXXXXX."}},
        {6, {"..XXXX..", ".X....X.", "X......X", "X......X", ".X....X.", "..XXXX.."}},
    };
    for (const auto &[ellipse, expected] : cases) {
        SCOPED_TRACE(ellipse);
        const Rows rows = Draw({8, 6}, [e = ellipse](QPainter &p) { DrawRoundFrame(p, QRect(0, 0, 8, 6), e, Qt::black); },
                               {{'X', Qt::black}});
        EXPECT_EQ(rows, expected);
    }
}

TEST(PixelDrawingTest, VerticalGradientRunsFromTheTopColourToTheBottomColour)
{
    const QColor top(0, 0, 0), bottom(100, 200, 50);
    QImage image(2, 3, QImage::Format_RGB32);
    {
        QPainter painter(&image);
        FillVerticalGradient(painter, image.rect(), top, bottom);
    }
    EXPECT_EQ(QColor(image.pixel(1, 0)), top);
    EXPECT_EQ(QColor(image.pixel(1, 1)), QColor(50, 100, 25));
    EXPECT_EQ(QColor(image.pixel(1, 2)), bottom);
    EXPECT_EQ(GradientRowColour(top, bottom, 0, 1), top);  // a single row takes the top colour
}

TEST(PixelDrawingTest, GreyCopyWeighsTheChannelsAndKeepsBlackAndTransparency)
{
    EnsureApp();
    const std::pair<QRgb, QRgb> cases[] = {
        {qRgb(200, 100, 50), qRgb(124, 124, 124)},  // 59.8 + 58.7 + 5.7 = 124.2
        {qRgb(255, 255, 255), qRgb(255, 255, 255)},
        {qRgb(255, 0, 255), qRgb(105, 105, 105)},   // 76.245 + 29.07
        {qRgb(0, 0, 1), qRgb(0, 0, 0)},             // not black, but truncates to 0
        {qRgb(0, 0, 0), qRgb(0, 0, 0)},
        {qRgba(0, 0, 0, 0), qRgba(0, 0, 0, 0)},
    };
    QImage source(int(std::size(cases)), 1, QImage::Format_ARGB32);
    for (int i = 0; i < int(std::size(cases)); ++i)
        source.setPixel(i, 0, cases[i].first);
    const QImage grey = GreyCopy(QPixmap::fromImage(source)).toImage().convertToFormat(QImage::Format_ARGB32);
    for (int i = 0; i < int(std::size(cases)); ++i)
        EXPECT_EQ(grey.pixel(i, 0), cases[i].second) << i;
    EXPECT_TRUE(GreyCopy(QPixmap()).isNull());
}

TEST(OffscreenDcTest, DrawingReachesTheTargetOnlyWhenClosedAndOnlyInTheClipBox)
{
    QImage target(20, 10, QImage::Format_RGB32);
    target.fill(Qt::white);
    QPainter painter(&target);
    painter.setClipRect(QRect(5, 2, 10, 6));
    {
        COffscreenDC dc(painter);
        ASSERT_TRUE(dc.isBuffering());
        EXPECT_EQ(dc.rect(), QRect(5, 2, 10, 6));
        dc.painter().fillRect(QRect(0, 0, 20, 10), Qt::red);  // target coordinates
        EXPECT_EQ(QColor(dc.image().pixel(0, 0)), QColor(Qt::red));  // buffer (0, 0) is target (5, 2)
        EXPECT_EQ(QColor(target.pixel(6, 3)), QColor(Qt::white));
        dc.close();
        EXPECT_EQ(QColor(target.pixel(6, 3)), QColor(Qt::red));
    }
    painter.end();
    EXPECT_EQ(QColor(target.pixel(5, 2)), QColor(Qt::red));
    EXPECT_EQ(QColor(target.pixel(14, 7)), QColor(Qt::red));
    EXPECT_EQ(QColor(target.pixel(4, 2)), QColor(Qt::white));
    EXPECT_EQ(QColor(target.pixel(15, 8)), QColor(Qt::white));
}

} // namespace
