#pragma once

#include <QByteArray>
#include <optional>

// Two small grey thumbnails of one file's picture, at a quarter and at three
// quarters of its length (one byte per pixel, the same size each).
struct MotionSample {
    QByteArray early;
    QByteArray late;
};

// How much the picture changes between the two thumbnails: the mean absolute
// difference per pixel (0-255); nothing when the thumbnails are missing or of
// different sizes.
std::optional<double> PictureChange(const MotionSample &sample);

// Whether the output's picture stays still where the source's moves: the
// source changes clearly and the output hardly at all. A source whose own
// picture does not change, or a sample that could not be taken, never counts;
// except a source that is `broken` (see below) and cannot be sampled: its
// output holds the little of it that could be decoded, repeated.
bool PictureStaysStill(const MotionSample &source, const MotionSample &output, bool broken = false);

// Whether the encoder's own summary leaves room for a still picture, so that
// the thumbnails are worth taking: a repeated picture costs the encoder next to
// nothing, whatever rate it was given (a 5 s moving clip asked for 512 kbit/s
// came out at 617, its frozen twin at 13; 384 FLV: 510 against 17), while a
// moving one spends about its rate. Below a quarter of the chosen rate, or
// with no summary, the picture is looked at.
bool EncodedRateAllowsStill(std::optional<double> videoKbits, int chosenKbits);

// Whether what the source's decoding went through leaves room for a still
// picture, whatever the encoder spent: any picture the decoder found damaged,
// or more than half of the `framesWritten` written again. Key frames every
// two seconds can cost a short frozen output more than a quarter of its rate,
// and such an output is made of exactly these repeats and damaged pictures.
bool DecodeTroubleAllowsStill(int repeatedFrames, int damagedPictures, std::optional<int> framesWritten);

// Whether the source's decoding failed for much of it: the decoder found at
// least half as many pictures damaged as the encoder wrote. Such a source,
// garbage behind a good header, is a damaged file, not one the conversion
// froze.
bool DecodingMostlyFailed(int damagedPictures, std::optional<int> framesWritten);
