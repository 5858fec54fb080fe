// Converts, at each format's default preset, twenty generated 5 s 640x480
// H.264 clips as one batch, and then one generated 60 s 1280x720 25 fps clip:
// through the main window as a click on Start converts them (offscreen), and
// through the worker alone; and compares their wall times with ffmpeg's for
// the same codecs, sizes, rates and bitrates: the twenty clips one after
// another and one clip per core at once (one thread each); the long clip in
// one pass with ffmpeg's own threads and in one pass with one thread. Per
// format it also prints, of the window's output (the first clip's, for the
// batch) and of ffmpeg's: the SSIM against the source scaled to the output
// size and rate, the video frames (fewer than ffmpeg's shows frames lost) and
// the file size (SSIM compares best at equal size). Last, the program itself
// is started with the twenty clips to add, and the time until their rows are
// ready (probed) is printed.
//
// Each arrangement runs `rounds` times, taking turns, and the best time of
// each counts: on a shared machine one run can be a third slower than the
// next.
//
//   bench_batch [format] [--clips | --long | --startup] [--rounds=N]
//       format      only the formats whose name holds it ("mp4", "flv", "3gp")
//       --clips     only the twenty clips
//       --long      only the 60 s clip
//       --startup   only the program's start with the twenty clips
//       --rounds=N  runs of each arrangement (3 unless given)
//   Q9_BENCH_ROWS=N in the environment runs N rows at once in the worker (one
//   per core unless given), to measure what another count would give.
//   QT_LOGGING_RULES=q9plemo.timeline.debug=true prints every row's timeline.
#include "bench/bench_clips.h"
#include "bench/bench_ffmpeg.h"
#include "bench/bench_support.h"
#include "bench/bench_window.h"
#include "catalogue/source_picture.h"
#include "engine/conversion_batch.h"
#include "engine/output_presets.h"
#include "install/tool_dir.h"
#include "install/tool_installer.h"
#include "process/cpu_cores.h"
#include "settings/output_style.h"
#include "tests/support/fake_conversion_port.h"
#include "tests/support/test_support.h"
#include "tests/support/window_support.h"

#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <algorithm>
#include <atomic>
#include <cstdio>
#include <thread>
#include <vector>

