#pragma once

#include "engine/dialog_port.h"

#include <QList>
#include <QString>
#include <QStringList>
#include <mutex>

// A window for the conversion worker: rows, box texts, and a record of every
// status text and progress value it was given. Safe to use from any thread.
class FakeConversionPort : public DialogPort {
public:
    RowId addRow(const QString &path)
    {
        std::lock_guard lock(m_mutex);
        m_rows.append(RowEntry{m_nextId, path});
        return m_nextId++;
    }
    void removeRow(RowId id)
    {
        std::lock_guard lock(m_mutex);
        m_rows.removeIf([id](const RowEntry &row) { return row.id == id; });
    }
    void setBoxes(const QString &format, const QString &resolution, const QString &frameRate)
    {
        std::lock_guard lock(m_mutex);
        m_format = format;
        m_resolution = resolution;
        m_frameRate = frameRate;
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
    void setRowText(RowId, int, const QString &) override {}
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
    QString formatText() override
    {
        std::lock_guard lock(m_mutex);
        return m_format;
    }
    QString resolutionText() override
    {
        std::lock_guard lock(m_mutex);
        return m_resolution;
    }
    QString frameRateText() override
    {
        std::lock_guard lock(m_mutex);
        return m_frameRate;
    }

private:
    mutable std::mutex m_mutex;
    QList<RowEntry> m_rows;
    RowId m_nextId = 1;
    QString m_format = QStringLiteral("FLV");
    QString m_resolution = QStringLiteral("176x144");
    QString m_frameRate = QStringLiteral("15");
    QStringList m_statuses;
    QList<int> m_progress;
};
