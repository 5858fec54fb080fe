/* What our packers share: a result written to a hidden temporary file beside
 * its final name and renamed over it only when complete, removed when a
 * signal ends the run; and the one line that explains a failure. */
#pragma once

/* "DIR/.NAME.tmp-XXXXXX" beside `outPath` (NAME its file name), created with
 * mkstemp and removed by SIGINT, SIGTERM or SIGHUP until ForgetTempOutput.
 * Returns the open file descriptor (its path in *path, to free), or -1 with
 * errno set. */
int CreateTempOutput(const char *outPath, char **path);

/* The temporary is no longer removed by a signal (renamed, or removed by the caller). */
void ForgetTempOutput(void);

/* Prints "TOOL: " and the formatted line to standard error; returns 1, the exit status. */
__attribute__((format(printf, 2, 3))) int ToolFail(const char *tool, const char *format, ...);
