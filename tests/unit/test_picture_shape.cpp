// Fitting a source's picture into the chosen size: bars, cut or stretched.

#include "engine/picture_shape.h"

#include <gtest/gtest.h>

namespace {

TEST(PictureShape, ReadsSizeAndPixelAspectAndDistrustsAbsurdFlags)
{
    const SourceShape dvd = ParseSourceShape("width=720\nheight=576\nsample_aspect_ratio=64:45\n");
    EXPECT_EQ(dvd.width, 720);
    EXPECT_EQ(dvd.height, 576);
    EXPECT_NEAR(ShownAspect(dvd, {}), 16.0 / 9, 1e-3);
    for (const char *flag : {"0:1", "N/A", "-4:3", "100:1", "1:100"}) {
        const SourceShape shape = ParseSourceShape(QByteArray("width=640\nheight=480\nsample_aspect_ratio=") + flag);
        EXPECT_DOUBLE_EQ(shape.pixelAspect, 1) << flag;
    }
    EXPECT_FALSE(ParseSourceShape("").known());
}

TEST(PictureShape, FitFillAndStretchGiveExactlyTheChosenSize)
{
    const SourceShape wide{1280, 720, 1};
    const SourceShape dvd{720, 576, 64.0 / 45};
    const SourceShape tinyOdd{161, 121, 1};
    const struct {
        PictureShape choice;
        SourceShape shape;
        PictureTurn turn;
        int width, height;
        const char *filters;
    } cases[] = {
        // Letterbox: a 16:9 picture 320 wide is 180 high; so is an anamorphic DVD.
        {PictureShape::Fit, wide, {}, 320, 240, "scale=320:180,expand=320:240,dsize=320:240"},
        {PictureShape::Fit, dvd, {}, 320, 240, "scale=320:180,expand=320:240,dsize=320:240"},
        // Pillarbox: a phone's upright clip, turned, is 9:16.
        {PictureShape::Fit, wide, {90, false}, 320, 240, "scale=136:240,expand=320:244,crop=320:240:0:2,dsize=320:240"},
        {PictureShape::Fit, tinyOdd, {}, 176, 144, "scale=176:132,expand=176:144,dsize=176:144"},
        // A picture of the size's own shape needs no bars.
        {PictureShape::Fit, {640, 480, 1}, {}, 320, 240, "scale=320:240,dsize=320:240"},
        // Fill: scaled to cover the size, the sides cut off.
        {PictureShape::Fill, wide, {}, 320, 240, "scale=426:240,crop=320:240,dsize=320:240"},
        {PictureShape::Fill, wide, {90, false}, 320, 240, "scale=320:568,crop=320:240,dsize=320:240"},
        // Stretch, and any source whose shape could not be read.
        {PictureShape::Stretch, wide, {}, 320, 240, "scale=320:240,dsize=320:240"},
        {PictureShape::Fit, {}, {}, 320, 240, "scale=320:240,dsize=320:240"},
    };
    for (const auto &c : cases) {
        EXPECT_EQ(PictureShapeFilters(c.choice, c.shape, c.turn, c.width, c.height), QByteArray(c.filters))
            << c.shape.width << 'x' << c.shape.height << " choice " << int(c.choice);
    }
}

}  // namespace
