#include "ui/batch_notification.h"

#include <QCoreApplication>
#include <QDBusConnection>
#include <QDBusConnectionInterface>
#include <QDBusMessage>
#include <QFileInfo>
#include <QVariantMap>
#include <QWidget>

namespace {

constexpr const char *kService = "org.freedesktop.Notifications";
constexpr const char *kPath = "/org/freedesktop/Notifications";
constexpr const char *kInterface = "org.freedesktop.Notifications";
constexpr int kShowMs = 10000;

// Whether this session has a bus to ask. Without an address libdbus would fall
// back to starting a bus of its own (autolaunch): not for one notification.
bool SessionBusExists()
{
    if (!qEnvironmentVariableIsEmpty("DBUS_SESSION_BUS_ADDRESS"))
        return true;
    const QString runtime = qEnvironmentVariable("XDG_RUNTIME_DIR");
    return !runtime.isEmpty() && QFileInfo::exists(runtime + QStringLiteral("/bus"));
}

}  // namespace

bool NotifyBatchEnd(QWidget *mainWindow, int succeeded, int failed)
{
    if (mainWindow && mainWindow->isActiveWindow())
        return false;
    if (!SessionBusExists())
        return false;
    QDBusConnection bus = QDBusConnection::sessionBus();
    if (!bus.isConnected() || !bus.interface())
        return false;
    if (!bus.interface()->isServiceRegistered(QString::fromLatin1(kService)).value())
        return false;

    const QString body =
        failed > 0
            ? QCoreApplication::translate("Notification", "%1 个文件已转换，%2 个失败").arg(succeeded).arg(failed)
            : QCoreApplication::translate("Notification", "%1 个文件已转换").arg(succeeded);
    QVariantMap hints;
    hints.insert(QStringLiteral("desktop-entry"), QStringLiteral("com.example.q9plemo"));
    hints.insert(QStringLiteral("category"), QStringLiteral("transfer.complete"));

    QDBusMessage call = QDBusMessage::createMethodCall(QString::fromLatin1(kService), QString::fromLatin1(kPath),
                                                       QString::fromLatin1(kInterface), QStringLiteral("Notify"));
    call << QStringLiteral("Q9Plemo")  // app_name
         << quint32(0)                 // replaces_id
         << QStringLiteral("q9plemo")  // app_icon (the installed theme icon)
         << (failed > 0 ? QCoreApplication::translate("Notification", "Q9Plemo：转换结束")
                        : QCoreApplication::translate("Notification", "Q9Plemo：转换完成"))  // summary
         << body                                                                             // body
         << QStringList()                                                                    // actions
         << hints                                                                            // hints
         << qint32(kShowMs);                                                                 // expire_timeout
    // The answer (the notification's id) is of no use: do not wait for it.
    call.setAutoStartService(false);
    return bus.send(call);
}
