#pragma once

#include "engine/conversion_batch.h"

#include <QByteArray>
#include <QList>
#include <QString>

// What `q9plemo --convert …` asks for. It needs the core only, so a unit test
// reads command lines without a window.
struct ConvertRequest {
    bool help = false;
    // The format, size, rate, bitrate and size limit; naming and shape stay
    // the settings' (the runner fills them, as the window's start does).
    BatchChoices choices;
    QByteArray outputDir;     // --output as given; empty: the window's dated folder
    QList<QByteArray> names;  // the files and folders to convert, as their bytes
};

// A command line read, or why it cannot be: `error` names the bad option.
struct ParsedCommandLine {
    ConvertRequest request;
    QString error;  // empty when the command line is good
};

// True when the program's arguments (argv without the program's name) ask for
// the command line's batch or its help rather than the window: `--convert`,
// `--help` or `-h` before any `--`.
bool WantsCommandLine(const QList<QByteArray> &arguments);

// Reads the arguments (argv without the program's name). Options take their
// value as the next argument or after "="; `--` ends the options. Size, rate
// and bitrate must be ones the window's boxes offer for the format; those not
// given are the format's defaults.
ParsedCommandLine ParseConvertArguments(const QList<QByteArray> &arguments);

// The text `--help` prints, with every format's choices from the preset tables.
QString ConvertUsage();
