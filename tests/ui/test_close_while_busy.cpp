// Closing the main window while other threads keep changing its list, status
// line and progress bar: no crash, no hang, and nothing touched afterwards.
#include "engine/dialog_port.h"
#include "res/control_ids.h"
#include "tests/support/test_support.h"
#include "tests/support/window_support.h"
#include "ui/file_list_view.h"
#include "ui/main_dialog.h"

#include <QLabel>
#include <QTest>
#include <QTimer>
#include <atomic>
#include <chrono>
#include <gtest/gtest.h>
#include <thread>
#include <vector>

namespace {

class CloseWhileBusyTest : public ::testing::Test {
protected:
    static void SetUpTestSuite()
    {
        UseTemporaryHome();
        EnsureApp();
    }
};

// Hammers the window through the port until told to stop; counts its calls.
void Hammer(std::shared_ptr<DialogPort> port, std::atomic<bool> *stop, std::atomic<int> *calls, int n)
{
    while (!stop->load()) {
        const RowId row = port->appendRow(QStringLiteral("/videos/clip %1.avi").arg(n).toUtf8());
        port->setRowLength(row, n % 60);
        port->setStatus(BatchStatus::Converting);
        port->setProgress(n % 101);
        port->focusFirstRow();
        (void)port->rows();
        port->setRowState(row, RowState::converting(n % 101));
        calls->fetch_add(1);
    }
}

TEST_F(CloseWhileBusyTest, ThreadsRunOutWhenTheWindowCloses)
{
    auto dialog = std::make_unique<MainDialog>();
    dialog->OnInitDialog();
    dialog->show();

    std::atomic<bool> stop{false};
    std::atomic<int> calls{0};
    std::vector<std::thread> threads;
    for (int n = 0; n < 6; ++n)
        threads.emplace_back(Hammer, dialog->port(), &stop, &calls, n);

    // Let the threads work through the event loop for a while, then close.
    QTimer::singleShot(400, dialog.get(), [&] { dialog->reject(); });
    dialog->exec();
    EXPECT_GT(calls.load(), 20) << "the threads reached the window while it was open";
    const int rowsAtClose = dialog->controlAs<FileListView>(IdFileList)->rowCount();

    // The threads go on after the close without blocking and without effect.
    const int before = calls.load();
    QTest::qWait(50);
    std::this_thread::sleep_for(std::chrono::milliseconds(100));
    EXPECT_GT(calls.load(), before) << "calls after the close return at once";
    EXPECT_EQ(dialog->controlAs<FileListView>(IdFileList)->rowCount(), rowsAtClose);

    // Destroying the window while they still run is safe too.
    std::shared_ptr<DialogPort> port = dialog->port();
    dialog.reset();
    std::this_thread::sleep_for(std::chrono::milliseconds(100));
    EXPECT_EQ(port->appendRow("/late.avi"), kNoRow);
    EXPECT_TRUE(port->rows().isEmpty());
    stop = true;
    for (std::thread &t : threads)
        t.join();
}

TEST_F(CloseWhileBusyTest, CallsFromOtherThreadsRunOnTheGuiThread)
{
    MainDialog dialog;
    dialog.OnInitDialog();
    std::shared_ptr<DialogPort> port = dialog.port();
    std::atomic<bool> done{false};
    RowId row = kNoRow;
    std::thread worker([&] {
        row = port->appendRow(QStringLiteral("/v/一个 文件.mkv").toUtf8());
        port->setRowFact(row, ProbeFact::Resolution, "640x480");
        port->setRowLength(row, 125);
        port->setRowState(row, RowState::failed(FailReason::DiskFull));
        port->setStatus(BatchStatus::RowFinished);
        done = true;
    });
    ASSERT_TRUE(WaitUntil([&] { return done.load(); }));
    worker.join();
    auto *list = dialog.controlAs<FileListView>(IdFileList);
    ASSERT_EQ(list->rowOf(row), 0);
    EXPECT_EQ(list->rowPath(0), QStringLiteral("/v/一个 文件.mkv"));
    EXPECT_EQ(list->rowText(0, ColResolution), "640x480");
    EXPECT_EQ(list->rowText(0, ColDuration), "00:02:05");
    EXPECT_EQ(port->rows().value(0).seconds, 125) << "the length comes back as a number";
    EXPECT_EQ(list->rowText(0, ColStatus), QStringLiteral("失败：磁盘已满"));
    EXPECT_EQ(dialog.controlAs<QLabel>(IdStatusLine)->text(), "转换完成");
    ASSERT_EQ(port->rows().size(), 1);
    EXPECT_EQ(port->rows().first().path, QStringLiteral("/v/一个 文件.mkv"));
}

} // namespace
