#pragma once

#include <atomic>

// Whether probe output and encoder output are parsed. Each kind of run owns its
// own flag and only it changes it, so a probe and a conversion never silence
// each other.
extern std::atomic<bool> g_bProbeOutputLive;
extern std::atomic<bool> g_bConvertOutputLive;
