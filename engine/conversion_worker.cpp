#include "engine/conversion_worker.h"

#include "base/log.h"
#include "base/timeline.h"
#include "catalogue/avi_streams.h"
#include "engine/convert_progress.h"
#include "engine/encoder_command_lines.h"
#include "engine/output_motion.h"
#include "engine/output_naming.h"
#include "engine/output_report.h"
#include "engine/picture_shape.h"
#include "engine/row_files.h"
#include "engine/size_limited_row.h"
#include "engine/source_length.h"
#include "engine/timed_source.h"
#include "engine/tool_failure.h"
#include "engine/tool_step.h"
#include "process/command_line.h"
#include "process/globals.h"
#include "process/process_runner.h"
#include "process/tool_owner.h"

#include "base/thread_tracker.h"
#include "process/cpu_cores.h"

#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <algorithm>
#include <mutex>
#include <system_error>
#include <thread>
#include <vector>

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

// True when the player could not tell the source's length and the encoder got
// under a second of picture out of it: an MP4 cut off before its index gives
// the encoder a frame or two of the data it can find, and that is no
// conversion of the source.
bool HardlyAnyPicture(const RowEntry &row, const EncoderSummary &summary)
{
    return row.seconds <= 0 && summary.videoSeconds && *summary.videoSeconds < 1.0;
}

// How often the window hears of a running encoder's progress. The encoder
// prints a line for every frame, hundreds a second: reported chunk by chunk,
// each line cost the window a repaint, and the worker a wait for the window's
// thread, for changes nobody can read that fast.
constexpr std::chrono::milliseconds kProgressReportPeriod{200};

// Captured run of the encoder: the bar moves, the status line says
// "converting" and the row shows its percentage, at most once a report period.
RunOutcome RunEncoder(ConversionJob &job, RowId row, const QByteArray &commandLine, ToolWatchdog &watchdog,
                      EncoderTrouble *trouble)
{
    DialogPort &port = *job.port;
    // Output the encoder wrote before a pause or stop is still in the pipe, and
    // a report may be on its way to the window as the command runs: neither
    // may write over the command's text, nor move the bar it has set.
    const std::function<bool()> running = [&job] { return !job.encoder.stopRequested() && !job.encoder.paused(); };
    int shownPercent = -1;
    int lastPercent = -1;
    bool movedSinceReport = false;
    std::optional<std::chrono::steady_clock::time_point> lastReport;
    const ChunkParser parse = [&](const char *chunk) {
        if (!running())
            return;
        trouble->feed(chunk);
        int percent = 0;
        if (ParseConvertOutput(chunk, &percent)) {
            job.progress.setRowPercent(row, percent);
            lastPercent = percent;
            movedSinceReport = true;
        }
        const auto now = std::chrono::steady_clock::now();
        if (lastReport && now - *lastReport < kProgressReportPeriod)
            return;
        lastReport = now;
        port.setProgressAndStatusIf(movedSinceReport ? std::optional<int>(job.progress.percent()) : std::nullopt,
                                    BatchStatus::Converting, running);
        movedSinceReport = false;
        if (lastPercent >= 0 && lastPercent != shownPercent) {
            shownPercent = lastPercent;
            port.setRowState(row, RowState::converting(lastPercent));
        }
    };
    g_bConvertOutputLive.store(true);
    return RunCaptured(commandLine, Priority::Idle, g_bConvertOutputLive, parse, {}, &watchdog);
}

