#pragma once

#include <QLockFile>
#include <QString>

// Who keeps the queue file: one window at a time, the one holding the lock
// file beside it (queue.json.lock) for as long as it lives. Only the holder
// brings back a crashed run's rows (which removes their half-made files) and
// writes the queue. A second window of the same home (another session, or a
// start in the same instant as the first) takes neither step: the queue it
// would read is the first window's live one.
//
// The lock names its process, machine and boot. A lock whose process is gone
// on this machine (a crash, a kill, a power cut) is taken over at once; age
// alone never makes it stale, since one batch can run for hours. A lock left
// by another machine sharing the home is kept: its process cannot be looked at
// from here.
class QueueLock {
public:
    enum class State {
        Free,           // not tried yet, or released
        Held,           // this window keeps the queue
        HeldElsewhere,  // another running window keeps it
        Unavailable,    // the lock cannot be made (a folder that cannot be written)
    };

    explicit QueueLock(const QString &queuePath);

    // Takes the lock when nobody else holds it; true when this one holds it.
    bool take();
    // Gives the lock up; the next window to start may take it.
    void release();
    State state() const { return m_state; }

    // The lock file of the queue file at `queuePath`.
    static QString lockPath(const QString &queuePath);

private:
    QLockFile m_lock;
    State m_state = State::Free;
};
