// Files handed from a second start of the real program to a running window
// (this test's own, on a real X server), and files named on the command line.
#include "base/thread_tracker.h"
#include "res/control_ids.h"
#include "tests/support/main_dialog_fixture.h"
#include "ui/file_list_commands.h"
#include "ui/file_list_view.h"
#include "ui/main_dialog.h"

#include <QDir>
#include <QFile>
#include <QProcess>
#include <QTest>
#include <gtest/gtest.h>

namespace {

class FileHandOverTest : public MainDialogFixture {
protected:
    static void SetUpTestSuite()
    {
        // The marker and the hand-over are X properties: this process shows its
        // window on the X server, not offscreen.
        if (!qEnvironmentVariableIsEmpty("DISPLAY"))
            qputenv("QT_QPA_PLATFORM", "xcb");
        MainDialogFixture::SetUpTestSuite();
    }

    void SetUp() override
    {
        if (qEnvironmentVariableIsEmpty("DISPLAY"))
            GTEST_SKIP() << "needs an X server (scripts/test starts Xvfb)";
        m_clips = MakeTempDir();
        for (const char *name : {"a.flv", "b c.avi", "d.mpg", "e.MKV"})
            QFile(m_clips + '/' + name).open(QIODevice::WriteOnly);
        MainDialogFixture::SetUp();
    }

    void TearDown() override
    {
        if (!m_dialog)
            return;
        EXPECT_TRUE(WaitUntil([] { return ThreadTracker::running() == 0; }, 15000));
        MainDialogFixture::TearDown();
    }

    QStringList paths() const
    {
        auto *list = m_dialog->controlAs<FileListView>(IdFileList);
        QStringList result;
        for (int r = 0; r < list->rowCount(); ++r)
            result << list->rowPath(r);
        return result;
    }

    // Starts the program in the clips' folder and waits for it to end.
    int runSecondStart(const QStringList &arguments)
    {
        QProcess second;
        second.setWorkingDirectory(m_clips);
        second.setProcessChannelMode(QProcess::ForwardedChannels);
        // As a Wayland desktop starts it: the program must still pick its X
        // server (XWayland), where the running window's marker is.
        QProcessEnvironment environment = QProcessEnvironment::systemEnvironment();
        environment.remove("QT_QPA_PLATFORM");
        environment.insert("WAYLAND_DISPLAY", "wayland-q9-none");
        environment.insert("XDG_SESSION_TYPE", "wayland");
        second.setProcessEnvironment(environment);
        second.start(Q9_APP_PATH, arguments);
        // The running window must keep answering while the second one looks.
        if (!WaitUntil([&] { return second.state() == QProcess::NotRunning; }, 15000)) {
            second.kill();
            second.waitForFinished();
            return -1;
        }
        return second.exitStatus() == QProcess::NormalExit ? second.exitCode() : -1;
    }

    QString m_clips;
};

TEST_F(FileHandOverTest, SecondStartHandsItsFilesToTheRunningWindow)
{
    // The first start: its command line's files, in their order.
    m_dialog->addFiles(FilesToAdd({"a.flv", "b c.avi"}, m_clips));
    m_dialog->show();
    ASSERT_TRUE(QTest::qWaitForWindowExposed(m_dialog.get()));
    m_dialog->showMinimized();

    // Relative names are the second start's: it runs in the clips' folder.
    EXPECT_EQ(runSecondStart({"d.mpg", m_clips + "/e.MKV", "missing.avi"}), 0);
    EXPECT_TRUE(WaitUntil([&] { return paths().size() == 4; }, 5000));
    EXPECT_EQ(paths(), (QStringList{m_clips + "/a.flv", m_clips + "/b c.avi", m_clips + "/d.mpg",
                                    m_clips + "/e.MKV"}));
    EXPECT_TRUE(WaitUntil([&] { return !m_dialog->isMinimized(); }, 5000)) << "brought back to the front";

    // A start without files only brings the window forward.
    EXPECT_EQ(runSecondStart({}), 0);
    QTest::qWait(200);
    EXPECT_EQ(paths().size(), 4);
}

TEST(StartWithoutDisplay, SaysSoPlainlyAndOpensNothing)
{
    QProcess start;
    QProcessEnvironment environment = QProcessEnvironment::systemEnvironment();
    for (const char *name : {"DISPLAY", "WAYLAND_DISPLAY", "QT_QPA_PLATFORM"})
        environment.remove(name);
    start.setProcessEnvironment(environment);
    start.start(Q9_APP_PATH, {});
    ASSERT_TRUE(start.waitForFinished(15000));
    EXPECT_EQ(start.exitCode(), 1);
    EXPECT_TRUE(start.readAllStandardError().contains("DISPLAY is empty"));
}

} // namespace
