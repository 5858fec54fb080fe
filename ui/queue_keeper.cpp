#include "ui/queue_keeper.h"

#include "engine/saved_queue.h"
#include "ui/file_list_view.h"

#include <QDir>
#include <QFile>
#include <QFileInfo>

QueueKeeper::QueueKeeper(FileListView *list, std::function<BatchChoices()> choices, QString path, QObject *parent)
    : QObject(parent),
      m_list(list),
      m_choices(std::move(choices)),
      m_path(std::move(path)),
      m_lock(m_path)
{
    connect(m_list, &FileListView::listChanged, this, &QueueKeeper::save);
}

int QueueKeeper::restore(const std::function<void(const QStringList &)> &add)
{
    if (!m_lock.take())
        return 0;
    int restored = 0;
    if (const std::optional<SavedQueue> queue = ReadQueueFile(m_path)) {
        QStringList paths;
        for (const SavedRow &row : RecoverUnfinishedRows(*queue))
            paths << row.path;
        const int before = m_list->rowCount();
        add(paths);
        for (int r = before; r < m_list->rowCount(); ++r)
            m_list->setRowState(m_list->idAt(r), {RowPhase::Waiting});
        restored = m_list->rowCount() - before;
    }
    m_keeping = true;
    save();
    return restored;
}

void QueueKeeper::save()
{
    if (!m_keeping)
        return;
    SavedQueue queue;
    queue.choices = m_choices();
    for (int r = 0; r < m_list->rowCount(); ++r) {
        const QString stem = m_list->rowReservedStem(r);
        queue.rows << SavedRow{m_list->rowText(r, ColPath), m_list->rowPhase(r),
                               stem.isEmpty() ? QStringList() : QStringList{stem}};
    }
    QDir().mkpath(QFileInfo(m_path).path());
    WriteQueueFile(m_path, queue);
}

void QueueKeeper::forget()
{
    m_keeping = false;
    if (m_lock.state() != QueueLock::State::Held)
        return;  // the queue file is another window's
    QFile::remove(m_path);
    m_lock.release();
}
