#include "ui/queue_keeper.h"

#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QTimer>
#include <utility>

namespace {

// How long a write of the list waits for changes that come with the first.
constexpr int kSaveDelayMs = 20;

}  // namespace

QueueKeeper::QueueKeeper(std::shared_ptr<BatchModel> rows, std::function<BatchChoices()> choices, QString path,
                         QObject *parent)
    : QObject(parent),
      m_rows(std::move(rows)),
      m_choices(std::move(choices)),
      m_path(std::move(path)),
      m_lock(m_path)
{
    // Changes that come together (a row ending and the next one taking its
    // files, a batch's rows all shown waiting at its start) are written once,
    // a moment after the first: each write waits for the disk.
    connect(m_rows.get(), &BatchModel::listChanged, this, [this] {
        if (std::exchange(m_savePending, true))
            return;
        QTimer::singleShot(kSaveDelayMs, this, [this] {
            m_savePending = false;
            save();
        });
    });
}

int QueueKeeper::restore(const std::function<void(const QList<SavedRow> &)> &add)
{
    if (!m_lock.take())
        return 0;
    int restored = 0;
    if (const std::optional<SavedQueue> queue = ReadQueueFile(m_path)) {
        const QList<SavedRow> back = RecoverUnfinishedRows(*queue);
        const QList<BatchRow> before = m_rows->rows();
        add(back);
        for (const BatchRow &row : m_rows->rows()) {
            if (std::none_of(before.begin(), before.end(), [&row](const BatchRow &old) { return old.id == row.id; })) {
                m_rows->setState(row.id, {RowPhase::Waiting});
                ++restored;
            }
        }
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
    for (const BatchRow &row : m_rows->rows())
        queue.rows << SavedRow{row.source, row.state.phase, {}, row.files, row.subfolder};
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
