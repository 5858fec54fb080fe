// The single-instance hand-over with two real processes on a real X server.
#include "base/eintr.h"
#include "tests/support/test_support.h"

#include <QDir>
#include <QFile>
#include <QProcess>
#include <QProcessEnvironment>
#include <functional>
#include <gtest/gtest.h>

#include <X11/Xatom.h>
#include <X11/Xlib.h>
#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

namespace {

// The marked windows (any value) on the display, top level and one below.
QList<std::pair<Window, long>> MarkedWindows(Display *display)
{
    QList<std::pair<Window, long>> found;
    const Atom marker = XInternAtom(display, "Q9TBR", False);
    std::function<void(Window, int)> walk = [&](Window w, int depth) {
        Atom type;
        int format;
        unsigned long count, remaining;
        unsigned char *data = nullptr;
        if (XGetWindowProperty(display, w, marker, 0, 1, False, XA_CARDINAL, &type, &format, &count, &remaining,
                               &data) == Success && data) {
            if (count == 1)
                found.append({w, *reinterpret_cast<long *>(data)});
            XFree(data);
        }
        if (depth == 2)
            return;
        Window root, parent, *children = nullptr;
        unsigned int n = 0;
        if (XQueryTree(display, w, &root, &parent, &children, &n)) {
            for (unsigned int i = 0; i < n; ++i)
                walk(children[i], depth + 1);
            if (children)
                XFree(children);
        }
    };
    walk(DefaultRootWindow(display), 0);
    return found;
}

QList<Window> OurWindows(Display *display)
{
    QList<Window> ours;
    for (const auto &[w, value] : MarkedWindows(display)) {
        if (value == 2010)
            ours << w;
    }
    return ours;
}

bool WindowShown(Display *display, Window w)
{
    XWindowAttributes attributes{};
    return XGetWindowAttributes(display, w, &attributes) && attributes.map_state == IsViewable;
}

class SingleInstanceTest : public ::testing::Test {
protected:
    void SetUp() override
    {
        if (qEnvironmentVariableIsEmpty("DISPLAY"))
            GTEST_SKIP() << "needs an X server (scripts/test starts Xvfb)";
        // A loaded server may refuse a connection for a moment (seen on a busy
        // two-core machine): try again for a while before calling it absent.
        WaitUntil([this] { return (m_display = XOpenDisplay(nullptr)) != nullptr; }, 5000);
        ASSERT_NE(m_display, nullptr);
        m_home = UseTemporaryHome();
        m_env = QProcessEnvironment::systemEnvironment();
        m_env.insert("QT_QPA_PLATFORM", "xcb");
        ASSERT_TRUE(OurWindows(m_display).isEmpty()) << "another instance is running on this display";
    }

    void TearDown() override
    {
        for (QProcess *p : m_processes) {
            p->kill();
            p->waitForFinished(5000);
            delete p;
        }
        if (m_display)
            XCloseDisplay(m_display);
    }

    QProcess *Start()
    {
        auto *process = new QProcess;
        process->setProcessEnvironment(m_env);
        process->setProcessChannelMode(QProcess::ForwardedChannels);
        process->start(Q9_APP_PATH, {});
        process->waitForStarted();
        m_processes << process;
        return process;
    }

    Display *m_display = nullptr;
    QString m_home;
    QProcessEnvironment m_env;
    QList<QProcess *> m_processes;
};

TEST_F(SingleInstanceTest, SecondStartHandsOverAndEndsWithoutAWindow)
{
    Start();
    ASSERT_TRUE(WaitUntil([&] {
        const QList<Window> ours = OurWindows(m_display);
        return ours.size() == 1 && WindowShown(m_display, ours.first());
    }));
    const Window first = OurWindows(m_display).first();

    // Hide the first window, then start again: the second process finds it,
    // brings it back and ends at once.
    XUnmapWindow(m_display, first);
    XSync(m_display, False);
    ASSERT_TRUE(WaitUntil([&] { return !WindowShown(m_display, first); }));

    QProcess *second = Start();
    ASSERT_TRUE(second->waitForFinished(15000));
    EXPECT_EQ(second->exitStatus(), QProcess::NormalExit);
    EXPECT_EQ(second->exitCode(), 0);
    EXPECT_TRUE(WaitUntil([&] { return WindowShown(m_display, first); })) << "the first window is shown again";
    EXPECT_EQ(OurWindows(m_display), QList<Window>{first}) << "the second start made no window";
}

TEST_F(SingleInstanceTest, FoundWhileTheFirstIsStillInitialising)
{
    // A pipe in place of one tool holds the first instance in the middle of
    // writing its tools until we read from it.
    const QString toolDir = m_home + "/.local/share/Q9TBR";
    ASSERT_TRUE(QDir().mkpath(toolDir));
    const QByteArray fifo = QFile::encodeName(toolDir + "/ffmpeg");
    ASSERT_EQ(mkfifo(fifo.constData(), 0600), 0);

    QProcess *first = Start();
    ASSERT_TRUE(WaitUntil([&] { return OurWindows(m_display).size() == 1; })) << "marked before the tools are written";
    const Window marked = OurWindows(m_display).first();
    EXPECT_FALSE(WindowShown(m_display, marked)) << "the window is not shown before initialisation ends";

    QProcess *second = Start();
    ASSERT_TRUE(second->waitForFinished(15000));
    EXPECT_EQ(second->exitCode(), 0);

    // Let the first one finish its initialisation: it shows its window.
    const int fd = ::open(fifo.constData(), O_RDONLY);
    ASSERT_GE(fd, 0);
    char buffer[4096];
    while (RetryOnEintr([&] { return ::read(fd, buffer, sizeof buffer); }) > 0) {
    }
    ::close(fd);
    EXPECT_TRUE(WaitUntil([&] { return WindowShown(m_display, marked); }));
    EXPECT_FALSE(first->waitForFinished(300)) << "the first instance keeps running";
    EXPECT_EQ(OurWindows(m_display).size(), 1);
}

TEST_F(SingleInstanceTest, AnotherProgramsMarkerWithAnotherValueIsNotTaken)
{
    const Window foreign = XCreateSimpleWindow(m_display, DefaultRootWindow(m_display), 0, 0, 10, 10, 0, 0, 0);
    const long value = 7;
    XChangeProperty(m_display, foreign, XInternAtom(m_display, "Q9TBR", False), XA_CARDINAL, 32, PropModeReplace,
                    reinterpret_cast<const unsigned char *>(&value), 1);
    XMapWindow(m_display, foreign);
    XSync(m_display, False);

    QProcess *first = Start();
    EXPECT_TRUE(WaitUntil([&] { return OurWindows(m_display).size() == 1; })) << "the program started normally";
    EXPECT_FALSE(first->waitForFinished(300)) << "the program keeps running";
    XDestroyWindow(m_display, foreign);
    XSync(m_display, False);
}

} // namespace
