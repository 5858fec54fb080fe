#include "install/tool_dir.h"

#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QStandardPaths>

QByteArray g_szToolDir;

QByteArray DefaultToolDir()
{
    // A relative XDG_DATA_HOME is invalid and ignored, as the XDG rules say.
    QByteArray base = qgetenv("XDG_DATA_HOME");
    if (base.isEmpty() || !base.startsWith('/')) {
        QByteArray home = QFile::encodeName(QDir::homePath());
        while (home.endsWith('/'))
            home.chop(1);
        base = home + "/.local/share";
    }
    if (!base.endsWith('/'))
        base += '/';
    return base + "Q9TBR/";
}

bool ToolDirComplete(const QByteArray &toolDir)
{
    for (const char *name : kToolNames) {
        const QFileInfo tool(QFile::decodeName(toolDir + name));
        if (!tool.isFile() || !tool.isExecutable())
            return false;
    }
    return true;
}

QByteArray InstalledToolDir()
{
    const QString encoder = QStandardPaths::findExecutable(QStringLiteral("mencoder"));
    if (encoder.isEmpty())
        return {};
    return QFile::encodeName(QFileInfo(encoder).absolutePath()) + '/';
}
