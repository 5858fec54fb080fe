#pragma once

#include <atomic>
#include <sys/types.h>

// Process id of the most recently started captured tool run (0 before any).
extern std::atomic<pid_t> g_dwChildProcessId;

// Whether probe output and encoder output are parsed. Each kind of run owns its
// own flag and only it changes it, so a probe and a conversion never silence
// each other.
extern std::atomic<bool> g_bProbeOutputLive;
extern std::atomic<bool> g_bConvertOutputLive;

// The pause toggle: false after a press that paused.
extern std::atomic<bool> g_bNotPaused;
