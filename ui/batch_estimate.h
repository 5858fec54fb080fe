#pragma once

#include "engine/dialog_port.h"

#include <QHash>
#include <functional>
#include <optional>

// How far the running batch has got, measured from the row states it reports:
// each row weighs its length in seconds, a running row counts with its
// percentage, and the time left follows from the pace so far in this batch.
class BatchEstimate {
public:
    using Clock = std::function<qint64()>;  // milliseconds, steady
    explicit BatchEstimate(Clock clock = {});

    // A row's new state; the first waiting row begins a batch. `seconds` is the
    // row's length (0 when unknown).
    void rowState(RowId row, const RowState &state, int seconds);
    void end();

    bool running() const { return m_running; }
    // The place of the row being converted (1-based) and the batch's size.
    int place() const;
    int total() const { return int(m_rows.size()); }
    // The whole batch's progress, 0 … 100.
    int percent() const;
    // The time left, once the batch has made some progress.
    std::optional<int> secondsLeft() const;
    // Seconds of the source a running row converts per second.
    std::optional<double> rowSpeed(RowId row) const;

private:
    struct Row {
        int seconds = 0;
        double done = 0;  // 0 … 1
        bool finished = false;
        qint64 startedMs = -1;
    };
    double weight(const Row &row) const;
    double fraction() const;

    Clock m_clock;
    bool m_running = false;
    qint64 m_beganMs = 0;
    QHash<RowId, Row> m_rows;
};
