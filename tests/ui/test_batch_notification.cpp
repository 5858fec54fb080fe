// The desktop notification at the end of a batch, against a stand-in
// notification service on a private session bus of our own.
#include "tests/support/test_support.h"
#include "tests/support/window_support.h"
#include "ui/batch_notification.h"
#include "ui/main_dialog.h"

#include <QApplication>
#include <QDBusConnection>
#include <QDBusConnectionInterface>
#include <QProcess>
#include <QTest>
#include <QVariantMap>
#include <QWidget>
#include <gtest/gtest.h>

namespace {

struct Notification {
    QString app, icon, summary, body;
    QVariantMap hints;
};

// Answers Notify like a desktop's notification daemon and records the calls.
class FakeNotifications : public QObject {
    Q_OBJECT
    Q_CLASSINFO("D-Bus Interface", "org.freedesktop.Notifications")
public:
    QList<Notification> received;

public slots:
    uint Notify(const QString &app, uint, const QString &icon, const QString &summary, const QString &body,
                const QStringList &, const QVariantMap &hints, int)
    {
        received.append({app, icon, summary, body, hints});
        return uint(received.size());
    }
};

class BatchNotificationTest : public ::testing::Test {
protected:
    static void SetUpTestSuite()
    {
        // A session bus of our own, set before the program's first use of it.
        s_daemon = new QProcess;
        s_daemon->start("dbus-daemon", {"--session", "--nofork", "--nopidfile", "--print-address"});
        if (!s_daemon->waitForStarted() || !s_daemon->waitForReadyRead(10000))
            return;
        s_address = QString::fromUtf8(s_daemon->readLine()).trimmed();
        qputenv("DBUS_SESSION_BUS_ADDRESS", s_address.toUtf8());
        UseTemporaryHome();
        EnsureApp();
    }

    static void TearDownTestSuite()
    {
        QDBusConnection::disconnectFromBus("fake");
        s_daemon->kill();
        s_daemon->waitForFinished();
        delete s_daemon;
    }

    void SetUp() override
    {
        if (s_address.isEmpty())
            GTEST_SKIP() << "dbus-daemon could not start";
    }

    // Puts the stand-in service on the bus.
    void startService()
    {
        QDBusConnection bus = QDBusConnection::connectToBus(s_address, "fake");
        ASSERT_TRUE(bus.isConnected());
        ASSERT_TRUE(bus.registerObject("/org/freedesktop/Notifications", &m_fake, QDBusConnection::ExportAllSlots));
        ASSERT_TRUE(bus.registerService("org.freedesktop.Notifications"));
    }

    void stopService()
    {
        QDBusConnection bus = QDBusConnection::connectToBus(s_address, "fake");
        bus.unregisterService("org.freedesktop.Notifications");
        bus.unregisterObject("/org/freedesktop/Notifications");
    }

    static inline QProcess *s_daemon = nullptr;
    static inline QString s_address;
    FakeNotifications m_fake;
};

TEST_F(BatchNotificationTest, SentWithTheCountsWhileTheWindowIsInTheBackground)
{
    startService();
    QWidget window;  // never shown, so not the active window

    EXPECT_TRUE(NotifyBatchEnd(&window, 3, 1));
    ASSERT_TRUE(WaitUntil([&] { return m_fake.received.size() == 1; }, 5000));
    const Notification &sent = m_fake.received.first();
    EXPECT_EQ(sent.app, "Q9Plemo");
    EXPECT_EQ(sent.icon, "q9plemo");
    EXPECT_EQ(sent.body, QStringLiteral("3 个文件已转换，1 个失败"));
    EXPECT_EQ(sent.summary, QStringLiteral("Q9Plemo：转换结束"));
    EXPECT_EQ(sent.hints.value("desktop-entry").toString(), "com.example.q9plemo");

    EXPECT_TRUE(NotifyBatchEnd(&window, 2, 0));
    ASSERT_TRUE(WaitUntil([&] { return m_fake.received.size() == 2; }, 5000));
    EXPECT_EQ(m_fake.received.last().body, QStringLiteral("2 个文件已转换"));
    EXPECT_EQ(m_fake.received.last().summary, QStringLiteral("Q9Plemo：转换完成"));

    // The user is looking at the window: nothing is sent.
    window.show();
    QApplication::setActiveWindow(&window);
    ASSERT_TRUE(QTest::qWaitForWindowActive(&window));
    EXPECT_FALSE(NotifyBatchEnd(&window, 1, 0));
    QTest::qWait(200);
    EXPECT_EQ(m_fake.received.size(), 2);
    stopService();
}

TEST_F(BatchNotificationTest, TheMainWindowTellsOfABatchThatEndedButNotOfOneTheUserStopped)
{
    startService();
    MainDialog dialog;  // never shown, so not the active window
    dialog.OnInitDialog();
    dialog.OnBatchEnded({4, 0, true, false});
    dialog.OnBatchEnded({2, 1, false, false});
    ASSERT_TRUE(WaitUntil([&] { return m_fake.received.size() == 1; }, 5000));
    QTest::qWait(200);
    ASSERT_EQ(m_fake.received.size(), 1);
    EXPECT_EQ(m_fake.received.first().body, QStringLiteral("2 个文件已转换，1 个失败"));
    stopService();
}

TEST_F(BatchNotificationTest, SkippedSilentlyWithoutAService)
{
    QWidget window;
    ASSERT_FALSE(QDBusConnection::sessionBus().interface()->isServiceRegistered("org.freedesktop.Notifications"));
    EXPECT_FALSE(NotifyBatchEnd(&window, 1, 1));
}

} // namespace

#include "test_batch_notification.moc"
