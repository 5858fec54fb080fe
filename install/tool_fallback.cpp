#include "install/tool_fallback.h"

#include "base/log.h"
#include "install/tool_dir.h"
#include "install/tool_installer.h"

#include <QDir>
#include <QFile>

#include <cerrno>
#include <cstdlib>
#include <sys/stat.h>
#include <unistd.h>

namespace {

// Makes the folder `dir` (no final separator), or finds it made earlier; true
// when it is a real folder of ours that no one else can enter. A name someone
// else holds, or a link, is not used: the tools written there would be theirs
// to change. In a sticky temporary folder no one else can rename ours away.
bool PrivateFolder(const QByteArray &dir)
{
    if (::mkdir(dir.constData(), 0700) != 0 && errno != EEXIST)
        return false;
    struct stat info {};
    if (::lstat(dir.constData(), &info) != 0 || !S_ISDIR(info.st_mode) || info.st_uid != ::geteuid())
        return false;
    return (info.st_mode & 077) == 0 || ::chmod(dir.constData(), 0700) == 0;
}

// Writes the tools into `dir` (a private folder, no final separator); true
// when it then holds every tool, runnable.
bool InstallInto(const QByteArray &dir)
{
    const QByteArray toolDir = dir + '/';
    if (!InstallTools(toolDir) || !ToolDirComplete(toolDir)) {
        qCWarning(lcQ9, "the tools cannot be run from %s", toolDir.constData());
        return false;
    }
    return true;
}

}  // namespace

QByteArray InstallToolsInPrivateFolder()
{
    QByteArray runtime = qgetenv("XDG_RUNTIME_DIR");
    while (runtime.endsWith('/'))
        runtime.chop(1);
    if (runtime.startsWith('/')) {
        const QByteArray dir = runtime + "/q9plemo-tools";
        if (PrivateFolder(dir) && InstallInto(dir))
            return dir + '/';
    }
    const QByteArray temp = QFile::encodeName(QDir::tempPath());
    const QByteArray ours = temp + "/q9plemo-tools-" + QByteArray::number(::geteuid());
    if (PrivateFolder(ours) && InstallInto(ours))
        return ours + '/';
    QByteArray fresh = temp + "/q9plemo-tools-XXXXXX";
    if (::mkdtemp(fresh.data()) != nullptr) {
        if (InstallInto(fresh))
            return fresh + '/';
        QDir(QFile::decodeName(fresh)).removeRecursively();
    }
    return {};
}

ToolChoice ChooseToolDir(const QByteArray &usualDir)
{
    if (ToolDirComplete(usualDir))
        return {usualDir, ToolSource::Usual};
    if (const QByteArray dir = InstallToolsInPrivateFolder(); !dir.isEmpty()) {
        qCWarning(lcQ9, "the tools folder %s cannot be used; the tools run from %s", usualDir.constData(),
                  dir.constData());
        return {dir, ToolSource::Private};
    }
    if (const QByteArray installed = InstalledToolDir(); !installed.isEmpty()) {
        qCWarning(lcQ9, "the tools folder %s cannot be used; using the tools in %s", usualDir.constData(),
                  installed.constData());
        return {installed, ToolSource::Installed};
    }
    return {usualDir, ToolSource::Usual};
}
