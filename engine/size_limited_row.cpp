#include "engine/size_limited_row.h"

#include "base/log.h"
#include "engine/output_motion.h"
#include "engine/size_cap.h"

#include <QFile>
#include <QFileInfo>
#include <algorithm>

namespace {

// The source's play time for the plan: ffmpeg's reading of its header is finer
// than the probe's whole seconds; where they differ, the longer one (a length
// taken too long lands below the limit, where a second pass can raise the
// rate; one taken too short lands over it). The probe alone cuts off the
// fraction: its seconds and one more.
std::optional<double> LengthForLimit(const ConversionJob &job, const RowEntry &row)
{
    const std::optional<double> header = MediaSeconds(job.toolDir, row.path, ConversionLimits(job, row));
    if (header)
        return std::max(*header, double(row.seconds));
    if (row.seconds > 0)
        return row.seconds + 1.0;
    return std::nullopt;
}

RowResult OverLimit(const RowEntry &row, qint64 limit, qint64 smallest)
{
    qCWarning(lcQ9) << "row failed (over the size limit):" << row.path << "cannot be made into" << limit
                    << "bytes; the smallest it makes is about" << smallest << "bytes";
    return RowResult::overSizeLimit(smallest);
}

}  // namespace

RowResult ConvertWithinSizeLimit(ConversionJob &job, const RowEntry &row, const QString &finalFile, const RowPass &pass,
                                 EncodedVideo *video)
{
    const qint64 limit = job.choices.maxBytes;
    const std::optional<double> seconds = LengthForLimit(job, row);
    if (!seconds) {
        qCWarning(lcQ9) << "row failed (length unknown for the size limit):" << row.path;
        return RowResult::failed(FailReason::LengthUnknown);
    }
    const SizePlan plan = PlanSizeLimit(job.choices, *seconds);
    if (!plan.fits())
        return OverLimit(row, limit, plan.smallestBytes);

    BatchChoices choices = job.choices;
    choices.bitrate = plan.videoKbits;
    choices.soundBitrate = plan.soundKbits;
    RowResult result = pass(choices, video);
    if (!result.ok())
        return result;
    const auto judge = [&](bool firstPass) {
        const PassSize size{QFileInfo(finalFile).size(), video->videoBytes, choices.bitrate, *seconds};
        qCDebug(lcQ9) << "size limit" << limit << "for" << *seconds << "s: asked" << choices.bitrate << "+"
                      << choices.soundBitrate << "kbit/s, wrote" << size.fileBytes << "bytes, video" << size.videoBytes;
        return JudgePass(job.choices, plan, size, firstPass);
    };
    PassVerdict verdict = judge(true);
    if (verdict.kind == PassVerdict::EncodeAgain) {
        if (job.encoder.stopRequested())
            return RowResult::stopped();
        // A packer adds its tracks to an MP4 that is there: the first pass's goes.
        if (StepsFor(choices.format).afterStep)
            QFile::remove(finalFile);
        choices.bitrate = verdict.videoKbits;
        result = pass(choices, video);
        if (!result.ok())
            return result;
        verdict = judge(false);
    }
    if (verdict.kind == PassVerdict::TooBig)
        return OverLimit(row, limit, verdict.smallestBytes);
    return result;
}
