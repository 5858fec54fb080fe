// What a written file holds, read back, and whether the handset takes it.

#include "engine/output_report.h"

#include <gtest/gtest.h>

namespace {

const QByteArray kMp4 = R"({
 "streams": [
  {"codec_name": "mpeg4", "profile": "Simple Profile", "codec_type": "video", "width": 320, "height": 240,
   "level": 3, "avg_frame_rate": "15/1"},
  {"codec_name": "aac", "profile": "LC", "codec_type": "audio", "sample_rate": "44100", "channels": 2}
 ],
 "format": {"format_name": "mov,mp4,m4a,3gp,3g2,mj2", "duration": "3.000000", "size": "123456", "bit_rate": "329216"}
})";

TEST(OutputReport, ReadsTheFactsAndNamesTheFirstBrokenConstraint)
{
    OutputFacts facts = ParseOutputFacts(kMp4);
    ASSERT_TRUE(facts.readable);
    EXPECT_EQ(facts.videoCodec, "mpeg4");
    EXPECT_EQ(facts.videoLevel, 3);
    EXPECT_EQ(facts.width, 320);
    EXPECT_DOUBLE_EQ(facts.frameRate, 15);
    EXPECT_EQ(facts.audioCodec, "aac");
    EXPECT_EQ(facts.sampleRate, 44100);
    EXPECT_EQ(facts.channels, 2);
    EXPECT_DOUBLE_EQ(facts.seconds, 3);
    EXPECT_EQ(facts.fileBytes, 123456);

    facts.indexFirst = true;
    EXPECT_EQ(CheckHandsetConstraints(OutputFormat::Mp4, facts, 320, 240), OutputMismatch::None);
    EXPECT_EQ(CheckHandsetConstraints(OutputFormat::Mp4, facts, 480, 320), OutputMismatch::Size);
    EXPECT_EQ(CheckHandsetConstraints(OutputFormat::ThreeGp, facts, 320, 240), OutputMismatch::VideoCodec);
    OutputFacts broken = facts;
    broken.videoProfile = "Advanced Simple Profile";
    EXPECT_EQ(CheckHandsetConstraints(OutputFormat::Mp4, broken, 320, 240), OutputMismatch::Profile);
    broken = facts;
    broken.audioCodec = "mp3";
    EXPECT_EQ(CheckHandsetConstraints(OutputFormat::Mp4, broken, 320, 240), OutputMismatch::AudioCodec);
    broken = facts;
    broken.indexFirst = false;
    EXPECT_EQ(CheckHandsetConstraints(OutputFormat::Mp4, broken, 320, 240), OutputMismatch::IndexLast);
    EXPECT_EQ(CheckHandsetConstraints(OutputFormat::Mp4, ParseOutputFacts("garbage"), 320, 240),
              OutputMismatch::Unreadable);
}

}  // namespace
