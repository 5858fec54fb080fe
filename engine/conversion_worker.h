#pragma once

#include "engine/batch_progress.h"
#include "engine/conversion_batch.h"
#include "engine/dialog_port.h"
#include "engine/encoder_control.h"
#include "engine/output_naming.h"
#include "engine/row_outcome.h"
#include "process/tool_watchdog.h"

#include <QByteArray>
#include <QList>
#include <QSet>
#include <QString>
#include <QTime>
#include <atomic>
#include <chrono>
#include <functional>
#include <memory>
#include <mutex>
#include <optional>

// Everything one batch works with. The worker thread and the commands that
// pause, resume or stop the batch share it.
struct ConversionJob {
    std::shared_ptr<DialogPort> port;
    BatchChoices choices;                      // captured by the start command, used by every step
    QByteArray toolDir;                        // ends in '/'
    std::function<QString()> outputFolder;     // asked again for every row
    std::function<QTime()> clock;              // local time of day
    std::chrono::milliseconds silence{60000};  // a tool quiet this long is stuck
    int rowsAtOnce = 1;                        // rows converted at the same time
    EncoderControl encoder;                    // the conversion tools running now, one per running row
    BatchProgress progress;                    // the whole batch's progress
    OutputNames names;                         // the stems the batch's rows hold
    std::atomic<bool> volumeFull{false};       // a row found the output volume full
};

// The most rows a batch converts at once.
inline constexpr int kMaxRowsAtOnce = 8;
// How many rows a batch converts at once on this machine: one per online core.
int RowsAtOnce();

// What the watchdog of each conversion tool of this row allows: a position
// well past the source's length is a tool going round in circles.
ToolWatchdog::Limits ConversionLimits(const ConversionJob &job, const RowEntry &row);

// Converts one row's file into the job's format: encoder step, then MP4
// packaging or the 3GP export. Whatever the row made is removed unless it
// succeeded; then only the final file stays.
RowResult ConvertRow(ConversionJob &job, const RowEntry &row);

// The batch: converts every row once, taking them in list order, up to
// `rowsAtOnce` of them at the same time, showing each row's state in the list,
// the whole batch's progress on the bar and each row's end in the status line,
// until no row is left, a stop is requested or the output volume is full;
// then tells how the batch went.
void ConvertThread(ConversionJob &job);
