#include "process/child_registry.h"
#include "process/command_line.h"
#include "process/process_runner.h"
#include "tests/support/test_support.h"

#include <QDir>
#include <QFile>
#include <QTemporaryDir>
#include <cerrno>
#include <chrono>
#include <cstring>
#include <gtest/gtest.h>
#include <mutex>
#include <random>
#include <sched.h>
#include <sys/resource.h>
#include <sys/wait.h>
#include <thread>
#include <unistd.h>
#include <vector>

namespace {

using namespace std::chrono_literals;
using Clock = std::chrono::steady_clock;

int OpenFdCount() { return static_cast<int>(QDir("/proc/self/fd").entryList(QDir::NoDotAndDotDot | QDir::AllEntries).size()); }

// True when no child of this process is left unreaped.
bool NoChildrenLeft()
{
    int status;
    return waitpid(-1, &status, WNOHANG) < 0 && errno == ECHILD;
}

// Small shell scripts standing in for the tools, in a fresh folder per test.
class Runner : public ::testing::Test {
protected:
    QByteArray writeTool(const QByteArray &name, const QByteArray &body)
    {
        const QByteArray path = QFile::encodeName(m_dir.path()) + '/' + name;
        QFile file(QFile::decodeName(path));
        EXPECT_TRUE(file.open(QIODevice::WriteOnly));
        file.write("#!/bin/sh\n" + body + '\n');
        file.close();
        file.setPermissions(QFile::ReadOwner | QFile::WriteOwner | QFile::ExeOwner);
        return path;
    }
    QByteArray writeData(const QByteArray &name, const QByteArray &content)
    {
        const QByteArray path = QFile::encodeName(m_dir.path()) + '/' + name;
        QFile file(QFile::decodeName(path));
        EXPECT_TRUE(file.open(QIODevice::WriteOnly));
        file.write(content);
        return path;
    }
    QByteArray file(const QByteArray &name) const { return QFile::encodeName(m_dir.path()) + '/' + name; }
    // A line of tool script that waits until `name` exists: the test decides
    // when the tool goes on, so no timing does.
    QByteArray waitForFile(const QByteArray &name) const
    {
        return "while [ ! -e '" + file(name) + "' ]; do sleep 0.01; done";
    }
    void touch(const QByteArray &name) const
    {
        QFile created(QFile::decodeName(file(name)));
        EXPECT_TRUE(created.open(QIODevice::WriteOnly));
    }

