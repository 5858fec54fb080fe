#pragma once

#include <sys/types.h>

// The tool processes this program has started and not yet reaped, each held by
// a pidfd. Signals go through here only, so they never reach a process that is
// not (or no longer) a live child of ours, however process ids are recycled.
namespace ChildRegistry {

// Called by the runner right after a child has started, and before it is
// reaped; a process that is not an unreaped child of ours is not taken.
void add(pid_t pid);
void remove(pid_t pid);

// Sends `signal` to `pid` when it is a registered child; false otherwise.
bool signal(pid_t pid, int signal);

// SIGKILL to every registered child (used when the window closes).
void killAll();

bool contains(pid_t pid);

// Waits until `pid` has ended, then reaps it and drops it from the registry in
// one step, so that no signal can reach whatever process gets its id next and
// a recycled id never meets a stale entry. Stores the wait status in *status
// when given; false when `pid` is not a child of ours to wait for.
bool reap(pid_t pid, int *status);

}  // namespace ChildRegistry
