#pragma once

#include <QStringList>
#include <QtMessageHandler>

// Collects what the program logs in its "q9plemo" category while it lives
// (messages of other categories pass on as usual). One at a time.
class LogCapture {
public:
    LogCapture();
    ~LogCapture();
    LogCapture(const LogCapture &) = delete;
    LogCapture &operator=(const LogCapture &) = delete;

    // The warnings so far, in order.
    QStringList warnings() const;
    // Whether some warning contains `text`.
    bool warned(const QString &text) const;

private:
    QtMessageHandler m_previous;
};
