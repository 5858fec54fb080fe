#pragma once

#include "engine/dialog_port.h"

#include <QHash>
#include <QList>
#include <QString>
#include <QStringList>
#include <mutex>

// A window for the conversion worker: rows, box texts, and a record of every
// status text and progress value it was given. Safe to use from any thread.
class FakeConversionPort : public DialogPort {
public:
    RowId addRow(const QString &path, const QString &duration = {})
    {
        std::lock_guard lock(m_mutex);
        m_rows.append(RowEntry{m_nextId, path, duration});
        return m_nextId++;
    }
    void removeRow(RowId id)
    {
        std::lock_guard lock(m_mutex);
        m_rows.removeIf([id](const RowEntry &row) { return row.id == id; });
    }
    QStringList statuses() const
    {
        std::lock_guard lock(m_mutex);
        return m_statuses;
    }
    QList<int> progress() const
    {
        std::lock_guard lock(m_mutex);
        return m_progress;
    }
    int count(const QString &status) const { return int(statuses().count(status)); }

    RowId appendRow(const QString &path) override { return addRow(path); }
    void setRowText(RowId id, int column, const QString &text) override
    {
        std::lock_guard lock(m_mutex);
        if (column == ColStatus)
            m_states[id] = text;
    }
    QList<RowEntry> rows() override
    {
        std::lock_guard lock(m_mutex);
        return m_rows;
    }
    void focusFirstRow() override {}
    void setStatusText(const QString &text) override
    {
        std::lock_guard lock(m_mutex);
        m_statuses.append(text);
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
    // The state column of a row, as last written.
    QString rowState(RowId id) const
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
    mutable std::mutex m_mutex;
    QList<RowEntry> m_rows;
    RowId m_nextId = 1;
    QHash<RowId, QString> m_states;
    QList<BatchSummary> m_summaries;
    QStringList m_statuses;
    QList<int> m_progress;
};
