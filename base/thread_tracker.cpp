#include "base/thread_tracker.h"

#include <chrono>
#include <condition_variable>
#include <mutex>

namespace {
std::mutex g_mutex;
std::condition_variable g_idle;
int g_running = 0;
}  // namespace

namespace ThreadTracker {

Scope::Scope()
{
    std::lock_guard lock(g_mutex);
    ++g_running;
}

Scope::~Scope()
{
    std::lock_guard lock(g_mutex);
    if (--g_running == 0)
        g_idle.notify_all();
}

int running()
{
    std::lock_guard lock(g_mutex);
    return g_running;
}

bool waitIdle(int milliseconds)
{
    std::unique_lock lock(g_mutex);
    return g_idle.wait_for(lock, std::chrono::milliseconds(milliseconds), [] { return g_running == 0; });
}

}  // namespace ThreadTracker
