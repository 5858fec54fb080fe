#pragma once

#include "engine/encoder_control.h"
#include "engine/row_outcome.h"
#include "process/tool_watchdog.h"

#include <QByteArray>
#include <QString>

// Parameter text of the packaging run, for the stem of the encoder's AVI,
// its sound compressed at `aacKbits`.
QByteArray Mp4PackagingParameters(const QString &stem, int frameRate, int aacKbits = 128);

// What the packaging of one row runs with.
struct PackagingRun {
    QByteArray toolDir;           // ends in '/'
    int frameRate = 0;            // the batch's frame rate
    ToolWatchdog::Limits limits;  // for each of its tools
    EncoderControl *control;      // names each tool while it runs, for pause and stop
    int aacKbits = 128;           // the sound's rate
};

// Turns the encoder's AVI into stem + ".mp4" with one run of mp4creator: the
// AVI's video track and (when the AVI has sound) its sound compressed to AAC.
// The run must exit 0 and the MP4 must hold data; it reads the MP4 back, and
// the result carries what it holds (`RowResult::output`, not yet checked).
// Nothing is removed here: the worker keeps the MP4 of a finished row and
// removes the rest.
RowResult PackageMp4(const QString &avi, const PackagingRun &run);
