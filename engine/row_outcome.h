#pragma once

#include "engine/output_report.h"

#include <QString>
#include <optional>

// How the conversion of one row ended.
enum class RowOutcome {
    Finished,  // every tool exited 0 and the final file holds data
    Failed,    // a tool could not start, failed or got stuck, or the final file is missing or empty
    Stopped,   // a stop was requested: nothing more runs
};

// Why a row failed, as the list shows it.
enum class FailReason {
    None,
    Unreadable,        // the source cannot be opened or decoded
    NoVideo,           // the source holds no picture to convert
    Stuck,             // a tool stopped making progress and was ended
    Damaged,           // the encoder gave up after a small part of the source
    DiskFull,          // the output volume is full
    FolderUnwritable,  // the output folder cannot be created or written
    ToolMissing,       // a tool could not be started
    EncoderFailed,     // the encoder failed for another reason
    PackagingFailed,   // the MP4 could not be put together
    ExportFailed,      // the 3GP export failed
    StillPicture,      // the output shows one still picture where the source moves
    NotForHandset,     // the written file breaks a constraint of the handset (see OutputMismatch)
    OverSizeLimit,     // the file cannot be made as small as the size limit (see RowResult::smallestBytes)
    LengthUnknown,     // a size limit was set, and the source's length, which it needs, is not known
};

struct RowResult {
    RowOutcome outcome = RowOutcome::Finished;
    FailReason reason = FailReason::None;
    std::optional<OutputReport> output;  // read back from the written file, when there is one
    qint64 smallestBytes = 0;            // OverSizeLimit: the smallest file the row can be made into

    static RowResult finished() { return {}; }
    static RowResult stopped() { return {RowOutcome::Stopped, FailReason::None, std::nullopt}; }
    static RowResult failed(FailReason why) { return {RowOutcome::Failed, why, std::nullopt}; }
    static RowResult overSizeLimit(qint64 smallest)
    {
        return {RowOutcome::Failed, FailReason::OverSizeLimit, std::nullopt, smallest};
    }
    bool ok() const { return outcome == RowOutcome::Finished; }
};

// What a failed tool run leaves for the user to look at: its command line,
// how it ended and its last lines of output.
struct FailureDetails {
    QString commandLine;
    bool started = false;
    bool stuck = false;
    bool exitedNormally = false;
    int exitCode = 0;
    QString lastLines;
};
