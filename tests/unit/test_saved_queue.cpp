// The queue file: what it keeps, what a damaged one does, the clean-up after a
// run that never closed its window, and the one window that keeps it.
#include "engine/queue_lock.h"
#include "engine/saved_queue.h"
#include "tests/support/test_support.h"

#include <QDateTime>
#include <QDir>
#include <QFile>
#include <gtest/gtest.h>

#include <sys/wait.h>
#include <unistd.h>

namespace {

TEST(SavedQueue, KeepsPathsPhasesReservedNamesAndChoices)
{
    const QString path = MakeTempDir() + "/queue.json";
    SavedQueue queue;
    queue.choices = {320, 240, 15, 512, OutputFormat::ThreeGp};
    queue.rows = {{"/v/a \"1\".avi", RowPhase::Done, {}, {}, {}},
                  {"/v/视频.rmvb", RowPhase::Converting, {"/out/10-20-30"}, {}, {}},
                  {"/v/c.mkv", RowPhase::Failed, {}, {}, {}}};
    ASSERT_TRUE(WriteQueueFile(path, queue));
    ASSERT_TRUE(WriteQueueFile(path, queue)) << "a second write replaces the first";

    const std::optional<SavedQueue> read = ReadQueueFile(path);
    ASSERT_TRUE(read);
    EXPECT_EQ(read->choices.format, OutputFormat::ThreeGp);
    EXPECT_EQ(read->choices.width, 320);
    EXPECT_EQ(read->choices.height, 240);
    EXPECT_EQ(read->choices.frameRate, 15);
    EXPECT_EQ(read->choices.bitrate, 512);
    ASSERT_EQ(read->rows.size(), 3);
    for (int i = 0; i < 3; ++i) {
        EXPECT_EQ(read->rows[i].source, queue.rows[i].source);
        EXPECT_EQ(read->rows[i].phase, queue.rows[i].phase);
        EXPECT_EQ(read->rows[i].reservedStems, queue.rows[i].reservedStems);
    }
    EXPECT_EQ(QDir(QFileInfo(path).path()).entryList(QDir::Files), QStringList{"queue.json"})
        << "no temporary file stays";
}

TEST(SavedQueue, ADamagedOrForeignFileIsSetAside)
{
    const QString dir = MakeTempDir();
    const QByteArray bad[] = {"{\"kind\":\"q9plemo-queue\",\"version\":1,\"rows\":[{\"pa", "not json at all",
                              "{\"kind\":\"something-else\",\"version\":1,\"rows\":[]}",
                              "{\"kind\":\"q9plemo-queue\",\"version\":1,\"choices\":{\"format\":\"MP4\"},"
                              "\"rows\":[{\"path\":\"/a\",\"state\":\"melting\"}]}"};
    for (const QByteArray &content : bad) {
        Touch(dir + "/queue.json", content);
        EXPECT_FALSE(ReadQueueFile(dir + "/queue.json")) << content.constData();
        EXPECT_FALSE(QFile::exists(dir + "/queue.json"));
        QFile aside(dir + "/queue.json.bad");
        ASSERT_TRUE(aside.open(QIODevice::ReadOnly));
        EXPECT_EQ(aside.readAll(), content);
    }
    EXPECT_FALSE(ReadQueueFile(dir + "/missing.json"));
}

TEST(SavedQueue, RecoveryClearsUnfinishedRowsFilesAndKeepsDoneOnes)
{
    const QString out = MakeTempDir();
    // A crash while the second row packed its MP4: its AVI and the packer's
    // temporary are half made, and the row recorded them by name; the same
    // source's 3GP of an earlier batch sits beside them. The fourth row's FLV,
    // reserved by an earlier version as a bare stem, is half made too.
    Touch(out + "/10-00-00.mp4");
    Touch(out + "/10-05-00.avi");
    Touch(out + "/.10-05-00.mp4.part");
    Touch(out + "/10-05-00.3gp");
    Touch(out + "/09-00-00.flv");
    Touch(out + "/notes.txt");
    SavedQueue queue;
    const QStringList running{out + "/10-05-00.avi", out + "/10-05-00.mkv", out + "/10-05-00.mp4",
                              out + "/.10-05-00.mp4.part"};
    queue.rows = {{"/v/done.avi", RowPhase::Done, {}, {}, {}},
                  {"/v/running.avi", RowPhase::Converting, {}, running, {}},
                  {"/v/waiting.avi", RowPhase::Waiting, {}, {}, {}},
                  {"/v/failed.avi", RowPhase::Failed, {out + "/09-00-00"}, {}, {}}};
    const QList<SavedRow> back = RecoverUnfinishedRows(queue);
    ASSERT_EQ(back.size(), 3);
    EXPECT_EQ(back[0].source, "/v/running.avi");
    EXPECT_EQ(back[2].source, "/v/failed.avi");
    for (const SavedRow &row : back)
        EXPECT_EQ(row.phase, RowPhase::Waiting);
    QStringList left = QDir(out).entryList(QDir::Files | QDir::Hidden);
    left.sort();
    EXPECT_EQ(left, (QStringList{"10-00-00.mp4", "10-05-00.3gp", "notes.txt"}));
}

// Two windows over one queue: the second keeps nothing while the first lives,
// and takes the queue once the first lets go.
TEST(QueueLock, OneWindowKeepsTheQueueAtATime)
{
    const QString queue = MakeTempDir() + "/config/Q9TBR/queue.json";  // its folder not made yet
    QueueLock first(queue);
    QueueLock second(queue);
    ASSERT_TRUE(first.take());
    EXPECT_TRUE(first.take()) << "taking it again keeps it";
    EXPECT_FALSE(second.take());
    EXPECT_EQ(second.state(), QueueLock::State::HeldElsewhere);
    first.release();
    EXPECT_TRUE(second.take());
    EXPECT_FALSE(first.take());
}

// A window that died without letting go (a crash, a kill) leaves its lock
// behind; the next start takes it over at once.
TEST(QueueLock, ALockWhoseProcessIsGoneIsTakenOver)
{
    const QString queue = MakeTempDir() + "/queue.json";
    const pid_t child = ::fork();
    ASSERT_GE(child, 0);
    if (child == 0) {
        QueueLock crashed(queue);
        ::_exit(crashed.take() ? 0 : 1);  // no destructor runs, as in a crash
    }
    int status = 0;
    ASSERT_EQ(::waitpid(child, &status, 0), child);
    ASSERT_TRUE(WIFEXITED(status) && WEXITSTATUS(status) == 0);
    ASSERT_TRUE(QFile::exists(QueueLock::lockPath(queue)));
    QueueLock next(queue);
    EXPECT_TRUE(next.take());
}

// A lock made on another machine sharing the home: its process cannot be
// looked up from here, and no age makes it stale (a batch runs for hours).
TEST(QueueLock, ALockFromAnotherMachineIsKeptHoweverOld)
{
    const QString queue = MakeTempDir() + "/queue.json";
    const QString lock = QueueLock::lockPath(queue);
    // The lock file as QLockFile writes it: process, program, host name,
    // machine id and boot id. No process here has that number.
    Touch(lock, "999999999\nq9plemo\nanother-host\n0123456789abcdef0123456789abcdef\n"
                "01234567-89ab-cdef-0123-456789abcdef\n");
    QFile file(lock);
    ASSERT_TRUE(file.open(QIODevice::ReadWrite));
    ASSERT_TRUE(file.setFileTime(QDateTime::currentDateTimeUtc().addDays(-30), QFileDevice::FileModificationTime));
    file.close();
    QueueLock here(queue);
    EXPECT_FALSE(here.take());
    EXPECT_EQ(here.state(), QueueLock::State::HeldElsewhere);
}

}  // namespace
