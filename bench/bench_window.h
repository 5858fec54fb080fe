#pragma once

#include "bench/bench_support.h"
#include "engine/conversion_batch.h"

#include <QString>
#include <QStringList>
#include <optional>

// The benches' view of the program as a user drives it: the main window
// (offscreen, shown, its event loop running as the program's does), and the
// program itself started with files to add. Call UseTemporaryHome() first: the
// window keeps its output folder and its list in that home.

// A window's batch: a fresh main window, shown, takes the format's default
// preset from its format box and the clips as the add command adds them;
// once every row is probed, Start is clicked. Returns the cost from the click
// to the batch's end (nothing when the batch did not end within an hour);
// `folder` gets the folder the window wrote into, and `allDone` whether every
// row ended done.
std::optional<RunCost> WindowBatchCost(OutputFormat format, const QStringList &clips, QString *folder, bool *allDone);

// What a start of the program with files to add costs until their rows are
// ready: the seconds from starting it until every row's probe has ended, as
// the program's timeline tells it (the window's first showing is in between).
struct StartupTimes {
    double windowShown = -1;  // seconds from the start until the window was shown
    double rowsReady = -1;    // seconds from the start until the last row was probed; -1 when they never were
    double cpu = 0;           // CPU seconds of the program and its tools until it was ended
};

// Starts `program` (the built Q9Plemo) offscreen with `clips`, waits until
// their rows are ready, then ends it; the home's kept list is removed so the
// next start begins empty.
StartupTimes ProgramStartupSeconds(const QString &program, const QStringList &clips);
