// A start after a run that never closed its window: the half-made files of the
// row it was converting go, its unfinished rows come back waiting, and start
// converts them.
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

void Touch(const QString &path)
{
    QFile file(path);
    ASSERT_TRUE(file.open(QIODevice::WriteOnly));
    file.write("half");
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
        Touch(paths.last());
    }
    // What a kill during the first row's encoding leaves: its AVI half written
    // and the queue saying so; a done row of an earlier batch keeps its file.
    Touch(out + "09-00-00.mp4");
    Touch(out + "10-00-00.avi");
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
    const QString tools = MakeTempDir() + '/';
    QFile encoder(tools + "mencoder");
    ASSERT_TRUE(encoder.open(QIODevice::WriteOnly));
    encoder.write(kEncoder);
    encoder.close();
    encoder.setPermissions(QFile::ReadOwner | QFile::WriteOwner | QFile::ExeOwner);
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

}  // namespace
