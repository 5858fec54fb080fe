#pragma once

#include <sys/types.h>

// Whoever the tools started on a thread belong to (a batch's row): told of each
// tool the runner starts and ends there, so that its pause, resume and stop
// reach every tool a row runs, its looks and checks as much as its encoder.
class ToolOwner {
public:
    virtual ~ToolOwner() = default;
    // False once the owner is stopping: the runner then starts nothing.
    virtual bool admits() const = 0;
    // A tool started (the owner pauses it at once while it is paused, and
    // ends it when a stop came first) / was reaped.
    virtual void started(pid_t pid) = 0;
    virtual void ended(pid_t pid) = 0;
    // The owner holds its tools paused now (their silence is not counted).
    virtual bool paused() const = 0;
};

// Names the owner of the tools this thread starts while the scope lasts.
class ToolOwnerScope {
public:
    explicit ToolOwnerScope(ToolOwner *owner);
    ~ToolOwnerScope();
    ToolOwnerScope(const ToolOwnerScope &) = delete;
    ToolOwnerScope &operator=(const ToolOwnerScope &) = delete;

    // The owner of this thread's tools, or nullptr.
    static ToolOwner *current();

private:
    ToolOwner *m_previous;
};
