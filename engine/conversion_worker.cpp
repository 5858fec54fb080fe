#include "engine/conversion_worker.h"

#include "base/log.h"
#include "engine/avi_streams.h"
#include "engine/convert_progress.h"
#include "engine/encoder_command_lines.h"
#include "engine/mp4_packaging.h"
#include "engine/output_motion.h"
#include "engine/output_naming.h"
#include "engine/picture_turn.h"
#include "engine/row_files.h"
#include "engine/source_length.h"
#include "engine/timed_source.h"
#include "engine/tool_failure.h"
#include "engine/tool_step.h"
#include "process/command_line.h"
#include "process/globals.h"
#include "process/process_runner.h"

#include <QDir>
#include <QFileInfo>

namespace {

// Why the encoder could not convert the source, from what it printed.
FailReason EncoderReadFailure(const QByteArray &output)
{
    if (output.contains("Video stream is mandatory"))
        return FailReason::NoVideo;
    if (output.contains("Cannot open demuxer") || output.contains("Failed to open") ||
        output.contains("File not found"))
        return FailReason::Unreadable;
    return FailReason::EncoderFailed;
}

// True when the encoder stopped before half of a source whose length is known:
// what follows a good header was not video, and a file with a fraction of the
// source is no conversion of it. (Sources shorter than two seconds are spared:
// their reported positions are too coarse.)
bool EndedFarTooEarly(const RowEntry &row, double reachedSeconds)
{
    return row.seconds >= 2 && reachedSeconds < row.seconds / 2.0;
}

// Captured run of the encoder: every chunk moves the bar and says
// "converting", and the row shows its percentage.
RunOutcome RunEncoder(ConversionJob &job, RowId row, const QByteArray &commandLine, ToolWatchdog &watchdog)
{
    DialogPort &port = *job.port;
    // Output the encoder wrote before a pause or stop is still in the pipe, and
    // a report may be on its way to the window as the command runs: neither
    // may write over the command's text, nor move the bar it has set.
    const std::function<bool()> running = [&job] { return !job.encoder.stopRequested() && !job.encoder.suspended(); };
    int shownPercent = -1;
    const ChunkParser parse = [&](const char *chunk) {
        if (!running())
            return;
        int percent = 0;
        const bool moved = ParseConvertOutput(chunk, &percent);
        port.setProgressAndStatusIf(moved ? std::optional<int>(percent) : std::nullopt, BatchStatus::Converting,
                                    running);
        if (moved && percent != shownPercent) {
            shownPercent = percent;
            port.setRowState(row, RowState::converting(percent));
        }
    };
    const StartedHook started = [&](pid_t pid) { job.encoder.started(pid); };

    g_bConvertOutputLive.store(true);
    const RunOutcome outcome =
        RunCaptured(commandLine, Priority::Idle, g_bConvertOutputLive, parse, started, &watchdog);
    job.encoder.ended();
    return outcome;
}

// The encoder step: the source into the format's encoder output.
RowResult Encode(ConversionJob &job, const RowEntry &row, const QString &output, const ToolWatchdog::Limits &limits)
{
    const QString stem = OutputStem(output);
    const EncoderSource source = PrepareEncoderSource(row.path, stem, job.toolDir, limits, job.encoder);
    if (source.end)
        return *source.end;
    EncoderStep step{job.toolDir, source.path, output, StartsWithAsfHeader(row.path),
                     row.seconds > 0 ? double(row.seconds) : 0.0};
    step.matroskaReader = source.matroskaReader;
    // The turn is read afresh from the source, not from the list: the row's probe
    // may not have ended, and a timed copy carries none. The probe has already
    // logged a turn that is ignored.
    step.turn = ReadPictureTurn(job.toolDir, row.path, false);
    step.mp3Avi = AviHasMp3Audio(row.path);
    const QByteArray commandLine = EncoderCommandLine(job.choices.format, step, job.choices);
    ToolWatchdog watchdog(limits);
    watchdog.setPaused([&job] { return job.encoder.suspended(); });
    // Writing its index at the end, the encoder reports no position.
    watchdog.setActivity([&stem] { return RowFilesFingerprint(stem); });
    const RunOutcome run = RunEncoder(job, row.id, commandLine, watchdog);
    if (job.encoder.stopRequested())
        return RowResult::stopped();

    const QString folder = QFileInfo(output).path();
    const EncoderSummary summary = ParseEncoderSummary(run.tail);
    FailReason reason = FailReason::None;
    if (!run.ok()) {
        reason = ClassifyToolFailure(run, folder, EncoderReadFailure(run.tail));
    } else if (OutputReportsWriteError(run.tail) ||
               (summary.found && QFileInfo(output).size() < summary.videoBytes + summary.audioBytes)) {
        // The encoder exits 0 after failed writes: its file is cut short.
        reason = VolumeFull(folder) ? FailReason::DiskFull : FailReason::FolderUnwritable;
    } else if (!FileHasContent(output) || EncoderWroteNoVideo(run.tail)) {
        // Empty, or headers only: nothing of the source could be decoded.
        reason = FailReason::Unreadable;
    } else if (EndedFarTooEarly(row, watchdog.position())) {
        reason = FailReason::Damaged;
    }
    if (reason == FailReason::None)
        return RowResult::finished();
    LogToolFailure(commandLine, run, reason);
    return RowResult::failed(reason);
}

// ffmpeg turns the encoder's AVI into the 3GP file, at the batch's size and rate.
RowResult Export3gp(ConversionJob &job, const QString &avi, const ToolWatchdog::Limits &limits)
{
    const BatchChoices &choices = job.choices;
    const QByteArray parameters =
        Export3gpParameters(avi, choices.width + QLatin1Char('x') + choices.height, choices.frameRate);
    const QString stem = OutputStem(avi);
    const StepResult step =
        RunRowTool(job.toolDir + "ffmpeg", parameters, limits, job.encoder, stem, FailReason::ExportFailed);
    if (step.end)
        return *step.end;
    if (!FileHasContent(stem + QStringLiteral(".3gp")))
        return RowResult::failed(FailReason::ExportFailed);
    return RowResult::finished();
}

QString FinalExtension(OutputFormat format)
{
    switch (format) {
    case OutputFormat::Mp4:
        return QStringLiteral(".mp4");
    case OutputFormat::ThreeGp:
        return QStringLiteral(".3gp");
    case OutputFormat::Flv:
        break;
    }
    return QStringLiteral(".flv");
}

// Every step of one row, into files named after `output`'s stem.
RowResult RunSteps(ConversionJob &job, const RowEntry &row, const QString &output)
{
    const ToolWatchdog::Limits limits = ConversionLimits(job, row);
    const RowResult encoded = Encode(job, row, output, limits);
    if (!encoded.ok() || job.choices.format == OutputFormat::Flv)
        return encoded;

    job.port->setStatus(BatchStatus::Exporting);
    job.port->setRowState(row.id, {RowPhase::Packaging});
    if (job.choices.format == OutputFormat::ThreeGp)
        return Export3gp(job, output, limits);
    return PackageMp4(output, PackagingRun{job.toolDir, job.choices.frameRate, limits, &job.encoder});
}

}  // namespace

