// Converts through the worker, at each format's default preset, twenty
// generated 5 s 640x480 H.264 clips as one batch, and then one generated 60 s
// 1280x720 25 fps clip, and compares the worker's wall time with ffmpeg's for
// the same codecs, sizes, rates and bitrates: the twenty clips one after
// another and one clip per core at once (one thread each); the long clip in
// one pass with ffmpeg's own threads and in one pass with one thread. Per
// format it also prints, of the worker's output (the first clip's, for the
// batch) and of ffmpeg's: the SSIM against the source scaled to the output
// size and rate, the video frames (fewer than ffmpeg's shows frames lost) and
// the file size (SSIM compares best at equal size).
//
// Each arrangement runs `rounds` times, the three taking turns, and the best
// time of each counts: on a shared machine one run can be a third slower than
// the next.
//
//   bench_batch [format] [--clips | --long] [--rounds=N]
//       format      only the formats whose name holds it ("mp4", "flv", "3gp")
//       --clips     only the twenty clips
//       --long      only the 60 s clip
//       --rounds=N  runs of each arrangement (3 unless given)
//   Q9_BENCH_ROWS=N in the environment runs N rows at once in the worker (one
//   per core unless given), to measure what another count would give.
#include "bench/bench_clips.h"
#include "bench/bench_ffmpeg.h"
#include "bench/bench_support.h"
#include "catalogue/source_picture.h"
#include "engine/conversion_batch.h"
#include "engine/output_presets.h"
#include "install/tool_dir.h"
#include "install/tool_installer.h"
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

double WorkerSeconds(const BatchChoices &choices, const QStringList &clips, int seconds, const QString &out)
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
    QElapsedTimer timer;
    timer.start();
    batch.start(port, choices);
    batch.waitIdle(3600000);
    const double elapsed = Seconds(timer);
    if (!port->endedWell())
        std::printf("%s: the worker's batch did not end well\n", qPrintable(FormatName(choices.format)));
    return elapsed;
}

// ffmpeg over every clip, `atOnce` runs at the same time; clip i goes to
// `out` + "ff-i" + the format's extension.
double FfmpegSeconds(const BatchChoices &choices, const QStringList &clips, const QString &out, int atOnce,
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
    QElapsedTimer timer;
    timer.start();
    std::vector<std::thread> threads;
    for (int i = 0; i < atOnce; ++i)
        threads.emplace_back(run);
    for (std::thread &thread : threads)
        thread.join();
    if (failed > 0)
        std::printf("%s: %d ffmpeg runs failed\n", qPrintable(FormatName(choices.format)), failed.load());
    return Seconds(timer);
}

QString FirstFile(const QString &folder, const QString &extension)
{
    const QStringList files = QDir(folder).entryList({"*" + extension}, QDir::Files, QDir::Name);
    return files.isEmpty() ? QString() : folder + files.first();
}

// One way ffmpeg converts a table's clips: so many runs at the same time, each
// with one thread or with ffmpeg's own.
struct FfmpegWay {
    const char *label;
    int atOnce;
    bool oneThread;
};

