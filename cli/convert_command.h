#pragma once

// `q9plemo --convert …` (and `--help`): the window's batch without a window.
// Runs on a QCoreApplication, so it needs no display and makes no connection
// to one; main() calls it before any QApplication exists. It never hands its
// files to a running window and never touches the window's saved list.
// Returns the exit status: 0 every file converted, 1 a file failed, 2 a bad
// argument, 128 + the signal's number when SIGINT or SIGTERM stopped it.
int RunConvertCommand(int argc, char **argv);
