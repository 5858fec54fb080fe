#pragma once

#include "engine/dialog_port.h"

#include <QHash>
#include <QList>
#include <QString>
#include <QStringList>
#include <functional>
#include <mutex>
#include <utility>

// A window for the conversion worker: rows, and a record of every row state,
// status and progress value it was given. Safe to use from any thread.
class FakeConversionPort : public DialogPort {
public:
    RowId addRow(const QString &path, int seconds = 0)
    {
        std::lock_guard lock(m_mutex);
        m_rows.append(RowEntry{m_nextId, path, seconds, RowPhase::Idle, {}, {}});
        return m_nextId++;
    }
    void removeRow(RowId id)
    {
        std::lock_guard lock(m_mutex);
        m_rows.removeIf([id](const RowEntry &row) { return row.id == id; });
    }
    QList<BatchStatus> statuses() const
    {
        std::lock_guard lock(m_mutex);
        return m_statuses;
    }
    // The statuses that are one of `kinds`, in order.
    QList<BatchStatus> only(const QList<BatchStatus> &kinds) const
    {
        QList<BatchStatus> result = statuses();
        result.removeIf([&kinds](BatchStatus status) { return !kinds.contains(status); });
        return result;
    }
    // The last status says the batch ended with every row converted.
    bool endedWell() const
    {
        std::lock_guard lock(m_mutex);
        return !m_statuses.isEmpty() && m_statuses.last() == BatchStatus::Ended && m_ending.failed == 0 &&
               !m_ending.diskFull;
    }
    // Rows converted and failed as the batch's Ended status reported them.
    std::pair<int, int> endedWith() const
    {
        std::lock_guard lock(m_mutex);
        return {m_ending.succeeded, m_ending.failed};
    }
    QList<int> progress() const
    {
        std::lock_guard lock(m_mutex);
        return m_progress;
    }
    int count(BatchStatus status) const { return int(statuses().count(status)); }

    RowId appendRow(const QByteArray &source, const QString &) override { return addRow(QString::fromUtf8(source)); }
    void setRowFact(RowId, ProbeFact, const QString &) override {}
    void setRowLength(RowId, int) override {}
    void setRowState(RowId id, const RowState &state) override
    {
        if (m_beforeState)
            m_beforeState(id, state);
        std::lock_guard lock(m_mutex);
        m_states[id] = state;
    }
    // Called on the worker's thread before each state is taken (set before the batch starts).
    void setBeforeState(std::function<void(RowId, const RowState &)> hook) { m_beforeState = std::move(hook); }
    QList<RowEntry> rows() override
    {
        std::lock_guard lock(m_mutex);
        return m_rows;
    }
    void focusFirstRow() override {}
    void setStatus(BatchStatus status, const BatchSummary &summary) override
    {
        std::lock_guard lock(m_mutex);
        m_statuses.append(status);
        if (status == BatchStatus::Ended)
            m_ending = summary;
    }
    void setProgress(int percent) override
    {
        std::lock_guard lock(m_mutex);
        m_progress.append(percent);
    }
    void batchEnded(const BatchSummary &summary) override
    {
        std::lock_guard lock(m_mutex);
        m_summaries.append(summary);
    }
    // The state of a row, as last reported.
    RowState rowState(RowId id) const
    {
        std::lock_guard lock(m_mutex);
        return m_states.value(id);
    }
    QList<BatchSummary> summaries() const
    {
        std::lock_guard lock(m_mutex);
        return m_summaries;
    }

private:
    std::function<void(RowId, const RowState &)> m_beforeState;
    mutable std::mutex m_mutex;
    QList<RowEntry> m_rows;
    RowId m_nextId = 1;
    QHash<RowId, RowState> m_states;
    QList<BatchSummary> m_summaries;
    QList<BatchStatus> m_statuses;
    BatchSummary m_ending;
    QList<int> m_progress;
};
