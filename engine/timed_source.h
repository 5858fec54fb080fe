#pragma once

#include "engine/encoder_control.h"
#include "engine/row_outcome.h"
#include "process/tool_watchdog.h"

#include <QByteArray>
#include <QString>
#include <optional>

// What the encoder step reads for a row's source.
struct EncoderSource {
    QString path;                  // the file the encoder reads
    bool matroskaReader = false;   // read with the encoder's own Matroska reader
    std::optional<RowResult> end;  // set when the row ends here (stopped)
};

// ffmpeg's parameters that copy the source's picture and first sound stream,
// unchanged and with their timestamps, into the Matroska file `copy`.
QByteArray TimedCopyParameters(const QString &source, const QString &copy);

// The encoder places the frames it reads through libavformat one frame time
// apart, at the rate the stream header names, whatever their timestamps say: a
// source whose frames come at varying intervals (a phone's dropped frames, a
// screen recording) came out short, its picture ahead of its sound. The
// encoder's own Matroska reader gives each frame the time to the one before
// it, so repeats and drops follow the timestamps. Such a source is therefore
// copied, stream for stream (no decoding), into `stem` + ".mkv" and read
// from there; a constant-rate source is read as it is. When the copy fails,
// the source is read directly, as before.
EncoderSource PrepareEncoderSource(const QString &source, const QString &stem, const QByteArray &toolDir,
                                   const ToolWatchdog::Limits &limits, EncoderControl &control);
