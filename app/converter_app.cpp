#include "app/converter_app.h"

#include "app/single_instance.h"
#include "base/thread_tracker.h"
#include "catalogue/source_name.h"
#include "ui/file_list_commands.h"
#include "ui/main_dialog.h"
#include "ui/main_window_loop.h"
#include "ui/ui_language.h"

#include <cstdio>
#include <unistd.h>

ConverterApp::ConverterApp(int &argc, char **argv) : QApplication(argc, argv)
{
    for (int i = 1; i < argc; ++i)
        m_arguments << QByteArray(argv[i]);
    setApplicationName(QStringLiteral("Q9Plemo"));
    setDesktopFileName(QStringLiteral("com.example.q9plemo"));
    setQuitOnLastWindowClosed(false);
    // The window speaks the desktop's language; without its translation it
    // keeps its Chinese source texts.
    if (!InstallTranslation(DesktopLanguage()))
        std::fputs("Q9Plemo: the English translation is missing; the window stays in Chinese.\n", stderr);
}

int ConverterApp::InitInstance()
{
    // Files named on the command line (a file manager's "open with"), made
    // absolute here: a running instance has another working folder.
    // A name is bytes: the arguments are read as they came, so that a name
    // that is not UTF-8 still reaches its file.
    const QList<AddedFile> sources = SourcesToAdd(m_arguments);
    QStringList files;
    for (const AddedFile &file : sources)
        files << ShownName(file.path);

    if (platformName().startsWith(QLatin1String("wayland"))) {
        // The marker is an X property: without X there is none to find.
        std::fputs("Q9Plemo: running on Wayland without an X display (DISPLAY); a second start cannot find "
                   "this window and opens a window of its own.\n",
                   stderr);
    } else if (HandOverToRunningInstance(files)) {
        return 0;
    }

    {
        MainDialog dialog;
        dialog.OnInitDialog();
        dialog.addSources(sources);
        RunMainWindow(dialog);
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
