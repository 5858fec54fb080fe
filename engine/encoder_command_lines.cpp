#include "engine/encoder_command_lines.h"

#include "engine/command_line.h"
#include "engine/mpeg4_level.h"
#include "engine/output_naming.h"

#include <QFile>

namespace {

QByteArray Text(const QString &value)
{
    return value.toLocal8Bit();
}

// The tool and the options every template starts with, up to "scale=".
QByteArray EncoderStart(const EncoderStep &step)
{
    QByteArray line = ToolPathArg(step.toolDir + "mencoder") + ' ';
    // The built-in ASF reader assumes 1000 fps and writes an output half as long
    // again; the libavformat reader is right for ASF (but not for MPEG-PS).
    if (step.asfSource)
        line += "-demuxer lavf ";
    // "-ni": without it the built-in MPEG-PS reader drops the audio of DVD VOBs.
    line += "-ni -mc 0 -af volnorm -vf scale=";
    return line;
}

// The picture filters: the size, then "harddup" so that the frames -ofps repeats
// are written out whole, then "fixpts" so that the encoder numbers the frames
// itself. A source that carries timestamps (MKV, MP4, FLV, ASF, MPEG-PS) would
// otherwise hand the encoder timestamps that run ahead of the repeated frames,
// and libavcodec drops each repeat ("Invalid pts (6) <= last (6)"): from a
// source slower than the output rate the MP4 came out short and ahead of its
// sound, and the FLV jerky.
QByteArray PictureFilters(const BatchChoices &choices)
{
    return Text(choices.width) + ':' + Text(choices.height) + ",harddup,fixpts";
}

// Without it the stream header claims Simple Profile level 1 (QCIF at 64
// kbit/s) whatever the size and bitrate; a strict player may then refuse it.
QByteArray LevelOption(const BatchChoices &choices)
{
    const SimpleProfileLevel &level = SimpleProfileLevelFor(choices.width.toInt(), choices.height.toInt(),
                                                            choices.frameRate.toDouble(), choices.bitrate.toInt());
    return ":o=level=" + QByteArray::number(level.code);
}

QByteArray SourceAndOutput(const EncoderStep &step)
{
    return QuotePath(step.source) + " -o " + QuotePath(step.output);
}

}  // namespace

bool StartsWithAsfHeader(const QString &path)
{
    static const QByteArray asfHeaderGuid = QByteArray::fromHex("3026b2758e66cf11a6d900aa0062ce6c");
    QFile file(path);
    if (!file.open(QIODevice::ReadOnly))
        return false;
    return file.read(asfHeaderGuid.size()) == asfHeaderGuid;
}

QByteArray ThreeGpEncoderCommandLine(const EncoderStep &step, const BatchChoices &choices)
{
    QByteArray line = EncoderStart(step);
    line += PictureFilters(choices);
    // The encoder's libavcodec audio cannot open MP2 here; twolame writes the same
    // MP2 at 128 kbit/s but takes no 8000 Hz input, hence the fixed rate (the
    // export resamples to 8000 Hz anyway).
    line += " -srate 44100 -oac twolame -twolameopts br=128 -ovc lavc -lavcopts vcodec=mpeg4 -ofps ";
    line += Text(choices.frameRate);
    line += ' ' + SourceAndOutput(step);
    return line;
}

QByteArray Mp4EncoderCommandLine(const EncoderStep &step, const BatchChoices &choices)
{
    QByteArray line = EncoderStart(step);
    line += PictureFilters(choices);
    // This encoder has no faac and its libavcodec AAC cannot open: the AVI keeps
    // the sound as PCM, and MP4 packaging compresses it once, to AAC-LC.
    line += " -srate 44100 -oac pcm -ovc lavc -ffourcc DIVX "
            "-lavcopts vcodec=mpeg4:mbd=2:trell:autoaspect:vbitrate=";
    line += Text(choices.bitrate);
    line += ":vhq" + LevelOption(choices);
    line += " -ofps " + Text(choices.frameRate);
    line += ' ' + SourceAndOutput(step);
    return line;
}

QByteArray FlvEncoderCommandLine(const EncoderStep &step, const BatchChoices &choices)
{
    QByteArray line = EncoderStart(step);
    line += PictureFilters(choices);
    line += " -srate 44100 -ofps " + Text(choices.frameRate);
    line += " -oac mp3lame -lameopts abr:br=64 -ovc lavc -of lavf -lavfopts format=flv -lavcopts vcodec=flv:vbitrate=";
    line += Text(choices.bitrate);
    // This libavcodec takes mv0 and cbp only as mpv_flags and stops otherwise.
    line += ":mbd=2:trell:v4mv:last_pred=3:o=mpv_flags=+mv0+cbp_rd ";
    line += SourceAndOutput(step);
    return line;
}

QByteArray EncoderCommandLine(OutputFormat format, const EncoderStep &step, const BatchChoices &choices)
{
    switch (format) {
    case OutputFormat::ThreeGp:
        return ThreeGpEncoderCommandLine(step, choices);
    case OutputFormat::Mp4:
        return Mp4EncoderCommandLine(step, choices);
    case OutputFormat::Flv:
        break;
    }
    return FlvEncoderCommandLine(step, choices);
}

QByteArray Export3gpParameters(const QString &avi, const QString &resolution, const QString &frameRate)
{
    QByteArray parameters = "-y -i " + QuotePath(avi);
    // The AMR-NB encoder is libopencore_amrnb here, and a bare "-b" is ambiguous.
    parameters += " -vcodec h263 -acodec libopencore_amrnb -s " + Text(resolution);
    parameters += " -b:v 64k -r " + Text(frameRate);
    parameters += " -ac 1 -ar 8000 -b:a 12.2k";
    // The index before the media data, so that a player can start on a partial file.
    parameters += " -movflags +faststart " + QuotePath(OutputStem(avi) + QStringLiteral(".3gp"));
    return parameters;
}
