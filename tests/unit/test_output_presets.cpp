// The output preset tables and the helpers the boxes and the start command use.

#include "engine/output_presets.h"

#include <gtest/gtest.h>

#include <ostream>

// Readable texts in failure messages.
void PrintTo(const QString &text, std::ostream *os) { *os << '"' << text.toStdString() << '"'; }

namespace {

struct TableCase {
    OutputFormat format;
    const char *name;
    QStringList shownResolutions;  // sorted, as the box lists them
    QString defaultResolution;
    QStringList shownFrameRates;
    QString defaultFrameRate;
    QStringList bitrates;  // insertion order
    QString defaultBitrate;
};

class PresetTables : public testing::TestWithParam<TableCase> {};

TEST_P(PresetTables, BoxesShowTheFormatsChoicesWithItsDefaults)
{
    const TableCase &c = GetParam();
    const FormatPresets &p = PresetsFor(c.format);
    EXPECT_EQ(SortedLikeBox(p.resolutions), c.shownResolutions);
    EXPECT_EQ(SortedLikeBox(p.frameRates), c.shownFrameRates);
    EXPECT_EQ(p.bitrates, c.bitrates);
    EXPECT_EQ(p.defaultResolution, c.defaultResolution);
    EXPECT_EQ(p.defaultFrameRate, c.defaultFrameRate);
    EXPECT_EQ(p.defaultBitrate, c.defaultBitrate);
    EXPECT_TRUE(p.resolutions.contains(p.defaultResolution));
    EXPECT_TRUE(p.frameRates.contains(p.defaultFrameRate));
    EXPECT_TRUE(p.bitrates.contains(p.defaultBitrate));

    OutputFormat parsed = OutputFormat::Mp4;
    ASSERT_TRUE(ParseFormat(QString::fromLatin1(c.name), &parsed));
    EXPECT_EQ(parsed, c.format);
}

INSTANTIATE_TEST_SUITE_P(
    Formats, PresetTables,
    testing::Values(
        TableCase{OutputFormat::Mp4,
                  "MP4",
                  {"128x96", "160x120", "176x144", "220x176", "320x240", "352x288", "480x320", "640x480", "720x480"},
                  "320x240",
                  {"10", "12", "15", "25", "30"},
                  "15",
                  {"48", "64", "96", "112", "128", "192", "256", "384", "512", "1024", "1500", "2000"},
                  "512"},
        TableCase{OutputFormat::ThreeGp,
                  "3GP",
                  {"128x96", "176x144", "352x288", "704x576"},
                  "176x144",
                  {"10", "12", "15", "25"},
                  "15",
                  {"48", "64", "96", "112", "128", "160", "192", "256", "384", "512"},
                  "64"},
        TableCase{OutputFormat::Flv,
                  "FLV",
                  {"176x144", "220x176", "320x240", "640x480", "720x480"},
                  "320x240",
                  {"10", "12", "15", "25"},
                  "25",
                  {"192", "216", "256", "384", "512", "768", "1000", "1500"},
                  "384"}),
    [](const testing::TestParamInfo<TableCase> &testInfo) { return std::string(testInfo.param.name); });

TEST(FormatBox, ItemsAreAddedMp4FirstAndShownSorted)
{
    EXPECT_EQ(FormatItems(), (QStringList{"MP4", "3GP", "FLV"}));
    EXPECT_EQ(SortedLikeBox(FormatItems()), (QStringList{"3GP", "FLV", "MP4"}));
}

TEST(FormatBox, FormatTextsMatchWithoutRegardToCase)
{
    OutputFormat f = OutputFormat::Mp4;
    EXPECT_TRUE(ParseFormat("flv", &f));
    EXPECT_EQ(f, OutputFormat::Flv);
    EXPECT_TRUE(ParseFormat("3gp", &f));
    EXPECT_EQ(f, OutputFormat::ThreeGp);
    EXPECT_TRUE(ParseFormat("Mp4", &f));
    EXPECT_EQ(f, OutputFormat::Mp4);

    f = OutputFormat::Flv;
    EXPECT_FALSE(ParseFormat("MP4 ", &f));
    EXPECT_FALSE(ParseFormat("AVI", &f));
    EXPECT_FALSE(ParseFormat("", &f));
    EXPECT_EQ(f, OutputFormat::Flv);
}

TEST(SortedLikeBox, ComparesWithoutRegardToCaseAndKeepsEqualItemsInOrder)
{
    EXPECT_EQ(SortedLikeBox({"b", "A", "a", "B", "c"}), (QStringList{"A", "a", "b", "B", "c"}));
    EXPECT_EQ(SortedLikeBox({"mp4", "FLV", "3gp"}), (QStringList{"3gp", "FLV", "mp4"}));
    // Character by character: "1000" comes before "192", as a sorted box shows it.
    EXPECT_EQ(SortedLikeBox({"192", "1000", "25"}), (QStringList{"1000", "192", "25"}));
    EXPECT_EQ(SortedLikeBox({}), QStringList());
}

struct SplitCase {
    const char *resolution;
    const char *width;
    const char *height;
};

class SplitResolutions : public testing::TestWithParam<SplitCase> {};

TEST_P(SplitResolutions, WidthIsBeforeTheFirstXAndHeightAfterIt)
{
    QString width = "unset";
    QString height = "unset";
    SplitResolution(QString::fromLatin1(GetParam().resolution), &width, &height);
    EXPECT_EQ(width, QString::fromLatin1(GetParam().width));
    EXPECT_EQ(height, QString::fromLatin1(GetParam().height));
}

INSTANTIATE_TEST_SUITE_P(Texts, SplitResolutions,
                         testing::Values(SplitCase{"720x480", "720", "480"}, SplitCase{"704x576", "704", "576"},
                                         SplitCase{"128x96", "128", "96"}, SplitCase{"1x2x3", "1", "2x3"},
                                         SplitCase{"x", "", ""}));

} // namespace
