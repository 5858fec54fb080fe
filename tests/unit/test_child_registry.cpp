#include "process/child_registry.h"
#include "base/eintr.h"
#include "process/process_runner.h"
#include "tests/support/test_support.h"

#include <QFile>
#include <QTemporaryDir>
#include <atomic>
#include <chrono>
#include <csignal>
#include <cstring>
#include <gtest/gtest.h>
#include <mutex>
#include <sys/wait.h>
#include <thread>
#include <unistd.h>
#include <vector>

namespace {

using namespace std::chrono_literals;

// Until the process is stopped ('T') or, with `stopped` false, no longer is.
bool WaitForState(pid_t pid, bool stopped)
{
    return WaitUntil([&] { return (ProcessState(pid) == 'T') == stopped; });
}

pid_t ForkWaitingChild()
{
    const pid_t pid = fork();
    if (pid == 0) {
        for (;;)
            pause();
    }
    return pid;
}

QByteArray WriteTool(const QTemporaryDir &dir, const QByteArray &name, const QByteArray &body)
{
    const QString path = dir.filePath(QString::fromUtf8(name));
    QFile file(path);
    EXPECT_TRUE(file.open(QIODevice::WriteOnly));
    file.write("#!/bin/sh\n" + body + '\n');
    file.close();
    file.setPermissions(QFile::ReadOwner | QFile::WriteOwner | QFile::ExeOwner);
    return QFile::encodeName(path);
}

// Signals must never reach anything but an unreaped child of ours. Signal 0
// only probes, so a faulty registry cannot harm the processes named here.
TEST(ChildRegistry, RefusesProcessesThatAreNotLiveChildren)
{
    const pid_t strangers[] = {getpid(), getppid(), 1, 0, -1, -getpid()};
    for (const pid_t pid : strangers) {
        SCOPED_TRACE(pid);
        ChildRegistry::add(pid);  // not a child: not taken
        EXPECT_FALSE(ChildRegistry::contains(pid));
        EXPECT_FALSE(ChildRegistry::signal(pid, 0));
        EXPECT_FALSE(ChildRegistry::reap(pid, nullptr));
        ChildRegistry::remove(pid);  // harmless
    }
}

TEST(ChildRegistry, ReapedChildCanNoLongerBeSignalled)
{
    const pid_t pid = ForkWaitingChild();
    ASSERT_GT(pid, 0);
    ChildRegistry::add(pid);
    ASSERT_TRUE(ChildRegistry::contains(pid));
    EXPECT_TRUE(ChildRegistry::signal(pid, 0));

    ASSERT_TRUE(ChildRegistry::signal(pid, SIGTERM));
    int status = 0;
    ASSERT_TRUE(ChildRegistry::reap(pid, &status));
    EXPECT_TRUE(WIFSIGNALED(status));
    EXPECT_EQ(WTERMSIG(status), SIGTERM);

    EXPECT_FALSE(ChildRegistry::contains(pid));
    EXPECT_FALSE(ChildRegistry::signal(pid, 0));
    EXPECT_FALSE(ChildRegistry::signal(pid, SIGCONT));
    EXPECT_FALSE(ChildRegistry::reap(pid, &status));  // already gone
}

TEST(ChildRegistry, RemovedChildIsOutOfReach)
{
    const pid_t pid = ForkWaitingChild();
    ASSERT_GT(pid, 0);
    ChildRegistry::add(pid);
    ChildRegistry::remove(pid);
    EXPECT_FALSE(ChildRegistry::contains(pid));
    EXPECT_FALSE(ChildRegistry::signal(pid, SIGKILL));
    EXPECT_NE(ProcessState(pid), '\0');  // untouched, still there

    kill(pid, SIGKILL);
    int status;
    EXPECT_EQ(RetryOnEintr([&] { return waitpid(pid, &status, 0); }), pid);
}

// Pause and resume of a conversion: the encoder stops producing output while
// stopped and goes on afterwards, in the same run.
TEST(ChildRegistry, StopAndContinueReachARunningTool)
{
    QTemporaryDir dir;
    const QByteArray tool =
        WriteTool(dir, "mencoder", "i=0\nwhile [ $i -lt 150 ]; do printf t; sleep 0.02; i=$((i+1)); done");
    std::atomic<bool> live{true};
    std::atomic<pid_t> child{0};
    std::atomic<int> ticks{0};
    RunOutcome outcome;
    std::thread worker([&] {
        outcome = RunCaptured(tool, Priority::Idle, live,
                              [&](const char *chunk) { ticks += static_cast<int>(strlen(chunk)); },
                              [&](pid_t pid) { child = pid; });
    });

    WaitUntil([&] { return child != 0 && ticks >= 3; });
    const pid_t pid = child;
    ASSERT_GT(pid, 0);

    EXPECT_TRUE(ChildRegistry::signal(pid, SIGSTOP));
    EXPECT_TRUE(WaitForState(pid, true));
    std::this_thread::sleep_for(100ms);  // what was already in the pipe is read
    const int whileStopped = ticks;
    std::this_thread::sleep_for(300ms);
    EXPECT_EQ(ticks.load(), whileStopped);

    EXPECT_TRUE(ChildRegistry::signal(pid, SIGCONT));
    EXPECT_TRUE(WaitForState(pid, false));
    EXPECT_TRUE(WaitUntil([&] { return ticks > whileStopped; }));

    // A stopped child is ended all the same.
    EXPECT_TRUE(ChildRegistry::signal(pid, SIGSTOP));
    EXPECT_TRUE(WaitForState(pid, true));
    EXPECT_TRUE(ChildRegistry::signal(pid, SIGKILL));
    worker.join();
    EXPECT_TRUE(outcome.started);
    EXPECT_FALSE(outcome.exitedNormally);
    EXPECT_FALSE(ChildRegistry::signal(pid, 0));
}

// Closing the window ends every tool still running, captured or waited.
TEST(ChildRegistry, KillAllEndsEveryRegisteredChild)
{
    QTemporaryDir dir;
    const QByteArray tool = WriteTool(dir, "ffmpeg", "exec sleep 20");
    std::atomic<bool> live{true};
    std::atomic<int> running{0};
    std::mutex mutex;
    std::vector<RunOutcome> outcomes;
    const auto hook = [&](pid_t) { ++running; };
    const auto keep = [&](const RunOutcome &outcome) {
        std::lock_guard lock(mutex);
        outcomes.push_back(outcome);
    };

    std::vector<std::thread> threads;
    threads.emplace_back([&] { keep(RunCaptured(tool, Priority::Idle, live, {}, hook)); });
    threads.emplace_back([&] { keep(RunCaptured(tool, Priority::Normal, live, {}, hook)); });
    threads.emplace_back([&] { keep(RunAndWait(tool, "-i x", hook)); });
    ASSERT_TRUE(WaitUntil([&] { return running == 3; }));

    ChildRegistry::killAll();
    for (std::thread &thread : threads)
        thread.join();
    // Each tool would sleep 20 s and end normally; killed, none does.
    ASSERT_EQ(outcomes.size(), 3u);
    for (const RunOutcome &outcome : outcomes) {
        EXPECT_TRUE(outcome.started);
        EXPECT_FALSE(outcome.exitedNormally);
    }
}

// Many threads adding, signalling and reaping at once.
TEST(ChildRegistry, ConcurrentUseKeepsEntriesApart)
{
    constexpr int kChildren = 12;
    std::vector<pid_t> pids;
    for (int i = 0; i < kChildren; ++i) {
        const pid_t pid = ForkWaitingChild();
        ASSERT_GT(pid, 0);
        pids.push_back(pid);
    }
    std::vector<std::thread> threads;
    std::atomic<int> reaped{0};
    for (const pid_t pid : pids) {
        threads.emplace_back([pid, &reaped] {
            ChildRegistry::add(pid);
            for (int i = 0; i < 50; ++i)
                ChildRegistry::signal(pid, 0);
            if (!ChildRegistry::signal(pid, SIGKILL))
                return;
            int status = 0;
            if (ChildRegistry::reap(pid, &status) && WIFSIGNALED(status) && WTERMSIG(status) == SIGKILL)
                ++reaped;
        });
    }
    for (std::thread &thread : threads)
        thread.join();
    EXPECT_EQ(reaped.load(), kChildren);
    for (const pid_t pid : pids)
        EXPECT_FALSE(ChildRegistry::contains(pid));
}

} // namespace
