#pragma once

#include "engine/row_outcome.h"
#include "process/process_runner.h"

#include <QByteArray>
#include <QString>
#include <optional>

// Why a tool run of a row did not succeed: it could not start, it got stuck,
// a write into `folder` failed (the volume is full, or the folder cannot be
// written), or `otherwise`.
FailReason ClassifyToolFailure(const RunOutcome &run, const QString &folder, FailReason otherwise);

// Whether a tool's output says that a write of its output failed.
bool OutputReportsWriteError(const QByteArray &output);

// Leaves a trace of a failed step in the log: the command line, how the tool
// ended, the reason the row shows, and the tool's last lines.
void LogToolFailure(const QByteArray &commandLine, const RunOutcome &run, FailReason reason);

// The details of the latest failure LogToolFailure logged on this thread, once:
// the worker hands them to the window with the failed row.
std::optional<FailureDetails> TakeLastFailure();
