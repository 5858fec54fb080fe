#include "temp_output.h"

#include <fcntl.h>
#include <signal.h>
#include <stdarg.h>
#include <stdio.h>
#include <stdlib.h>
#include <string.h>
#include <sys/stat.h>
#include <unistd.h>

static char *g_tempPath;

static void RemoveTempAndExit(int signalNumber)
{
    if (g_tempPath)
        unlink(g_tempPath);
    signal(signalNumber, SIG_DFL);
    raise(signalNumber);
}

static int OpenChosen(const char *chosen, char **path)
{
    *path = strdup(chosen);
    if (!*path)
        return -1;
    return open(chosen, O_WRONLY | O_CREAT | O_TRUNC | O_CLOEXEC, 0600);
}

static int OpenUnique(const char *outPath, char **path)
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
    return mkstemp(name);
}

int CreateTempOutput(const char *outPath, const char *chosen, char **path)
{
    const int fd = chosen ? OpenChosen(chosen, path) : OpenUnique(outPath, path);
    if (fd < 0)
        return -1;
    g_tempPath = *path;
    signal(SIGINT, RemoveTempAndExit);
    signal(SIGTERM, RemoveTempAndExit);
    signal(SIGHUP, RemoveTempAndExit);
    return fd;
}

void ForgetTempOutput(void)
{
    g_tempPath = NULL;
}

int SameFile(const char *tempPath, const char *otherPath)
{
    struct stat a, b;
    return stat(tempPath, &a) == 0 && stat(otherPath, &b) == 0 && a.st_dev == b.st_dev && a.st_ino == b.st_ino;
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