// The encoder step: the source into the format's encoder output, made with
// `choices`. Tells in `video` what the encoder wrote.
RowResult Encode(ConversionJob &job, const RowEntry &row, const QString &output, const BatchChoices &choices,
                 const ToolWatchdog::Limits &limits, EncodedVideo *video)
{
    const QString stem = OutputStem(output);
    // The turn, the picture's shape and its colours are those of the source
    // itself (a timed or SDR copy carries no turn): as the row's probe saw them
    // when the file has not changed since, else read now (the probe may not
    // have ended). The probe has already logged a turn that is ignored.
    const SourcePicture picture = KnownSourcePicture(job.toolDir, row.path, job.choices.shape != PictureShape::Stretch);
    const EncoderSource source = PrepareEncoderSource(row.path, stem, job.toolDir, limits, job.encoder, picture);
    if (source.end)
        return *source.end;
    EncoderStep step{job.toolDir, source.path, output, StartsWithAsfHeader(row.path),
                     row.seconds > 0 ? double(row.seconds) : 0.0};
    step.matroskaReader = source.matroskaReader;
    step.timing = source.timing;
    step.turn = picture.turn;
    step.shape = picture.shape;
    step.libavformatReader = source.libavformatReader || AviHasMp3Audio(row.path);
    const QByteArray commandLine = StepsFor(choices.format).encoderLine(step, choices);
    ToolWatchdog watchdog(limits);
    // Writing its index at the end, the encoder reports no position.
    watchdog.setActivity([files = RowFilePaths(stem, job.choices.format)] { return RowFilesFingerprint(files); });
    EncoderTrouble trouble;
    const RunOutcome run = RunEncoder(job, row.id, commandLine, watchdog, &trouble);
    if (job.encoder.stopRequested())
        return RowResult::stopped();

    const QString folder = QFileInfo(output).path();
    const EncoderSummary summary = ParseEncoderSummary(run.tail);
    video->mayBeStill =
        EncodedRateAllowsStill(summary.videoKbits, choices.bitrate) ||
        DecodeTroubleAllowsStill(trouble.repeatedFrames(), trouble.damagedPictures(), summary.videoFrames);
    video->sourceBroken = DecodingMostlyFailed(trouble.damagedPictures(), summary.videoFrames);
    video->videoBytes = summary.videoBytes;
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
    } else if (EndedFarTooEarly(row, watchdog.position()) || HardlyAnyPicture(row, summary)) {
        reason = FailReason::Damaged;
    }
    if (reason == FailReason::None)
        return RowResult::finished();
    LogToolFailure(commandLine, run, reason);
    return RowResult::failed(reason);
}

// The name of the row's encoder output, picked and reserved among the batch's
// rows; the empty file is made at once, so that no later batch (nor another
// program) picks the same stem. Empty when it cannot be made.
QString ReserveOutputName(ConversionJob &job, const RowEntry &row, const QString &folder)
{
    // Named after the source as the user reads it (a name that is not UTF-8
    // is opened through a link of another name).
    const QString source = row.shownPath.isEmpty() ? row.path : row.shownPath;
    const QString output = job.names.reserve(folder, source, job.choices.format, job.choices.naming, job.clock());
    QFile file(output);
    if (!file.open(QIODevice::WriteOnly | QIODevice::NewOnly)) {
        job.names.release(output);
        return {};
    }
    return output;
}

