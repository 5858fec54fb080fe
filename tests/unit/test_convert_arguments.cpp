// The command line's batch: what its arguments ask for, and which are refused.

#include "cli/convert_arguments.h"

#include <gtest/gtest.h>

#include <ostream>

void PrintTo(const QString &text, std::ostream *os) { *os << '"' << text.toStdString() << '"'; }

namespace {

QList<QByteArray> Arguments(const char *line)
{
    QList<QByteArray> arguments;
    for (const QByteArray &word : QByteArray(line).split(' '))
        if (!word.isEmpty())
            arguments << word;
    return arguments;
}

struct GoodCase {
    const char *line;
    OutputFormat format;
    int width, height, frameRate, bitrate;
    qint64 maxBytes;
    QByteArray outputDir;
    QList<QByteArray> names;
};

class GoodCommandLines : public testing::TestWithParam<GoodCase> {};

TEST_P(GoodCommandLines, GiveTheChoicesAndNames)
{
    const GoodCase &c = GetParam();
    const ParsedCommandLine parsed = ParseConvertArguments(Arguments(c.line));
    ASSERT_EQ(parsed.error, QString());
    const ConvertRequest &r = parsed.request;
    EXPECT_FALSE(r.help);
    EXPECT_EQ(r.choices.format, c.format);
    EXPECT_EQ(r.choices.width, c.width);
    EXPECT_EQ(r.choices.height, c.height);
    EXPECT_EQ(r.choices.frameRate, c.frameRate);
    EXPECT_EQ(r.choices.bitrate, c.bitrate);
    EXPECT_EQ(r.choices.maxBytes, c.maxBytes);
    EXPECT_EQ(r.outputDir, c.outputDir);
    EXPECT_EQ(r.names, c.names);
}

// clang-format off
INSTANTIATE_TEST_SUITE_P(Lines, GoodCommandLines, testing::Values(
    // Nothing chosen: the window's first format with its defaults.
    GoodCase{"--convert a.mp4",              OutputFormat::Mp4,     320, 240, 15, 512, 0, {}, {"a.mp4"}},
    GoodCase{"--convert --format flv Trip",  OutputFormat::Flv,     320, 240, 25, 384, 0, {}, {"Trip"}},
    // A size given before the format is checked against that format.
    GoodCase{"--size 704X576 --convert --format=3GP --fps 10 --bitrate=160 --max-size 1M --output out x y",
                                             OutputFormat::ThreeGp, 704, 576, 10, 160, 1048576, "out", {"x", "y"}},
    // After "--" every word is a name.
    GoodCase{"--convert --fps 030 -- --format -", OutputFormat::Mp4, 320, 240, 30, 512, 0, {}, {"--format", "-"}}));
// clang-format on

struct BadCase {
    const char *line;
    const char *named;  // what the message must name
};

class BadCommandLines : public testing::TestWithParam<BadCase> {};

TEST_P(BadCommandLines, AreRefusedNamingTheBadOption)
{
    const ParsedCommandLine parsed = ParseConvertArguments(Arguments(GetParam().line));
    EXPECT_TRUE(parsed.error.contains(QLatin1String(GetParam().named))) << parsed.error.toStdString();
}

// clang-format off
INSTANTIATE_TEST_SUITE_P(Lines, BadCommandLines, testing::Values(
    BadCase{"--convert --format avi a",            "--format avi"},
    BadCase{"--convert --size 704x576 a",          "--size 704x576"},  // a 3GP size, not an MP4 one
    BadCase{"--convert --size big a",              "--size big"},
    BadCase{"--convert --format flv --fps 30 a",   "--fps 30"},
    BadCase{"--convert --bitrate 500 a",           "--bitrate 500"},
    BadCase{"--convert --max-size 0 a",            "--max-size 0"},
    BadCase{"--convert a --output",                "--output"},
    BadCase{"--convert --output= a",               "--output"},
    BadCase{"--convert --resize 2 a",              "--resize"},
    BadCase{"--convert --format flv",              "file or folder"}));
// clang-format on

TEST(ConvertArguments, HelpWinsAndOnlyOurOptionsLeaveTheWindow)
{
    const ParsedCommandLine help = ParseConvertArguments(Arguments("--convert --format avi --help"));
    EXPECT_TRUE(help.request.help);
    EXPECT_TRUE(help.error.isEmpty());
    EXPECT_TRUE(ConvertUsage().contains(QLatin1String("--max-size")));

    EXPECT_TRUE(WantsCommandLine(Arguments("a.mp4 --convert")));
    EXPECT_TRUE(WantsCommandLine(Arguments("-h")));
    EXPECT_FALSE(WantsCommandLine(Arguments("a.mp4 b.avi")));  // the window opens them
    EXPECT_FALSE(WantsCommandLine(Arguments("-- --convert")));  // a file of that name
}

}  // namespace
