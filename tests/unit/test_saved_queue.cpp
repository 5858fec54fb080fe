// The queue file: what it keeps, what a damaged one does, and the clean-up
// after a run that never closed its window.
#include "engine/saved_queue.h"
#include "tests/support/test_support.h"

#include <QDir>
#include <QFile>
#include <gtest/gtest.h>

namespace {

void Touch(const QString &path, const QByteArray &content = "data")
{
    QFile file(path);
    ASSERT_TRUE(file.open(QIODevice::WriteOnly));
    file.write(content);
}

TEST(SavedQueue, KeepsPathsPhasesReservedNamesAndChoices)
{
    const QString path = MakeTempDir() + "/queue.json";
    SavedQueue queue;
    queue.choices = {"320", "240", "15", "512", OutputFormat::ThreeGp};
    queue.rows = {{"/v/a \"1\".avi", RowPhase::Done, {}},
                  {"/v/视频.rmvb", RowPhase::Converting, {"/out/10-20-30"}},
                  {"/v/c.mkv", RowPhase::Failed, {}}};
    ASSERT_TRUE(WriteQueueFile(path, queue));
    ASSERT_TRUE(WriteQueueFile(path, queue)) << "a second write replaces the first";

    const std::optional<SavedQueue> read = ReadQueueFile(path);
    ASSERT_TRUE(read);
    EXPECT_EQ(read->choices.format, OutputFormat::ThreeGp);
    EXPECT_EQ(read->choices.width + "x" + read->choices.height, "320x240");
    EXPECT_EQ(read->choices.frameRate, "15");
    EXPECT_EQ(read->choices.bitrate, "512");
    ASSERT_EQ(read->rows.size(), 3);
    for (int i = 0; i < 3; ++i) {
        EXPECT_EQ(read->rows[i].path, queue.rows[i].path);
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
    // temporary are half made; the same source's 3GP of an earlier batch sits
    // beside them. The fourth row's FLV, reserved by an earlier version as a
    // bare stem, is half made too.
    Touch(out + "/10-00-00.mp4");
    Touch(out + "/10-05-00.avi");
    Touch(out + "/.10-05-00.mp4.tmp-Ab12Cd");
    Touch(out + "/10-05-00.3gp");
    Touch(out + "/09-00-00.flv");
    Touch(out + "/notes.txt");
    SavedQueue queue;
    queue.rows = {{"/v/done.avi", RowPhase::Done, {out + "/10-00-00.mp4"}},
                  {"/v/running.avi", RowPhase::Converting, {out + "/10-05-00.mp4"}},
                  {"/v/waiting.avi", RowPhase::Waiting, {}},
                  {"/v/failed.avi", RowPhase::Failed, {out + "/09-00-00"}}};
    const QList<SavedRow> back = RecoverUnfinishedRows(queue);
    ASSERT_EQ(back.size(), 3);
    EXPECT_EQ(back[0].path, "/v/running.avi");
    EXPECT_EQ(back[2].path, "/v/failed.avi");
    for (const SavedRow &row : back)
        EXPECT_EQ(row.phase, RowPhase::Waiting);
    QStringList left = QDir(out).entryList(QDir::Files | QDir::Hidden);
    left.sort();
    EXPECT_EQ(left, (QStringList{"10-00-00.mp4", "10-05-00.3gp", "notes.txt"}));
}

}  // namespace
