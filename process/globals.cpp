#include "process/globals.h"

std::atomic<bool> g_bProbeOutputLive{false};
std::atomic<bool> g_bConvertOutputLive{false};
