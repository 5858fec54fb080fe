#pragma once

#include <QByteArray>
#include <QString>
#include <QStringList>
#include <functional>

// Helpers every test may use; they need the core library only (no window).

// Points HOME, XDG_CONFIG_HOME and XDG_DATA_HOME at a fresh temporary folder
// (call before the first use of the settings store) and, when `storeOutput`,
// stores an existing output base folder there so no settings dialog appears.
// Returns the temporary home.
QString UseTemporaryHome(bool storeOutput = true);

// A fresh temporary folder for one test, removed at exit.
QString MakeTempDir();

// Writes `content` into the file (made or emptied), or adds it to its end;
// false when the file cannot be written.
bool Touch(const QString &path, const QByteArray &content = "data", bool append = false);

// Runs a program to its end and returns its exit code (-1 when it cannot run).
int RunProgram(const QString &program, const QStringList &arguments, QByteArray *output = nullptr,
               int timeoutMs = 120000);

// The one way tests wait: checks `condition` until it holds or `milliseconds`
// have passed, handling the application's events meanwhile when there is an
// application (so queued updates reach a window). True when it held.
bool WaitUntil(const std::function<bool()> &condition, int milliseconds = 15000);

// The state letter of a process ('R', 'S', 'T' ...), 0 when it is gone.
char ProcessState(qint64 pid);
