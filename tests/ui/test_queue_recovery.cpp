// A start after a run that never closed its window: the half-made files of the
// row it was converting go, its unfinished rows come back waiting, and start
// converts them. A second window of the same home leaves a live queue alone.
#include "base/thread_tracker.h"
#include "engine/conversion_batch.h"
#include "engine/saved_queue.h"
#include "res/control_ids.h"
#include "settings/output_folder.h"
#include "tests/support/test_support.h"
#include "tests/support/window_support.h"
#include "ui/file_list_view.h"
#include "ui/main_dialog.h"

#include <QDir>
#include <QFile>
#include <QLabel>
#include <QTest>
#include <gtest/gtest.h>

namespace {

// Logs its arguments and writes a little into its output, then exits.
const char kEncoder[] = "#!/bin/sh\n"
                        "printf '%s\\n' \"$*\" >> \"$(dirname \"$0\")/encoder.log\"\n"
                        "for a; do [ \"$p\" = -o ] && printf partial > \"$a\"; p=$a; done\n";

// Writes its output, then works on until it is stopped.
const char kBusyEncoder[] = "#!/bin/sh\n"
                            "for a; do [ \"$p\" = -o ] && printf partial > \"$a\"; p=$a; done\n"
                            "exec sleep 60\n";

QString WriteEncoder(const char *script)
{
    const QString tools = MakeTempDir() + '/';
    QFile encoder(tools + "mencoder");
    EXPECT_TRUE(encoder.open(QIODevice::WriteOnly));
    encoder.write(script);
    encoder.close();
    encoder.setPermissions(QFile::ReadOwner | QFile::WriteOwner | QFile::ExeOwner);
    return tools;
}

TEST(QueueRecovery, AfterACrashTheUnfinishedRowsComeBackWithoutTheirFiles)
{
    const QString home = UseTemporaryHome();
    EnsureApp();
    const QString out = GetOutputFolder();
    QDir().mkpath(out);
    const QString sources = MakeTempDir();
    QStringList paths;
    for (const char *name : {"one.avi", "two.avi", "three.avi", "old.avi"}) {
        paths << sources + '/' + name;
        Touch(paths.last(), "half");
    }
    // What a kill during the first row's encoding leaves: its AVI half written
    // and the queue saying so; a done row of an earlier batch keeps its file.
    Touch(out + "09-00-00.mp4", "half");
    Touch(out + "10-00-00.avi", "half");
    SavedQueue crashed;
    crashed.rows = {{paths[3].toUtf8(), RowPhase::Done, {}, {}, {}},
                    {paths[0].toUtf8(), RowPhase::Converting, {out + "10-00-00"}, {}, {}},
                    {paths[1].toUtf8(), RowPhase::Waiting, {}, {}, {}},
                    {paths[2].toUtf8(), RowPhase::Waiting, {}, {}, {}}};
    QDir().mkpath(QFileInfo(QueueFilePath()).path());
    ASSERT_TRUE(WriteQueueFile(QueueFilePath(), crashed));

    auto dialog = std::make_unique<MainDialog>();
    dialog->OnInitDialog();
    auto *list = dialog->controlAs<FileListView>(IdFileList);
    ASSERT_EQ(list->rowCount(), 3);
    for (int r = 0; r < 3; ++r) {
        EXPECT_EQ(list->rowPath(r), paths[r]);
        EXPECT_EQ(list->rowText(r, ColStatus), QStringLiteral("等待转换"));
    }
    EXPECT_EQ(dialog->controlAs<QLabel>(IdStatusLine)->text(), QStringLiteral("已恢复上次未完成的 3 个文件"));
    EXPECT_EQ(QDir(out).entryList(QDir::Files), QStringList{"09-00-00.mp4"});
    ASSERT_TRUE(ReadQueueFile(QueueFilePath()));
    EXPECT_EQ(ReadQueueFile(QueueFilePath())->rows.size(), 3) << "the restored list is kept at once";

    // Start takes all three.
    const QString tools = WriteEncoder(kEncoder);
    dialog->batch().setToolDir(QFile::encodeName(tools));
    dialog->OnStart();
    ASSERT_TRUE(WaitUntil([&] { return dialog->batch().waitIdle(0); }, 20000));
    QFile log(tools + "encoder.log");
    ASSERT_TRUE(log.open(QIODevice::ReadOnly));
    const QString runs = QString::fromUtf8(log.readAll());
    for (int r = 0; r < 3; ++r)
        EXPECT_TRUE(runs.contains(paths[r])) << r;
    EXPECT_FALSE(runs.contains(paths[3]));

    // A window that closes leaves nothing to restore.
    dialog.reset();
    EXPECT_FALSE(QFile::exists(QueueFilePath()));
    // The restored rows' probes may still be running; the program's end must not overtake them.
    EXPECT_TRUE(WaitUntil([] { return ThreadTracker::running() == 0; }, 15000));
    Q_UNUSED(home);
}

// Two windows of one home (two sessions, or two starts at once): the second
// neither clears up after the first one's converting row nor writes the queue,
// and says so; once the first has closed, the next window keeps the queue.
TEST(QueueRecovery, ASecondWindowLeavesALiveQueueAlone)
{
    UseTemporaryHome();
    EnsureApp();
    const QString out = GetOutputFolder();
    QDir().mkpath(out);
    const QString sources = MakeTempDir();
    const QString one = sources + "/one.avi", two = sources + "/two.avi";
    Touch(one, "half");
    Touch(two, "half");

    auto first = std::make_unique<MainDialog>();
    first->OnInitDialog();
    first->addFiles({one});
    // The probe's verdict on the stand-in source is in before the row converts.
    ASSERT_TRUE(WaitUntil([] { return ThreadTracker::running() == 0; }));
    first->batch().setToolDir(QFile::encodeName(WriteEncoder(kBusyEncoder)));
    first->OnStart();
    // The first window's queue says its row is converting, and the encoder has written the row's file.
    ASSERT_TRUE(WaitUntil([&] {
        const std::optional<SavedQueue> queue = ReadQueueFile(QueueFilePath());
        return queue && queue->rows.size() == 1 && queue->rows[0].phase == RowPhase::Converting &&
               !queue->rows[0].files.isEmpty() && QFileInfo(queue->rows[0].files[0]).size() > 0;
    }));
    const QStringList running = QDir(out).entryList(QDir::Files);

    auto second = std::make_unique<MainDialog>();
    second->OnInitDialog();
    EXPECT_EQ(second->controlAs<FileListView>(IdFileList)->rowCount(), 0);
    EXPECT_EQ(second->controlAs<QLabel>(IdStatusLine)->text(),
              QStringLiteral("另一个窗口正在使用转换列表，本窗口的列表不会保存"));
    EXPECT_EQ(QDir(out).entryList(QDir::Files), running) << "the live row's file stays";
    second->addFiles({two});
    second.reset();
    const std::optional<SavedQueue> kept = ReadQueueFile(QueueFilePath());
    ASSERT_TRUE(kept) << "the second window's close leaves the first one's queue";
    ASSERT_EQ(kept->rows.size(), 1);
    EXPECT_EQ(kept->rows[0].source, one.toUtf8());

    first.reset();
    EXPECT_FALSE(QFile::exists(QueueFilePath()));
    auto next = std::make_unique<MainDialog>();
    next->OnInitDialog();
    EXPECT_NE(next->controlAs<QLabel>(IdStatusLine)->text(),
              QStringLiteral("另一个窗口正在使用转换列表，本窗口的列表不会保存"));
    next->addFiles({two});
    ASSERT_TRUE(WaitUntil([] {
        const std::optional<SavedQueue> queue = ReadQueueFile(QueueFilePath());
        return queue && queue->rows.size() == 1;
    }));
    EXPECT_EQ(ReadQueueFile(QueueFilePath())->rows[0].source, two.toUtf8());
    next.reset();
    EXPECT_TRUE(WaitUntil([] { return ThreadTracker::running() == 0; }, 15000));
}

}  // namespace
