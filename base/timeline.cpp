#include "base/timeline.h"

#include <QFile>
#include <QList>
#include <ctime>
#include <unistd.h>

Q_LOGGING_CATEGORY(lcTimeline, "q9plemo.timeline", QtInfoMsg)

namespace {

thread_local quint64 t_row = 0;

qint64 BootMs()
{
    timespec now{};
    clock_gettime(CLOCK_BOOTTIME, &now);
    return qint64(now.tv_sec) * 1000 + now.tv_nsec / 1000000;
}

// The process's start in milliseconds since boot: field 22 of its stat line,
// in clock ticks (the name before it may hold blanks and parentheses).
qint64 StartBootMs()
{
    QFile stat(QStringLiteral("/proc/self/stat"));
    if (!stat.open(QIODevice::ReadOnly))
        return BootMs();
    const QByteArray text = stat.readAll();
    const QList<QByteArray> fields = text.mid(text.lastIndexOf(')') + 2).split(' ');
    const long ticks = sysconf(_SC_CLK_TCK);
    if (fields.size() < 20 || ticks <= 0)
        return BootMs();
    return fields.at(19).toLongLong() * 1000 / ticks;
}

}  // namespace

namespace Timeline {

bool on()
{
    return lcTimeline().isDebugEnabled();
}

qint64 sinceStart()
{
    static const qint64 start = StartBootMs();
    return BootMs() - start;
}

void note(const QByteArray &what)
{
    note(t_row, what);
}

void note(quint64 row, const QByteArray &what)
{
    if (on())
        qCDebug(lcTimeline).noquote() << sinceStart() << "row" << row << what;
}

RowScope::RowScope(quint64 row) : m_outer(t_row)
{
    t_row = row;
}

RowScope::~RowScope()
{
    t_row = m_outer;
}

}  // namespace Timeline
