// Converts a batch of twenty generated 5 s 640x480 H.264 clips through the
// worker at each format's default preset, and compares its wall time with
// ffmpeg converting the same clips one after another and one clip per core at
// once (one thread each), with the same codecs, sizes, rates and bitrates.
// Prints the SSIM of the worker's first output and of ffmpeg's against the
// source scaled to the output size.
//
//   bench_batch [format]   only the format whose name holds it
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
#include <QRegularExpression>
#include <atomic>
#include <cstdio>
#include <thread>
#include <vector>

namespace {

constexpr int kClips = 20;

double Seconds(const QElapsedTimer &timer)
{
    return double(timer.nsecsElapsed()) / 1e9;
}

double LoadAverage()
{
    QFile file(QStringLiteral("/proc/loadavg"));
    if (!file.open(QIODevice::ReadOnly))
        return -1;
    return file.readLine().split(' ').value(0).toDouble();
}

BatchChoices DefaultChoices(OutputFormat format)
{
    const FormatPresets &presets = PresetsFor(format);
    BatchChoices choices;
    SplitResolution(presets.defaultResolution, &choices.width, &choices.height);
    choices.frameRate = presets.defaultFrameRate;
    choices.bitrate = presets.defaultBitrate;
    choices.format = format;
    return choices;
}

// ffmpeg's arguments for one clip into `file`, with the quality options the
// worker's encoder is asked for where ffmpeg has them.
QStringList FfmpegArguments(const BatchChoices &choices, const QString &clip, const QString &file, bool oneThread)
{
    QStringList args{"-v", "error", "-y"};
    if (oneThread)
        args << "-threads"
             << "1";
    args << "-i" << clip << "-s" << choices.width + 'x' + choices.height << "-r" << choices.frameRate;
    if (oneThread)
        args << "-threads"
             << "1";
    args << "-b:v" << choices.bitrate + 'k';
    switch (choices.format) {
    case OutputFormat::Flv:
        args << "-c:v"
             << "flv"
             << "-mbd"
             << "rd"
             << "-trellis"
             << "1"
             << "-c:a"
             << "libmp3lame"
             << "-b:a"
             << "64k"
             << "-ar"
             << "44100";
        break;
    case OutputFormat::ThreeGp:
        args << "-c:v"
             << "h263"
             << "-c:a"
             << "libopencore_amrnb"
             << "-ac"
             << "1"
             << "-ar"
             << "8000"
             << "-b:a"
             << "12.2k";
        break;
    case OutputFormat::Mp4:
        args << "-c:v"
             << "mpeg4"
             << "-mbd"
             << "rd"
             << "-trellis"
             << "1"
             << "-c:a"
             << "aac"
             << "-b:a"
             << "128k";
        break;
    }
    return args << file;
}

QString Extension(OutputFormat format)
{
    return QLatin1Char('.') + FormatName(format).toLower();
}

double WorkerSeconds(const BatchChoices &choices, const QStringList &clips, const QString &out)
{
    auto port = std::make_shared<FakeConversionPort>();
    for (const QString &clip : clips)
        port->addRow(clip, 5);
    ConversionBatch batch;
    batch.setOutputFolderProvider([out] { return out; });
    QElapsedTimer timer;
    timer.start();
    batch.start(port, choices);
    batch.waitIdle(3600000);
    const double seconds = Seconds(timer);
    if (!port->endedWell())
        std::printf("%s: the worker's batch did not end well\n", qPrintable(FormatName(choices.format)));
    return seconds;
}

// ffmpeg over every clip, `atOnce` runs at the same time.
double FfmpegSeconds(const BatchChoices &choices, const QStringList &clips, const QString &out, int atOnce)
{
    std::atomic<int> next{0};
    std::atomic<int> failed{0};
    const auto run = [&] {
        for (int i = next++; i < clips.size(); i = next++) {
            const QString file = out + QStringLiteral("ff-%1").arg(i) + Extension(choices.format);
            // At idle priority, as the worker runs its encoder, so other load weighs the same on both.
            if (RunProgram("chrt",
                           QStringList{"--idle", "0", "ffmpeg"} +
                               FfmpegArguments(choices, clips.at(i), file, atOnce > 1),
                           nullptr, 600000) != 0)
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

// SSIM of `output`'s picture against `source` scaled to the output's size and
// rate, frame by frame from the first; -1 when it cannot be measured.
double Ssim(const BatchChoices &choices, const QString &source, const QString &output)
{
    const QString rate = choices.frameRate;
    const QString graph = QStringLiteral("[0:v]setpts=N/%1/TB[a];[1:v]scale=%2:%3,fps=%1,setpts=N/%1/TB[b];[a][b]ssim")
                              .arg(rate, choices.width, choices.height);
    QByteArray text;
    RunProgram("ffmpeg", {"-i", output, "-i", source, "-lavfi", graph, "-f", "null", "-"}, &text, 600000);
    const QRegularExpressionMatch match =
        QRegularExpression(QStringLiteral("All:([0-9.]+)")).match(QString::fromUtf8(text));
    return match.hasMatch() ? match.captured(1).toDouble() : -1;
}

QString FirstFile(const QString &folder, const QString &extension)
{
    const QStringList files = QDir(folder).entryList({"*" + extension}, QDir::Files, QDir::Name);
    return files.isEmpty() ? QString() : folder + files.first();
}

}  // namespace

int main(int argc, char **argv)
{
    QCoreApplication app(argc, argv);
    const QString only = argc > 1 ? QString::fromLocal8Bit(argv[1]) : QString();
    const QByteArray tools = QFile::encodeName(MakeTempDir()) + '/';
    for (int selector : {2, 3, 4, 5})
        ExtractTool(tools, selector);
    g_szToolDir = tools;

    const QString clipDir = MakeTempDir() + '/';
    std::printf("generating %d 5 s 640x480 H.264 clips...\n", kClips);
    QStringList clips;
    for (int i = 0; i < kClips; ++i) {
        const QString clip = clipDir + QStringLiteral("clip-%1.mp4").arg(i, 2, 10, QLatin1Char('0'));
        // Each clip starts at another point of the pattern, so no two are the same.
        const QString video = QStringLiteral("testsrc2=size=640x480:rate=25,trim=start=%1,setpts=PTS-STARTPTS").arg(i);
        if (RunProgram("ffmpeg",
                       {"-v",
                        "error",
                        "-y",
                        "-f",
                        "lavfi",
                        "-i",
                        video,
                        "-f",
                        "lavfi",
                        "-i",
                        QStringLiteral("sine=frequency=%1:sample_rate=44100").arg(300 + 20 * i),
                        "-t",
                        "5",
                        "-c:v",
                        "libx264",
                        "-preset",
                        "veryfast",
                        "-pix_fmt",
                        "yuv420p",
                        "-c:a",
                        "aac",
                        clip},
                       nullptr, 600000) != 0) {
            std::printf("cannot generate the clips\n");
            return 1;
        }
        clips << clip;
    }

    const int cores = OnlineCores();
    std::printf("\n%d clips of 5 s 640x480, default preset of each format; %d online cores\n", kClips, cores);
    std::printf("%-4s %9s %9s %9s %9s | %8s %8s | %s\n", "fmt", "worker", "ff 1by1", "ff atonce", "w/best", "ssim w",
                "ssim ff", "load (1 min)");
    for (const OutputFormat format : Formats()) {
        if (!FormatName(format).contains(only, Qt::CaseInsensitive))
            continue;
        const BatchChoices choices = DefaultChoices(format);
        const QString workerOut = MakeTempDir() + '/';
        const QString serialOut = MakeTempDir() + '/';
        const QString parallelOut = MakeTempDir() + '/';
        const double load = LoadAverage();
        const double worker = WorkerSeconds(choices, clips, workerOut);
        const double serial = FfmpegSeconds(choices, clips, serialOut, 1);
        const double parallel = FfmpegSeconds(choices, clips, parallelOut, cores);
        // Clip 00 alone once more, so that its output is the only file there.
        const QString oneOut = MakeTempDir() + '/';
        WorkerSeconds(choices, {clips.first()}, oneOut);
        const double ssimWorker = Ssim(choices, clips.first(), FirstFile(oneOut, Extension(format)));
        QDir(oneOut).removeRecursively();
        const double ssimFfmpeg = Ssim(choices, clips.first(), serialOut + "ff-0" + Extension(format));
        std::printf("%-4s %8.2fs %8.2fs %8.2fs %9.2f | %8.4f %8.4f | %.2f-%.2f\n", qPrintable(FormatName(format)),
                    worker, serial, parallel, worker / std::min(serial, parallel), ssimWorker, ssimFfmpeg, load,
                    LoadAverage());
        std::fflush(stdout);
        QDir(workerOut).removeRecursively();
        QDir(serialOut).removeRecursively();
        QDir(parallelOut).removeRecursively();
    }
    return 0;
}
