#pragma once

#include <QByteArray>
#include <QLoggingCategory>

// Where a row's time goes: debug lines of the category "q9plemo.timeline",
// off unless QT_LOGGING_RULES="q9plemo.timeline.debug=true". Each line reads
// "<ms since the program started> row <id> <what>": a row taken, each tool's
// start and end, a state reported, a probe's look. Off, a note costs one test
// of the category's flag.
Q_DECLARE_LOGGING_CATEGORY(lcTimeline)

namespace Timeline {

// Whether the timeline is written.
bool on();
// Milliseconds since the process started (its exec, as the kernel counts it).
qint64 sinceStart();
// Notes `what` for the row this thread works for (0 when none).
void note(const QByteArray &what);
void note(quint64 row, const QByteArray &what);

// The row this thread works for, until the scope ends: the tools the thread
// runs meanwhile are noted for it.
class RowScope {
public:
    explicit RowScope(quint64 row);
    ~RowScope();
    RowScope(const RowScope &) = delete;
    RowScope &operator=(const RowScope &) = delete;

private:
    quint64 m_outer;
};

}  // namespace Timeline
