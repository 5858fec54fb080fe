// Converts one generated 60 s 1280x720 clip to MP4 through the worker and
// compares its wall time with running the same tool command lines one after
// another by hand, and with one equivalent single ffmpeg pass.
#include "engine/command_line.h"
#include "engine/conversion_batch.h"
#include "engine/encoder_command_lines.h"
#include "engine/mp4_packaging.h"
#include "engine/output_naming.h"
#include "install/tool_installer.h"
#include "tests/support/fake_conversion_port.h"
#include "tests/support/test_support.h"

#include <QCoreApplication>
#include <QDir>
#include <QElapsedTimer>
#include <QFile>
#include <algorithm>
#include <cstdio>

namespace {

const BatchChoices kChoices{"720", "480", "25", "1024"};

// Runs one command line (tool first) to its end, at idle priority when asked;
// false unless it exited 0.
bool RunLine(const QByteArray &commandLine, bool idle = false)
{
    QStringList arguments;
    for (const QByteArray &arg : SplitCommandLine(commandLine))
        arguments << QFile::decodeName(arg);
    if (idle)
        arguments = QStringList{"--idle", "0"} + arguments;
    const QString program = idle ? QStringLiteral("chrt") : arguments.takeFirst();
    return RunProgram(program, arguments, nullptr, 600000) == 0;
}

double WorkerSeconds(const QByteArray &tools, const QString &clip, const QString &out)
{
    auto port = std::make_shared<FakeConversionPort>();
    port->addRow(clip);
    ConversionBatch batch;
    batch.setToolDir(tools);
    batch.setOutputFolderProvider([out] { return out; });
    QElapsedTimer timer;
    timer.start();
    batch.start(port, kChoices);
    batch.waitIdle(600000);
    const double seconds = timer.elapsed() / 1000.0;
    if (port->statuses().last() != QStringLiteral("转换完成"))
        std::printf("worker: conversion failed\n");
    return seconds;
}

// The worker's lines in turn; the encoder at idle priority too when `idleEncoder`,
// as the worker runs it, so that other load on the machine weighs the same.
double ByHandSeconds(const QByteArray &tools, const QString &clip, const QString &out, bool idleEncoder)
{
    const QString avi = out + "by-hand.avi";
    const QString stem = OutputStem(avi);
    const QByteArray creator = ToolPathArg(tools + "mp4creator") + ' ';
    const QByteArray encoder = ToolPathArg(tools + "mencoder") + ' ';
    QElapsedTimer timer;
    timer.start();
    bool ok = RunLine(EncoderCommandLine(OutputFormat::Mp4, {tools, clip, avi, false}, kChoices), idleEncoder);
    ok = ok && RunLine(encoder + RawVideoParameters(stem, avi));
    ok = ok && RunLine(ToolPathArg(tools + "ffmpeg") + ' ' + RawAudioParameters(stem, avi));
    ok = ok && RunLine(creator + Mp4VideoTrackParameters(stem, kChoices.frameRate));
    ok = ok && RunLine(creator + Mp4AudioTrackParameters(stem));
    for (const char *extension : {".avi", ".m4v", ".aac"})
        QFile::remove(stem + extension);
    const double seconds = timer.elapsed() / 1000.0;
    if (!ok)
        std::printf("by hand: a tool failed\n");
    return seconds;
}

double SingleFfmpegSeconds(const QString &clip, const QString &out)
{
    QElapsedTimer timer;
    timer.start();
    // clang-format off
    const int code = RunProgram("ffmpeg", {"-v", "error", "-y", "-i", clip, "-vf", "scale=720:480", "-r", "25",
                                           "-c:v", "mpeg4", "-b:v", "1024k", "-c:a", "aac", "-b:a", "128k",
                                           "-ar", "44100", out + "single-pass.mp4"},
                                nullptr, 600000);
    // clang-format on
    if (code != 0)
        std::printf("single ffmpeg pass failed\n");
    return timer.elapsed() / 1000.0;
}

}  // namespace

int main(int argc, char **argv)
{
    QCoreApplication app(argc, argv);
    const int rounds = argc > 1 ? std::max(1, atoi(argv[1])) : 1;

    const QByteArray tools = QFile::encodeName(MakeTempDir()) + '/';
    for (int selector : {2, 3, 4})
        ExtractTool(tools, selector);
    const QString clip = MakeTempDir() + "/clip-720p.avi";
    std::printf("generating a 60 s 1280x720 clip...\n");
    // clang-format off
    if (RunProgram("ffmpeg", {"-v", "error", "-y", "-f", "lavfi", "-i", "testsrc2=size=1280x720:rate=25", "-f",
                              "lavfi", "-i", "sine=frequency=440:sample_rate=44100", "-t", "60", "-c:v", "mpeg4",
                              "-q:v", "4", "-c:a", "libmp3lame", clip}) != 0) {
        std::printf("cannot generate the clip\n");
        return 1;
    }
    // clang-format on

    const QString out = MakeTempDir() + '/';
    // Other load on the machine only ever adds time, so each way's best round counts.
    double worker = 1e9, byHand = 1e9, byHandIdle = 1e9, single = 1e9;
    for (int round = 0; round < rounds; ++round) {
        worker = std::min(worker, WorkerSeconds(tools, clip, out));
        byHand = std::min(byHand, ByHandSeconds(tools, clip, out, false));
        byHandIdle = std::min(byHandIdle, ByHandSeconds(tools, clip, out, true));
        single = std::min(single, SingleFfmpegSeconds(clip, out));
    }
    std::printf("best of %d: worker %.2f s, same lines by hand %.2f s (encoder at idle priority %.2f s), "
                "single ffmpeg pass %.2f s\n",
                rounds, worker, byHand, byHandIdle, single);
    std::printf("worker / by hand = %.3f (target <= 1.05)\n", worker / byHand);
    std::printf("worker / by hand, encoder at idle priority = %.3f\n", worker / byHandIdle);
    std::printf("worker / single ffmpeg pass = %.3f\n", worker / single);
    return 0;
}