    QTemporaryDir m_dir;
    std::atomic<bool> m_live{true};
};

// Every chunk a run hands to its parser, as it was handed.
struct Chunks {
    std::vector<QByteArray> list;
    ChunkParser parser()
    {
        return [this](const char *chunk) { list.emplace_back(chunk); };
    }
    QByteArray joined() const
    {
        QByteArray all;
        for (const QByteArray &chunk : list)
            all += chunk;
        return all;
    }
};

TEST_F(Runner, NamesTheStartedChildAndReapsIt)
{
    const QByteArray tool = writeTool("mplayer", "printf %s $$");
    Chunks chunks;
    pid_t started = 0;
    bool registeredAtStart = false;
    const RunOutcome outcome = RunCaptured(tool, Priority::Normal, m_live, chunks.parser(), [&](pid_t pid) {
        started = pid;
        registeredAtStart = ChildRegistry::contains(pid);
    });
    EXPECT_TRUE(outcome.ok());
    ASSERT_GT(started, 0);
    EXPECT_TRUE(registeredAtStart);
    EXPECT_EQ(chunks.joined(), QByteArray::number(started));  // the id the child itself has
    EXPECT_FALSE(ChildRegistry::contains(started));
    EXPECT_FALSE(ChildRegistry::signal(started, 0));
    EXPECT_TRUE(NoChildrenLeft());
}

// The tool reads nothing from the terminal, its errors come with its output,
// and it inherits no descriptor of ours beyond the pipe it writes to.
TEST_F(Runner, ChildGetsNullInputAndOnePipeForBothOutputs)
{
    const QByteArray tool = writeTool("mencoder", "readlink /proc/$$/fd/0\necho oops >&2\nls -l /proc/$$/fd");
    // Our own input is a pipe for the while, so the child cannot get /dev/null by inheritance.
    int input[2];
    ASSERT_EQ(pipe(input), 0);
    const int savedInput = dup(STDIN_FILENO);
    dup2(input[0], STDIN_FILENO);
    Chunks chunks;
    const RunOutcome outcome = RunCaptured(tool, Priority::Normal, m_live, chunks.parser());
    dup2(savedInput, STDIN_FILENO);
    for (const int fd : {savedInput, input[0], input[1]})
        close(fd);
    ASSERT_TRUE(outcome.ok());
    const QByteArray output = chunks.joined();
    EXPECT_TRUE(output.startsWith("/dev/null\n")) << output.constData();
    EXPECT_TRUE(output.contains("oops\n"));
    EXPECT_EQ(output.count("pipe:"), 2) << output.constData();  // fd 1 and fd 2
}

// While the tool runs, each read is followed by a pause (the parser, and the
// window updates it causes, run at most every 10 ms); once it has closed its
// output, what is left is read at once.
TEST_F(Runner, OutputArrivesInBoundedChunksPacedAfterEachRead)
{
    QByteArray data;
    for (int i = 0; data.size() < 40000; ++i)
        data += QByteArray::number(i) + '\r';
    const QByteArray tool = writeTool("mencoder", "cat '" + writeData("out.txt", data) + "'\nsleep 1");

    Chunks chunks;
    std::vector<Clock::time_point> arrivals;
    const ChunkParser keep = chunks.parser();
    ASSERT_TRUE(RunCaptured(tool, Priority::Idle, m_live, [&](const char *chunk) {
                    arrivals.push_back(Clock::now());
                    keep(chunk);
                }).ok());

    ASSERT_GE(chunks.list.size(), 10u);  // 40000 bytes cannot fit in fewer reads of 4095
    for (const QByteArray &chunk : chunks.list) {
        EXPECT_GT(chunk.size(), 0);
        EXPECT_LE(chunk.size(), 4095);
    }
    EXPECT_EQ(chunks.joined(), data);
    for (std::size_t i = 1; i < arrivals.size(); ++i)
        EXPECT_GE(arrivals[i] - arrivals[i - 1], 9ms) << i;
}

TEST_F(Runner, ShortChunkAfterALongOneHoldsOnlyItsOwnBytes)
{
    const QByteArray tool = writeTool("mencoder", "cat '" + writeData("long", QByteArray(3000, 'A')) + "'\n" +
                                                      waitForFile("go") + "\nprintf bc");
    Chunks chunks;
    const ChunkParser collect = chunks.parser();
    // The short chunk is printed only once the long one has been handed over.
    ASSERT_TRUE(RunCaptured(tool, Priority::Normal, m_live, [&](const char *chunk) {
                    collect(chunk);
                    if (chunks.joined().size() == 3000)
                        touch("go");
                }).ok());
    ASSERT_GE(chunks.list.size(), 2u);
    EXPECT_EQ(chunks.list.back(), "bc");
    EXPECT_EQ(chunks.joined(), QByteArray(3000, 'A') + "bc");
}

TEST_F(Runner, SilentChildNeverReachesTheParser)
{
    const QByteArray tool = writeTool("mplayer", "exit 0");
    int calls = 0;
    const RunOutcome outcome = RunCaptured(tool, Priority::Normal, m_live, [&](const char *) { ++calls; });
    EXPECT_TRUE(outcome.started);
    EXPECT_TRUE(outcome.ok());
    EXPECT_EQ(calls, 0);
}

TEST_F(Runner, ClearFlagDrainsThePipeAndDropsEverything)
{
    // Far more than a pipe holds: a run that stopped reading would hang here.
    const QByteArray big = writeData("big", QByteArray(300000, 'x'));
    const QByteArray tool = writeTool("mencoder", "cat '" + big + "'\ntouch '" + file("done") + "'\nexit 3");
    m_live = false;
    int calls = 0;
    const RunOutcome outcome = RunCaptured(tool, Priority::Idle, m_live, [&](const char *) { ++calls; });
    EXPECT_TRUE(outcome.started);
    EXPECT_TRUE(outcome.exitedNormally);
    EXPECT_EQ(outcome.exitCode, 3);
    EXPECT_EQ(calls, 0);
    EXPECT_TRUE(QFile::exists(QFile::decodeName(file("done"))));
}

// The flag is read again for every chunk, both ways. The tool prints its second
// part only after the flag was switched, so no timing decides the outcome.
TEST_F(Runner, FlagIsLookedAtAgainAfterEveryChunk)
{
    const QByteArray tool =
        writeTool("mencoder", "printf early\ntouch '" + file("printed") + "'\n" + waitForFile("go") + "\nprintf late");

    // Wanted, then not: the parser switches the flag off at the first chunk.
    Chunks wanted;
    const ChunkParser collect = wanted.parser();
    RunOutcome outcome = RunCaptured(tool, Priority::Normal, m_live, [&](const char *chunk) {
        collect(chunk);
        m_live = false;
        touch("go");
    });
    EXPECT_TRUE(outcome.ok());
    EXPECT_EQ(wanted.joined(), "early");

    // Not wanted, then wanted: switched on from outside once the first part is
    // out. Whether that part still counts depends on when the runner read it,
    // but what comes after the switch always does.
    QFile::remove(QFile::decodeName(file("go")));
    QFile::remove(QFile::decodeName(file("printed")));
    m_live = false;
    Chunks unwanted;
    std::thread opener;
    outcome = RunCaptured(tool, Priority::Normal, m_live, unwanted.parser(), [&](pid_t) {
        opener = std::thread([this] {
            EXPECT_TRUE(WaitUntil([this] { return QFile::exists(QFile::decodeName(file("printed"))); }));
            m_live = true;
            touch("go");
        });
    });
    opener.join();
    EXPECT_TRUE(outcome.ok());
    EXPECT_TRUE(unwanted.joined() == "late" || unwanted.joined() == "earlylate") << unwanted.joined().constData();
}

struct EndCase {
    const char *body;
    bool exitedNormally;
    int exitCode;
};

TEST_F(Runner, OutcomeTellsHowTheToolEnded)
{
    const EndCase cases[] = {
        {"exit 0", true, 0},          {"exit 1", true, 1},           {"exit 7", true, 7},
        {"exit 255", true, 255},      {"kill -KILL $$", false, -1},  {"kill -TERM $$", false, -1},
    };
    for (const EndCase &c : cases) {
        SCOPED_TRACE(c.body);
        const QByteArray tool = writeTool("tool", c.body);
        for (const RunOutcome &outcome :
             {RunCaptured(tool, Priority::Normal, m_live, {}), RunAndWait(tool, "")}) {
            EXPECT_TRUE(outcome.started);
            EXPECT_EQ(outcome.exitedNormally, c.exitedNormally);
            if (c.exitedNormally) {
                EXPECT_EQ(outcome.exitCode, c.exitCode);
            }
            EXPECT_EQ(outcome.ok(), c.exitedNormally && c.exitCode == 0);
        }
    }
    EXPECT_TRUE(NoChildrenLeft());
}

// Tools that cannot start: nothing is published, nothing leaks, nothing waits.
TEST_F(Runner, ToolThatCannotStartLeavesNothingBehind)
{
    writeData("not-executable", "#!/bin/sh\nexit 0\n");
    writeData("bad-interpreter", "#!/nonexistent/sh\n");
    QFile::setPermissions(QFile::decodeName(file("bad-interpreter")), QFile::ReadOwner | QFile::ExeOwner);
    const QByteArray lines[] = {
        file("mplayer") + " -identify x",          // missing
        file("not-executable"),                     // no run bit
        QFile::encodeName(m_dir.path()),            // a folder
        file("bad-interpreter"),                    // exec itself fails
        "sh -c true",                               // no search of PATH
        "",                                         // nothing to run
        "   ",
    };
    for (const QByteArray &line : lines) {
        SCOPED_TRACE(line.constData());
        const int fdsBefore = OpenFdCount();
        bool hookCalled = false;
        int calls = 0;

        // A run that waited on a child that never came would hang here until
        // the test's time limit.
        RunOutcome outcome = RunCaptured(line, Priority::Idle, m_live, [&](const char *) { ++calls; },
                                         [&](pid_t) { hookCalled = true; });
        EXPECT_FALSE(outcome.started);
        EXPECT_FALSE(outcome.ok());

        const QList<QByteArray> split = SplitCommandLine(line);
        outcome = RunAndWait(split.value(0), line.mid(split.value(0).size()), [&](pid_t) { hookCalled = true; });
        EXPECT_FALSE(outcome.started);

        EXPECT_FALSE(hookCalled);
        EXPECT_EQ(calls, 0);
        EXPECT_EQ(OpenFdCount(), fdsBefore);
        EXPECT_TRUE(NoChildrenLeft());
    }
}

TEST_F(Runner, FinishedRunsLeakNoDescriptors)
{
    const QByteArray tool = writeTool("mencoder", "echo hello");
    const int fdsBefore = OpenFdCount();
    EXPECT_TRUE(RunCaptured(tool, Priority::Idle, m_live, {}).ok());
    EXPECT_TRUE(RunAndWait(tool, "a b").ok());
    EXPECT_EQ(OpenFdCount(), fdsBefore);
}

// The encoder runs in the idle class (or, where refused, at the lowest
// niceness); the probe keeps the normal class. Read back from the live child.
TEST_F(Runner, PriorityIsAppliedToTheRunningChild)
{
    const QByteArray tool = writeTool("mencoder", "exec sleep 0.3");
    const int ownNice = getpriority(PRIO_PROCESS, 0);
    for (const Priority priority : {Priority::Idle, Priority::Normal}) {
        int policy = -1;
        int nice = -100;
        const RunOutcome outcome = RunCaptured(tool, priority, m_live, {}, [&](pid_t pid) {
            policy = sched_getscheduler(pid);
            errno = 0;
            nice = getpriority(PRIO_PROCESS, static_cast<id_t>(pid));
        });
        EXPECT_TRUE(outcome.ok());
        if (priority == Priority::Idle) {
            EXPECT_TRUE(policy == SCHED_IDLE || nice == 19) << policy << ' ' << nice;
        } else {
            EXPECT_EQ(policy, SCHED_OTHER);
            EXPECT_EQ(nice, ownNice);
        }
    }
}

TEST_F(Runner, WaitedRunDiscardsOutputAndWaitsForTheEnd)
{
    const QByteArray tool =
        writeTool("mp4creator", "cat '" + writeData("big", QByteArray(200000, 'y')) + "'\nsleep 0.3\ntouch '" +
                                    file("done") + "'\nexit 5");
    bool registered = false;
    const auto begin = Clock::now();
    const RunOutcome outcome =
        RunAndWait(tool, "-c x.m4v", [&](pid_t pid) { registered = ChildRegistry::contains(pid); });
    EXPECT_GE(Clock::now() - begin, 300ms);
    EXPECT_TRUE(outcome.exitedNormally);
    EXPECT_EQ(outcome.exitCode, 5);
    EXPECT_TRUE(registered);
    EXPECT_TRUE(QFile::exists(QFile::decodeName(file("done"))));
}

// What the tool received, as the kernel holds it: interpreter, script path, arguments.
QList<QByteArray> RecordedArgv(const QByteArray &path)
{
    QFile file(QFile::decodeName(path));
    if (!file.open(QIODevice::ReadOnly))
        return {};
    QByteArray all = file.readAll();
    all.chop(1);  // the zero after the last argument
    return all.split('\0');
}

QByteArray RandomPath(std::mt19937 &random)
{
    static const QByteArray awkward = "\\\\\"\" \t'$;`-*?";
    QByteArray path;
    const int length = static_cast<int>(random() % 20);
    for (int i = 0; i < length; ++i) {
        char byte;
        if (random() % 3 == 0) {
            byte = awkward.at(static_cast<qsizetype>(random() % awkward.size()));
        } else {
            do {
                byte = static_cast<char>(1 + random() % 255);
            } while (byte == '/');
        }
        path.append(byte);
    }
    return path;
}

// Paths of any bytes go through quoting, splitting and exec unchanged, and
// the tool's own path may need quoting too.
TEST_F(Runner, ArgumentsReachTheToolByteForByte)
{
    ASSERT_TRUE(QDir(m_dir.path()).mkdir(QString::fromUtf8("工具 \"q\" \\ dir")));
    const QByteArray record = file("argv");
    const QByteArray tool = writeTool("工具 \"q\" \\ dir/mencoder", "cat /proc/$$/cmdline > '" + record + "'");

    QList<QList<QByteArray>> sets = {
        {"\\", "\\\\", "\"", "a\\", "a\\\\\"b\\", " ", "-o", "--help", "$HOME;rm -rf x", "`id`", "$(id)",
         "视频 文件.rmvb", "'", "\r\n", "\x01\x7f\x80\xff", ""},
        {"/" + QByteArray(5000, 'p') + ".avi"},  // far beyond 1024 bytes, never cut
    };
    std::mt19937 random(3100);
    for (int round = 0; round < 60; ++round) {
        QList<QByteArray> set;
        for (int i = 1 + static_cast<int>(random() % 4); i > 0; --i)
            set.append(RandomPath(random));
        sets.append(set);
    }

    for (const QList<QByteArray> &set : sets) {
        QByteArray parameters;
        for (const QByteArray &path : set)
            parameters += QuotePath(path) + ' ';
        const QList<QByteArray> expected = QList<QByteArray>{"/bin/sh", tool} + set;

        QFile::remove(QFile::decodeName(record));
        ASSERT_TRUE(RunCaptured(ToolPathArg(tool) + ' ' + parameters, Priority::Normal, m_live, {}).ok());
        EXPECT_EQ(RecordedArgv(record), expected) << parameters.toHex().constData();

        QFile::remove(QFile::decodeName(record));
        ASSERT_TRUE(RunAndWait(tool, parameters).ok());
        EXPECT_EQ(RecordedArgv(record), expected) << parameters.toHex().constData();
    }
}

// Probe threads run at the same time; each run sees only its own child's output.
TEST_F(Runner, ConcurrentRunsKeepTheirOutputApart)
{
    const QByteArray letters = "ABCD";
    std::vector<QByteArray> outputs(static_cast<size_t>(letters.size()));
    // All tools are written before any starts: a file still open for writing
    // in a child forked meanwhile could not be executed ("text file busy").
    QList<QByteArray> tools;
    for (const char letter : letters)
        tools.append(writeTool(QByteArray("probe") + letter, "i=0\nwhile [ $i -lt 15 ]; do printf " +
                                                                  QByteArray(1, letter) +
                                                                  "; sleep 0.01; i=$((i+1)); done"));
    std::vector<std::thread> threads;
    for (qsizetype i = 0; i < letters.size(); ++i) {
        threads.emplace_back([this, tool = tools.at(i), &outputs, i] {
            Chunks chunks;
            RunCaptured(tool, Priority::Normal, m_live, chunks.parser());
            outputs[static_cast<size_t>(i)] = chunks.joined();
        });
    }
    for (std::thread &thread : threads)
        thread.join();
    for (qsizetype i = 0; i < letters.size(); ++i)
        EXPECT_EQ(outputs[static_cast<size_t>(i)], QByteArray(15, letters.at(i)));
    EXPECT_TRUE(NoChildrenLeft());
}

} // namespace
