#include "engine/convert_progress.h"

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

} // namespace
