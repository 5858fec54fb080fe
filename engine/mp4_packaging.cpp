#include "engine/mp4_packaging.h"

#include "engine/output_naming.h"
#include "engine/output_report.h"
#include "engine/row_files.h"
#include "engine/tool_step.h"
#include "process/command_line.h"

namespace {

QString Sibling(const QString &stem, const char *extension)
{
    return stem + QLatin1String(extension);
}

}  // namespace

// One run of mp4creator makes the MP4 of the encoder's AVI. It takes the
// MPEG-4 video straight from the AVI, one frame per chunk (byte for byte what
// a raw stream split out by the encoder held), and compresses the AVI's PCM
// sound to AAC-LC at 128 kbit/s with libavcodec's fast AAC coder (the same
// samples, bit for bit, as ffmpeg's "-c:a aac -aac_coder fast -b:a 128k" gave
// in ADTS frames). For a 5 s clip that one run took 0.12 s of CPU time where
// the encoder's split, ffmpeg's AAC and two mp4creator runs took 0.45 s, almost
// all of it their starts. With "-list" it then reads the MP4 back and prints
// what it holds: the row's read-back, without a run of its own. It writes
// into the temporary named here, one of the row's own files.
QByteArray Mp4PackagingParameters(const QString &stem, int frameRate, int aacKbits)
{
    const QString mp4 = Sibling(stem, ".mp4");
    return "-c " + QuotePath(Sibling(stem, ".avi")) + " -rate=" + QByteArray::number(frameRate) +
           " -aac=" + QByteArray::number(aacKbits) + " -tmp=" + QuotePath(PackerTempPath(mp4)) + " -list " +
           QuotePath(mp4);
}

RowResult PackageMp4(const QString &avi, const PackagingRun &run)
{
    const QString stem = OutputStem(avi);
    const StepResult done =
        RunRowTool(run.toolDir + "mp4creator", Mp4PackagingParameters(stem, run.frameRate, run.aacKbits), run.limits,
                   *run.control, stem, FailReason::PackagingFailed);
    if (done.end)
        return *done.end;
    const QString mp4 = Sibling(stem, ".mp4");
    if (!FileHasContent(mp4))
        return RowResult::failed(FailReason::PackagingFailed);
    RowResult result = RowResult::finished();
    // Without a listing (none printed), the worker reads the file back itself.
    if (done.run.tail.contains('{'))
        result.output = OutputReport{ListedOutputFacts(done.run.tail, mp4), OutputMismatch::None};
    return result;
}
