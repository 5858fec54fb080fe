#pragma once

#include "engine/dialog_port.h"

#include <QHash>
#include <QList>
#include <mutex>

// The whole batch's progress as one percentage, weighted by the rows' lengths:
// a row of a minute moves the bar six times as far as one of ten seconds.
// A row of unknown length weighs as much as the known ones on average. Rows
// still waiting count as long as they are in the list; rows that ended count
// in full whether they succeeded or not. Safe to use from every row's thread.
class BatchProgress {
public:
    // The rows not taken yet, as the list holds them now.
    void setWaiting(const QList<RowEntry> &rows);
    // A row has been taken (it leaves the waiting ones) / has reached a
    // percentage / has ended.
    void started(const RowEntry &row);
    void setRowPercent(RowId row, int percent);
    void ended(RowId row);

    // 0 to 100.
    int percent() const;

private:
    mutable std::mutex m_mutex;
    QHash<RowId, int> m_waiting;         // row -> seconds
    QHash<RowId, int> m_running;         // row -> seconds
    QHash<RowId, int> m_runningPercent;  // row -> percent
    QList<int> m_ended;                  // seconds of each ended row
};
