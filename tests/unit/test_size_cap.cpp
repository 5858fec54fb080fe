// A size limit per file: sizes as users type them, the rates a row is planned
// at, and the verdict on what a pass wrote.

#include "engine/conversion_batch.h"
#include "engine/size_cap.h"

#include <gtest/gtest.h>

namespace {

constexpr qint64 kKiB = 1024;
constexpr qint64 kMiB = 1024 * kKiB;

BatchChoices Choices(OutputFormat format, int bitrate, qint64 maxBytes, int frameRate = 15)
{
    BatchChoices choices;
    choices.format = format;
    choices.width = 320;
    choices.height = 240;
    choices.frameRate = frameRate;
    choices.bitrate = bitrate;
    choices.maxBytes = maxBytes;
    return choices;
}

TEST(SizeText, ReadsWhatUsersType)
{
    EXPECT_EQ(ParseSizeText("300k"), 300 * kKiB);
    EXPECT_EQ(ParseSizeText(" 300 KB "), 300 * kKiB);
    EXPECT_EQ(ParseSizeText("1M"), kMiB);
    EXPECT_EQ(ParseSizeText("2.5mb"), 5 * kMiB / 2);
    EXPECT_EQ(ParseSizeText("1 MiB"), kMiB);
    EXPECT_EQ(ParseSizeText("700000"), 700000);
    for (const char *bad : {"", "abc", "0", "-1M", "1,5M", "1 TB", "M"})
        EXPECT_EQ(ParseSizeText(bad), std::nullopt) << bad;
}

// The plan holds the file under the limit with the sound counted, keeps the
// chosen bitrate where it fits, takes the sound down before it starves the
// picture, and names the smallest limit that can be held when none can.
TEST(SizePlan, FileFitsWithItsSound)
{
    struct Case {
        OutputFormat format;
        int bitrate;
        qint64 limit;
        double seconds;
        bool capped;
        int sound;  // 0: below the format's own
    };
    const Case cases[] = {
        {OutputFormat::Mp4, 512, 25 * kMiB, 60, false, 128},     // room to spare: the chosen rate stays
        {OutputFormat::Mp4, 2000, 8 * kMiB, 60, true, 128},      // mail: the limit sets the rate
        {OutputFormat::Mp4, 512, kMiB, 60, true, 0},             // tight: the sound steps down
        {OutputFormat::ThreeGp, 512, 300 * kKiB, 60, true, 12},  // a picture message
        {OutputFormat::Flv, 1500, 10 * kMiB, 300, true, 64},
    };
    for (const Case &c : cases) {
        SCOPED_TRACE(FormatName(c.format).toStdString() + " " + std::to_string(c.limit));
        const BatchChoices choices = Choices(c.format, c.bitrate, c.limit);
        const SizePlan plan = PlanSizeLimit(choices, c.seconds);
        ASSERT_TRUE(plan.fits());
        EXPECT_EQ(plan.capped, c.capped);
        if (c.sound)
            EXPECT_EQ(plan.soundKbits, c.sound);
        else
            EXPECT_LT(plan.soundKbits, StepsFor(c.format).size.sound.front().kbits);
        const qint64 bytes = EstimatedFileBytes(c.format, plan.videoKbits, plan.soundKbits, 15, c.seconds);
        EXPECT_LE(bytes, c.limit);
        if (c.capped) {
            EXPECT_GE(bytes, c.limit * 85 / 100);
            EXPECT_LT(plan.videoKbits, c.bitrate);
            EXPECT_GE(plan.videoKbits, std::min(plan.soundKbits, c.bitrate));
        } else {
            EXPECT_EQ(plan.videoKbits, c.bitrate);
        }
    }
}

TEST(SizePlan, ALimitTheLengthCannotHoldNamesTheSmallest)
{
    for (const OutputFormat format : Formats()) {
        SCOPED_TRACE(FormatName(format).toStdString());
        const SizePlan plan = PlanSizeLimit(Choices(format, 512, 40 * kKiB), 60);
        ASSERT_FALSE(plan.fits());
        EXPECT_GT(plan.smallestBytes, 40 * kKiB);
        // The smallest size named is one the plan can hold, and no less.
        EXPECT_TRUE(PlanSizeLimit(Choices(format, 512, plan.smallestBytes), 60).fits());
        EXPECT_FALSE(PlanSizeLimit(Choices(format, 512, plan.smallestBytes * 98 / 100), 60).fits());
    }
}

TEST(SizePass, OvershootIsEncodedAgainOnceThenFails)
{
    const BatchChoices choices = Choices(OutputFormat::Mp4, 512, 1000000);
    const SizePlan plan{100, 64, true, 0};
    // 100 kbit/s asked, 800 KB of video written beside 300 KB of sound and container.
    const PassVerdict first = JudgePass(choices, plan, {1100000, 800000, 100, 60}, true);
    ASSERT_EQ(first.kind, PassVerdict::EncodeAgain);
    EXPECT_EQ(first.videoKbits, 82) << "the video scaled into what the sound and container leave";
    const PassVerdict second = JudgePass(choices, plan, {1010000, 710000, 82, 60}, false);
    EXPECT_EQ(second.kind, PassVerdict::TooBig);
    EXPECT_EQ(second.smallestBytes, 1010000);
    // Sound and container alone fill the limit: no video rate helps.
    const PassVerdict full = JudgePass(choices, plan, {1200000, 150000, 100, 60}, true);
    EXPECT_EQ(full.kind, PassVerdict::TooBig);
    EXPECT_GT(full.smallestBytes, 1050000);
}

TEST(SizePass, FarBelowTheLimitIsRaisedOnlyWhereTheEncoderSpentItsRate)
{
    const BatchChoices choices = Choices(OutputFormat::Mp4, 512, 1000000);
    const SizePlan plan{100, 64, true, 0};
    // A source without sound: its 750 KB of video was all the file held.
    const PassVerdict silent = JudgePass(choices, plan, {760000, 750000, 100, 60}, true);
    ASSERT_EQ(silent.kind, PassVerdict::EncodeAgain);
    EXPECT_GT(silent.videoKbits, 100);
    EXPECT_LE(silent.videoKbits, 128);
    // A picture that needs little: more rate would not be spent.
    EXPECT_EQ(JudgePass(choices, plan, {400000, 100000, 100, 60}, true).kind, PassVerdict::Keep);
    // Under the limit and near it.
    EXPECT_EQ(JudgePass(choices, plan, {950000, 600000, 100, 60}, true).kind, PassVerdict::Keep);
}

}  // namespace
