/* What our packers share: a result written to a hidden temporary file beside
 * its final name and renamed over it only when complete, removed when a
 * signal ends the run; and the one line that explains a failure. */
#pragma once

/* The temporary for `outPath`, opened for writing and removed by SIGINT,
 * SIGTERM or SIGHUP until ForgetTempOutput. With `chosen` (the caller's name
 * for it, on the same volume as `outPath`), that file, created or emptied;
 * without, "DIR/.NAME.tmp-XXXXXX" beside `outPath` (NAME its file name), made
 * with mkstemp. Returns the open file descriptor (its path in *path, to
 * free), or -1 with errno set. */
int CreateTempOutput(const char *outPath, const char *chosen, char **path);

/* The temporary is no longer removed by a signal (renamed, or removed by the caller). */
void ForgetTempOutput(void);

/* Whether `tempPath` names the same file as `otherPath` (both exist): a
 * temporary that would overwrite an input or the output it replaces. */
int SameFile(const char *tempPath, const char *otherPath);

/* Prints "TOOL: " and the formatted line to standard error; returns 1, the exit status. */
__attribute__((format(printf, 2, 3))) int ToolFail(const char *tool, const char *format, ...);
