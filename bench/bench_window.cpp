#include "bench/bench_window.h"

#include "base/timeline.h"
#include "bench/bench_support.h"
#include "controls/flat_combo_box.h"
#include "engine/saved_queue.h"
#include "res/control_ids.h"
#include "settings/output_folder.h"
#include "ui/main_dialog.h"

#include <QAbstractButton>
#include <QCoreApplication>
#include <QElapsedTimer>
#include <QEventLoop>
#include <QFile>
#include <QProcess>
#include <QTimer>
#include <algorithm>
#include <cstdio>
#include <functional>

namespace {

// Runs the application's event loop, as the program's own loop does, until
// `condition` holds (looked at every 10 ms, which counts in the window's own
// CPU time) or `milliseconds` pass; true when it held.
bool LoopUntil(const std::function<bool()> &condition, int milliseconds)
{
    if (condition())
        return true;
    QEventLoop loop;
    QTimer look;
    QObject::connect(&look, &QTimer::timeout, &loop, [&] {
        if (condition())
            loop.quit();
    });
    look.start(10);
    QTimer::singleShot(milliseconds, &loop, &QEventLoop::quit);
    loop.exec();
    return condition();
}

bool AllProbed(DialogPort &port)
{
    const QList<RowEntry> rows = port.rows();
    return std::none_of(rows.begin(), rows.end(), [](const RowEntry &row) { return row.probing; });
}

}  // namespace

std::optional<RunCost> WindowBatchCost(OutputFormat format, const QStringList &clips, QString *folder, bool *allDone)
{
    MainDialog dialog;
    dialog.OnInitDialog();
    dialog.show();
    auto *formats = dialog.controlAs<CCJFlatComboBox>(IdFormatBox);
    formats->setCurrentIndex(formats->findData(int(format)));
    dialog.OnFormatChanged();
    dialog.addFiles(clips);
    const std::shared_ptr<DialogPort> port = dialog.port();
    if (!LoopUntil([&] { return int(port->rows().size()) == clips.size() && AllProbed(*port); }, 120000))
        return std::nullopt;

    CostMeter meter;
    dialog.controlAs<QAbstractButton>(IdStart)->click();
    const bool ended = LoopUntil([&] { return dialog.batch().waitIdle(0); }, 3600000);
    const RunCost cost = meter.cost();
    // The batch's last reports to the window reach it before it is closed.
    QCoreApplication::processEvents();
    const QList<RowEntry> rows = port->rows();
    *allDone = std::all_of(rows.begin(), rows.end(), [](const RowEntry &row) { return row.phase == RowPhase::Done; });
    *folder = GetOutputFolder() + QLatin1Char('/');
    return ended ? std::optional<RunCost>(cost) : std::nullopt;
}

StartupTimes ProgramStartupSeconds(const QString &program, const QStringList &clips)
{
    StartupTimes times;
    QProcess app;
    QProcessEnvironment environment = QProcessEnvironment::systemEnvironment();
    environment.insert(QStringLiteral("QT_QPA_PLATFORM"), QStringLiteral("offscreen"));
    environment.insert(QStringLiteral("QT_LOGGING_RULES"), QStringLiteral("q9plemo.timeline.debug=true"));
    app.setProcessEnvironment(environment);
    app.setProcessChannelMode(QProcess::SeparateChannels);
    app.setStandardOutputFile(QProcess::nullDevice());
    QElapsedTimer timer;
    timer.start();
    const CostMeter meter;
    app.start(program, clips);
    int probed = 0;
    QByteArray pending;
    while (probed < clips.size() && timer.elapsed() < 120000 && app.state() != QProcess::NotRunning) {
        app.waitForReadyRead(100);
        pending += app.readAllStandardError();
        for (qsizetype end = pending.indexOf('\n'); end >= 0; end = pending.indexOf('\n')) {
            const QByteArray line = pending.left(end);
            pending.remove(0, end + 1);
            // With the bench's own timeline on, the program's is shown too.
            if (Timeline::on())
                std::fprintf(stderr, "program: %s\n", line.constData());
            if (line.endsWith(" window shown") && times.windowShown < 0)
                times.windowShown = Seconds(timer);
            else if (line.endsWith(" probed") && ++probed == clips.size())
                times.rowsReady = Seconds(timer);
        }
    }
    app.kill();
    app.waitForFinished(10000);
    times.cpu = meter.cost().tools;
    // A killed window leaves its list behind, which the next start would bring back.
    QFile::remove(QueueFilePath());
    return times;
}
