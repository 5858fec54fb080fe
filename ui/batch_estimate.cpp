#include "ui/batch_estimate.h"

#include <QElapsedTimer>
#include <cmath>

namespace {

// A row whose length is unknown weighs as much as this many seconds.
constexpr int kUnknownLengthSeconds = 60;
// Below this much time a pace says nothing yet.
constexpr qint64 kMinMeasureMs = 300;

qint64 SteadyMs()
{
    static QElapsedTimer timer;
    if (!timer.isValid())
        timer.start();
    return timer.elapsed();
}

}  // namespace

BatchEstimate::BatchEstimate(Clock clock) : m_clock(clock ? std::move(clock) : Clock(SteadyMs)) {}

void BatchEstimate::rowState(RowId id, const RowState &state, int seconds)
{
    if (!m_running) {
        if (state.phase != RowPhase::Waiting && state.phase != RowPhase::Converting)
            return;
        m_running = true;
        m_beganMs = m_clock();
        m_rows.clear();
    }
    Row &row = m_rows[id];
    row.seconds = seconds;
    switch (state.phase) {
    case RowPhase::Converting:
        if (row.startedMs < 0)
            row.startedMs = m_clock();
        row.done = state.percent / 100.0;
        break;
    case RowPhase::Packaging:
        row.done = 1.0;
        break;
    case RowPhase::Done:
    case RowPhase::Failed:
    case RowPhase::Stopped:
    case RowPhase::Unreadable:
        row.done = 1.0;
        row.finished = true;
        break;
    case RowPhase::Idle:
        m_rows.remove(id);  // left out of the batch
        break;
    case RowPhase::Waiting:
        break;
    }
}

void BatchEstimate::end()
{
    m_running = false;
}

int BatchEstimate::place() const
{
    int finished = 0;
    for (const Row &row : m_rows)
        finished += row.finished ? 1 : 0;
    return qMin(finished + 1, total());
}

double BatchEstimate::weight(const Row &row) const
{
    if (row.seconds > 0)
        return row.seconds;
    // Unknown lengths weigh as the known ones do on average.
    double known = 0;
    int count = 0;
    for (const Row &other : m_rows) {
        if (other.seconds > 0) {
            known += other.seconds;
            ++count;
        }
    }
    return count > 0 ? known / count : kUnknownLengthSeconds;
}

double BatchEstimate::fraction() const
{
    double all = 0, done = 0;
    for (const Row &row : m_rows) {
        const double w = weight(row);
        all += w;
        done += w * row.done;
    }
    return all > 0 ? done / all : 0;
}

int BatchEstimate::percent() const
{
    return int(std::lround(100 * fraction()));
}

std::optional<int> BatchEstimate::secondsLeft() const
{
    const double f = fraction();
    const qint64 elapsed = m_clock() - m_beganMs;
    if (!m_running || f <= 0 || elapsed < kMinMeasureMs)
        return std::nullopt;
    return int(std::lround(double(elapsed) / 1000.0 * (1 - f) / f));
}

std::optional<double> BatchEstimate::rowSpeed(RowId id) const
{
    const auto it = m_rows.constFind(id);
    if (it == m_rows.cend() || it->startedMs < 0 || it->seconds <= 0 || it->done <= 0)
        return std::nullopt;
    const qint64 elapsed = m_clock() - it->startedMs;
    if (elapsed < 1000)
        return std::nullopt;
    return it->seconds * it->done / (double(elapsed) / 1000.0);
}
