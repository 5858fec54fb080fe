#pragma once

#include "catalogue/probe_port.h"

#include <QByteArray>
#include <QString>
#include <memory>

// Starts a probe of one file: appends the file's row at once (so rows keep
// the order in which files were added, however the threads get scheduled),
// then fills it from the player's identify output on a thread of its own.
// At most as many players run at once as there are cores; later probes wait
// in a queue and start in the order of the adds. Returns without waiting.
// `source` is the file's name as the file system holds it; its output goes to
// `subfolder` below the day's folder.
void StartProbe(std::shared_ptr<ProbePort> port, const QByteArray &source, const QString &subfolder = {});
// The same for a path given as text (a file the user chose in a dialog).
void StartProbe(std::shared_ptr<ProbePort> port, const QString &path);

// The probe's thread procedure: runs the player on the file and writes what it
// reports into the row with id `row` (and no other; nothing once that row has
// been deleted). Returns when the player's output has ended.
void ProbeThread(std::shared_ptr<ProbePort> port, RowId row, QString path);

// The player's identify command line for one file, starting with g_szToolDir.
QByteArray ProbeCommandLine(const QString &path);
