#include "process/cpu_cores.h"

#include <algorithm>
#include <sched.h>
#include <unistd.h>

namespace {
constexpr int kMaxCodecThreads = 8;
}  // namespace

int OnlineCores()
{
    cpu_set_t mask;
    CPU_ZERO(&mask);
    if (sched_getaffinity(0, sizeof mask, &mask) == 0) {
        const int count = CPU_COUNT(&mask);
        if (count > 0)
            return count;
    }
    const long online = sysconf(_SC_NPROCESSORS_ONLN);
    return online > 0 ? static_cast<int>(std::min(online, 1024L)) : 1;
}

int CodecThreads()
{
    return std::clamp(OnlineCores(), 1, kMaxCodecThreads);
}
