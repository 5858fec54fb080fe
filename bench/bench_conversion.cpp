// Converts one generated 60 s 1280x720 H.264 clip through the worker, at each
// format's default preset and at MP4 720x480, and compares the worker's wall
// time with the same tool command lines run one after another by hand, with one
// ffmpeg pass that asks for the same quality options, and with one ffmpeg pass
// at ffmpeg's default options for the same codecs, size, rate and bitrates.
// Then adds 60 files at once through the real probe path and times the probes.
//
//   bench_conversion [rounds [row]]   each time is the best of `rounds`; with
//                                     `row`, only the rows whose label holds it
#include "base/thread_tracker.h"
#include "bench/bench_clips.h"
#include "bench/bench_ffmpeg.h"
#include "bench/bench_support.h"
#include "catalogue/probe.h"
#include "catalogue/probe_queue.h"
#include "engine/conversion_batch.h"
#include "engine/encoder_command_lines.h"
#include "engine/mp4_packaging.h"
#include "engine/output_naming.h"
#include "engine/output_presets.h"
#include "engine/row_files.h"
#include "install/tool_dir.h"
#include "install/tool_installer.h"
#include "process/command_line.h"
#include "process/cpu_cores.h"
#include "tests/support/fake_conversion_port.h"
#include "tests/support/test_support.h"

#include <QCoreApplication>
#include <QDir>
#include <QElapsedTimer>
#include <QFile>
#include <algorithm>
#include <atomic>
#include <cstdio>
#include <cstdlib>
#include <iterator>
#include <unistd.h>

namespace {

struct BenchRow {
    const char *label;
    OutputFormat format;
    BatchChoices choices;
};

BenchRow DefaultPreset(OutputFormat format, const char *label)
{
    return {label, format, DefaultChoices(format)};
}

QString Resolution(const BatchChoices &choices)
{
    return QStringLiteral("%1x%2").arg(choices.width).arg(choices.height);
}

// Runs one command line (tool first) to its end; at idle priority when asked,
// as the worker runs its encoder. False unless it exited 0.
bool RunLine(const QByteArray &commandLine, bool idle)
{
    QStringList arguments;
    for (const QByteArray &arg : SplitCommandLine(commandLine))
        arguments << QFile::decodeName(arg);
    if (idle)
        arguments = QStringList{"--idle", "0"} + arguments;
    const QString program = idle ? QStringLiteral("chrt") : arguments.takeFirst();
    return RunProgram(program, arguments, nullptr, 1200000) == 0;
}

double WorkerSeconds(const BenchRow &row, const QByteArray &tools, const QString &clip, const QString &out)
{
    auto port = std::make_shared<FakeConversionPort>();
    port->addRow(clip, 60);
    ConversionBatch batch;
    batch.setToolDir(tools);
    batch.setOutputFolderProvider([out] { return out; });
    QElapsedTimer timer;
    timer.start();
    batch.start(port, row.choices);
    batch.waitIdle(1200000);
    const double seconds = Seconds(timer);
    if (!port->endedWell())
        std::printf("%s: the worker's conversion failed\n", row.label);
    return seconds;
}

// The worker's command lines in turn, each built by the engine's own functions:
// the encoder step at idle priority, then the 3GP export or the MP4 packaging.
double ByHandSeconds(const BenchRow &row, const QByteArray &tools, const QString &clip, const QString &out)
{
    const QString encoded = out + "by-hand" + EncoderOutputExtension(row.format);
    const QString stem = OutputStem(encoded);
    QElapsedTimer timer;
    timer.start();
    bool ok = RunLine(EncoderCommandLine(row.format, {tools, clip, encoded, false, 60}, row.choices), true);
    if (row.format == OutputFormat::ThreeGp) {
        ok = ok && RunLine(ToolPathArg(tools + "pack3gp") + ' ' + Export3gpParameters(encoded), false);
    } else if (row.format == OutputFormat::Mp4) {
        ok =
            ok && RunLine(ToolPathArg(tools + "mp4creator") + ' ' + Mp4PackagingParameters(stem, row.choices.frameRate),
                          false);
    }
    const double seconds = Seconds(timer);
    RemoveRowFiles(stem);
    if (!ok)
        std::printf("%s: a tool failed by hand\n", row.label);
    return seconds;
}

// One ffmpeg pass to the final file. With `sameQuality` it asks for what the
// worker's encoder is asked for (the motion search and quantiser options);
// without, it takes ffmpeg's defaults for the same codecs and bitrates.
double FfmpegSeconds(const BenchRow &row, const QString &clip, const QString &out, bool sameQuality)
{
    const QString file = out + "single-pass" + Extension(row.format);
    const FfmpegQuality quality = sameQuality ? FfmpegQuality::WorkerOptions : FfmpegQuality::Defaults;
    QElapsedTimer timer;
    timer.start();
    const bool ok = RunFfmpegIdle(FfmpegArguments(row.choices, clip, file, quality));
    const double seconds = Seconds(timer);
    if (!ok)
        std::printf("%s: the ffmpeg pass failed\n", row.label);
    QFile::remove(file);
    return seconds;
}

// Counts the rows whose play time the probes have filled in.
class ProbeCountingPort : public FakeConversionPort {
public:
    void setRowLength(RowId, int) override { ++m_filled; }
    int filled() const { return m_filled.load(); }

private:
    std::atomic<int> m_filled{0};
};

// Adds `count` files at once through StartProbe and waits for every probe;
// the seconds per file, or -1 when a row stayed unfilled.
double ProbeSecondsPerFile(const QString &clip, int count)
{
    const QString dir = MakeTempDir() + '/';
    QStringList paths;
    for (int i = 0; i < count; ++i) {
        const QString path = dir + QStringLiteral("file %1.mp4").arg(i, 2, 10, QLatin1Char('0'));
        if (link(QFile::encodeName(clip).constData(), QFile::encodeName(path).constData()) != 0)
            QFile::copy(clip, path);
        paths << path;
    }
    auto port = std::make_shared<ProbeCountingPort>();
    QElapsedTimer timer;
    timer.start();
    for (const QString &path : paths)
        StartProbe(port, path);
    ThreadTracker::waitIdle(600000);
    const double seconds = Seconds(timer);
    return port->filled() == count ? seconds / count : -1;
}

}  // namespace

