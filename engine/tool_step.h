#pragma once

#include "engine/encoder_control.h"
#include "engine/row_outcome.h"
#include "process/process_runner.h"
#include "process/tool_watchdog.h"

#include <QByteArray>
#include <QString>
#include <optional>

// How one waited tool run of a row ended.
struct StepResult {
    RunOutcome run;
    std::optional<RowResult> end;  // set when the row ends here: stopped, or failed with a reason
};

// Runs one tool of a row's packaging or export and waits for it: watched
// (position, silence, and the row's files as its sign of life), and named in
// `control` while it runs, so that pause, resume and stop reach it. A failure
// is classified (`otherwise` when nothing more precise is known) and logged.
StepResult RunRowTool(const QByteArray &tool, const QByteArray &parameters, const ToolWatchdog::Limits &limits,
                      EncoderControl &control, const QString &stem, FailReason otherwise);
