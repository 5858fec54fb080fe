#include "engine/encoder_command_lines.h"

#include "engine/mpeg4_level.h"
#include "engine/output_naming.h"
#include "engine/row_files.h"
#include "process/command_line.h"
#include "process/cpu_cores.h"

#include <QFile>
#include <algorithm>
#include <cmath>

namespace {

// The smallest picture (320x240) whose MPEG-4 encoding gets encoder threads.
constexpr qint64 kMinPixelsForEncoderThreads = 320 * 240;
// The shortest source (in seconds) that is decoded in threads.
constexpr double kMinSecondsForDecoderThreads = 30;

// "-lavdopts threads=N": the source is decoded in one thread per core (up to
// 8). Decoding a large source is most of the work for the small outputs, and
// with one decoder thread the encoder step left every other core idle: 20 s of
// 1280x720 H.264 to the default MP4 preset took 1.91 s with one thread and
// 1.44 s with two on a 2-core machine. But the encoder does not drain the
// frames a threaded decoder still holds at the end of the source: each thread
// beyond the first loses the source's last frame. That is nothing against a
// source of half a minute or more; a shorter one (or one of unknown length)
// is decoded in one thread and keeps every frame, and takes little time anyway.
QByteArray DecoderThreads(const EncoderStep &step)
{
    if (CodecThreads() < 2 || step.sourceSeconds < kMinSecondsForDecoderThreads)
        return {};
    return "-lavdopts threads=" + QByteArray::number(CodecThreads()) + ' ';
}

// ":threads=N" for the MPEG-4 encoder of the MP4 template where its slice
// threads pay off: they split each picture into one slice per thread. With
// mbd=2, trell and vhq they shortened the step from 320x240 up
// (1280x720 H.264 source, 2 cores: 60 s to the default 320x240/15/512 preset
// 5.04 -> 4.72 s, median of five; 20 s at 25 fps to 480x320 2.55 -> 2.30 s and
// to 720x480 3.58 -> 3.11 s); below 320x240 a slice is too little work and they
// gain nothing. The H.263 encoder of the 3GP template and the FLV encoder have
// no slice threads.
QByteArray Mpeg4EncoderThreads(const BatchChoices &choices)
{
    const qint64 pixels = qint64(choices.width) * choices.height;
    if (CodecThreads() < 2 || pixels < kMinPixelsForEncoderThreads)
        return {};
    return ":threads=" + QByteArray::number(CodecThreads());
}

// The tool and the options every template starts with, up to "-vf ".
// The encoder counts time by the packets it reads, not by the pictures its
// decoder returns. A decoder that holds pictures back to reorder them (H.264
// or MPEG-4 with B-frames) returns none for the first packets; -ofps fills
// those frames with the first picture repeated, and the pictures still held at
// the end are dropped. The picture then ran a source frame late (5 s of 25 fps
// H.264 to FLV at 25: 124 frames, each one picture late). "-skiplimit 0"
// keeps the encoder from repeating or dropping frames to hold to -ofps: each
// picture is taken once, in order, and none is late or lost. That is right
// only for a source whose frames come at exactly the output rate, as its
// index tells; the frames of any other source must be thinned or filled, and
// stay as late as before (25 fps to 15: two to three source frames, about
// what ffmpeg's "-r 15" gives). No other option of this encoder helps
// ("-demuxer lavf", "-lavdopts o=flags=+low_delay" and a bare "-vf scale" do
// not; "-noskip" undoes -ofps).
QByteArray EncoderStart(const EncoderStep &step, const BatchChoices &choices)
{
    QByteArray line = ToolPathArg(step.toolDir + "mencoder") + ' ';
    // The built-in ASF reader assumes 1000 fps and writes an output half as long
    // again. The built-in AVI reader, on an AVI with MP3 sound whose video has
    // no B-frames (what ffmpeg writes by default, with MPEG-4, MJPEG or MS
    // MPEG-4 video), hands the decoder data it makes no picture of after the
    // first: every output frame is the source's first, even without sound.
    // The libavformat reader is right for both (but not for MPEG-PS, nor for
    // AVIs the encoder wrote with dropped frames, whose empty chunks it skips).
    // A timed copy is Matroska whatever the source was.
    if (step.matroskaReader)
        line += "-demuxer mkv ";
    else if (step.asfSource || step.libavformatReader)
        line += "-demuxer lavf ";
    if (step.timing.runsAt(choices.frameRate))
        line += "-skiplimit 0 ";
    // "-ni": without it the built-in MPEG-PS reader drops the audio of DVD VOBs.
    // "-nofontconfig": the encoder draws no text into the picture (a subtitle
    // file beside the source changes nothing), yet it read the whole font
    // configuration at every start, 2.5 % of its work on a 5 s clip.
    line += "-ni -mc 0 -nofontconfig -af volnorm ";
    line += DecoderThreads(step);
    line += "-vf ";
    return line;
}

// The picture filters: the turn that stands the source's picture upright (a
// phone stores it on its side), so that the size is fitted to the picture as
// it is shown; the size in the chosen shape (bars, cut or stretched, laid out
// for the format's pixel shape), then "harddup" so that the frames -ofps repeats
// are written out whole, then "fixpts" so that the encoder numbers the frames
// itself. A source that carries timestamps (MKV, MP4, FLV, ASF, MPEG-PS) would
// otherwise hand the encoder timestamps that run ahead of the repeated frames,
// and libavcodec drops each repeat ("Invalid pts (6) <= last (6)"): from a
// source slower than the output rate the MP4 came out short and ahead of its
// sound, and the FLV jerky.
QByteArray PictureFilters(const EncoderStep &step, const BatchChoices &choices, OutputFormat format)
{
    return PictureTurnFilters(step.turn) +
           PictureShapeFilters(choices.shape, step.shape, step.turn, choices.width, choices.height,
                               StepsFor(format).pixels) +
           ",harddup,fixpts";
}

// Without it the stream header claims Simple Profile level 1 (QCIF at 64
// kbit/s) whatever the size and bitrate; a strict player may then refuse it.
QByteArray LevelOption(const BatchChoices &choices)
{
    const SimpleProfileLevel &level =
        SimpleProfileLevelFor(choices.width, choices.height, choices.frameRate, choices.bitrate);
    return ":o=level=" + QByteArray::number(level.code);
}

// ":keyint=N", a key frame every two seconds: a player seeks to key frames
// only, and the encoder's own default (one in 250 frames, 17 s at 15 fps) made
// the 3GP's seeking far coarser than when ffmpeg wrote its picture (one in 12).
// At 176x144/15/64 one in 30 costs nothing at equal size (SSIM +0.0014).
QByteArray KeyFrameEvery2s(const BatchChoices &choices)
{
    const int frames = std::max(1, int(std::lround(2.0 * choices.frameRate)));
    return ":keyint=" + QByteArray::number(frames);
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
    QByteArray line = EncoderStart(step, choices);
    line += PictureFilters(step, choices, OutputFormat::ThreeGp);
    // Every size of the 3GP table is an H.263 size, so the encoder writes the
    // H.263 picture itself, at the chosen bitrate, and the packer only copies
    // it: the picture is compressed once. The sound stays PCM, already at the
    // 8000 Hz AMR-NB takes, for the packer to compress once. The packer tells
    // key frames from the pictures themselves, not from the AVI's index.
    // The quality options cost no measurable time here (decoding the source is
    // the work). SSIM against the same frames written losslessly, 5 s of
    // 640x480 H.264 to 176x144/15 at 51/64/80 kbit/s (equal sizes within 2 %),
    // encoder CPU time at 64: none 0.9642/0.9703/0.9780, 0.33 s; mbd=2
    // 0.9639/0.9738/0.9786, 0.37 s; with last_pred=3 and mv0
    // 0.9661/0.9744/0.9803, 0.33 s. trell (0.9658/0.9721/0.9789) and cbp_rd
    // with it (0.9653/0.9711/0.9791) gain nothing. This libavcodec takes mv0
    // only as an mpv_flag and stops otherwise.
    line += " -srate 8000 -oac pcm -ovc lavc -lavcopts vcodec=h263:vbitrate=" + QByteArray::number(choices.bitrate);
    line += ":mbd=2:last_pred=3" + KeyFrameEvery2s(choices) + ":o=mpv_flags=+mv0";
    line += " -ofps " + QByteArray::number(choices.frameRate);
    line += ' ' + SourceAndOutput(step);
    return line;
}

QByteArray Mp4EncoderCommandLine(const EncoderStep &step, const BatchChoices &choices)
{
    QByteArray line = EncoderStart(step, choices);
    line += PictureFilters(step, choices, OutputFormat::Mp4);
    // This encoder has no faac and its libavcodec AAC cannot open: the AVI keeps
    // the sound as PCM, and MP4 packaging compresses it once, to AAC-LC.
    // SSIM against the same frames written losslessly, 5 s of 640x480 H.264
    // to 320x240/15 at 409/512 kbit/s, with sizes and encoder CPU time at 512:
    // none 0.9927/0.9942, 385 KB, 0.35 s; mbd=2 0.9938/0.9952, 383 KB, 0.35 s;
    // mbd=2:v4mv:last_pred=3 0.9946/0.9958, 384 KB, 0.40 s. trell gains
    // nothing at equal size (mbd=2:trell 0.9936/0.9951, 390 KB) for +0.08 s;
    // and "vhq" means mbd=1, so after mbd=2 it undid it (mbd=2:trell:vhq wrote
    // the very bytes of mbd=1:trell: 0.9926/0.9944, 391 KB, 0.42 s).
    // v4mv:last_pred=3 is left out: in a batch it is time a user waits for
    // (twenty such clips, two at once: 4.14-4.21 s of encoding with it,
    // 3.93-4.06 s without) for +0.0002 SSIM against the scaled source (0.8682
    // with, 0.8680 without, both above ffmpeg's 0.8669 at a 10 % larger size).
    line += " -srate 44100 -oac pcm -ovc lavc -ffourcc DIVX "
            "-lavcopts vcodec=mpeg4:mbd=2:autoaspect:vbitrate=";
    line += QByteArray::number(choices.bitrate) + Mpeg4EncoderThreads(choices);
    line += LevelOption(choices);
    line += " -ofps " + QByteArray::number(choices.frameRate);
    line += ' ' + SourceAndOutput(step);
    return line;
}

QByteArray FlvEncoderCommandLine(const EncoderStep &step, const BatchChoices &choices)
{
    QByteArray line = EncoderStart(step, choices);
    line += PictureFilters(step, choices, OutputFormat::Flv);
    line += " -srate 44100 -ofps " + QByteArray::number(choices.frameRate);
    line += " -oac mp3lame -lameopts abr:br=" + QByteArray::number(SoundKbits(OutputFormat::Flv, choices));
    line += " -ovc lavc -of lavf -lavfopts format=flv -lavcopts vcodec=flv:vbitrate=";
    line += QByteArray::number(choices.bitrate);
    // SSIM against the same frames written losslessly, 5 s of 640x480 H.264
    // to 320x240/25 at 307/384/480 kbit/s (equal sizes within 2 %), encoder
    // CPU time at 384: none 0.9742/0.9772/0.9803, 0.40 s;
    // mbd=2:v4mv:last_pred=3 0.9776/0.9805/0.9829, 0.46 s; with
    // trell and mpv_flags=+mv0+cbp_rd on top 0.9770/0.9804/0.9823, 0.64 s (trell
    // alone on mbd=2 loses 0.001); mv0 alone on top 0.9783/0.9809/0.9832 for
    // +0.03 s, below 0.002.
    line += ":mbd=2:v4mv:last_pred=3 ";
    line += SourceAndOutput(step);
    return line;
}

QByteArray EncoderCommandLine(OutputFormat format, const EncoderStep &step, const BatchChoices &choices)
{
    return StepsFor(format).encoderLine(step, choices);
}

QByteArray Export3gpParameters(const QString &avi)
{
    // The packer copies the picture as the encoder wrote it (H.263 at the
    // chosen size, rate and bitrate, with its 12:11 pixels declared), mixes
    // the sound to the one channel AMR-NB has, compresses it at 12.2 kbit/s,
    // and puts the index before the media data, so that a player can start on
    // a partial file. It writes into the temporary named here, one of the
    // row's own files.
    const QString threeGp = OutputStem(avi) + QStringLiteral(".3gp");
    return "-tmp=" + QuotePath(PackerTempPath(threeGp)) + ' ' + QuotePath(avi) + ' ' + QuotePath(threeGp);
}
