#include "cli/convert_command.h"

#include "base/log.h"
#include "base/thread_tracker.h"
#include "catalogue/probe.h"
#include "catalogue/source_files.h"
#include "catalogue/source_name.h"
#include "cli/convert_arguments.h"
#include "cli/terminal_port.h"
#include "engine/batch_model.h"
#include "engine/conversion_batch.h"
#include "install/tool_dir.h"
#include "install/tool_fallback.h"
#include "install/tool_installer.h"
#include "process/child_registry.h"
#include "settings/output_style.h"
#include "settings/settings_store.h"
#include "ui/file_list_commands.h"
#include "ui/status_texts.h"
#include "ui/ui_language.h"

#include <QCoreApplication>
#include <QDir>
#include <QFile>
#include <QSocketNotifier>
#include <cerrno>
#include <csignal>
#include <cstdio>
#include <cstring>
#include <limits>
#include <sys/signalfd.h>
#include <sys/stat.h>
#include <unistd.h>

namespace {

constexpr int kConverted = 0;
constexpr int kSomeFailed = 1;
constexpr int kBadArguments = 2;

void PrintError(const QString &message)
{
    std::fprintf(stderr, "q9plemo: %s\n", message.toUtf8().constData());
}

int BadArgument(const QString &message)
{
    PrintError(message);
    std::fputs("Try 'q9plemo --help' for the options and the choices each format offers.\n", stderr);
    return kBadArguments;
}

// The first name that is neither a file nor a folder, with why; empty when all are.
QString MissingName(const QList<QByteArray> &names)
{
    for (const QByteArray &name : names) {
        struct stat info {};
        if (stat(name.constData(), &info) != 0)
            return QStringLiteral("%1: %2").arg(ShownName(name), QString::fromLocal8Bit(std::strerror(errno)));
    }
    return {};
}

// The tools folder, set up as the window's start sets it up: the tools written
// into the usual folder, else a private one, else the installed tools.
void SetUpTools()
{
    g_szToolDir = DefaultToolDir();
    if (!InstallTools(g_szToolDir))
        qCWarning(lcQ9, "not every tool was written into %s", g_szToolDir.constData());
    const ToolChoice tools = ChooseToolDir(g_szToolDir);
    g_szToolDir = tools.dir;
    if (const QString note = ShownToolChoice(tools); !note.isEmpty())
        PrintError(note);
}

}  // namespace

int RunConvertCommand(int argc, char **argv)
{
    QList<QByteArray> arguments;
    for (int i = 1; i < argc; ++i)
        arguments << QByteArray(argv[i]);
    const ParsedCommandLine parsed = ParseConvertArguments(arguments);
    const ConvertRequest &request = parsed.request;
    if (request.help) {
        std::fputs(ConvertUsage().toUtf8().constData(), stdout);
        return kConverted;
    }
    if (!parsed.error.isEmpty())
        return BadArgument(parsed.error);

    // SIGINT and SIGTERM are read from a descriptor by the event loop, which
    // stops the batch; blocked before any thread starts, so every thread
    // inherits the block (the tools start with none: process/spawn.cpp).
    sigset_t stopSignals;
    sigemptyset(&stopSignals);
    sigaddset(&stopSignals, SIGINT);
    sigaddset(&stopSignals, SIGTERM);
    pthread_sigmask(SIG_BLOCK, &stopSignals, nullptr);

    QCoreApplication app(argc, argv);
    QCoreApplication::setApplicationName(QStringLiteral("Q9Plemo"));
    // The rows' lines speak the window's language.
    if (!InstallTranslation(DesktopLanguage()))
        PrintError(QStringLiteral("the English translation is missing; the rows are told in Chinese."));

    if (const QString missing = MissingName(request.names); !missing.isEmpty())
        return BadArgument(missing);
    QString outputFolder;  // empty: the window's dated folder, asked for every row
    if (!request.outputDir.isEmpty()) {
        outputFolder = QDir::cleanPath(QDir::current().absoluteFilePath(QFile::decodeName(request.outputDir)));
        if (!QDir().mkpath(outputFolder))
            return BadArgument(QStringLiteral("--output %1: the folder cannot be made").arg(outputFolder));
        outputFolder += QLatin1Char('/');
    } else if (!SettingsStore::usablePath()) {
        return BadArgument(QStringLiteral("no output folder has been chosen in the window's settings yet; "
                                          "name one with --output DIR"));
    }

    SetUpTools();
    // Folders walked as the window walks a dropped one, without its limit on
    // files per add: a command line has no list to keep short.
    const QList<AddedFile> files =
        GatherSourceFiles(request.names, {}, VideoExtensions(), std::numeric_limits<int>::max());
    if (files.isEmpty()) {
        PrintError(QStringLiteral("the folders named hold no video files; nothing to convert"));
        return kConverted;
    }

    auto model = std::make_shared<BatchModel>();
    auto port = std::make_shared<TerminalPort>(model, stdout, isatty(STDOUT_FILENO) == 1, [&app](const BatchSummary &) {
        QMetaObject::invokeMethod(
            &app, [] { QCoreApplication::exit(); }, Qt::QueuedConnection);
    });
    // Each file is probed as the window probes an added one; the batch takes
    // a row once its probe has ended.
    for (const AddedFile &file : files)
        StartProbe(port, file.path, file.subfolder);

    ConversionBatch batch;
    if (!outputFolder.isEmpty())
        batch.setOutputFolderProvider([outputFolder] { return outputFolder; });
    BatchChoices choices = request.choices;
    choices.naming = OutputStyle::readNaming();
    choices.shape = OutputStyle::readShape();

    int stoppedBy = 0;
    const int signalFd = signalfd(-1, &stopSignals, SFD_CLOEXEC | SFD_NONBLOCK);
    QSocketNotifier notifier(signalFd, QSocketNotifier::Read);
    QObject::connect(&notifier, &QSocketNotifier::activated, [&] {
        signalfd_siginfo info{};
        while (read(signalFd, &info, sizeof info) == ssize_t(sizeof info)) {
            if (!stoppedBy)
                stoppedBy = int(info.ssi_signo);
        }
        // The running rows' tools are killed and their files removed; the
        // batch then ends as the window's stop button ends it.
        batch.stop();
    });

    if (!batch.start(port, choices)) {
        PrintError(QStringLiteral("the conversion could not be started"));
        return kSomeFailed;
    }
    QCoreApplication::exec();

    // Probes a stop left running end now, and those still queued run no player.
    port->close();
    batch.waitIdle(3000);
    ChildRegistry::killAll();
    if (!ThreadTracker::waitIdle(3000)) {
        std::fflush(nullptr);
        _exit(stoppedBy ? 128 + stoppedBy : kSomeFailed);
    }
    ::close(signalFd);
    if (stoppedBy)
        return 128 + stoppedBy;
    const std::optional<BatchSummary> summary = port->summary();
    return summary && summary->succeeded == model->count() ? kConverted : kSomeFailed;
}