std::optional<RowEntry> NextRow(const QList<RowEntry> &rows, const QSet<RowId> &taken)
{
    for (const RowEntry &row : rows) {
        if (row.id != kNoRow && !taken.contains(row.id))
            return row;
    }
    return std::nullopt;
}

ToolWatchdog::Limits ConversionLimits(const ConversionJob &job, const RowEntry &row)
{
    ToolWatchdog::Limits limits;
    limits.maxPosition = 2 * SourceSecondsBound(row) + 30;
    limits.silence = job.silence;
    return limits;
}

RowResult ConvertRow(ConversionJob &job, const RowEntry &row)
{
    // A batch that runs past midnight writes into the new day's folder, and a
    // folder deleted during the batch is made again.
    const QString folder = job.outputFolder();
    QDir().mkpath(folder);
    if (!FolderWritable(folder)) {
        const FailReason reason = VolumeFull(folder) ? FailReason::DiskFull : FailReason::FolderUnwritable;
        qCWarning(lcQ9) << "cannot write into the output folder" << folder;
        return RowResult::failed(reason);
    }
    if (!QFileInfo(row.path).isFile()) {
        qCWarning(lcQ9) << "the source is gone or not a file:" << row.path;
        return RowResult::failed(FailReason::Unreadable);
    }

    const QString output = MakeOutputFileName(folder, job.choices.format, job.clock());
    const QString stem = OutputStem(output);
    job.port->rowFilesReserved(row.id, stem);
    const QString finalFile = stem + FinalExtension(job.choices.format);
    RowResult result = RunSteps(job, row, output);
    // Size, rate, length and sound can all be right around one repeated
    // picture: a row is done only when its picture moves where the source's does.
    const ToolWatchdog::Limits thumbnailLimits{std::nullopt, job.silence, std::nullopt};
    if (result.ok() && !job.encoder.stopRequested() &&
        OutputPictureFroze(job.toolDir, row.path, finalFile,
                           row.seconds > 0 ? std::optional<double>(row.seconds) : std::nullopt, thumbnailLimits))
        result = RowResult::failed(FailReason::StillPicture);
    // Nothing half-made stays: a row that did not succeed leaves none of its
    // files, one that did leaves only its final file.
    RemoveRowFiles(stem, result.ok() ? finalFile : QString());
    return result;
}

