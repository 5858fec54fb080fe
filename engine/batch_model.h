#pragma once

#include "catalogue/probe_port.h"
#include "engine/dialog_port.h"
#include "engine/output_report.h"
#include "engine/row_outcome.h"
#include "engine/row_state.h"

#include <QByteArray>
#include <QList>
#include <QObject>
#include <QString>
#include <QStringList>
#include <chrono>
#include <condition_variable>
#include <functional>
#include <mutex>
#include <optional>

// One file of the batch, from its add to its end.
struct BatchRow {
    RowId id = kNoRow;
    QByteArray source;  // the file's name as the file system holds it
    QString subfolder;  // where below the day's folder its output goes ("" for the day's folder itself)

    // What the probe learned, looked at once when the file was added.
    bool probing = true;  // the probe has not ended yet
    int seconds = 0;      // the length in whole seconds; 0 when unknown
    bool lengthKnown = false;
    QString codec, resolution, frameRate;  // as the player printed them

    RowState state;
    // While the row converts: every file its conversion made or reserved, by
    // exact name (a crash in the middle leaves a record of what to clear away).
    QStringList files;
    QString outputFile;                     // a done row's written file
    std::optional<OutputReport> output;     // what that file holds
    std::optional<FailureDetails> failure;  // what the tool that failed the row left

    QString shownPath() const;     // for the user to read
    QString openablePath() const;  // for Qt and the tools
};

// The rows of the batch, with one owner: the window views them, the probes
// fill them, the conversion worker takes them and reports on them. Every
// member may be called from any thread; each change is signalled (queued to
// the receivers' threads), and the rows are read as copies, so no reader ever
// waits for the window.
class BatchModel : public QObject {
    Q_OBJECT
public:
    using QObject::QObject;

    // Appends a row for the file; its id stays with it whatever is deleted.
    RowId append(const QByteArray &source, const QString &subfolder = {});
    // Removes the row; false when it was gone.
    bool remove(RowId id);

    QList<BatchRow> rows() const;
    std::optional<BatchRow> row(RowId id) const;
    int count() const;

    // Changes the row under the model's lock; false (and `change` is not
    // called) when the row is gone.
    bool update(RowId id, const std::function<void(BatchRow &)> &change);
    bool setState(RowId id, const RowState &state);

    // What the ports report of a row, as the window and the command line keep it.
    void setProbed(RowId id);
    void setFact(RowId id, ProbeFact fact, const QString &value);
    void setLength(RowId id, int seconds);
    // The files a running conversion made or reserved; a row that starts
    // again has no written file until it ends.
    void setFiles(RowId id, const QStringList &files);
    void setWritten(RowId id, const QString &file);
    void setOutput(RowId id, const OutputReport &report);
    void setFailure(RowId id, const FailureDetails &details);
    // Every row as the conversion worker takes it.
    QList<RowEntry> entries() const;

    // Waits until any row changes (or `timeout` passes): a batch that has
    // only rows still being probed waits for their probes this way.
    void waitForChange(std::chrono::milliseconds timeout) const;

signals:
    void rowAppended(RowId id);
    void rowRemoved(RowId id);
    void rowChanged(RowId id);
    // A row came, went, or changed what a restart must know (whether it is
    // done, or the files its conversion made or reserved).
    void listChanged();

private:
    mutable std::mutex m_mutex;
    mutable std::condition_variable m_changed;
    quint64 m_generation = 0;
    QList<BatchRow> m_rows;
    RowId m_nextId = 1;
};

// A row as the conversion worker takes it.
RowEntry EntryOf(const BatchRow &row);
