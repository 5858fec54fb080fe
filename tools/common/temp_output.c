#include "temp_output.h"

#include <signal.h>
#include <stdarg.h>
#include <stdio.h>
#include <stdlib.h>
#include <string.h>
#include <unistd.h>

static char *g_tempPath;

static void RemoveTempAndExit(int signalNumber)
{
    if (g_tempPath)
        unlink(g_tempPath);
    signal(signalNumber, SIG_DFL);
    raise(signalNumber);
}

int CreateTempOutput(const char *outPath, char **path)
{
    const char *slash = strrchr(outPath, '/');
    const int dirLength = slash ? (int)(slash - outPath) : 1;
    const char *base = slash ? slash + 1 : outPath;
    static const char kSuffix[] = ".tmp-XXXXXX";
    char *name = malloc((size_t)dirLength + 2 + strlen(base) + sizeof kSuffix);
    *path = name;
    if (!name)
        return -1;
    sprintf(name, "%.*s/.%s%s", dirLength, slash ? outPath : ".", base, kSuffix);
    const int fd = mkstemp(name);
    if (fd < 0)
        return -1;
    g_tempPath = name;
    signal(SIGINT, RemoveTempAndExit);
    signal(SIGTERM, RemoveTempAndExit);
    signal(SIGHUP, RemoveTempAndExit);
    return fd;
}

void ForgetTempOutput(void)
{
    g_tempPath = NULL;
}

int ToolFail(const char *tool, const char *format, ...)
{
    va_list args;
    va_start(args, format);
    fprintf(stderr, "%s: ", tool);
    vfprintf(stderr, format, args);
    fputc('\n', stderr);
    va_end(args);
    return 1;
}
