#include "engine/mp4_packaging.h"

#include "engine/command_line.h"
#include "engine/dialog_port.h"
#include "engine/output_naming.h"
#include "engine/process_runner.h"
#include "engine/status_texts.h"

#include <QFile>

namespace {

QString Sibling(const QString &stem, const char *extension)
{
    return stem + QLatin1String(extension);
}

} // namespace

QByteArray RawVideoParameters(const QString &stem, const QString &avi)
{
    return "-ovc copy -nosound -of rawvideo -o " + QuotePath(Sibling(stem, ".m4v")) + ' ' + QuotePath(avi);
}

QByteArray RawAudioParameters(const QString &stem, const QString &avi)
{
    return "-ovc frameno -oac copy -of rawaudio -o " + QuotePath(Sibling(stem, ".aac")) + ' ' + QuotePath(avi);
}

QByteArray Mp4VideoTrackParameters(const QString &stem, const QString &frameRate)
{
    return "-c " + QuotePath(Sibling(stem, ".m4v")) + " -rate=" + frameRate.toLocal8Bit() + ' ' +
           QuotePath(Sibling(stem, ".mp4"));
}

QByteArray Mp4AudioTrackParameters(const QString &stem)
{
    return "-c " + QuotePath(Sibling(stem, ".aac")) + ' ' + QuotePath(Sibling(stem, ".mp4"));
}

RowOutcome PackageMp4(const QString &avi, const QString &frameRate, const QByteArray &toolDir,
                      DialogPort &port, const std::atomic<bool> &stop)
{
    port.setStatusText(QString::fromUtf8(StatusText::kExporting));
    const QString stem = OutputStem(avi);
    const QByteArray encoder = toolDir + "mencoder";
    const QByteArray creator = toolDir + "mp4creator";

    bool good = RunAndWait(encoder, RawVideoParameters(stem, avi)).ok() && FileHasContent(Sibling(stem, ".m4v"));
    if (stop.load())
        return RowOutcome::Stopped;
    if (good) {
        good = RunAndWait(encoder, RawAudioParameters(stem, avi)).ok();
        if (stop.load())
            return RowOutcome::Stopped;
    }
    if (good) {
        good = RunAndWait(creator, Mp4VideoTrackParameters(stem, frameRate)).ok();
        if (stop.load())
            return RowOutcome::Stopped;
    }
    // A video-only AVI gives no raw audio (the extraction exits 0 and writes
    // nothing); the MP4 then rightly holds the video track alone.
    if (good && FileHasContent(Sibling(stem, ".aac"))) {
        good = RunAndWait(creator, Mp4AudioTrackParameters(stem)).ok();
        if (stop.load())
            return RowOutcome::Stopped;
    }
    good = good && FileHasContent(Sibling(stem, ".mp4"));

    // The raw streams are copies of what the AVI holds; the AVI itself goes only
    // once the MP4 is there.
    if (good)
        QFile::remove(avi);
    else
        QFile::remove(Sibling(stem, ".mp4"));
    for (const char *extension : {".m4v", ".264", ".aac"})
        QFile::remove(Sibling(stem, extension));
    return good ? RowOutcome::Finished : RowOutcome::Failed;
}
