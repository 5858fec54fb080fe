#include "tests/support/log_capture.h"

#include <QMutex>
#include <QMutexLocker>

namespace {

QMutex g_mutex;
QStringList g_warnings;
QtMessageHandler g_previous = nullptr;

void Collect(QtMsgType type, const QMessageLogContext &context, const QString &message)
{
    if (context.category && qstrcmp(context.category, "q9plemo") == 0) {
        if (type == QtWarningMsg) {
            QMutexLocker lock(&g_mutex);
            g_warnings << message;
        }
        return;
    }
    if (g_previous)
        g_previous(type, context, message);
}

}  // namespace

LogCapture::LogCapture()
{
    QMutexLocker lock(&g_mutex);
    g_warnings.clear();
    m_previous = qInstallMessageHandler(Collect);
    g_previous = m_previous;
}

LogCapture::~LogCapture()
{
    qInstallMessageHandler(m_previous);
}

QStringList LogCapture::warnings() const
{
    QMutexLocker lock(&g_mutex);
    return g_warnings;
}

bool LogCapture::warned(const QString &text) const
{
    for (const QString &warning : warnings()) {
        if (warning.contains(text))
            return true;
    }
    return false;
}
