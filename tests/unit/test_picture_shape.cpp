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

// Laid out in the output's pixels: square ones, and the 12:11 ones of the
// H.263 picture formats, whose 176x144 a player shows as 4:3.
TEST(PictureShape, FitFillAndStretchGiveExactlyTheChosenSize)
{
    const SourceShape wide{1280, 720, 1};
    const SourceShape dvd{720, 576, 64.0 / 45};
    const SourceShape tinyOdd{161, 121, 1};
    const SourceShape fourThree{640, 480, 1};
    const PixelAspect square{1, 1};
    const PixelAspect h263{12, 11};
    const struct {
        PictureShape choice;
        SourceShape shape;
        PictureTurn turn;
        int width, height;
        PixelAspect pixels;
        const char *filters;
    } cases[] = {
        // Letterbox: a 16:9 picture 320 wide is 180 high; so is an anamorphic DVD.
        {PictureShape::Fit, wide, {}, 320, 240, square, "scale=320:180,expand=320:240,dsize=320:240"},
        {PictureShape::Fit, dvd, {}, 320, 240, square, "scale=320:180,expand=320:240,dsize=320:240"},
        // Pillarbox: a phone's upright clip, turned, is 9:16.
        {PictureShape::Fit, wide, {90, false}, 320, 240, square, "scale=136:240,expand=320:244,crop=320:240:0:2,dsize=320:240"},
        {PictureShape::Fit, tinyOdd, {}, 176, 144, square, "scale=176:132,expand=176:144,dsize=176:144"},
        // A picture of the size's own shape needs no bars.
        {PictureShape::Fit, fourThree, {}, 320, 240, square, "scale=320:240,dsize=320:240"},
        // Fill: scaled to cover the size, the sides cut off.
        {PictureShape::Fill, wide, {}, 320, 240, square, "scale=426:240,crop=320:240,dsize=320:240"},
        {PictureShape::Fill, wide, {90, false}, 320, 240, square, "scale=320:568,crop=320:240,dsize=320:240"},
        // Stretch, and any source whose shape could not be read.
        {PictureShape::Stretch, wide, {}, 320, 240, square, "scale=320:240,dsize=320:240"},
        {PictureShape::Fit, {}, {}, 320, 240, square, "scale=320:240,dsize=320:240"},
        // 12:11 pixels: 176x144 shows 192x144, 4:3 without bars; 16:9 shows 192x108.
        {PictureShape::Fit, fourThree, {}, 176, 144, h263, "scale=176:144,dsize=2112/1584"},
        {PictureShape::Fit, wide, {}, 176, 144, h263, "scale=176:108,expand=176:144,dsize=2112/1584"},
        {PictureShape::Fit, wide, {90, false}, 176, 144, h263, "scale=74:144,expand=176:148,crop=176:144:0:2,dsize=2112/1584"},
        {PictureShape::Fill, wide, {}, 176, 144, h263, "scale=234:144,crop=176:144,dsize=2112/1584"},
        {PictureShape::Stretch, wide, {}, 176, 144, h263, "scale=176:144,dsize=2112/1584"},
    };
    for (const auto &c : cases) {
        EXPECT_EQ(PictureShapeFilters(c.choice, c.shape, c.turn, c.width, c.height, c.pixels), QByteArray(c.filters))
            << c.shape.width << 'x' << c.shape.height << " choice " << int(c.choice) << " pixels " << c.pixels.across
            << ':' << c.pixels.down;
    }
}

}  // namespace