// Every step of one row, into files named after `output`'s stem.
RowResult RunSteps(ConversionJob &job, const RowEntry &row, const QString &output, const BatchChoices &choices,
                   EncodedVideo *video)
{
    const ToolWatchdog::Limits limits = ConversionLimits(job, row);
    const RowResult encoded = Encode(job, row, output, choices, limits, video);
    const FormatSteps &steps = StepsFor(choices.format);
    if (!encoded.ok() || !steps.afterStep)
        return encoded;

    job.port->setStatus(BatchStatus::Exporting);
    job.port->setRowState(row.id, {RowPhase::Packaging});
    return steps.afterStep(job, row, choices, output);
}

}  // namespace

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
    // A file found in an added folder keeps its place below a folder named
    // after the one added. The folder ends in a separator, as the output
    // folder does: the output's name is appended to it.
    QString folder = job.outputFolder();
    if (!row.subfolder.isEmpty()) {
        if (!folder.endsWith(QLatin1Char('/')))
            folder += QLatin1Char('/');
        folder += row.subfolder + QLatin1Char('/');
    }
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

    const QString output = ReserveOutputName(job, row, folder);
    if (output.isEmpty()) {
        const FailReason reason = VolumeFull(folder) ? FailReason::DiskFull : FailReason::FolderUnwritable;
        qCWarning(lcQ9) << "cannot create a file in the output folder" << folder;
        return RowResult::failed(reason);
    }
    const QString stem = OutputStem(output);
    job.port->rowFilesReserved(row.id, RowFilePaths(stem, job.choices.format));
    const QString finalFile = stem + QLatin1String(StepsFor(job.choices.format).finalExtension);
    EncodedVideo video;
    const RowPass pass = [&](const BatchChoices &choices, EncodedVideo *encoded) {
        return RunSteps(job, row, output, choices, encoded);
    };
    RowResult result = job.choices.maxBytes > 0 ? ConvertWithinSizeLimit(job, row, finalFile, pass, &video)
                                                : pass(job.choices, &video);
    // Size, rate, length and sound can all be right around one repeated
    // picture: a row is done only when its picture moves where the source's
    // does. Only an encode far below its rate, or one whose decoding went
    // wrong, is looked at: the thumbnails cost two tool runs, more than the
    // rest of a short row's checks.
    const ToolWatchdog::Limits thumbnailLimits{std::nullopt, job.silence, std::nullopt};
    if (result.ok() && video.mayBeStill && !job.encoder.stopRequested() &&
        OutputPictureFroze(job.toolDir, row.path, finalFile,
                           row.seconds > 0 ? std::optional<double>(row.seconds) : std::nullopt, video.sourceBroken,
                           thumbnailLimits))
        result = RowResult::failed(video.sourceBroken ? FailReason::Damaged : FailReason::StillPicture);
    // A row that ran out of room says so before its files are removed: a row
    // running beside it whose writes failed then knows why, though its own
    // look at the volume may come after the room was freed.
    if (result.reason == FailReason::DiskFull)
        job.volumeFull.store(true);
    else if (result.reason == FailReason::FolderUnwritable && job.volumeFull.load())
        result = RowResult::failed(FailReason::DiskFull);
    // One look at what was written: what the row's tooltip tells, and whether
    // the handset takes it. A step that wrote the final file may have read it
    // back already.
    if (result.ok() && !job.encoder.stopRequested()) {
        const std::optional<OutputFacts> facts =
            result.output ? std::optional<OutputFacts>(result.output->facts) : ReadOutputFacts(job.toolDir, finalFile);
        if (facts) {
            const OutputReport report{
                *facts, CheckHandsetConstraints(job.choices.format, *facts, job.choices.width, job.choices.height)};
            if (report.mismatch != OutputMismatch::None) {
                qCWarning(lcQ9) << "the output" << finalFile << "breaks a handset constraint:" << int(report.mismatch);
                result = RowResult::failed(FailReason::NotForHandset);
            }
            result.output = report;
        }
    }
    // A stop that came during the checks leaves the row stopped, whatever the
    // tools had made by then.
    if (job.encoder.stopRequested())
        result = RowResult::stopped();
    // Nothing half-made stays: a row that did not succeed leaves none of its
    // files, one that did leaves only its final file.
    RemoveRowFiles(RowFilePaths(stem, job.choices.format), result.ok() ? finalFile : QString());
    job.names.release(output);
    if (result.ok())
        job.port->setRowWritten(row.id, finalFile);
    job.port->rowFilesReserved(row.id, {});
    return result;
}

