// Reading ffprobe's display matrix: which turn stands a source's picture upright.

#include "catalogue/picture_turn.h"

#include <gtest/gtest.h>

#include <ostream>

void PrintTo(const PictureTurn &turn, std::ostream *os)
{
    *os << turn.clockwise << (turn.mirrored ? " mirrored" : "");
}

namespace {

// What ffprobe prints for a phone's upright clip (stored on its side).
const QByteArray kRecordedPortrait = "displaymatrix=\n"
                                     "00000000:            0       65536           0\n"
                                     "00000001:       -65536           0           0\n"
                                     "00000002:            0           0  1073741824\n"
                                     "\n"
                                     "rotation=-90\n";

// ffprobe's text for a matrix with upper left part a b / c d (1.0 = 65536).
QByteArray Matrix(int a, int b, int c, int d, const char *rotation)
{
    auto row = [](int index, long long x, long long y, long long z) {
        return QString::asprintf("%08d: %12lld %11lld %11lld\n", index, x, y, z).toLatin1();
    };
    return "displaymatrix=\n" + row(0, a * 65536LL, b * 65536LL, 0) + row(1, c * 65536LL, d * 65536LL, 0) +
           row(2, 0, 0, 1073741824) + "\nrotation=" + rotation + "\n";
}

TEST(ParseDisplayMatrix, EveryQuarterTurnAndMirror)
{
    // Each matrix moves a mark in the stored picture's top left corner to the
    // corner named; the turn must take it to the same corner.
    const struct {
        QByteArray output;
        PictureTurn turn;
    } cases[] = {
        {kRecordedPortrait, {90, false}},               // top left to top right
        {Matrix(-1, 0, 0, -1, "180"), {180, false}},    // to bottom right
        {Matrix(0, -1, 1, 0, "90"), {270, false}},      // to bottom left
        {Matrix(1, 0, 0, 1, "-0"), {0, false}},         // stays
        {Matrix(-1, 0, 0, 1, "-0"), {0, true}},         // to top right, mirrored
        {Matrix(1, 0, 0, -1, "180"), {180, true}},      // to bottom left, upside down
        {Matrix(0, 1, 1, 0, "-90"), {90, true}},        // stays, across the diagonal
        {Matrix(0, -1, -1, 0, "90"), {270, true}},      // to bottom right, across the other
    };
    for (const auto &c : cases) {
        const DisplayMatrixReport report = ParseDisplayMatrix(c.output);
        ASSERT_TRUE(report.turn.has_value()) << c.output.constData();
        EXPECT_EQ(*report.turn, c.turn) << c.output.constData();
        EXPECT_FALSE(report.oddDegrees.has_value());
    }
}

TEST(ParseDisplayMatrix, NoMatrixMeansShownAsStored)
{
    for (const QByteArray &output : {QByteArray(), QByteArray("\n"), QByteArray("r.mp4: Invalid data found\n")}) {
        const DisplayMatrixReport report = ParseDisplayMatrix(output);
        EXPECT_FALSE(report.turn.has_value()) << output.constData();
        EXPECT_FALSE(report.oddDegrees.has_value()) << output.constData();
    }
}

TEST(ParseDisplayMatrix, AnAngleBetweenQuarterTurnsIsNamedClockwiseAndNotTurned)
{
    // 45 degrees clockwise: cos and sin of 45 degrees are 46341 / 65536.
    const QByteArray output = "displaymatrix=\n"
                              "00000000:        46341       46341           0\n"
                              "00000001:       -46341       46341           0\n"
                              "00000002:            0           0  1073741824\n"
                              "\n"
                              "rotation=-45\n";
    const DisplayMatrixReport report = ParseDisplayMatrix(output);
    EXPECT_FALSE(report.turn.has_value());
    ASSERT_TRUE(report.oddDegrees.has_value());
    EXPECT_DOUBLE_EQ(*report.oddDegrees, 45);
}

}  // namespace
