#pragma once

// Counts the program's own worker threads (probes and the conversion worker),
// so that closing the window can give them a moment to run out.
namespace ThreadTracker {

class Scope {
public:
    Scope();
    ~Scope();
    Scope(const Scope &) = delete;
    Scope &operator=(const Scope &) = delete;
};

int running();
// Waits until no tracked thread runs or `milliseconds` have passed; true when none runs.
bool waitIdle(int milliseconds);

}  // namespace ThreadTracker
