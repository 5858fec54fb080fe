#pragma once

#include "engine/conversion_batch.h"
#include "engine/queue_lock.h"

#include <QObject>
#include <QString>
#include <QStringList>
#include <functional>

class FileListView;

// Keeps the file list on disk while the window runs: the paths, their phases,
// the output names a running conversion has taken and the current choices,
// written again at every change. A window that closes removes the file; one
// that never got to close (a crash, a power cut, a kill) leaves it for the
// next start to clear up after and restore. Only the window holding the
// queue's lock does any of this (QueueLock); another one keeps nothing.
class QueueKeeper : public QObject {
    Q_OBJECT
public:
    QueueKeeper(FileListView *list, std::function<BatchChoices()> choices, QString path, QObject *parent = nullptr);

    // Removes the files the last run's unfinished rows left, adds those rows
    // back through `add` (in their order) and shows them waiting; from then on
    // every change of the list is saved. Returns how many rows came back.
    // Without the queue's lock it does nothing and returns 0.
    int restore(const std::function<void(const QStringList &)> &add);
    // Whether another running window keeps the queue, so this one's list is not kept.
    bool heldElsewhere() const { return m_lock.state() == QueueLock::State::HeldElsewhere; }
    // Writes the list as it is now.
    void save();
    // The window closes in order: nothing to restore next time, and the lock is free.
    void forget();

private:
    FileListView *m_list;
    std::function<BatchChoices()> m_choices;
    QString m_path;
    QueueLock m_lock;
    bool m_keeping = false;
};
