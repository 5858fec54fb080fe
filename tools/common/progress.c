#include "progress.h"

#include <stdio.h>
#include <time.h>

static double g_furthest;
static double g_nextReport; /* on the monotonic clock, in seconds */
static int g_started;

static double Now(void)
{
    struct timespec now;
    clock_gettime(CLOCK_MONOTONIC, &now);
    return (double)now.tv_sec + (double)now.tv_nsec / 1e9;
}

void ReportProgress(double seconds)
{
    if (seconds > g_furthest)
        g_furthest = seconds;
    const double now = Now();
    if (!g_started) {
        g_started = 1;
        g_nextReport = now + 1;
        return;
    }
    if (now < g_nextReport)
        return;
    g_nextReport = now + 1;
    printf("Pos: %.1fs\n", g_furthest);
    fflush(stdout);
}
