#pragma once

#include "process/process_runner.h"

#include <QByteArray>
#include <QList>
#include <sys/types.h>

// Starts the program `arguments[0]` with all of `arguments` as its argv: no
// shell, no search of PATH, standard input from /dev/null, standard output and
// standard error onto `outputFd`. Returns the child's id once its program is
// executing, already registered in ChildRegistry; -1 when the program could not
// be executed, in which case nothing of the attempt is left behind.
pid_t SpawnTool(const QList<QByteArray> &arguments, Priority priority, int outputFd);

// Waits for a child that SpawnTool started, reaps it and says how it ended.
RunOutcome WaitForTool(pid_t pid);
