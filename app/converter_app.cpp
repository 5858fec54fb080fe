#include "app/converter_app.h"

#include "app/single_instance.h"
#include "engine/thread_tracker.h"
#include "ui/main_dialog.h"

#include <cstdio>
#include <unistd.h>

ConverterApp::ConverterApp(int &argc, char **argv) : QApplication(argc, argv)
{
    setApplicationName(QStringLiteral("Q9Plemo"));
    setQuitOnLastWindowClosed(false);
}

int ConverterApp::InitInstance()
{
    if (HandOverToRunningInstance())
        return 0;

    {
        MainDialog dialog;
        dialog.OnInitDialog();
        dialog.exec();
    }

    // The dialog has stopped the batch and killed every tool it started, so
    // the probe and worker threads run out at once. Should one still be
    // stuck, end the process without waiting for it rather than hang.
    if (!ThreadTracker::waitIdle(3000)) {
        std::fflush(nullptr);
        _exit(0);
    }
    return 0;
}
