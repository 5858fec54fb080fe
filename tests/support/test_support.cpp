#include "tests/support/test_support.h"

#include "settings/settings_store.h"

#include <QApplication>
#include <QDir>
#include <QProcess>
#include <QTemporaryDir>
#include <memory>
#include <vector>

void EnsureApp()
{
    if (QCoreApplication::instance())
        return;
    static int argc = 1;
    static char name[] = "q9tests";
    static char *argv[] = {name, nullptr};
    if (qEnvironmentVariableIsEmpty("QT_QPA_PLATFORM"))
        qputenv("QT_QPA_PLATFORM", "offscreen");
    new QApplication(argc, argv);  // lives for the whole test program
}

QString MakeTempDir()
{
    static std::vector<std::unique_ptr<QTemporaryDir>> dirs;
    dirs.push_back(std::make_unique<QTemporaryDir>());
    return dirs.back()->path();
}

int RunProgram(const QString &program, const QStringList &arguments, QByteArray *output, int timeoutMs)
{
    QProcess process;
    process.setProcessChannelMode(QProcess::MergedChannels);
    process.start(program, arguments);
    if (!process.waitForStarted())
        return -1;
    process.closeWriteChannel();
    if (!process.waitForFinished(timeoutMs)) {
        process.kill();
        process.waitForFinished();
        return -1;
    }
    if (output)
        *output = process.readAll();
    return process.exitStatus() == QProcess::NormalExit ? process.exitCode() : -1;
}

QString UseTemporaryHome(bool storeOutput)
{
    const QString home = MakeTempDir();
    qputenv("HOME", home.toUtf8());
    qputenv("XDG_CONFIG_HOME", (home + "/.config").toUtf8());
    qputenv("XDG_DATA_HOME", (home + "/.local/share").toUtf8());
    QDir().mkpath(home + "/.config");
    QDir().mkpath(home + "/.local/share");
    if (storeOutput) {
        QDir().mkpath(home + "/Videos");
        SettingsStore::writePath(home + "/Videos");
    }
    return home;
}
