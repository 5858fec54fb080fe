#include "catalogue/probe.h"

#include "base/log.h"
#include "base/thread_tracker.h"
#include "base/timeline.h"
#include "catalogue/frame_timing.h"
#include "catalogue/probe_parser.h"
#include "catalogue/probe_queue.h"
#include "catalogue/source_name.h"
#include "catalogue/source_picture.h"
#include "install/tool_dir.h"
#include "process/command_line.h"
#include "process/globals.h"
#include "process/process_runner.h"
#include "process/tool_watchdog.h"

#include <memory>
#include <utility>

QByteArray ProbeCommandLine(const QString &path)
{
    // "-frames 0" ends the player once it has identified the file instead of
    // playing it through; the libavformat demuxer reports the true length,
    // rate and codec for the container kinds the built-in ones get wrong.
    return ToolPathArg(g_szToolDir + "mplayer") + " -demuxer lavf -nosound -vc null -vo null -frames 0 -identify " +
           QuotePath(path);
}

namespace {

constexpr std::chrono::seconds kProbeDeadline{10};

}  // namespace

void ProbeThread(std::shared_ptr<ProbePort> port, RowId row, QString path)
{
    ThreadTracker::Scope tracked;
    if (!port || row == kNoRow)
        return;

    // Values go to the row by its id: a row deleted while the player runs
    // simply stops receiving them, and no other row ever gets them.
    int values = 0;  // cells the player's answer filled
    ProbeParser parser({[&port, row, &values](ProbeFact fact, const QString &text) {
                            ++values;
                            port->setRowFact(row, fact, text);
                        },
                        [&port, row, &values](int seconds) {
                            ++values;
                            port->setRowLength(row, seconds);
                        }});

    // The player identifies a readable file in well under a second; one that
    // has not ended after the deadline is stuck on a broken file.
    ToolWatchdog::Limits limits;
    limits.deadline = kProbeDeadline;
    ToolWatchdog watchdog(limits);

    // The list shows the picture's size as a player shows it: a phone's
    // upright clip is stored on its side with a turn to stand it up.
    // The same look gives the picture's shape, remembered for its conversion.
    parser.setSidesSwapped(ReadSourcePicture(g_szToolDir, path, true).turn.swapsSides());

    g_bProbeOutputLive = true;
    const RunOutcome outcome = RunCaptured(
        ProbeCommandLine(path), Priority::Normal, g_bProbeOutputLive,
        [&](const char *chunk) {
            // Selecting row 0 goes through the window's thread, so once per chunk
            // that had lines rather than once per line.
            const int lines = parser.ParseProbeOutput(chunk);
            if (lines > 0)
                port->focusFirstRow();
        },
        {}, &watchdog);
    if (g_bProbeOutputLive && !outcome.stuck) {
        const int lines = parser.finish();
        if (lines > 0)
            port->focusFirstRow();
    }
    // The player names a stream's nominal rate only; the file's own frame times
    // tell whether frames were dropped or jittered. The row shows nothing more
    // (the conversion times such frames by their timestamps), the log says so.
    if (values > 0 && ReadFrameTiming(path) == FrameTiming::Variable)
        qCInfo(lcQ9) << "frames at varying intervals:" << path;
    // The row keeps its path; its state says that the file could not be read.
    if (!outcome.started) {
        qCWarning(lcQ9) << "the player could not be started for" << path;
        port->setRowUnreadable(row, ProbeFailure::ToolMissing);
    } else if (outcome.stuck || values == 0) {
        qCWarning(lcQ9) << "the player could not read" << path << (outcome.stuck ? "(stuck, killed)" : "");
        port->setRowUnreadable(row, ProbeFailure::Unreadable);
    }
}

void StartProbe(std::shared_ptr<ProbePort> port, const QByteArray &source, const QString &subfolder)
{
    if (!port)
        return;
    // Counted from before the probe is queued, so a window closing right after
    // an add already sees the probe as running.
    auto tracked = std::make_shared<ThreadTracker::Scope>();

    // The row is appended here, in the order of the adds; the probe only
    // fills it. No row means the window is gone.
    const RowId row = port->appendRow(source, subfolder);
    if (row == kNoRow)
        return;
    const QString path = OpenablePath(source);

    // Probes wait their turn: as many players run at once as there are cores,
    // started in the order of the adds. A probe whose row was deleted while it
    // waited, or whose window has closed (no rows any more), runs no player.
    ProbeQueue::probes().post([tracked = std::move(tracked), port = std::move(port), row, path]() mutable {
        if (port->rowListed(row)) {
            const Timeline::RowScope timeline(row);
            Timeline::note("probe");
            ProbeThread(port, row, std::move(path));
            port->probeEnded(row);
            Timeline::note("probed");
        }
    });
}

void StartProbe(std::shared_ptr<ProbePort> port, const QString &path)
{
    StartProbe(std::move(port), NameBytes(path));
}
