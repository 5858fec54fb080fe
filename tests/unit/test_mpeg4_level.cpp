#include "engine/encoder_command_lines.h"
#include "engine/mpeg4_level.h"

#include <gtest/gtest.h>

namespace {

// Each level is the smallest whose picture size, picture rate and bitrate all
// hold; the MP4 encoder line declares it.
TEST(SimpleProfileLevel, SmallestThatHoldsSizeRateAndBitrate)
{
    struct Case {
        int width, height;
        double frameRate;
        int kilobits;
        const char *level;
    };
    const Case cases[] = {
        {176, 144, 15, 64, "1"},
        {176, 144, 15, 65, "2"},     // bitrate over level 1
        {176, 144, 30, 64, "2"},     // picture rate over level 1
        {177, 144, 15, 64, "2"},     // a partial macroblock counts whole
        {352, 288, 15, 128, "2"},
        {352, 288, 30, 128, "3"},    // 11880 macroblocks per second
        {320, 240, 15, 512, "4a"},   // the MP4 default
        {640, 480, 30, 2000, "4a"},
        {720, 480, 25, 1024, "5"},
        {720, 480, 30, 2000, "5"},   // 40500 macroblocks per second, the top of level 5
        {1280, 720, 25, 2000, "5"},  // beyond the table: its largest level
    };
    for (const Case &c : cases) {
        EXPECT_STREQ(SimpleProfileLevelFor(c.width, c.height, c.frameRate, c.kilobits).name, c.level)
            << c.width << 'x' << c.height << '@' << c.frameRate << ' ' << c.kilobits;
    }

    const EncoderStep step{"/t/", "/in.avi", "/out.avi", false};
    EXPECT_TRUE(Mp4EncoderCommandLine(step, {320, 240, 15, 512}).contains(":o=level=4 "));
    EXPECT_TRUE(Mp4EncoderCommandLine(step, {176, 144, 10, 48}).contains(":o=level=1 "));
}

} // namespace
