#pragma once

#include "engine/dialog_port.h"

#include <QByteArray>
#include <QString>
#include <memory>

// Starts a probe of one file on a thread of its own: the thread appends the
// file's row and fills it from the player's identify output. Returns at once.
void StartProbe(std::shared_ptr<DialogPort> port, const QString &path);

// The probe's thread procedure: appends the row, runs the player on the file
// and writes what it reports into that row (and no other). Returns when the
// player's output has ended.
void ProbeThread(std::shared_ptr<DialogPort> port, QString path);

// The player's identify command line for one file, starting with g_szToolDir.
QByteArray ProbeCommandLine(const QString &path);