namespace {

constexpr int kClips = 20;
constexpr ClipShape kShortClip{640, 480, 25, 5, 0};
constexpr ClipShape kLongClip{1280, 720, 25, 60, 0};

QString FfmpegFile(const BatchChoices &choices, const QString &out, int clip)
{
    return out + QStringLiteral("ff-%1").arg(clip) + Extension(choices.format);
}

RunCost WorkerCost(const BatchChoices &choices, const QStringList &clips, int seconds, const QString &out)
{
    auto port = std::make_shared<FakeConversionPort>();
    for (const QString &clip : clips) {
        port->addRow(clip, seconds);
        // What the list's probe looks at when the file is added, before start is pressed.
        ReadSourcePicture(g_szToolDir, clip, true);
    }
    ConversionBatch batch;
    batch.setOutputFolderProvider([out] { return out; });
    if (const int rows = qEnvironmentVariableIntValue("Q9_BENCH_ROWS"); rows > 0)
        batch.setRowsAtOnce(rows);
    CostMeter meter;
    batch.start(port, choices);
    batch.waitIdle(3600000);
    const RunCost cost = meter.cost();
    if (!port->endedWell())
        std::printf("%s: the worker's batch did not end well\n", qPrintable(FormatName(choices.format)));
    return cost;
}

// ffmpeg over every clip, `atOnce` runs at the same time; clip i goes to
// `out` + "ff-i" + the format's extension.
RunCost FfmpegCost(const BatchChoices &choices, const QStringList &clips, const QString &out, int atOnce,
                   bool oneThread)
{
    std::atomic<int> next{0};
    std::atomic<int> failed{0};
    const auto run = [&] {
        for (int i = next++; i < clips.size(); i = next++) {
            const QString file = FfmpegFile(choices, out, i);
            if (!RunFfmpegIdle(FfmpegArguments(choices, clips.at(i), file, FfmpegQuality::RateDistortion, oneThread)))
                ++failed;
        }
    };
    CostMeter meter;
    std::vector<std::thread> threads;
    for (int i = 0; i < atOnce; ++i)
        threads.emplace_back(run);
    for (std::thread &thread : threads)
        thread.join();
    if (failed > 0)
        std::printf("%s: %d ffmpeg runs failed\n", qPrintable(FormatName(choices.format)), failed.load());
    return meter.cost();
}

// One way ffmpeg converts a table's clips: so many runs at the same time, each
// with one thread or with ffmpeg's own.
struct FfmpegWay {
    const char *label;
    int atOnce;
    bool oneThread;
};

// Per format, the window and the worker converting `clips` as one batch
// against ffmpeg's two ways, and what the first clip's outputs hold (the
// window's, and ffmpeg's from its first way). The load is the 1-minute
// average before and after each line. A second line gives the CPU seconds of
// each, this process's own and its tools'.
void PrintTable(const QStringList &clips, int seconds, const FfmpegWay &first, const FfmpegWay &second,
                const QString &only, int rounds)
{
    std::printf("%-4s %8s %8s %9s %9s %6s %6s | %7s %7s | %6s %6s | %6s %6s | %s\n", "fmt", "window", "worker",
                first.label, second.label, "win/bs", "wrk/bs", "ssim w", "ssim ff", "frm w", "frm ff", "kB w", "kB ff",
                "load (1 min)");
    const auto kilobytes = [](qint64 bytes) { return bytes < 0 ? -1.0 : double(bytes) / 1024; };
    for (const OutputFormat format : Formats()) {
        if (!FormatName(format).contains(only, Qt::CaseInsensitive))
            continue;
        const BatchChoices choices = DefaultChoices(format);
        const QString workerOut = MakeTempDir() + '/';
        const QString firstOut = MakeTempDir() + '/';
        const QString secondOut = MakeTempDir() + '/';
        const double load = LoadAverage();
        BestCost window, worker, firstWay, secondWay;
        QString windowOut;
        for (int round = 0; round < rounds; ++round) {
            // Each round writes afresh: neither the window nor the worker overwrites.
            if (!windowOut.isEmpty())
                QDir(windowOut).removeRecursively();
            bool allDone = false;
            const std::optional<RunCost> windowRun = WindowBatchCost(format, clips, &windowOut, &allDone);
            if (!windowRun || !allDone)
                std::printf("%s: the window's batch did not end well\n", qPrintable(FormatName(format)));
            if (windowRun)
                window.add(*windowRun);
            QDir(workerOut).removeRecursively();
            QDir().mkpath(workerOut);
            worker.add(WorkerCost(choices, clips, seconds, workerOut));
            firstWay.add(FfmpegCost(choices, clips, firstOut, first.atOnce, first.oneThread));
            secondWay.add(FfmpegCost(choices, clips, secondOut, second.atOnce, second.oneThread));
        }
        const QString windowFile = windowOut + QFileInfo(clips.first()).completeBaseName() + Extension(format);
        const OutputReading ours = ReadOutput(choices, clips.first(), windowFile);
        const OutputReading theirs = ReadOutput(choices, clips.first(), FfmpegFile(choices, firstOut, 0));
        const double best = std::min(firstWay.best.wall, secondWay.best.wall);
        std::printf("%-4s %7.2fs %7.2fs %8.2fs %8.2fs %6.2f %6.2f | %7.4f %7.4f | %6d %6d | %6.0f %6.0f | %.2f-%.2f\n",
                    qPrintable(FormatName(format)), window.best.wall, worker.best.wall, firstWay.best.wall,
                    secondWay.best.wall, window.best.wall / best, worker.best.wall / best, ours.ssim, theirs.ssim,
                    ours.frames, theirs.frames, kilobytes(ours.bytes), kilobytes(theirs.bytes), load, LoadAverage());
        std::printf("     cpu own+tools: window %.2f+%.2fs, worker %.2f+%.2fs, %s %.2fs, %s %.2fs\n", window.best.own,
                    window.best.tools, worker.best.own, worker.best.tools, first.label, firstWay.best.tools,
                    second.label, secondWay.best.tools);
        std::fflush(stdout);
        for (const QString &folder : {windowOut, workerOut, firstOut, secondOut})
            QDir(folder).removeRecursively();
    }
}

// The program started with the clips to add, `rounds` times: each start's
// times until the window shows and until every row is ready, and the best.
void PrintStartup(const QStringList &clips, int rounds)
{
    std::printf("%-6s %8s %10s %8s | %s\n", "start", "window", "rows ready", "cpu", "load (1 min)");
    double best = 1e9;
    for (int round = 0; round < rounds; ++round) {
        const double load = LoadAverage();
        const StartupTimes times = ProgramStartupSeconds(QStringLiteral(Q9_APP_PATH), clips);
        if (times.rowsReady < 0)
            std::printf("%-6d the rows were not ready within two minutes\n", round + 1);
        else
            best = std::min(best, times.rowsReady);
        std::printf("%-6d %7.2fs %9.2fs %7.2fs | %.2f-%.2f\n", round + 1, times.windowShown, times.rowsReady, times.cpu,
                    load, LoadAverage());
        std::fflush(stdout);
    }
    std::printf("best: %d rows ready %.2f s after the program's start\n", int(clips.size()), best);
}

}  // namespace

