#pragma once

#include "engine/conversion_batch.h"
#include "engine/dialog_port.h"
#include "engine/encoder_control.h"
#include "engine/row_outcome.h"

#include <QByteArray>
#include <QList>
#include <QSet>
#include <QString>
#include <QTime>
#include <functional>
#include <memory>
#include <optional>

// Everything one batch works with. The worker thread and the commands that
// pause, resume or stop the batch share it.
struct ConversionJob {
    std::shared_ptr<DialogPort> port;
    BatchChoices choices;                 // captured by the start command
    QByteArray toolDir;                   // ends in '/'
    std::function<QString()> outputFolder;  // asked again for every row
    std::function<QTime()> clock;         // local time of day
    EncoderControl encoder;
};

// The next row to convert: the first in list order that the batch has not
// taken yet. Rows are followed by id, so deleting or adding rows during the
// batch neither skips nor repeats any.
std::optional<RowEntry> NextRow(const QList<RowEntry> &rows, const QSet<RowId> &taken);

// Converts one source file into the job's format: encoder step, then MP4
// packaging or the 3GP export.
RowOutcome ConvertRow(ConversionJob &job, const QString &source);

// The batch: converts every row once, in list order, reporting each row's end
// in the status line, until no row is left or a stop is requested.
void ConvertThread(ConversionJob &job);
