#include "engine/picture_motion.h"

#include <cstdlib>

namespace {

// A source picture that changes by this much per pixel is moving: more than
// the noise of a re-encoded still picture, far less than any change of scene.
constexpr double kMovingChange = 2.0;
// An output that changes by less than this (and by less than a quarter of
// the source's change) holds one picture: its repeated frames differ only by
// coding noise.
constexpr double kStillChange = 0.5;
// The share of the chosen rate below which an encoded picture may be still.
constexpr double kStillRateShare = 0.25;

}  // namespace

std::optional<double> PictureChange(const MotionSample &sample)
{
    const qsizetype size = sample.early.size();
    if (size == 0 || sample.late.size() != size)
        return std::nullopt;
    qint64 sum = 0;
    for (qsizetype i = 0; i < size; ++i)
        sum += std::abs(int(quint8(sample.early[i])) - int(quint8(sample.late[i])));
    return double(sum) / double(size);
}

bool PictureStaysStill(const MotionSample &source, const MotionSample &output, bool broken)
{
    const std::optional<double> sourceChange = PictureChange(source);
    const std::optional<double> outputChange = PictureChange(output);
    if (!outputChange)
        return false;
    if (!sourceChange)
        return broken && *outputChange < kStillChange;
    return *sourceChange >= kMovingChange && *outputChange < kStillChange && *outputChange * 4 < *sourceChange;
}

bool EncodedRateAllowsStill(std::optional<double> videoKbits, int chosenKbits)
{
    return !videoKbits || chosenKbits <= 0 || *videoKbits < kStillRateShare * chosenKbits;
}

bool DecodeTroubleAllowsStill(int repeatedFrames, int damagedPictures, std::optional<int> framesWritten)
{
    return damagedPictures > 0 || (framesWritten && repeatedFrames * 2 > *framesWritten);
}

bool DecodingMostlyFailed(int damagedPictures, std::optional<int> framesWritten)
{
    return framesWritten && *framesWritten > 0 && damagedPictures * 2 >= *framesWritten;
}
