#include "app/converter_app.h"
#include "cli/convert_arguments.h"
#include "cli/convert_command.h"

#include <QByteArray>
#include <QDir>
#include <QLibraryInfo>
#include <cstdio>
#include <cstdlib>

namespace {

// Whether Qt's Wayland platform plugin is installed where Qt looks for plugins.
bool WaylandPluginInstalled()
{
    QStringList folders = qEnvironmentVariable("QT_PLUGIN_PATH").split(QDir::listSeparator(), Qt::SkipEmptyParts);
    folders << QLibraryInfo::path(QLibraryInfo::PluginsPath);
    for (const QString &folder : folders) {
        if (!QDir(folder + QStringLiteral("/platforms")).entryList({QStringLiteral("libqwayland*")}).isEmpty())
            return true;
    }
    return false;
}

}  // namespace

int main(int argc, char **argv)
{
    // The command line's batch needs no display: it is told apart before any
    // window, display or running instance is looked for.
    QList<QByteArray> arguments;
    for (int i = 1; i < argc; ++i)
        arguments << QByteArray(argv[i]);
    if (WantsCommandLine(arguments))
        return RunConvertCommand(argc, argv);

    const QByteArray platform = qgetenv("QT_QPA_PLATFORM");
    const bool hasX = !qEnvironmentVariableIsEmpty("DISPLAY");
    const bool hasWayland = !qEnvironmentVariableIsEmpty("WAYLAND_DISPLAY");
    if (platform.isEmpty() && hasX) {
        // On a Wayland desktop, run through its X server (XWayland): the
        // single-instance marker and the hand-over of files to a running
        // window are X properties.
        qputenv("QT_QPA_PLATFORM", "xcb");
    } else if (platform.isEmpty() && hasWayland) {
        if (!WaylandPluginInstalled()) {
            std::fputs("Q9Plemo needs an X display (DISPLAY is empty) or Qt's Wayland platform plugin "
                       "(Debian package qt6-wayland).\n",
                       stderr);
            return 1;
        }
        qputenv("QT_QPA_PLATFORM", "wayland");
    } else if ((platform.isEmpty() || platform == "xcb") && !hasX) {
        std::fputs("Q9Plemo needs a graphical desktop: no display is set (DISPLAY is empty).\n", stderr);
        return 1;
    }
    ConverterApp app(argc, argv);
    return app.InitInstance();
}
