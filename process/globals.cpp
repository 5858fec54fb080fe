#include "process/globals.h"

std::atomic<pid_t> g_dwChildProcessId{0};
std::atomic<bool> g_bProbeOutputLive{false};
std::atomic<bool> g_bConvertOutputLive{false};
std::atomic<bool> g_bNotPaused{true};