namespace {

// What the rows running at once share: which rows have been taken, which wait,
// how the batch went so far, and whether it must take no more rows.
struct BatchRows {
    std::mutex mutex;
    QSet<RowId> taken;
    QSet<RowId> waiting;
    BatchSummary summary;
    bool ending = false;  // a full volume: every later row would fail the same way
};

// The next row for one of the rows at once, taken under the shared lock; the
// rows added since the last look are shown waiting. A row whose probe has not
// ended is taken after the others, once its length is known (a row's checks
// need it); while only such rows are left, this waits for their probes.
std::optional<RowEntry> TakeNextRow(ConversionJob &job, BatchRows &batch)
{
    DialogPort &port = *job.port;
    for (;;) {
        {
            std::lock_guard lock(batch.mutex);
            if (batch.ending || job.encoder.stopRequested())
                return std::nullopt;
            const QList<RowEntry> rows = port.rows();
            QList<RowEntry> notTaken;
            for (const RowEntry &row : rows) {
                if (row.id == kNoRow || batch.taken.contains(row.id))
                    continue;
                notTaken.append(row);
                if (!batch.waiting.contains(row.id)) {
                    batch.waiting.insert(row.id);
                    port.setRowState(row.id, {RowPhase::Waiting});
                }
            }
            if (notTaken.isEmpty()) {
                job.progress.setWaiting(notTaken);
                return std::nullopt;
            }
            const auto probed =
                std::find_if(notTaken.begin(), notTaken.end(), [](const RowEntry &row) { return !row.probing; });
            if (probed != notTaken.end()) {
                const RowEntry row = *probed;
                notTaken.erase(probed);
                batch.taken.insert(row.id);
                batch.waiting.remove(row.id);
                job.progress.started(row);
                port.setRowState(row.id, RowState::converting(0));
                job.progress.setWaiting(notTaken);
                return row;
            }
        }
        port.waitForRowChange(std::chrono::milliseconds(200));
    }
}

// One of the rows at once: converts rows one after another until none is
// left, the batch is stopped or the volume is full.
void ConvertRows(ConversionJob &job, BatchRows &batch)
{
    DialogPort &port = *job.port;
    const std::function<bool()> notStopped = [&job] { return !job.encoder.stopRequested(); };
    // Every tool this thread starts is the batch's: pause, resume and stop reach it.
    ToolOwnerScope owner(&job.encoder);
    while (const std::optional<RowEntry> row = TakeNextRow(job, batch)) {
        const Timeline::RowScope timeline(row->id);
        Timeline::note("taken");
        TakeLastFailure();
        const RowResult result = ConvertRow(job, *row);
        job.progress.ended(row->id);
        Timeline::note(result.ok() ? "converted" : "ended unconverted");
        std::lock_guard lock(batch.mutex);
        if (result.outcome == RowOutcome::Stopped || job.encoder.stopRequested()) {
            port.setRowState(row->id, {RowPhase::Stopped});
            return;
        }
        if (result.ok()) {
            ++batch.summary.succeeded;
            port.setRowState(row->id, {RowPhase::Done});
        } else {
            ++batch.summary.failed;
            // Each row runs on a thread of its own: the failure kept is this row's.
            if (const std::optional<FailureDetails> details = TakeLastFailure())
                port.setRowFailureDetails(row->id, *details);
            port.setRowState(row->id, RowState::failed(result.reason, result.smallestBytes));
        }
        if (result.output)
            port.setRowOutput(row->id, *result.output);
        // A stop pressed as the row ends keeps its own text.
        port.setProgressAndStatusIf(job.progress.percent(),
                                    result.ok() ? BatchStatus::RowFinished : BatchStatus::RowFailed, notStopped);
        Timeline::note("state reported");
        if (result.reason == FailReason::DiskFull) {
            batch.summary.diskFull = true;
            batch.ending = true;
        }
    }
}

}  // namespace

int RowsAtOnce()
{
    return std::clamp(OnlineCores(), 1, kMaxRowsAtOnce);
}

void ConvertThread(ConversionJob &job)
{
    DialogPort &port = *job.port;
    const std::function<bool()> notStopped = [&job] { return !job.encoder.stopRequested(); };
    BatchRows batch;

    // The other rows at once run on threads of their own, this one on this thread.
    std::vector<std::thread> others;
    for (int i = 1; i < job.rowsAtOnce; ++i) {
        try {
            others.emplace_back([&job, &batch] {
                ThreadTracker::Scope tracked;
                ConvertRows(job, batch);
            });
        } catch (const std::system_error &) {
            break;  // fewer rows at once
        }
    }
    ConvertRows(job, batch);
    for (std::thread &thread : others)
        thread.join();

    // Rows the batch did not get to are no longer waiting.
    for (const RowId row : std::as_const(batch.waiting))
        port.setRowState(row, {});
    BatchSummary summary = batch.summary;
    summary.stopped = job.encoder.stopRequested();
    if (!summary.stopped)
        port.setProgressAndStatusIf(std::nullopt, BatchStatus::Ended, notStopped, summary);
    port.batchEnded(summary);
}
