#include "ui/gui_bridge.h"

#include "base/timeline.h"

#include <QCoreApplication>
#include <QElapsedTimer>
#include <QMetaObject>
#include <QThread>
#include <condition_variable>
#include <mutex>

struct GuiBridge::State {
    std::mutex mutex;
    std::condition_variable changed;
    bool closed = false;
    QThread *guiThread = nullptr;
};

namespace {
// A wait for the window's thread this long goes into the timeline.
constexpr qint64 kLongWaitMs = 5;

struct Task {
    std::function<void()> fn;
    bool started = false;
    bool finished = false;
};
}  // namespace

GuiBridge::GuiBridge(QObject *guiObject) : m_state(std::make_shared<State>())
{
    m_state->guiThread = guiObject->thread();
}

bool GuiBridge::isClosed() const
{
    std::lock_guard lock(m_state->mutex);
    return m_state->closed;
}

void GuiBridge::close()
{
    {
        std::lock_guard lock(m_state->mutex);
        m_state->closed = true;
    }
    m_state->changed.notify_all();
}

bool GuiBridge::run(const std::function<void()> &fn) const
{
    const std::shared_ptr<State> state = m_state;
    if (QThread::currentThread() == state->guiThread) {
        if (isClosed())
            return false;
        fn();
        return true;
    }

    auto task = std::make_shared<Task>();
    task->fn = fn;
    std::unique_lock lock(state->mutex);
    if (state->closed || !QCoreApplication::instance())
        return false;
    // Posted under the lock: once close() has run, nothing new is posted, so
    // the application object may go away safely after it.
    QMetaObject::invokeMethod(
        QCoreApplication::instance(),
        [state, task] {
            {
                std::lock_guard guard(state->mutex);
                if (state->closed) {
                    task->finished = true;
                    state->changed.notify_all();
                    return;
                }
                task->started = true;
            }
            task->fn();
            {
                std::lock_guard guard(state->mutex);
                task->finished = true;
            }
            state->changed.notify_all();
        },
        Qt::QueuedConnection);
    // close() runs on the GUI thread, so it never overlaps a running task: a
    // caller wakes either with its task done or with it never started.
    QElapsedTimer waited;
    waited.start();
    state->changed.wait(lock, [&] { return task->finished || (state->closed && !task->started); });
    if (Timeline::on() && waited.elapsed() >= kLongWaitMs)
        Timeline::note("waited " + QByteArray::number(waited.elapsed()) + " ms for the window");
    return task->finished && task->started;
}

void GuiBridge::post(std::function<void()> fn) const
{
    const std::shared_ptr<State> state = m_state;
    if (QThread::currentThread() == state->guiThread) {
        if (!isClosed())
            fn();
        return;
    }
    std::lock_guard lock(state->mutex);
    if (state->closed || !QCoreApplication::instance())
        return;
    // Queued behind every task posted or run before it; dropped once closed.
    QMetaObject::invokeMethod(
        QCoreApplication::instance(),
        [state, fn = std::move(fn)] {
            {
                std::lock_guard guard(state->mutex);
                if (state->closed)
                    return;
            }
            fn();
        },
        Qt::QueuedConnection);
}
