#include "process/tool_watchdog.h"

#include <QtGlobal>
#include <algorithm>
#include <cstdlib>
#include <cstring>

namespace {

constexpr std::chrono::seconds kQuietBeforeFiles{1};

}  // namespace

ToolWatchdog::ToolWatchdog(Limits limits) : m_limits(limits) {}

void ToolWatchdog::start(Clock::time_point now)
{
    m_lastSign = now;
    m_lastCheck = now;
    m_running = {};
    if (m_activity)
        m_lastActivity = m_activity();
}

void ToolWatchdog::alive(Clock::time_point now)
{
    m_lastSign = now;
}

void ToolWatchdog::output(const char *chunk, Clock::time_point now)
{
    // Once a tool reports positions, only a position that moves on shows it is
    // working: a decoder can print complaints for ever without getting anywhere.
    const std::optional<double> position = ParseToolPosition(chunk);
    if (position && (!m_reportsPositions || *position > m_position)) {
        m_reportsPositions = true;
        m_position = qMax(m_position, *position);
        alive(now);
    } else if (!m_reportsPositions) {
        alive(now);
    }
}

bool ToolWatchdog::check(Clock::time_point now)
{
    if (m_stuck)
        return true;
    const bool paused = m_paused && m_paused();
    if (paused) {
        // A paused tool prints nothing and writes nothing; the pause is the
        // user's, so the clocks start again from its end.
        m_lastSign = now;
    } else {
        m_running += now - m_lastCheck;
    }
    m_lastCheck = now;

    // The files are looked at only once the tool has been quiet for a moment
    // (a second, or a quarter of the silence allowed): while it reports, they
    // tell nothing more, and a look at them costs a few file system calls at
    // every chunk of its output.
    const Clock::duration quiet = std::min<Clock::duration>(kQuietBeforeFiles, m_limits.silence / 4);
    if (m_activity && !paused && now - m_lastSign >= quiet) {
        const qint64 activity = m_activity();
        if (activity != m_lastActivity) {
            m_lastActivity = activity;
            alive(now);
        }
    }
    if (m_limits.maxPosition && m_position > *m_limits.maxPosition)
        m_stuck = true;
    else if (!paused && now - m_lastSign > m_limits.silence)
        m_stuck = true;
    else if (m_limits.deadline && m_running > *m_limits.deadline)
        m_stuck = true;
    return m_stuck;
}

namespace {

// The last complete value after `mark` in `chunk`, with `read` turning the
// text there into seconds (a chunk may end in the middle of one).
template <typename Reader> std::optional<double> AfterLast(const char *chunk, const char *mark, Reader read)
{
    std::optional<double> last;
    for (const char *at = std::strstr(chunk, mark); at; at = std::strstr(at + 1, mark)) {
        if (const std::optional<double> value = read(at + std::strlen(mark)))
            last = value;
    }
    return last;
}

std::optional<double> Seconds(const char *text)
{
    while (*text == ' ')
        ++text;
    char *end = nullptr;
    const double value = std::strtod(text, &end);
    if (end == text || *end != 's')
        return std::nullopt;
    return value;
}

std::optional<double> ClockTime(const char *text)
{
    // hh:mm:ss.xx
    char *end = nullptr;
    const long hours = std::strtol(text, &end, 10);
    if (end == text || *end != ':')
        return std::nullopt;
    const char *minutesAt = end + 1;
    const long minutes = std::strtol(minutesAt, &end, 10);
    if (end == minutesAt || *end != ':')
        return std::nullopt;
    const char *secondsAt = end + 1;
    const double seconds = std::strtod(secondsAt, &end);
    if (end == secondsAt)
        return std::nullopt;
    return double(hours) * 3600 + double(minutes) * 60 + seconds;
}

}  // namespace

std::optional<double> ParseToolPosition(const char *chunk)
{
    if (const std::optional<double> pos = AfterLast(chunk, "Pos:", Seconds))
        return pos;
    return AfterLast(chunk, "time=", ClockTime);
}
