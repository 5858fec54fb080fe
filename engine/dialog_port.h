#pragma once

#include "catalogue/probe_port.h"
#include "engine/output_report.h"
#include "engine/row_state.h"

#include <QList>
#include <QString>
#include <QStringList>
#include <QtGlobal>
#include <algorithm>
#include <chrono>
#include <functional>
#include <optional>
#include <thread>

// A row as the conversion worker takes it.
struct RowEntry {
    RowId id = kNoRow;
    QString path;                     // the source as Qt and the tools open it
    int seconds = 0;                  // the probed length in whole seconds; 0 when unknown
    RowPhase phase = RowPhase::Idle;  // what the list shows of the row now
    QString shownPath;                // the source's name as the user reads it (the output is named after it)
    QString subfolder;                // where below the day's folder the output goes
    bool probing = false;             // the probe has not ended: the length is not known yet
};

// How a batch ended, for the window to tell the user.
struct BatchSummary {
    int succeeded = 0;
    int failed = 0;
    bool stopped = false;   // the user stopped it
    bool diskFull = false;  // it stopped itself: the output volume is full
};

// The one narrow way the probe threads and the conversion worker reach the
// main window. The main dialog implements it by running every call on the GUI
// thread; once the window is gone every call does nothing and returns an empty
// value, so threads still running then simply run out.
class DialogPort : public ProbePort {
public:
    // Each of these does nothing when the row has been deleted.
    virtual void setRowState(RowId row, const RowState &state) = 0;
    // What the row's written file holds; after its final state.
    virtual void setRowOutput(RowId row, const OutputReport &report)
    {
        Q_UNUSED(row);
        Q_UNUSED(report);
    }
    // The row is done and has written this file.
    virtual void setRowWritten(RowId row, const QString &file)
    {
        Q_UNUSED(row);
        Q_UNUSED(file);
    }
    // The rows in list order.
    virtual QList<RowEntry> rows() = 0;
    // Waits until a row may have changed (at most `timeout`).
    virtual void waitForRowChange(std::chrono::milliseconds timeout) { std::this_thread::sleep_for(timeout); }

    // A probe's view of the rows, in the states the window words.
    bool rowListed(RowId row) final
    {
        const QList<RowEntry> listed = rows();
        return std::any_of(listed.begin(), listed.end(), [row](const RowEntry &entry) { return entry.id == row; });
    }
    void setRowUnreadable(RowId row, ProbeFailure why) final
    {
        setRowState(row, RowState::unreadable(why == ProbeFailure::ToolMissing ? FailReason::ToolMissing
                                                                               : FailReason::Unreadable));
    }

    // `summary` is what an Ended status reports; other statuses leave it empty.
    virtual void setStatus(BatchStatus status, const BatchSummary &summary = {}) = 0;
    virtual void setProgress(int percent) = 0;
    // Moves the bar (when a percentage is given) and reports the status, but
    // only if `stillWanted` holds at the moment the window takes them. A pause
    // or stop command runs on the window's thread and shows its own text; a
    // report the worker made just before it, but that reaches the window after
    // it, must not write over that text.
    virtual void setProgressAndStatusIf(std::optional<int> percent, BatchStatus status,
                                        const std::function<bool()> &stillWanted, const BatchSummary &summary = {})
    {
        if (stillWanted && !stillWanted())
            return;
        if (percent)
            setProgress(*percent);
        setStatus(status, summary);
    }

    // The batch has ended (its last status text is already shown).
    virtual void batchEnded(const BatchSummary &summary) { Q_UNUSED(summary); }

    // Every file the row's conversion may make, by exact name; told before the
    // first tool of the row starts, so that a crash in the middle leaves a
    // record of what to clear away, and again (empty) once the row has ended.
    virtual void rowFilesReserved(RowId row, const QStringList &files)
    {
        Q_UNUSED(row);
        Q_UNUSED(files);
    }
    // What the tool that failed the row left to look at.
    virtual void setRowFailureDetails(RowId row, const FailureDetails &details)
    {
        Q_UNUSED(row);
        Q_UNUSED(details);
    }
};
