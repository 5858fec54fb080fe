#include "engine/convert_progress.h"
#include "engine/picture_motion.h"

#include <gtest/gtest.h>

// The still-picture judgement over made-up 32x24 grey thumbnails.
namespace {

QByteArray Flat(int grey)
{
    return QByteArray(32 * 24, char(grey));
}

// A picture with a bright square whose left edge stands at `x`.
QByteArray Square(int x)
{
    QByteArray picture = Flat(40);
    for (int row = 8; row < 16; ++row)
        for (int column = x; column < x + 8; ++column)
            picture[row * 32 + column] = char(220);
    return picture;
}

// Coding noise: every fourth pixel one step brighter.
QByteArray Noisy(QByteArray picture)
{
    for (qsizetype i = 0; i < picture.size(); i += 4)
        picture[i] = char(quint8(picture[i]) + 1);
    return picture;
}

TEST(PictureMotion, AnOutputFrozenWhereTheSourceMovesIsStillAndNothingElseIs)
{
    const MotionSample moving{Square(2), Square(20)};
    const MotionSample frozen{Square(2), Noisy(Square(2))};
    const MotionSample testCard{Flat(90), Noisy(Flat(90))};
    const MotionSample fadedButMoving{Square(2), Square(6)};

    EXPECT_TRUE(PictureStaysStill(moving, frozen));
    EXPECT_FALSE(PictureStaysStill(moving, moving));
    EXPECT_FALSE(PictureStaysStill(moving, fadedButMoving));
    // A source that does not move itself is never blamed on the output.
    EXPECT_FALSE(PictureStaysStill(testCard, frozen));
    // Thumbnails that could not be made, or do not match, decide nothing.
    EXPECT_FALSE(PictureStaysStill(moving, MotionSample{}));
    EXPECT_FALSE(PictureStaysStill(MotionSample{}, frozen));
    EXPECT_FALSE(PictureStaysStill(moving, MotionSample{Square(2), Flat(40).left(10)}));
    EXPECT_EQ(PictureChange(MotionSample{Flat(10), Flat(13)}), 3.0);
}

TEST(PictureMotion, OnlyAnEncodeFarBelowItsRateIsLookedAt)
{
    const auto rateOf = [](const char *summary) { return ParseEncoderSummary(summary).videoKbits; };
    const char *moving = "Video stream:  616.723 kbit/s  (77090 B/s)  size: 385452 bytes  5.000 secs  126 frames\n";
    const char *frozen = "\rPos: 4.9s\nVideo stream:   12.932 kbit/s  (1616 B/s)  size: 7975 bytes  4.933 secs\n";
    EXPECT_FALSE(EncodedRateAllowsStill(rateOf(moving), 512));
    EXPECT_TRUE(EncodedRateAllowsStill(rateOf(frozen), 512));
    // No summary, or no rate in it, leaves the thumbnails to decide.
    EXPECT_TRUE(EncodedRateAllowsStill(rateOf("Exiting... (End of file)"), 512));
    EXPECT_TRUE(EncodedRateAllowsStill(rateOf("Video stream:     -nan kbit/s  (-2147483648 B/s)  size: 0 bytes"), 512));
    EXPECT_EQ(ParseEncoderSummary(moving).videoSeconds, 5.0);
    EXPECT_EQ(ParseEncoderSummary(frozen).videoSeconds, 4.933);
    EXPECT_EQ(ParseEncoderSummary(moving).videoFrames, 126);
}

// Garbage behind a good header: the encoder repeats its last good picture and
// the decoder reports damage, however much the key frames cost.
TEST(PictureMotion, AnEncodeWhoseDecodingWentWrongIsLookedAt)
{
    EncoderTrouble garbage;
    for (const char *chunk : {"Pos:   0.1s      2f ( 3%)\r[mpeg4 @ 0x55d]conceal", "ing 100 DC, 100 AC, 100 MV errors in I frame\n",
                              "\n1 duplicate frame(s)!\nPos:   0.2s      3f ( 6%)\r\n42 dupl", "icate frame(s)!\n"})
        garbage.feed(chunk);
    EXPECT_EQ(garbage.repeatedFrames(), 43);
    EXPECT_EQ(garbage.damagedPictures(), 1);
    EXPECT_TRUE(DecodeTroubleAllowsStill(garbage.repeatedFrames(), garbage.damagedPictures(), 77));

    // A 10 fps source made 15 fps repeats every third frame, and that is all.
    EXPECT_FALSE(DecodeTroubleAllowsStill(25, 0, 75));
    EXPECT_FALSE(DecodeTroubleAllowsStill(0, 0, std::nullopt));
    EXPECT_TRUE(DecodeTroubleAllowsStill(0, 1, 75));

    // Garbage the thumbnails cannot sample either: a still output of it is the
    // damage, repeated; a glitch or two is not.
    EXPECT_TRUE(DecodingMostlyFailed(67, 76));
    EXPECT_FALSE(DecodingMostlyFailed(2, 76));
    const MotionSample frozen{Square(2), Noisy(Square(2))};
    EXPECT_TRUE(PictureStaysStill(MotionSample{}, frozen, true));
    EXPECT_FALSE(PictureStaysStill(MotionSample{}, MotionSample{Square(2), Square(20)}, true));
    EXPECT_FALSE(PictureStaysStill(MotionSample{}, frozen, false));
}

}  // namespace
