#include "process/process_runner.h"
#include "process/tool_watchdog.h"
#include "tests/support/test_support.h"

#include <QFile>
#include <gtest/gtest.h>

// The watchdog over real child processes: shell scripts that print positions
// the way the encoder does, run through the same runner the worker uses.
namespace {

using namespace std::chrono_literals;

class ToolWatchdogRun : public ::testing::Test {
protected:
    // Runs `script` under a watchdog with `limits`; the tool is stuck when the
    // outcome says so (the runner has then killed it).
    RunOutcome run(const QByteArray &script, ToolWatchdog::Limits limits, std::function<bool()> paused = {})
    {
        const QString path = MakeTempDir() + QStringLiteral("/tool");
        QFile file(path);
        EXPECT_TRUE(file.open(QIODevice::WriteOnly));
        file.write("#!/bin/sh\n" + script);
        file.close();
        file.setPermissions(file.permissions() | QFileDevice::ExeOwner);

        ToolWatchdog watchdog(limits);
        if (paused)
            watchdog.setPaused(std::move(paused));
        const std::atomic<bool> live{true};
        const RunOutcome outcome =
            RunCaptured(QFile::encodeName(path), Priority::Normal, live, [](const char *) {}, {}, &watchdog);
        m_position = watchdog.position();
        return outcome;
    }
    static ToolWatchdog::Limits limits(std::optional<double> maxPosition, std::chrono::milliseconds silence)
    {
        ToolWatchdog::Limits result;
        result.maxPosition = maxPosition;
        result.silence = silence;
        return result;
    }
    double m_position = 0;
};

// A decoder looping over garbage: the position races on forever.
TEST_F(ToolWatchdogRun, APositionPastTheSourcesLengthEndsTheTool)
{
    const RunOutcome outcome = run("i=0; while :; do i=$((i+10)); printf 'Pos: %d.0s 1f ( 0%%)\\r' $i; "
                                   "sleep 0.01; done\n",
                                   limits(50, 60s));
    EXPECT_TRUE(outcome.stuck);
    EXPECT_FALSE(outcome.ok());
    EXPECT_GT(m_position, 50);
}

TEST_F(ToolWatchdogRun, SilenceAndDeadlineEndTheTool)
{
    EXPECT_TRUE(run("exec sleep 30\n", limits(std::nullopt, 300ms)).stuck);
    // Talking without getting anywhere is silence too.
    EXPECT_TRUE(run("echo 'Pos: 3.0s'; while :; do echo 'Pos: 3.0s'; echo 'Skipping frame!'; sleep 0.05; done\n",
                    limits(50, 500ms))
                    .stuck);

    // The probe's deadline holds however busily the tool talks.
    ToolWatchdog::Limits deadline = limits(std::nullopt, 60s);
    deadline.deadline = 400ms;
    EXPECT_TRUE(run("while :; do echo ID_LENGTH=1; sleep 0.05; done\n", deadline).stuck);
}

// A long, slow source on a slow machine: positions grow honestly, with pauses
// in the output shorter than the silence limit. It must run to its end.
TEST_F(ToolWatchdogRun, AnHonestSlowToolIsNeverCut)
{
    const RunOutcome outcome = run("i=0; while [ $i -lt 48 ]; do i=$((i+4)); printf 'Pos: %d.0s 1f (%d%%)\\r' $i $i; "
                                   "sleep 0.2; done; echo done\n",
                                   limits(50, 700ms));
    EXPECT_TRUE(outcome.ok());
    EXPECT_FALSE(outcome.stuck);
    EXPECT_EQ(m_position, 48);
}

// A user's pause stops the clocks: a tool silent only while paused is not stuck.
TEST_F(ToolWatchdogRun, TimePausedNeverCounts)
{
    const RunOutcome outcome = run("sleep 1.2; echo 'Pos: 1.0s'\n", limits(50, 300ms), [] { return true; });
    EXPECT_TRUE(outcome.ok());
}

TEST(ToolPosition, ReadsTheEncodersAndFfmpegsPositions)
{
    EXPECT_EQ(ParseToolPosition("Pos:   1.0s   25f (10%)\rPos:  12.3s  300f (50%)\r"), 12.3);
    EXPECT_EQ(ParseToolPosition("frame=  10 size=1kB time=00:01:02.50 bitrate=1k"), 62.5);
    EXPECT_FALSE(ParseToolPosition("Pos:  12.").has_value()) << "a value cut by the chunk's end is not read";
    EXPECT_FALSE(ParseToolPosition("ID_LENGTH=10.00").has_value());
}

} // namespace
