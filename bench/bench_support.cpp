#include "bench/bench_support.h"

#include "tests/support/test_support.h"

#include <QFile>
#include <QFileInfo>
#include <QRegularExpression>
#include <algorithm>
#include <sys/resource.h>

double Seconds(const QElapsedTimer &timer)
{
    return double(timer.nsecsElapsed()) / 1e9;
}

namespace {

double CpuSeconds(int who)
{
    rusage usage{};
    getrusage(who, &usage);
    const auto seconds = [](const timeval &t) { return double(t.tv_sec) + double(t.tv_usec) / 1e6; };
    return seconds(usage.ru_utime) + seconds(usage.ru_stime);
}

}  // namespace

void CostMeter::restart()
{
    m_own = CpuSeconds(RUSAGE_SELF);
    m_tools = CpuSeconds(RUSAGE_CHILDREN);
    m_timer.start();
}

RunCost CostMeter::cost() const
{
    return {Seconds(m_timer), CpuSeconds(RUSAGE_SELF) - m_own, CpuSeconds(RUSAGE_CHILDREN) - m_tools};
}

void BestCost::add(const RunCost &run)
{
    best.wall = std::min(best.wall, run.wall);
    best.own = std::min(best.own, run.own);
    best.tools = std::min(best.tools, run.tools);
}

double LoadAverage()
{
    QFile file(QStringLiteral("/proc/loadavg"));
    if (!file.open(QIODevice::ReadOnly))
        return -1;
    return file.readLine().split(' ').value(0).toDouble();
}

QString Extension(OutputFormat format)
{
    return QLatin1Char('.') + FormatName(format).toLower();
}

namespace {

double Ssim(const BatchChoices &choices, const QString &source, const QString &output)
{
    const QString rate = QString::number(choices.frameRate);
    const QString graph = QStringLiteral("[0:v]setpts=N/%1/TB[a];[1:v]scale=%2:%3,fps=%1,setpts=N/%1/TB[b];[a][b]ssim")
                              .arg(rate, QString::number(choices.width), QString::number(choices.height));
    QByteArray text;
    RunProgram("ffmpeg", {"-i", output, "-i", source, "-lavfi", graph, "-f", "null", "-"}, &text, 600000);
    const QRegularExpressionMatch match =
        QRegularExpression(QStringLiteral("All:([0-9.]+)")).match(QString::fromUtf8(text));
    return match.hasMatch() ? match.captured(1).toDouble() : -1;
}

// The video frames ffprobe decodes from the file's first picture stream.
int FrameCount(const QString &output)
{
    QByteArray text;
    if (RunProgram("ffprobe",
                   {"-v", "error", "-count_frames", "-select_streams", "v:0", "-show_entries", "stream=nb_read_frames",
                    "-of", "csv=p=0", output},
                   &text, 600000) != 0)
        return -1;
    bool ok = false;
    const int frames = text.trimmed().toInt(&ok);
    return ok ? frames : -1;
}

}  // namespace

OutputReading ReadOutput(const BatchChoices &choices, const QString &source, const QString &output)
{
    OutputReading reading;
    if (output.isEmpty() || !QFileInfo::exists(output))
        return reading;
    reading.bytes = QFileInfo(output).size();
    reading.frames = FrameCount(output);
    reading.ssim = Ssim(choices, source, output);
    return reading;
}
