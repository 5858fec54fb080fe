#pragma once

#include "engine/dialog_port.h"

#include <memory>

// The window's port as one batch sees it: the list without its done rows, so a
// batch converts what is waiting, failed or stopped and leaves done rows be.
// Every other call goes to the window's port unchanged.
class PendingRowsPort : public DialogPort {
public:
    explicit PendingRowsPort(std::shared_ptr<DialogPort> window) : m_window(std::move(window)) {}

    RowId appendRow(const QByteArray &source, const QString &subfolder) override
    {
        return m_window->appendRow(source, subfolder);
    }
    void probeEnded(RowId row) override { m_window->probeEnded(row); }
    void setRowWritten(RowId row, const QString &file) override { m_window->setRowWritten(row, file); }
    void setRowFact(RowId row, ProbeFact fact, const QString &value) override
    {
        m_window->setRowFact(row, fact, value);
    }
    void setRowLength(RowId row, int seconds) override { m_window->setRowLength(row, seconds); }
    void setRowState(RowId row, const RowState &state) override { m_window->setRowState(row, state); }
    void setRowOutput(RowId row, const OutputReport &report) override { m_window->setRowOutput(row, report); }
    QList<RowEntry> rows() override
    {
        QList<RowEntry> pending = m_window->rows();
        pending.removeIf([](const RowEntry &row) { return row.phase == RowPhase::Done; });
        return pending;
    }
    void focusFirstRow() override { m_window->focusFirstRow(); }
    void waitForRowChange(std::chrono::milliseconds timeout) override { m_window->waitForRowChange(timeout); }
    void setStatus(BatchStatus status, const BatchSummary &summary) override { m_window->setStatus(status, summary); }
    void setProgress(int percent) override { m_window->setProgress(percent); }
    void setProgressAndStatusIf(std::optional<int> percent, BatchStatus status,
                                const std::function<bool()> &stillWanted, const BatchSummary &summary) override
    {
        m_window->setProgressAndStatusIf(percent, status, stillWanted, summary);
    }
    void batchEnded(const BatchSummary &summary) override { m_window->batchEnded(summary); }
    void rowFilesReserved(RowId row, const QStringList &files) override { m_window->rowFilesReserved(row, files); }
    void setRowFailureDetails(RowId row, const FailureDetails &details) override
    {
        m_window->setRowFailureDetails(row, details);
    }

private:
    std::shared_ptr<DialogPort> m_window;
};
