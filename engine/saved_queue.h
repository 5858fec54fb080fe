#pragma once

#include "engine/conversion_batch.h"
#include "engine/row_state.h"

#include <QList>
#include <QString>
#include <QStringList>
#include <optional>

// The file list as it is kept on disk between runs, so that a crash or a power
// cut in the middle of a batch loses neither the list nor a half-made file.
struct SavedRow {
    QString path;
    RowPhase phase = RowPhase::Idle;
    QStringList reservedStems;  // what the row's conversions reserved: their final files' paths (or stems)
};

struct SavedQueue {
    BatchChoices choices;
    QList<SavedRow> rows;
};

// The queue file beside the settings file.
QString QueueFilePath();

// Writes the queue whole into a temporary file and renames it over `path`, so
// the file on disk is always either the old queue or the new one.
bool WriteQueueFile(const QString &path, const SavedQueue &queue);

// Reads the queue. A missing file gives nothing; a damaged or foreign one is
// renamed to `path` + ".bad", logged, and gives nothing.
std::optional<SavedQueue> ReadQueueFile(const QString &path);

// The rows of a queue left by a run that did not end cleanly that are to come
// back: every row not done, after the files its unfinished conversion left
// behind are removed. Done rows keep their output and do not come back.
QList<SavedRow> RecoverUnfinishedRows(const SavedQueue &queue);
