#include "app/converter_app.h"

#include <cstdio>
#include <cstdlib>
#include <string_view>

int main(int argc, char **argv)
{
    const char *platform = std::getenv("QT_QPA_PLATFORM");
    const bool headless = platform && *platform && std::string_view(platform) != "xcb";
    if (!headless && !std::getenv("DISPLAY") && !std::getenv("WAYLAND_DISPLAY")) {
        std::fputs("Q9Plemo needs a graphical desktop: no display is set (DISPLAY is empty).\n", stderr);
        return 1;
    }
    ConverterApp app(argc, argv);
    return app.InitInstance();
}
