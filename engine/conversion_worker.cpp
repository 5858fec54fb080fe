#include "engine/conversion_worker.h"

#include "engine/convert_progress.h"
#include "engine/encoder_command_lines.h"
#include "engine/globals.h"
#include "engine/mp4_packaging.h"
#include "engine/output_naming.h"
#include "engine/process_runner.h"
#include "engine/status_texts.h"

#include <QDir>
#include <QFile>

namespace {

void SetStatus(DialogPort &port, const char *text)
{
    port.setStatusText(QString::fromUtf8(text));
}

// What the encoder prints last: enough for its closing summary.
constexpr qsizetype kOutputTailSize = 4096;

// Captured run of the encoder: every chunk moves the bar and says "converting".
// `wroteNoVideo` tells whether its closing summary reports no video at all.
RunOutcome RunEncoder(ConversionJob &job, const QByteArray &commandLine, bool *wroteNoVideo)
{
    DialogPort &port = *job.port;
    // Output the encoder wrote before a pause or stop is still in the pipe, and
    // a report may be on its way to the window as the command runs: neither
    // may write over the command's text, nor move the bar it has set.
    const std::function<bool()> running = [&job] {
        return !job.encoder.stopRequested() && !job.encoder.suspended();
    };
    QByteArray tail;
    const ChunkParser parse = [&](const char *chunk) {
        tail += chunk;
        if (tail.size() > 2 * kOutputTailSize)
            tail.remove(0, tail.size() - kOutputTailSize);
        if (!running())
            return;
        int percent = 0;
        const bool moved = ParseConvertOutput(chunk, &percent);
        port.setProgressAndStatusIf(moved ? std::optional<int>(percent) : std::nullopt,
                                    QString::fromUtf8(StatusText::kConverting), running);
    };
    const StartedHook started = [&](pid_t pid) { job.encoder.started(pid); };

    g_bConvertOutputLive.store(true);
    const RunOutcome outcome = RunCaptured(commandLine, Priority::Idle, g_bConvertOutputLive, parse, started);
    job.encoder.ended();
    *wroteNoVideo = EncoderWroteNoVideo(tail);
    return outcome;
}

// ffmpeg turns the encoder's AVI into the 3GP file, at the size and rate the
// boxes show now.
RowOutcome Export3gp(ConversionJob &job, const QString &avi)
{
    SetStatus(*job.port, StatusText::kExporting);
    const QByteArray parameters =
        Export3gpParameters(avi, job.port->resolutionText(), job.port->frameRateText());
    const RunOutcome exported = RunAndWait(job.toolDir + "ffmpeg", parameters);
    if (job.encoder.stopRequested())
        return RowOutcome::Stopped;
    const QString threeGp = OutputStem(avi) + QStringLiteral(".3gp");
    if (!exported.ok() || !FileHasContent(threeGp)) {
        QFile::remove(threeGp);  // an unfinished export; the AVI stays
        return RowOutcome::Failed;
    }
    QFile::remove(avi);
    return RowOutcome::Finished;
}

} // namespace

std::optional<RowEntry> NextRow(const QList<RowEntry> &rows, const QSet<RowId> &taken)
{
    for (const RowEntry &row : rows) {
        if (row.id != kNoRow && !taken.contains(row.id))
            return row;
    }
    return std::nullopt;
}

RowOutcome ConvertRow(ConversionJob &job, const QString &source)
{
    OutputFormat format;
    if (!ParseFormat(job.port->formatText(), &format))
        return RowOutcome::Failed;

    // A batch that runs past midnight writes into the new day's folder.
    const QString folder = job.outputFolder();
    QDir().mkpath(folder);
    const QString output = MakeOutputFileName(folder, format, job.clock());

    const EncoderStep step{job.toolDir, source, output, StartsWithAsfHeader(source)};
    bool noVideo = false;
    const RunOutcome encoded = RunEncoder(job, EncoderCommandLine(format, step, job.choices), &noVideo);
    if (job.encoder.stopRequested())
        return RowOutcome::Stopped;
    const bool written = FileHasContent(output) && !noVideo;
    if (!written)
        QFile::remove(output);  // empty, or headers only: it holds nothing of the source
    if (!encoded.ok() || !written)
        return RowOutcome::Failed;

    switch (format) {
    case OutputFormat::Mp4:
        return PackageMp4(output, job.choices.frameRate, job.toolDir, *job.port, job.encoder.stopFlag());
    case OutputFormat::ThreeGp:
        return Export3gp(job, output);
    case OutputFormat::Flv:
        break;
    }
    return RowOutcome::Finished;
}

void ConvertThread(ConversionJob &job)
{
    QSet<RowId> taken;
    while (!job.encoder.stopRequested()) {
        const std::optional<RowEntry> row = NextRow(job.port->rows(), taken);
        if (!row)
            return;
        taken.insert(row->id);
        const RowOutcome outcome = ConvertRow(job, row->path);
        if (outcome == RowOutcome::Stopped || job.encoder.stopRequested())
            return;
        // A stop pressed as the row ends keeps its own text.
        job.port->setProgressAndStatusIf(
            0, QString::fromUtf8(outcome == RowOutcome::Finished ? StatusText::kFinished : StatusText::kFailed),
            [&job] { return !job.encoder.stopRequested(); });
    }
}
