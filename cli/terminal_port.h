#pragma once

#include "engine/dialog_port.h"
#include "ui/batch_estimate.h"

#include <QString>
#include <atomic>
#include <cstdio>
#include <functional>
#include <memory>
#include <mutex>
#include <optional>

class BatchModel;
struct BatchRow;

// The batch as a terminal shows it: the rows are the core's (BatchModel), as
// the window's are; each row that ends prints one line, worded as the window's
// state column words it, and on a terminal a progress line (the batch's
// percentage and time left) is rewritten in place below them. Every member
// may be called from any thread.
class TerminalPort : public DialogPort {
public:
    // `lines` gets the rows' lines; `progressLine` draws the progress line
    // there too (for a terminal, not for a file or a pipe). `ended` is called
    // on the worker's thread once the batch has ended.
    TerminalPort(std::shared_ptr<BatchModel> rows, FILE *lines, bool progressLine,
                 std::function<void(const BatchSummary &)> ended);

    // From now on the port has no rows: probes still queued run no player and
    // threads still running simply run out.
    void close();
    // The summary the ended batch reported; nothing before it ended.
    std::optional<BatchSummary> summary() const;

    RowId appendRow(const QByteArray &source, const QString &subfolder) override;
    void probeEnded(RowId row) override;
    void setRowFact(RowId row, ProbeFact fact, const QString &value) override;
    void setRowLength(RowId row, int seconds) override;
    void focusFirstRow() override {}
    void setRowState(RowId row, const RowState &state) override;
    void setRowOutput(RowId row, const OutputReport &report) override;
    void setRowWritten(RowId row, const QString &file) override;
    QList<RowEntry> rows() override;
    void waitForRowChange(std::chrono::milliseconds timeout) override;
    void setStatus(BatchStatus status, const BatchSummary &summary) override;
    void setProgress(int percent) override;
    void batchEnded(const BatchSummary &summary) override;
    void rowFilesReserved(RowId row, const QStringList &files) override;
    void setRowFailureDetails(RowId row, const FailureDetails &details) override;

private:
    // Each runs under m_print.
    void printRowEnd(const BatchRow &row);
    void drawProgress();
    void clearProgress();
    void write(const QString &text);

    std::shared_ptr<BatchModel> m_rows;
    std::atomic<bool> m_closed{false};
    std::function<void(const BatchSummary &)> m_ended;

    mutable std::mutex m_print;  // the terminal's lines and the batch's measure
    FILE *m_lines;
    bool m_progressLine;
    BatchEstimate m_estimate;
    QString m_shownProgress;  // the progress line on the terminal now; empty when none
    std::optional<BatchSummary> m_summary;
};
