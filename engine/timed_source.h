#pragma once

#include "catalogue/frame_timing.h"
#include "catalogue/source_picture.h"
#include "engine/encoder_control.h"
#include "engine/row_outcome.h"
#include "process/tool_watchdog.h"

#include <QByteArray>
#include <QString>
#include <optional>

// What the encoder step reads for a row's source.
struct EncoderSource {
    QString path;                    // the file the encoder reads
    bool matroskaReader = false;     // read with the encoder's own Matroska reader
    PictureTiming timing;            // the frame times of `path`, as far as its index tells them
    bool libavformatReader = false;  // an AVI with empty frames that cannot be copied: read through libavformat
    std::optional<RowResult> end;    // set when the row ends here (stopped)
};

// ffmpeg's parameters that copy the source's picture and first sound stream,
// unchanged and with their timestamps, into the Matroska file `copy`.
QByteArray TimedCopyParameters(const QString &source, const QString &copy);

// The encoder places the frames it reads through libavformat one frame time
// apart, at the rate the stream header names, whatever their timestamps say: a
// source whose frames come at varying intervals (a phone's dropped frames, a
// screen recording) came out short, its picture ahead of its sound. The
// encoder's own Matroska reader gives each frame the time to the one before
// it, so repeats and drops follow the timestamps. An AVI whose index lists
// empty frames (its writer dropped them) fares worse still: the encoder's own
// AVI reader hands the empty frames to the decoder, which gives no new
// picture after the first of them (the output repeats one frame), and the
// libavformat reader skips them, so that the picture runs ahead. Such a source
// is therefore copied, stream for stream (no decoding), into `stem` + ".mkv" and read
// from there; a constant-rate source is read as it is. The encoder's Matroska
// reader knows MPEG-4 Part 2 of the AVI picture formats (not MJPEG nor
// MS MPEG-4, for example): an AVI with empty frames in another format, or
// one whose copy fails, is read through libavformat, whose picture at least
// moves. Any other source whose copy fails is read directly, as before.
// A source in high dynamic range (`picture` as the row's look at the source
// saw it) is instead turned into SDR by ffmpeg into the same Matroska file,
// which then serves as its timed copy too (`SdrCopyParameters`); when that
// fails it goes the way of any other source, its colours faded. Every other
// source takes no step here beyond reading its index.
EncoderSource PrepareEncoderSource(const QString &source, const QString &stem, const QByteArray &toolDir,
                                   const ToolWatchdog::Limits &limits, EncoderControl &control,
                                   const SourcePicture &picture);