int main(int argc, char **argv)
{
    QString only;
    bool clipsTable = true;
    bool longTable = true;
    bool startupTable = true;
    int rounds = 3;
    for (int i = 1; i < argc; ++i) {
        const QString arg = QString::fromLocal8Bit(argv[i]);
        if (arg == QLatin1String("--clips"))
            longTable = startupTable = false;
        else if (arg == QLatin1String("--long"))
            clipsTable = startupTable = false;
        else if (arg == QLatin1String("--startup"))
            clipsTable = longTable = false;
        else if (arg.startsWith(QLatin1String("--rounds=")))
            rounds = std::max(1, arg.mid(9).toInt());
        else
            only = arg;
    }
    // The window keeps its output folder and its list in a home of its own;
    // the program started from here shares it.
    UseTemporaryHome();
    // The window stretches the picture to the size, as the worker's choices
    // and ffmpeg's "-s" do: all make the same picture, and the SSIM compares
    // it with the source stretched alike.
    OutputStyle::write(OutputNaming::SourceName, PictureShape::Stretch);
    EnsureApp();
    const QByteArray tools = QFile::encodeName(MakeTempDir()) + '/';
    for (int selector : {2, 3, 4, 5})
        ExtractTool(tools, selector);
    g_szToolDir = tools;

    const QString clipDir = MakeTempDir() + '/';
    const int cores = OnlineCores();
    if (clipsTable || startupTable) {
        std::printf("generating %d 5 s 640x480 H.264 clips...\n", kClips);
        QStringList clips;
        for (int i = 0; i < kClips; ++i) {
            ClipShape shape = kShortClip;
            shape.start = i;  // each clip starts at another point of the pattern, so no two are the same
            clips << clipDir + QStringLiteral("clip-%1.mp4").arg(i, 2, 10, QLatin1Char('0'));
            if (!MakeClip(clips.last(), shape)) {
                std::printf("cannot generate the clips\n");
                return 1;
            }
        }
        if (clipsTable) {
            std::printf("\n%d clips of 5 s 640x480, default preset of each format; %d online cores\n", kClips, cores);
            PrintTable(clips, kShortClip.seconds, {"ff 1by1", 1, false}, {"ff atonce", cores, true}, only, rounds);
        }
        if (startupTable) {
            std::printf("\nthe program started with the %d clips to add; %d online cores\n", kClips, cores);
            PrintStartup(clips, rounds);
        }
    }
    if (longTable) {
        std::printf("\ngenerating a 60 s 1280x720 H.264 clip...\n");
        const QString clip = clipDir + "clip-720p.mp4";
        if (!MakeClip(clip, kLongClip)) {
            std::printf("cannot generate the clip\n");
            return 1;
        }
        std::printf("\none 60 s 1280x720 25 fps clip, default preset of each format; %d online cores\n", cores);
        PrintTable({clip}, kLongClip.seconds, {"ff 1 pass", 1, false}, {"ff 1 thr", 1, true}, only, rounds);
    }
    return 0;
}
