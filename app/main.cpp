#include "app/converter_app.h"

#include <QByteArray>
#include <cstdio>
#include <cstdlib>

int main(int argc, char **argv)
{
    const QByteArray platform = qgetenv("QT_QPA_PLATFORM");
    const bool hasX = !qEnvironmentVariableIsEmpty("DISPLAY");
    const bool hasWayland = !qEnvironmentVariableIsEmpty("WAYLAND_DISPLAY");
    if ((platform.isEmpty() || platform == "xcb") && !hasX && !(platform.isEmpty() && hasWayland)) {
        std::fputs("Q9Plemo needs a graphical desktop: no display is set (DISPLAY is empty).\n", stderr);
        return 1;
    }
    if (platform.isEmpty() && hasX) {
        // On a Wayland desktop, run through its X server (XWayland): the
        // single-instance marker and the hand-over of files to a running
        // window are X properties.
        qputenv("QT_QPA_PLATFORM", "xcb");
    }
    ConverterApp app(argc, argv);
    return app.InitInstance();
}
