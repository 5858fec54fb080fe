// The identify-output parser: which values it reports for which lines, however
// the output is split into chunks.

#include "catalogue/probe.h"
#include "catalogue/probe_parser.h"
#include "process/command_line.h"
#include "engine/dialog_port.h"
#include "install/tool_dir.h"

#include <gtest/gtest.h>

#include <ostream>

#include <QMap>
#include <utility>
#include <vector>

// Readable texts in failure messages.
void PrintTo(const QString &text, std::ostream *os) { *os << '"' << text.toStdString() << '"'; }

namespace {

// What was reported: a fact with its text, or the length with its seconds.
enum Key { Codec, Resolution, FrameRate, Length };
using Write = std::pair<int, QString>;

struct Recorder {
    std::vector<Write> writes;
    ProbeParser parser{{[this](ProbeFact fact, const QString &text) {
                            const Key key = fact == ProbeFact::Codec        ? Codec
                                            : fact == ProbeFact::Resolution ? Resolution
                                                                            : FrameRate;
                            writes.emplace_back(key, text);
                        },
                        [this](int seconds) { writes.emplace_back(Length, QString::number(seconds)); }}};

    // The last text written to each column.
    QMap<int, QString> cells() const
    {
        QMap<int, QString> result;
        for (const auto &[column, text] : writes)
            result[column] = text;
        return result;
    }
};

QMap<int, QString> ParseChunks(const std::vector<QByteArray> &chunks)
{
    Recorder r;
    for (const QByteArray &chunk : chunks)
        r.parser.ParseProbeOutput(chunk);
    r.parser.finish();
    return r.cells();
}

// What the installed player prints for a 2 s MPEG-4 AVI (trimmed a little).
const QByteArray kRecordedOutput =
    "MPlayer UNKNOWN-12 (C) 2000-2023 MPlayer Team\n"
    "\n"
    "Playing /tmp/clips/a b.avi.\n"
    "libavformat file format detected.\n"
    "ID_VIDEO_ID=0\n"
    "[lavf] stream 0: video (mpeg4), -vid 0\n"
    "VIDEO:  [MP4V]  160x120  24bpp  25.000 fps    0.0 kbps ( 0.0 kbyte/s)\n"
    "ID_VIDEO_ASPECT=1.3333\n"
    "ID_VIDEO_CODEC=null\n"
    "ID_FILENAME=/tmp/clips/a b.avi\n"
    "ID_DEMUXER=lavf\n"
    "ID_VIDEO_FORMAT=MP4V\n"
    "ID_VIDEO_BITRATE=0\n"
    "ID_VIDEO_WIDTH=160\n"
    "ID_VIDEO_HEIGHT=120\n"
    "ID_VIDEO_FPS=25.000\n"
    "ID_VIDEO_ASPECT=1.3333\n"
    "ID_START_TIME=0.00\n"
    "ID_LENGTH=2.04\n"
    "ID_SEEKABLE=1\n"
    "Starting playback...\n"
    "\n"
    "Exiting... (End of file)\n"
    "ID_EXIT=EOF\n";

const QMap<int, QString> kRecordedCells = {
    {Codec, "MP4V"}, {Resolution, "160x120"}, {FrameRate, "25.000"}, {Length, "2"}};

TEST(ProbeParser, WorkedExampleFillsFourColumnsInLineOrder)
{
    Recorder r;
    const int examined = r.parser.ParseProbeOutput(QByteArray("Playing x.rmvb.\n"
                                                               "ID_VIDEO_FORMAT=RV40\n"
                                                               "ID_VIDEO_WIDTH=640\n"
                                                               "ID_VIDEO_HEIGHT=480\n"
                                                               "ID_VIDEO_FPS=23.976\n"
                                                               "ID_LENGTH=5025.43\n"));
    EXPECT_EQ(examined, 6);
    const std::vector<Write> expected = {
        {Codec, "RV40"}, {Resolution, "640x480"}, {FrameRate, "23.976"}, {Length, "5025"}};
    EXPECT_EQ(r.writes, expected);
}

TEST(ProbeParser, KeyLineFirstInChunkIsExamined)
{
    Recorder r;
    r.parser.ParseProbeOutput(QByteArray("ID_VIDEO_FORMAT=H264\n"));
    r.parser.ParseProbeOutput(QByteArray("ID_VIDEO_FPS=29.970\nsomething else\n"));
    EXPECT_EQ(r.cells(), (QMap<int, QString>{{Codec, "H264"}, {FrameRate, "29.970"}}));
}

TEST(ProbeParser, KeyLineSplitAcrossChunksIsJoined)
{
    Recorder r;
    EXPECT_EQ(r.parser.ParseProbeOutput(QByteArray("ID_VIDEO_WIDTH=6")), 0);
    EXPECT_TRUE(r.writes.empty());
    EXPECT_EQ(r.parser.ParseProbeOutput(QByteArray("40\nID_VIDEO_HEI")), 1);
    r.parser.ParseProbeOutput(QByteArray("GHT=480\nID_LENG"));
    r.parser.ParseProbeOutput(QByteArray("TH=61.5\n"));
    const std::vector<Write> expected = {{Resolution, "640x480"}, {Length, "61"}};
    EXPECT_EQ(r.writes, expected);
}

TEST(ProbeParser, ResultDoesNotDependOnWhereOutputIsSplit)
{
    ASSERT_EQ(ParseChunks({kRecordedOutput}), kRecordedCells);

    for (qsizetype cut = 0; cut <= kRecordedOutput.size(); ++cut) {
        const auto cells = ParseChunks({kRecordedOutput.left(cut), kRecordedOutput.mid(cut)});
        ASSERT_EQ(cells, kRecordedCells) << "cut at " << cut;
    }

    std::vector<QByteArray> bytes;
    for (const char c : kRecordedOutput)
        bytes.emplace_back(1, c);
    EXPECT_EQ(ParseChunks(bytes), kRecordedCells);
}

TEST(ProbeParser, UnterminatedLastLineIsExaminedAtTheEnd)
{
    Recorder r;
    EXPECT_EQ(r.parser.ParseProbeOutput(QByteArray("ID_VIDEO_FPS=25.000\nID_LENGTH=10.00")), 1);
    EXPECT_EQ(r.cells().value(Length), QString());
    EXPECT_EQ(r.parser.finish(), 1);
    EXPECT_EQ(r.cells().value(Length), "10");
    EXPECT_EQ(r.parser.finish(), 0);
}

TEST(ProbeParser, HeightWithoutWidthWritesOnlyTheHeight)
{
    Recorder r;
    r.parser.ParseProbeOutput(QByteArray("ID_VIDEO_HEIGHT=480\n"));
    EXPECT_EQ(r.writes, (std::vector<Write>{{Resolution, "480"}}));
}

TEST(ProbeParser, EachWidthStartsANewResolution)
{
    Recorder r;
    r.parser.ParseProbeOutput(QByteArray("ID_VIDEO_WIDTH=320\nID_VIDEO_HEIGHT=240\n"
                                         "ID_VIDEO_WIDTH=640\nID_VIDEO_HEIGHT=480\n"));
    EXPECT_EQ(r.writes, (std::vector<Write>{{Resolution, "320x240"}, {Resolution, "640x480"}}));
}

TEST(ProbeParser, FileWithoutVideoFillsOnlyThePlayTime)
{
    const auto cells = ParseChunks({"Playing song.mp3.\n"
                                    "ID_AUDIO_ID=0\n"
                                    "ID_AUDIO_FORMAT=85\n"
                                    "ID_AUDIO_BITRATE=128000\n"
                                    "ID_LENGTH=184.32\n"
                                    "Video: no video\n"
                                    "ID_EXIT=EOF\n"});
    EXPECT_EQ(cells, (QMap<int, QString>{{Length, "184"}}));
}

TEST(ProbeParser, UnreadableFileWritesNothing)
{
    Recorder r;
    const int examined = r.parser.ParseProbeOutput(
        QByteArray("Playing junk.avi.\nlibavformat file format detected.\n"
                   "Cannot open file/device.\n\nExiting... (End of file)\nID_EXIT=EOF\n"));
    EXPECT_EQ(examined, 5);
    EXPECT_TRUE(r.writes.empty());
}

struct LineBreakCase {
    const char *name;
    QByteArray output;
};

class ProbeParserLineBreaks : public testing::TestWithParam<LineBreakCase> {};

TEST_P(ProbeParserLineBreaks, AnyMixOfCarriageReturnsAndLineFeedsSeparatesLines)
{
    Recorder r;
    const int examined = r.parser.ParseProbeOutput(GetParam().output);
    EXPECT_EQ(examined + r.parser.finish(), 3);
    EXPECT_EQ(r.cells(), (QMap<int, QString>{{Codec, "WMV2"}, {FrameRate, "25.000"}, {Length, "2"}}));
}

INSTANTIATE_TEST_SUITE_P(
    Mixes, ProbeParserLineBreaks,
    testing::Values(LineBreakCase{"Lf", "ID_VIDEO_FORMAT=WMV2\nID_VIDEO_FPS=25.000\nID_LENGTH=2.00\n"},
                    LineBreakCase{"CrLf", "ID_VIDEO_FORMAT=WMV2\r\nID_VIDEO_FPS=25.000\r\nID_LENGTH=2.00\r\n"},
                    LineBreakCase{"Cr", "ID_VIDEO_FORMAT=WMV2\rID_VIDEO_FPS=25.000\rID_LENGTH=2.00\r"},
                    LineBreakCase{"Runs", "\r\n\r\nID_VIDEO_FORMAT=WMV2\r\r\nID_VIDEO_FPS=25.000\n\r\n\rID_LENGTH=2.00"},
                    LineBreakCase{"LfCr", "ID_VIDEO_FORMAT=WMV2\n\rID_VIDEO_FPS=25.000\n\rID_LENGTH=2.00\n\r"}),
    [](const testing::TestParamInfo<LineBreakCase> &testInfo) { return std::string(testInfo.param.name); });

TEST(ProbeParser, CrLfSplitBetweenChunksLeavesNoCarriageReturnInValues)
{
    const auto cells = ParseChunks({"ID_VIDEO_FORMAT=WMV2\r", "\nID_VIDEO_FPS=25.000\r", "\n"});
    EXPECT_EQ(cells, (QMap<int, QString>{{Codec, "WMV2"}, {FrameRate, "25.000"}}));
}

struct ValueCase {
    const char *line;
    int column;
    const char *expected;
};

class ProbeParserValues : public testing::TestWithParam<ValueCase> {};

TEST_P(ProbeParserValues, ValueIsTheTextAfterTheFirstEqualsSign)
{
    Recorder r;
    r.parser.ParseProbeOutput(QByteArray(GetParam().line) + '\n');
    ASSERT_EQ(r.writes.size(), 1u);
    EXPECT_EQ(r.writes[0].first, GetParam().column);
    EXPECT_EQ(r.writes[0].second, QString::fromUtf8(GetParam().expected));
}

INSTANTIATE_TEST_SUITE_P(
    Lines, ProbeParserValues,
    testing::Values(ValueCase{"ID_VIDEO_FORMAT=0x10000001", Codec, "0x10000001"},
                    ValueCase{"ID_VIDEO_FORMAT=a=b", Codec, "a=b"},
                    ValueCase{"  [x] ID_VIDEO_FPS=25.000", FrameRate, "25.000"},
                    ValueCase{"ID_VIDEO_FPS", FrameRate, "ID_VIDEO_FPS"},
                    ValueCase{"ID_VIDEO_FORMAT=", Codec, ""},
                    ValueCase{"ID_LENGTH=", Length, "0"},
                    ValueCase{"ID_LENGTH=unknown", Length, "0"}));

struct DurationCase {
    const char *value;
    const char *expected;
};

class ProbeParserLengths : public testing::TestWithParam<DurationCase> {};

TEST_P(ProbeParserLengths, LengthIsReportedInWholeSeconds)
{
    Recorder r;
    r.parser.ParseProbeOutput("ID_LENGTH=" + QByteArray(GetParam().value) + '\n');
    EXPECT_EQ(r.writes, (std::vector<Write>{{Length, GetParam().expected}}));
}

INSTANTIATE_TEST_SUITE_P(Lengths, ProbeParserLengths,
                         testing::Values(DurationCase{"0.00", "0"}, DurationCase{"59.99", "59"},
                                         DurationCase{"60", "60"}, DurationCase{"3599.9", "3599"},
                                         DurationCase{"3600", "3600"}, DurationCase{"5025.43", "5025"},
                                         DurationCase{"86399", "86399"}, DurationCase{"360000", "360000"},
                                         DurationCase{"+90", "90"}));

TEST(LeadingInteger, ReadsSignAndDigitsUpToTheFirstOtherCharacter)
{
    EXPECT_EQ(LeadingInteger("5025.43"), 5025);
    EXPECT_EQ(LeadingInteger("-12x"), -12);
    EXPECT_EQ(LeadingInteger(" 7"), 7);
    EXPECT_EQ(LeadingInteger("x7"), 0);
    EXPECT_EQ(LeadingInteger(""), 0);
    EXPECT_EQ(LeadingInteger("99999999999"), 2147483647);
    EXPECT_EQ(LeadingInteger("-99999999999"), -2147483647 - 1);
}

TEST(ProbeCommand, NamesThePlayerInTheToolsFolderAndQuotesThePath)
{
    g_szToolDir = "/home/u/.local/share/Q9TBR/";
    const QString path = QString::fromUtf8("/视频/my clip.rmvb");
    const QByteArray line = ProbeCommandLine(path);
    EXPECT_EQ(line, "/home/u/.local/share/Q9TBR/mplayer -demuxer lavf -nosound -vc null -vo null -frames 0 "
                    "-identify \"" + path.toUtf8() + "\"");

    const QList<QByteArray> expected = {"/home/u/.local/share/Q9TBR/mplayer", "-demuxer", "lavf", "-nosound",
                                        "-vc", "null", "-vo", "null", "-frames", "0", "-identify", path.toUtf8()};
    EXPECT_EQ(SplitCommandLine(line), expected);
}

TEST(ProbeCommand, EveryByteOfAnAwkwardPathReachesThePlayer)
{
    g_szToolDir = "/tmp/tools dir/Q9TBR/";
    const QByteArray path = "/tmp/a \"quoted\" name\\\\.avi";
    const QList<QByteArray> args = SplitCommandLine(ProbeCommandLine(QString::fromUtf8(path)));
    ASSERT_FALSE(args.isEmpty());
    EXPECT_EQ(args.first(), "/tmp/tools dir/Q9TBR/mplayer");
    EXPECT_EQ(args.last(), path);
}

} // namespace