void ConvertThread(ConversionJob &job)
{
    DialogPort &port = *job.port;
    const std::function<bool()> notStopped = [&job] { return !job.encoder.stopRequested(); };
    QSet<RowId> taken;
    QSet<RowId> waiting;
    BatchSummary summary;

    while (!job.encoder.stopRequested()) {
        const QList<RowEntry> rows = port.rows();
        for (const RowEntry &row : rows) {
            if (!taken.contains(row.id) && !waiting.contains(row.id)) {
                waiting.insert(row.id);
                port.setRowState(row.id, {RowPhase::Waiting});
            }
        }
        const std::optional<RowEntry> row = NextRow(rows, taken);
        if (!row)
            break;
        taken.insert(row->id);
        waiting.remove(row->id);

        port.setRowState(row->id, RowState::converting(0));
        TakeLastFailure();
        const RowResult result = ConvertRow(job, *row);
        if (result.outcome == RowOutcome::Stopped || job.encoder.stopRequested()) {
            port.setRowState(row->id, {RowPhase::Stopped});
            break;
        }
        if (result.ok()) {
            ++summary.succeeded;
            port.setRowState(row->id, {RowPhase::Done});
        } else {
            ++summary.failed;
            if (const std::optional<FailureDetails> details = TakeLastFailure())
                port.setRowFailureDetails(row->id, *details);
            port.setRowState(row->id, RowState::failed(result.reason));
        }
        // A stop pressed as the row ends keeps its own text.
        port.setProgressAndStatusIf(0, result.ok() ? BatchStatus::RowFinished : BatchStatus::RowFailed, notStopped);
        if (result.reason == FailReason::DiskFull) {
            // Every later row would fail the same way.
            summary.diskFull = true;
            break;
        }
    }

    // Rows the batch did not get to are no longer waiting.
    for (const RowId row : std::as_const(waiting))
        port.setRowState(row, {});
    summary.stopped = job.encoder.stopRequested();
    if (!summary.stopped)
        port.setProgressAndStatusIf(std::nullopt, BatchStatus::Ended, notStopped, summary);
    port.batchEnded(summary);
}
