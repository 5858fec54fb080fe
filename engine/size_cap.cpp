#include "engine/size_cap.h"

#include "engine/conversion_batch.h"

#include <QRegularExpression>
#include <algorithm>
#include <cmath>

namespace {

// The first pass aims the whole file at this share of the limit: at a rate
// the limit sets, the encoders wrote up to 8 % more video than asked
// (MPEG-4 at 512 kbit/s 2-6 %, H.263 at 384 6-13 %, Sorenson at 384 4-9 %).
constexpr double kFirstAim = 0.92;
// A pass made again knows the file's own sound and container bytes and the
// encoder's miss: it aims closer.
constexpr double kAgainAim = 0.96;
// A file whose rate the limit set is too far below the limit under this share.
constexpr double kLeastShare = 0.85;
// An encoder that wrote this share of the video it was asked for would
// spend more if given more; one that wrote less has a picture that needs less.
constexpr double kSpentShare = 0.9;

// Bytes per second of one kbit/s.
constexpr double kBytesPerKbit = 1000.0 / 8;

double LandsKbits(const SizeFacts &facts, int soundKbits)
{
    for (const SoundRate &rate : facts.sound) {
        if (rate.kbits == soundKbits)
            return rate.landsKbits;
    }
    return soundKbits;
}

qint64 CeilBytes(double bytes)
{
    return qint64(std::ceil(bytes));
}

}  // namespace

std::optional<qint64> ParseSizeText(const QString &text)
{
    static const QRegularExpression pattern(QStringLiteral("^\\s*(\\d+(?:\\.\\d+)?)\\s*([kmg]?)(?:i?b)?\\s*$"),
                                            QRegularExpression::CaseInsensitiveOption);
    const QRegularExpressionMatch match = pattern.match(text);
    if (!match.hasMatch())
        return std::nullopt;
    bool ok = false;
    double value = match.captured(1).toDouble(&ok);
    if (!ok)
        return std::nullopt;
    const QChar unit = match.captured(2).isEmpty() ? QChar() : match.captured(2).at(0).toLower();
    if (unit == u'k')
        value *= 1024;
    else if (unit == u'm')
        value *= 1024.0 * 1024;
    else if (unit == u'g')
        value *= 1024.0 * 1024 * 1024;
    const qint64 bytes = qint64(std::floor(value));
    if (bytes <= 0 || value > 1e15)
        return std::nullopt;
    return bytes;
}

qint64 EstimatedFileBytes(OutputFormat format, int videoKbits, int soundKbits, int frameRate, double seconds)
{
    const SizeFacts &facts = StepsFor(format).size;
    const double video = videoKbits * facts.videoOvershoot;
    const double perSecond = (video + LandsKbits(facts, soundKbits)) * kBytesPerKbit + facts.bytesPerSecond +
                             facts.bytesPerFrame * frameRate;
    return CeilBytes(facts.headerBytes + perSecond * seconds);
}

SizePlan PlanSizeLimit(const BatchChoices &choices, double seconds)
{
    const SizeFacts &facts = StepsFor(choices.format).size;
    const double target = double(choices.maxBytes) * kFirstAim;
    for (size_t i = 0; i < facts.sound.size(); ++i) {
        const int sound = facts.sound[i].kbits;
        const qint64 rest = EstimatedFileBytes(choices.format, 0, sound, choices.frameRate, seconds);
        const double room = std::floor((target - double(rest)) / kBytesPerKbit / seconds / facts.videoOvershoot);
        if (room >= choices.bitrate)
            return {choices.bitrate, sound, false, 0};
        const int video = int(std::max(room, 0.0));
        const bool lowestSound = i + 1 == facts.sound.size();
        if ((video >= sound || lowestSound) && video >= facts.floorKbits)
            return {video, sound, true, 0};
    }
    const int lowest = facts.sound.back().kbits;
    const qint64 least = EstimatedFileBytes(choices.format, facts.floorKbits, lowest, choices.frameRate, seconds);
    return {0, lowest, false, CeilBytes(double(least) / kFirstAim)};
}

PassVerdict JudgePass(const BatchChoices &choices, const SizePlan &plan, const PassSize &pass, bool firstPass)
{
    const double limit = double(choices.maxBytes);
    const double rest = double(std::max<qint64>(0, pass.fileBytes - pass.videoBytes));
    const int floorKbits = StepsFor(choices.format).size.floorKbits;
    // The rate that puts the video into what the limit leaves beside this
    // file's own sound and container, scaled by how the encoder kept to the
    // rate it was asked for.
    const double room = limit * kAgainAim - rest;
    const double again = pass.videoBytes > 0 ? pass.askedKbits * room / double(pass.videoBytes) : 0;

    if (pass.fileBytes <= choices.maxBytes) {
        const bool spent = double(pass.videoBytes) >= kSpentShare * pass.askedKbits * kBytesPerKbit * pass.seconds;
        if (firstPass && plan.capped && double(pass.fileBytes) < limit * kLeastShare && spent) {
            const int higher = int(std::min(std::floor(again), double(choices.bitrate)));
            if (higher > pass.askedKbits)
                return {PassVerdict::EncodeAgain, higher, 0};
        }
        return {};
    }
    if (!firstPass || pass.videoBytes <= 0)
        return {PassVerdict::TooBig, 0, pass.fileBytes};
    if (again < floorKbits) {
        // The video at the floor, as far as the encoder's miss tells.
        const double video = pass.askedKbits > 0 ? double(pass.videoBytes) * floorKbits / pass.askedKbits : 0;
        return {PassVerdict::TooBig, 0, CeilBytes((rest + video) / kAgainAim)};
    }
    return {PassVerdict::EncodeAgain, int(std::floor(again)), 0};
}
