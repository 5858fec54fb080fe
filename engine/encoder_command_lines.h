#pragma once

#include "catalogue/frame_timing.h"
#include "catalogue/picture_turn.h"
#include "engine/conversion_batch.h"
#include "engine/output_presets.h"
#include "engine/picture_shape.h"

#include <QByteArray>
#include <QString>

// What one encoder step works on besides the captured choices.
struct EncoderStep {
    QByteArray toolDir;        // ends in '/'
    QString source;            // the row's file
    QString output;            // the encoder's output file
    bool asfSource = false;    // the source is a Windows Media (ASF) file
    double sourceSeconds = 0;  // the source's probed play time; 0 when unknown
    // Read with the encoder's own Matroska reader, which times frames by their timestamps.
    bool matroskaReader = false;
    PictureTurn turn{};              // how the stored picture is turned upright
    bool libavformatReader = false;  // an AVI read through libavformat (MP3 sound, or empty frames)
    SourceShape shape{};             // the source's stored size and pixel shape; unknown: stretched
    PictureTiming timing{};          // the frame times of `source` as its index tells them
};

// Whether the file starts with the GUID of the ASF header object.
bool StartsWithAsfHeader(const QString &path);

// The encoder command line of each format, piece by piece.
QByteArray ThreeGpEncoderCommandLine(const EncoderStep &step, const BatchChoices &choices);
QByteArray Mp4EncoderCommandLine(const EncoderStep &step, const BatchChoices &choices);
QByteArray FlvEncoderCommandLine(const EncoderStep &step, const BatchChoices &choices);
QByteArray EncoderCommandLine(OutputFormat format, const EncoderStep &step, const BatchChoices &choices);

// Parameter text of pack3gp for the encoder's `avi` and the sibling ".3gp": the
// encoder's H.263 picture copied as it is (its 12:11 pixels declared), its
// sound compressed to AMR-NB, written through the temporary PackerTempPath names.
QByteArray Export3gpParameters(const QString &avi);
