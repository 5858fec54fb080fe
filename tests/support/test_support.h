#pragma once

#include <QByteArray>
#include <QString>
#include <QStringList>

// Creates the one QApplication the widget tests share (offscreen unless
// QT_QPA_PLATFORM says otherwise).
void EnsureApp();

// Points HOME, XDG_CONFIG_HOME and XDG_DATA_HOME at a fresh temporary folder
// (call before the first use of the settings store) and, when `storeOutput`,
// stores an existing output base folder there so no settings dialog appears.
// Returns the temporary home.
QString UseTemporaryHome(bool storeOutput = true);

// A fresh temporary folder for one test, removed at exit.
QString MakeTempDir();

// Runs a program to its end and returns its exit code (-1 when it cannot run).
int RunProgram(const QString &program, const QStringList &arguments, QByteArray *output = nullptr,
               int timeoutMs = 120000);
