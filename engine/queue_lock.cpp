#include "engine/queue_lock.h"

#include "base/log.h"

#include <QDir>
#include <QFileInfo>

QueueLock::QueueLock(const QString &queuePath) : m_lock(lockPath(queuePath))
{
    // Only a dead owner's lock is stale (QLockFile looks its process up when
    // the lock was made on this machine); a running batch's is never too old.
    m_lock.setStaleLockTime(0);
}

QString QueueLock::lockPath(const QString &queuePath)
{
    return queuePath + QStringLiteral(".lock");
}

bool QueueLock::take()
{
    if (m_state == State::Held)
        return true;
    QDir().mkpath(QFileInfo(m_lock.fileName()).path());
    if (m_lock.tryLock(0)) {
        m_state = State::Held;
        return true;
    }
    if (m_lock.error() == QLockFile::LockFailedError) {
        m_state = State::HeldElsewhere;
        qint64 pid = 0;
        QString host, program;
        m_lock.getLockInfo(&pid, &host, &program);
        qCWarning(lcQ9, "the queue's lock %s is held by process %lld on %s; this window's list is not kept",
                  qUtf8Printable(m_lock.fileName()), pid, qUtf8Printable(host));
    } else {
        m_state = State::Unavailable;
        qCWarning(lcQ9, "cannot make the queue's lock %s; this window's list is not kept",
                  qUtf8Printable(m_lock.fileName()));
    }
    return false;
}

void QueueLock::release()
{
    if (m_state == State::Held)
        m_lock.unlock();
    m_state = State::Free;
}
