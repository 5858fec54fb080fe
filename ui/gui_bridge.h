#pragma once

#include <functional>
#include <memory>

class QObject;

// Runs control updates from other threads on the GUI thread and waits for
// them, the way a sent window message would. Once closed (the window is going
// away) nothing more runs and every waiting caller returns at once, so a
// thread can neither deadlock on a closing window nor touch a destroyed one.
class GuiBridge {
public:
    // Copies share one state: closing any copy closes them all.
    explicit GuiBridge(QObject *guiObject);

    // Runs `fn` on the GUI thread (directly when called there); false when the
    // bridge was closed and `fn` did not run.
    bool run(const std::function<void()> &fn) const;
    // Queues `fn` for the GUI thread (runs it directly when called there) and
    // returns at once, for an update nobody waits for: it runs after every
    // task queued before it, unless the bridge is closed by then. `fn` must
    // hold copies of what it uses.
    void post(std::function<void()> fn) const;
    // Called on the GUI thread.
    void close();
    bool isClosed() const;

private:
    struct State;
    std::shared_ptr<State> m_state;
};
