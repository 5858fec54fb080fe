#pragma once

#include "engine/picture_shape.h"

#include <QByteArray>
#include <QList>
#include <QString>
#include <QStringList>
#include <span>

enum class OutputFormat { Mp4, ThreeGp, Flv };

struct BatchChoices;
struct ConversionJob;
struct EncoderStep;
struct RowEntry;
struct RowResult;

// One format's choices: items in the order they are added to each box, and the
// preselected item's text.
struct FormatPresets {
    QStringList resolutions;
    QString defaultResolution;
    QStringList frameRates;
    QString defaultFrameRate;
    QStringList bitrates;
    QString defaultBitrate;
};

const FormatPresets &PresetsFor(OutputFormat format);

// What a handset takes of a format's file, as the read-back names it: the
// codecs, the video profile (nullptr: any) and whether the index must come
// before the media data.
struct HandsetConstraints {
    const char *videoCodec;
    const char *audioCodec;
    const char *videoProfile;
    bool indexFirst;
};

// One rate a format's sound can be written at: what its encoder is told, and
// the most it wrote at that rate on our test sources (kbit/s).
struct SoundRate {
    int kbits;
    double landsKbits;
};

// What a size limit reckons with for one format: the sound's rates, the
// format's own first (a tight limit takes a lower one rather than starve the
// picture), the lowest video rate a row is given, the least its encoder wrote
// over the rate it was asked for, and the container's own bytes: a header,
// plus bytes per second of play that grow with the frame rate (index entries,
// interleaving, tag headers). Measured on this program's files.
struct SizeFacts {
    std::span<const SoundRate> sound;
    int floorKbits;
    double videoOvershoot;
    int headerBytes;
    double bytesPerSecond;
    double bytesPerFrame;  // per second, for each frame per second
};

// How one format's rows are made: the encoder writes `encoderExtension` next
// to the row's stem; the after-step (none for a format the encoder writes
// whole) turns that into `finalExtension`. `pixels` is the shape of the
// stored pixels a player shows them in, the same for every size of the format.
struct FormatSteps {
    const char *encoderExtension;
    const char *finalExtension;
    PixelAspect pixels;
    QByteArray (*encoderLine)(const EncoderStep &step, const BatchChoices &choices);
    RowResult (*afterStep)(ConversionJob &job, const RowEntry &row, const BatchChoices &choices,
                           const QString &encoderOutput);
    HandsetConstraints handset;
    SizeFacts size;
};

const FormatSteps &StepsFor(OutputFormat format);

// The sound rate of a `format` row made with `choices`: the one they name,
// else the format's own.
int SoundKbits(OutputFormat format, const BatchChoices &choices);

// The formats in the order they are added to the format box, and each one's
// name there. The box holds each format as its item's data.
QList<OutputFormat> Formats();
QString FormatName(OutputFormat format);
// The names in that order: "MP4", "3GP", "FLV".
QStringList FormatItems();

// Matches a format's name without regard to case, first "MP4", then "3GP",
// then "FLV"; false when none matches. For names typed by people (tests,
// benchmarks); the window reads the format from the box's item data.
bool ParseFormat(const QString &text, OutputFormat *format);

// Items as a sorted box shows them: ascending, compared without regard to case.
QStringList SortedLikeBox(QStringList items);

// Splits a resolution text at its first "x": "720x480" gives 720 and 480.
void SplitResolution(const QString &resolution, QString *width, QString *height);
