#include "engine/convert_progress.h"

#include <QByteArray>
#include <gtest/gtest.h>

namespace {

struct ProgressCase {
    const char *chunk;
    bool found;
    int percent;
};

class ConvertProgress : public ::testing::TestWithParam<ProgressCase> {};

TEST_P(ConvertProgress, FirstPercentageOfTheChunk)
{
    const ProgressCase &c = GetParam();
    int percent = -7;
    EXPECT_EQ(ParseConvertOutput(c.chunk, &percent), c.found);
    EXPECT_EQ(percent, c.found ? c.percent : -7) << "unchanged when nothing is found";
}

INSTANTIATE_TEST_SUITE_P(
    Chunks, ConvertProgress,
    ::testing::Values(
        ProgressCase{"Pos:   0.2s      5f ( 5%)  0.00fps Trem:   0min   0mb", true, 5},
        ProgressCase{"Pos:   1.0s     25f (37%) 12.5fps", true, 37},
        ProgressCase{"Pos:   3.0s     75f (100%) 80.1fps", true, 100},
        ProgressCase{"Pos:   3.0s     75f (99%)\rPos:   3.0s     75f (100%)", true, 99},  // the first counts
        ProgressCase{"(0%)", true, 0},
        ProgressCase{"7%) rest of a line cut in two", true, 7},
        ProgressCase{"100%)", true, 100},
        ProgressCase{"%) at the very start", false, 0},
        ProgressCase{"no percentage in here\r", false, 0},
        ProgressCase{"", false, 0},
        ProgressCase{"(x%)", false, 0},
        ProgressCase{"( %)", false, 0},
        ProgressCase{"50 %)", false, 0},
        ProgressCase{"(101%)", false, 0},  // not a percentage of a run
        ProgressCase{"(1234%)", false, 0},
        ProgressCase{"(12%", false, 0},
        ProgressCase{"12% )", false, 0}));

// The closing summary of an encoder run that decoded nothing, as the installed
// encoder prints it, against summaries of runs that wrote video.
TEST(EncoderSummary, NoVideoOnlyWhenTheVideoSizeIsZero)
{
    const QByteArray empty = "Flushing video frames.\nFilters have not been configured! Empty file?\n"
                             "Writing index...\nWriting header...\n\n"
                             "Video stream:     -nan kbit/s  (-2147483648 B/s)  size: 0 bytes  0.000 secs  2 frames\n\n"
                             "Audio stream:     -nan kbit/s  (-2147483648 B/s)  size: 0 bytes  0.000 secs\n";
    EXPECT_TRUE(EncoderWroteNoVideo(empty));
    EXPECT_TRUE(EncoderWroteNoVideo("Pos: 0.0s 1f ( 0%)\rVideo stream: -nan kbit/s size: 0 bytes"));

    EXPECT_FALSE(EncoderWroteNoVideo("Video stream:  179.597 kbit/s  (22449 B/s)  size: 67349 bytes  3.000 secs  "
                                     "76 frames\n\nAudio stream:   60.106 kbit/s  (7513 B/s)  size: 0 bytes\n"));
    EXPECT_FALSE(EncoderWroteNoVideo("Video stream: 1.2 kbit/s (150 B/s) size: 0123 bytes"));
    EXPECT_FALSE(EncoderWroteNoVideo("Pos:   1.0s     25f ( 16%)\r"));  // killed before the summary
    EXPECT_FALSE(EncoderWroteNoVideo(""));
}

} // namespace
