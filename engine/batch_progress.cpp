#include "engine/batch_progress.h"

#include <algorithm>
#include <cmath>

void BatchProgress::setWaiting(const QList<RowEntry> &rows)
{
    std::lock_guard lock(m_mutex);
    m_waiting.clear();
    for (const RowEntry &row : rows)
        m_waiting.insert(row.id, row.seconds);
}

void BatchProgress::started(const RowEntry &row)
{
    std::lock_guard lock(m_mutex);
    m_waiting.remove(row.id);
    m_running.insert(row.id, row.seconds);
    m_runningPercent.insert(row.id, 0);
}

void BatchProgress::setRowPercent(RowId row, int percent)
{
    std::lock_guard lock(m_mutex);
    if (m_running.contains(row))
        m_runningPercent[row] = std::clamp(percent, 0, 100);
}

void BatchProgress::ended(RowId row)
{
    std::lock_guard lock(m_mutex);
    const auto it = m_running.constFind(row);
    if (it == m_running.constEnd())
        return;
    m_ended.append(it.value());
    m_running.remove(row);
    m_runningPercent.remove(row);
}

int BatchProgress::percent() const
{
    std::lock_guard lock(m_mutex);
    double known = 0;
    int knownCount = 0;
    const auto addKnown = [&](int seconds) {
        if (seconds > 0) {
            known += seconds;
            ++knownCount;
        }
    };
    for (const int seconds : m_waiting)
        addKnown(seconds);
    for (const int seconds : m_running)
        addKnown(seconds);
    for (const int seconds : m_ended)
        addKnown(seconds);
    const double unknownWeight = knownCount > 0 ? known / knownCount : 1.0;
    const auto weight = [unknownWeight](int seconds) { return seconds > 0 ? double(seconds) : unknownWeight; };

    double total = 0, done = 0;
    for (const int seconds : m_waiting)
        total += weight(seconds);
    for (auto it = m_running.constBegin(); it != m_running.constEnd(); ++it) {
        total += weight(it.value());
        done += weight(it.value()) * m_runningPercent.value(it.key()) / 100.0;
    }
    for (const int seconds : m_ended) {
        total += weight(seconds);
        done += weight(seconds);
    }
    if (total <= 0)
        return 0;
    return std::clamp(int(std::lround(100.0 * done / total)), 0, 100);
}
