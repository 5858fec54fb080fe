#include "bench/bench_ffmpeg.h"

#include "tests/support/test_support.h"

namespace {

QStringList Words(const char *line)
{
    return QString::fromLatin1(line).split(QLatin1Char(' '));
}

}  // namespace

QStringList FfmpegArguments(const BatchChoices &choices, const QString &clip, const QString &file,
                            FfmpegQuality quality, bool oneThread)
{
    const QStringList threads = oneThread ? Words("-threads 1") : QStringList();
    QStringList args = Words("-v error -y") + threads;
    args << "-i" << clip << "-s" << QStringLiteral("%1x%2").arg(choices.width).arg(choices.height) << "-r"
         << QString::number(choices.frameRate);
    args += threads;
    args << "-b:v" << QString::number(choices.bitrate) + 'k';
    const bool rateDistortion = quality != FfmpegQuality::Defaults;
    const bool workerOptions = quality == FfmpegQuality::WorkerOptions;
    switch (choices.format) {
    case OutputFormat::Flv:
        args += Words("-c:v flv");
        if (rateDistortion)
            args += Words("-mbd rd -trellis 1");
        if (workerOptions)
            args += Words("-flags +mv4 -mpv_flags +mv0+cbp_rd -last_pred 3 -abr 1");
        args += Words("-c:a libmp3lame -b:a 64k -ar 44100");
        break;
    case OutputFormat::ThreeGp:
        // The H.263 and AMR-NB encoders take no quality options here.
        args += Words("-c:v h263 -c:a libopencore_amrnb -ac 1 -ar 8000 -b:a 12.2k");
        break;
    case OutputFormat::Mp4:
        args += Words("-c:v mpeg4");
        if (rateDistortion)
            args += Words("-mbd rd -trellis 1");
        args += Words("-c:a aac -b:a 128k -ar 44100");
        // The worker's MP4 sound is AAC-LC from ffmpeg's fast coder.
        if (workerOptions)
            args += Words("-aac_coder fast");
        break;
    }
    return args << file;
}

bool RunFfmpegIdle(const QStringList &arguments)
{
    return RunProgram("chrt", QStringList{"--idle", "0", "ffmpeg"} + arguments, nullptr, 1200000) == 0;
}
