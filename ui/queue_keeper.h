#pragma once

#include "engine/batch_model.h"
#include "engine/conversion_batch.h"
#include "engine/queue_lock.h"
#include "engine/saved_queue.h"

#include <QObject>
#include <QString>
#include <functional>
#include <memory>

// Keeps the batch's rows on disk while the window runs: their files' names,
// their phases, the files a running conversion has made or reserved, and the
// current choices, written again whenever a row comes, goes, gets done or
// changes its files (changes that come together, once; the phases written
// are those of that moment). A window that closes removes the file; one that
// never got to close (a crash, a power cut, a kill) leaves it for the next
// start to clear up after and restore.
// Only the window holding the queue's lock does any of this (QueueLock);
// another one keeps nothing.
class QueueKeeper : public QObject {
    Q_OBJECT
public:
    QueueKeeper(std::shared_ptr<BatchModel> rows, std::function<BatchChoices()> choices, QString path,
                QObject *parent = nullptr);

    // Removes the files the last run's unfinished rows left, adds those rows
    // back through `add` (in their order) and shows them waiting; from then on
    // every change of the rows is saved. Returns how many rows came back.
    // Without the queue's lock it does nothing and returns 0.
    int restore(const std::function<void(const QList<SavedRow> &)> &add);
    // Whether another running window keeps the queue, so this one's list is not kept.
    bool heldElsewhere() const { return m_lock.state() == QueueLock::State::HeldElsewhere; }
    // Writes the rows as they are now.
    void save();
    // The window closes in order: nothing to restore next time, and the lock is free.
    void forget();

private:
    std::shared_ptr<BatchModel> m_rows;
    std::function<BatchChoices()> m_choices;
    QString m_path;
    QueueLock m_lock;
    bool m_keeping = false;
    bool m_savePending = false;  // a write is queued for the window's thread
};