// Per format, the worker converting `clips` as one batch against ffmpeg's two
// ways, and what the first clip's outputs hold (ffmpeg's from its first way).
// The load is the 1-minute average before and after each line.
void PrintTable(const QStringList &clips, int seconds, const FfmpegWay &first, const FfmpegWay &second,
                const QString &only, int rounds)
{
    std::printf("%-4s %9s %9s %9s %7s | %7s %7s | %6s %6s | %7s %7s | %s\n", "fmt", "worker", first.label, second.label,
                "w/best", "ssim w", "ssim ff", "frm w", "frm ff", "kB w", "kB ff", "load (1 min)");
    const auto kilobytes = [](qint64 bytes) { return bytes < 0 ? -1.0 : double(bytes) / 1024; };
    for (const OutputFormat format : Formats()) {
        if (!FormatName(format).contains(only, Qt::CaseInsensitive))
            continue;
        const BatchChoices choices = DefaultChoices(format);
        const QString workerOut = MakeTempDir() + '/';
        const QString firstOut = MakeTempDir() + '/';
        const QString secondOut = MakeTempDir() + '/';
        const double load = LoadAverage();
        double worker = 1e9, firstWay = 1e9, secondWay = 1e9;
        for (int round = 0; round < rounds; ++round) {
            // Each round writes afresh: the worker never overwrites, so its folder is emptied.
            QDir(workerOut).removeRecursively();
            QDir().mkpath(workerOut);
            worker = std::min(worker, WorkerSeconds(choices, clips, seconds, workerOut));
            firstWay = std::min(firstWay, FfmpegSeconds(choices, clips, firstOut, first.atOnce, first.oneThread));
            secondWay = std::min(secondWay, FfmpegSeconds(choices, clips, secondOut, second.atOnce, second.oneThread));
        }
        // With more than one clip, the first alone once more, so that its output is the only file there.
        const QString oneOut = clips.size() == 1 ? workerOut : MakeTempDir() + '/';
        if (oneOut != workerOut)
            WorkerSeconds(choices, {clips.first()}, seconds, oneOut);
        const OutputReading ours = ReadOutput(choices, clips.first(), FirstFile(oneOut, Extension(format)));
        const OutputReading theirs = ReadOutput(choices, clips.first(), FfmpegFile(choices, firstOut, 0));
        std::printf("%-4s %8.2fs %8.2fs %8.2fs %7.2f | %7.4f %7.4f | %6d %6d | %7.0f %7.0f | %.2f-%.2f\n",
                    qPrintable(FormatName(format)), worker, firstWay, secondWay, worker / std::min(firstWay, secondWay),
                    ours.ssim, theirs.ssim, ours.frames, theirs.frames, kilobytes(ours.bytes), kilobytes(theirs.bytes),
                    load, LoadAverage());
        std::fflush(stdout);
        for (const QString &folder : {workerOut, firstOut, secondOut, oneOut})
            QDir(folder).removeRecursively();
    }
}

}  // namespace

int main(int argc, char **argv)
{
    QCoreApplication app(argc, argv);
    QString only;
    bool clipsTable = true;
    bool longTable = true;
    int rounds = 3;
    for (int i = 1; i < argc; ++i) {
        const QString arg = QString::fromLocal8Bit(argv[i]);
        if (arg == QLatin1String("--clips"))
            longTable = false;
        else if (arg == QLatin1String("--long"))
            clipsTable = false;
        else if (arg.startsWith(QLatin1String("--rounds=")))
            rounds = std::max(1, arg.mid(9).toInt());
        else
            only = arg;
    }
    const QByteArray tools = QFile::encodeName(MakeTempDir()) + '/';
    for (int selector : {2, 3, 4, 5})
        ExtractTool(tools, selector);
    g_szToolDir = tools;

    const QString clipDir = MakeTempDir() + '/';
    if (clipsTable) {
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
        const int cores = OnlineCores();
        std::printf("\n%d clips of 5 s 640x480, default preset of each format; %d online cores\n", kClips, cores);
        PrintTable(clips, kShortClip.seconds, {"ff 1by1", 1, false}, {"ff atonce", cores, true}, only, rounds);
    }
    if (longTable) {
        std::printf("\ngenerating a 60 s 1280x720 H.264 clip...\n");
        const QString clip = clipDir + "clip-720p.mp4";
        if (!MakeClip(clip, kLongClip)) {
            std::printf("cannot generate the clip\n");
            return 1;
        }
        std::printf("\none 60 s 1280x720 25 fps clip, default preset of each format; %d online cores\n", OnlineCores());
        PrintTable({clip}, kLongClip.seconds, {"ff 1 pass", 1, false}, {"ff 1 thr", 1, true}, only, rounds);
    }
    return 0;
}