int main(int argc, char **argv)
{
    QCoreApplication app(argc, argv);
    const int rounds = argc > 1 ? std::max(1, std::atoi(argv[1])) : 1;
    const QString only = argc > 2 ? QString::fromLocal8Bit(argv[2]) : QString();

    const QByteArray tools = QFile::encodeName(MakeTempDir()) + '/';
    for (int selector : {2, 3, 4, 5})
        ExtractTool(tools, selector);
    g_szToolDir = tools;
    const QString clip = MakeTempDir() + "/clip-720p.mp4";
    std::printf("generating a 60 s 1280x720 H.264 clip...\n");
    if (!MakeClip(clip, {1280, 720, 25, 60, 0})) {
        std::printf("cannot generate the clip\n");
        return 1;
    }

    BenchRow rows[] = {
        DefaultPreset(OutputFormat::Flv, "FLV default"),
        DefaultPreset(OutputFormat::ThreeGp, "3GP default"),
        DefaultPreset(OutputFormat::Mp4, "MP4 default"),
        {"MP4 720x480", OutputFormat::Mp4, {720, 480, 25, 1024, OutputFormat::Mp4}},
    };
    constexpr int kWays = 4;  // worker, by hand, ffmpeg same quality, ffmpeg defaults
    double best[std::size(rows)][kWays];
    for (auto &times : best)
        std::fill(std::begin(times), std::end(times), 1e9);
    double lowestLoad[std::size(rows)], highestLoad[std::size(rows)];
    std::fill(std::begin(lowestLoad), std::end(lowestLoad), 1e9);
    std::fill(std::begin(highestLoad), std::end(highestLoad), 0.0);

    const QString out = MakeTempDir() + '/';
    // Other load on the machine only ever adds time, so each way's best round counts.
    for (int round = 0; round < rounds; ++round) {
        for (size_t i = 0; i < std::size(rows); ++i) {
            const BenchRow &row = rows[i];
            if (!QString::fromLatin1(row.label).contains(only))
                continue;
            best[i][0] = std::min(best[i][0], WorkerSeconds(row, tools, clip, out));
            best[i][1] = std::min(best[i][1], ByHandSeconds(row, tools, clip, out));
            best[i][2] = std::min(best[i][2], FfmpegSeconds(row, clip, out, true));
            best[i][3] = std::min(best[i][3], FfmpegSeconds(row, clip, out, false));
            const double load = LoadAverage();
            lowestLoad[i] = std::min(lowestLoad[i], load);
            highestLoad[i] = std::max(highestLoad[i], load);
            std::printf("round %d, %s: load %.2f\n", round + 1, row.label, load);
            std::fflush(stdout);
        }
        QDir(out).removeRecursively();
        QDir().mkpath(out);
    }

    std::printf("\n60 s 1280x720 H.264 clip, best of %d; %d online cores, %d codec threads\n", rounds, OnlineCores(),
                CodecThreads());
    std::printf("%-12s %-17s %8s %8s %8s %8s | %8s %8s %8s | %s\n", "row", "size/fps/kbit", "worker", "by hand",
                "ff same", "ff dflt", "w/hand", "w/same", "w/dflt", "load (1 min)");
    for (size_t i = 0; i < std::size(rows); ++i) {
        const BenchRow &row = rows[i];
        if (!QString::fromLatin1(row.label).contains(only))
            continue;
        const double *t = best[i];
        const QByteArray preset =
            (Resolution(row.choices) + '/' + QString::number(row.choices.frameRate) + '/' +
             (row.format == OutputFormat::ThreeGp ? QStringLiteral("-") : QString::number(row.choices.bitrate)))
                .toLatin1();
        std::printf("%-12s %-17s %7.2fs %7.2fs %7.2fs %7.2fs | %8.3f %8.3f %8.3f | %.2f-%.2f\n", row.label,
                    preset.constData(), t[0], t[1], t[2], t[3], t[0] / t[1], t[0] / t[2], t[0] / t[3], lowestLoad[i],
                    highestLoad[i]);
    }
    std::printf("targets: w/hand <= 1.05; MP4 default w/same <= 1.05; MP4 720x480 w/same <= 1.15\n");

    const int kFiles = 60;
    const double perFile = ProbeSecondsPerFile(clip, kFiles);
    const double alone = ProbeSecondsPerFile(clip, 1);
    const double probeLoad = LoadAverage();
    if (perFile < 0 || alone < 0)
        std::printf("probe: a row stayed unfilled\n");
    std::printf("\nprobe: %d files added at once, %d at a time: %.0f ms per file (one file alone: %.0f ms), "
                "load %.2f\n",
                kFiles, ProbeQueue::probes().maxThreads(), perFile * 1000, alone * 1000, probeLoad);
    return 0;
}
