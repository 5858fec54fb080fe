#pragma once

#include "engine/row_outcome.h"

// Where a row of the list stands, as the core reports it; the window words it.
enum class RowPhase {
    Idle,        // nothing to show (added, or left out of a batch that ended)
    Waiting,     // queued in the running batch
    Converting,  // the encoder runs; `percent` says how far
    Packaging,   // the after-step (MP4 packaging, 3GP export) runs
    Done,        // converted
    Stopped,     // the user stopped the batch on this row
    Failed,      // the conversion failed for `reason`
    Unreadable,  // the probe could not read the file, for `reason`
};

struct RowState {
    RowPhase phase = RowPhase::Idle;
    int percent = 0;
    FailReason reason = FailReason::None;
    qint64 smallestBytes = 0;  // OverSizeLimit: the smallest file the row can be made into

    static RowState converting(int percent) { return {RowPhase::Converting, percent, FailReason::None}; }
    static RowState failed(FailReason why, qint64 smallest = 0) { return {RowPhase::Failed, 0, why, smallest}; }
    static RowState unreadable(FailReason why) { return {RowPhase::Unreadable, 0, why}; }
    friend bool operator==(const RowState &, const RowState &) = default;
};

// What the status line reports about the running batch.
enum class BatchStatus {
    Converting,   // the encoder runs
    Exporting,    // a row's after-step runs
    RowFinished,  // a row was converted
    RowFailed,    // a row failed
    Ended,        // the batch ended (with the summary it reports)
};
