// The running batch's place, share done and time left, as the status line,
// the bar and the converting row show them.
#include "ui/batch_estimate.h"
#include "ui/status_texts.h"

#include <gtest/gtest.h>

namespace {

TEST(BatchEstimate, PlaceTimeLeftAndSpeedFollowTheRowsLengthsAndPercentages)
{
    qint64 now = 1000;
    BatchEstimate batch([&] { return now; });
    batch.rowState(1, {RowPhase::Waiting}, 60);
    batch.rowState(2, {RowPhase::Waiting}, 30);
    batch.rowState(1, RowState::converting(0), 60);
    EXPECT_TRUE(batch.running());
    EXPECT_EQ(batch.secondsLeft(), std::nullopt) << "no pace before any progress";
    EXPECT_EQ(ShownBatchPlace(batch.place(), batch.total(), batch.secondsLeft()), QStringLiteral("正在转换 1/2"));

    // 30 of 90 seconds converted in 3 s: 6 s left, at 10 times real time.
    now += 3000;
    batch.rowState(1, RowState::converting(50), 60);
    EXPECT_EQ(batch.percent(), 33);
    EXPECT_EQ(ShownBatchPlace(batch.place(), batch.total(), batch.secondsLeft()),
              QStringLiteral("正在转换 1/2，剩余约 6 秒"));
    EXPECT_EQ(ShownRowState(RowState::converting(50), batch.rowSpeed(1)), QStringLiteral("转换中 50% · 10.0×"));

    batch.rowState(1, {RowPhase::Done}, 60);
    batch.rowState(2, RowState::converting(0), 30);
    EXPECT_EQ(batch.place(), 2);
    EXPECT_EQ(batch.percent(), 67);
    batch.end();
    EXPECT_FALSE(batch.running());

    EXPECT_EQ(ShownBatchPlace(3, 20, 130), QStringLiteral("正在转换 3/20，剩余约 2 分 10 秒"));
    EXPECT_EQ(ShownBatchPlace(3, 20, 3900), QStringLiteral("正在转换 3/20，剩余约 1 小时 5 分"));
}

}  // namespace
