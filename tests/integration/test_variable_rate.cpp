#include "catalogue/frame_timing.h"
#include "engine/conversion_batch.h"
#include "install/tool_installer.h"
#include "tests/support/fake_conversion_port.h"
#include "tests/support/media_probe.h"
#include "tests/support/test_support.h"

#include <QDir>
#include <QFile>
#include <QRegularExpression>
#include <cmath>
#include <cstdlib>
#include <gtest/gtest.h>

// Sources whose frames come at varying intervals, as phones and screen
// recorders write them (H.264 + AAC in MP4, frames kept at their own times):
// every format keeps the picture as long as the sound, moving to the end, and
// in step with it.
namespace {

constexpr double kSeconds = 4;

// An MP4 of kSeconds from a 30 fps `video` put through `filter` (which drops
// frames or moves their times); the frames keep the times the filter gave them.
// An AVI (MPEG-4 and MP3) keeps a dropped frame as an empty one.
QString MakeClip(const QString &path, const QString &video, const QString &filter, const QString &audio)
{
    const QStringList codecs =
        path.endsWith(QLatin1String(".avi"))
            ? QStringList{"-enc_time_base:v", "1/30", "-c:v", "mpeg4", "-c:a", "libmp3lame"}
            : QStringList{"-enc_time_base:v", "1/90000", "-video_track_timescale", "90000", "-c:v", "libx264",
                          "-preset", "ultrafast", "-pix_fmt", "yuv420p", "-c:a", "aac"};
    const int rc = RunProgram("ffmpeg", QStringList{"-v", "error", "-y", "-f", "lavfi", "-i", video, "-f", "lavfi",
                                                    "-i", audio, "-vf", filter, "-fps_mode", "passthrough"} +
                                            codecs + QStringList{"-t", QString::number(kSeconds), path});
    return rc == 0 ? path : QString();
}

// A copy of the AVI at `path` whose index is blanked out, as when a file is cut
// short before it; empty when there is no such AVI.
QString WithoutIndex(const QString &path, const QString &copy)
{
    QFile file(path);
    if (!file.open(QIODevice::ReadOnly))
        return {};
    QByteArray data = file.readAll();
    const qsizetype index = data.lastIndexOf("idx1");
    if (index < 0)
        return {};
    data.replace(index, 4, "JUNK");
    QFile out(copy);
    return out.open(QIODevice::WriteOnly) && out.write(data) == data.size() ? copy : QString();
}

QString Moving()
{
    return QStringLiteral("testsrc=size=160x120:rate=30");
}
QString Tone()
{
    return QStringLiteral("sine=frequency=440:sample_rate=44100");
}

// The picture at `seconds` as 32x24 grey levels.
QByteArray PictureAt(const QString &path, double seconds)
{
    QByteArray grey;
    RunProgram("ffmpeg", {"-v", "error", "-ss", QString::number(seconds), "-i", path, "-frames:v", "1", "-vf",
                          "scale=32:24,format=gray", "-f", "rawvideo", "-"},
               &grey);
    return grey;
}

double MeanDifference(const QByteArray &a, const QByteArray &b)
{
    if (a.size() != b.size() || a.isEmpty())
        return 0;
    double sum = 0;
    for (qsizetype i = 0; i < a.size(); ++i)
        sum += std::abs(int(uchar(a[i])) - int(uchar(b[i])));
    return sum / double(a.size());
}

// Each frame's time and mean brightness, in order.
QList<std::pair<double, double>> FrameLevels(const QString &path)
{
    QByteArray csv;
    RunProgram("ffprobe", {"-v", "error", "-f", "lavfi", "movie=" + path + ",signalstats", "-show_entries",
                           "frame=pts_time:frame_tags=lavfi.signalstats.YAVG", "-of", "csv=p=0"},
               &csv);
    QList<std::pair<double, double>> levels;
    for (const QByteArray &line : csv.split('\n')) {
        const QList<QByteArray> fields = line.split(',');
        if (fields.size() >= 2)
            levels.append({fields[0].toDouble(), fields[1].toDouble()});
    }
    return levels;
}

// Times at which the picture turns white.
QList<double> FlashTimes(const QString &path)
{
    QList<double> flashes;
    bool bright = false;
    for (const auto &[time, level] : FrameLevels(path)) {
        const bool now = level > 100;
        if (now && !bright)
            flashes << time;
        bright = now;
    }
    return flashes;
}

// Times at which a beep starts after silence.
QList<double> BeepTimes(const QString &path)
{
    QByteArray log;
    RunProgram("ffmpeg", {"-v", "info", "-i", path, "-vn", "-af", "silencedetect=n=-30dB:d=0.05", "-f", "null", "-"},
               &log);
    QList<double> beeps;
    const QRegularExpression end(QStringLiteral("silence_end: ([0-9.]+)"));
    for (auto it = end.globalMatch(QString::fromUtf8(log)); it.hasNext();)
        beeps << it.next().captured(1).toDouble();
    return beeps;
}

struct Format {
    const char *name;
    BatchChoices choices;
};
const Format kFormats[] = {
    {"MP4", {160, 120, 15, 256}},
    {"3GP", {176, 144, 15, 64}},
    {"FLV", {160, 120, 15, 256}},
};

class VariableRate : public ::testing::Test {
protected:
    static void SetUpTestSuite()
    {
        s_tools = QFile::encodeName(MakeTempDir()) + '/';
        for (int selector : {2, 3, 4})
            ASSERT_EQ(ExtractTool(s_tools, selector), 1);
    }

    // Converts `source` into `format` and returns the one file made.
    QString convert(const QString &source, const Format &format)
    {
        const QString out = MakeTempDir() + '/';
        auto port = std::make_shared<FakeConversionPort>();
        port->addRow(source, 4);
        ConversionBatch batch;
        batch.setToolDir(s_tools);
        batch.setOutputFolderProvider([out] { return out; });
        BatchChoices choices = format.choices;
        EXPECT_TRUE(ParseFormat(QString::fromLatin1(format.name), &choices.format));
        EXPECT_TRUE(batch.start(port, choices));
        EXPECT_TRUE(batch.waitIdle(120000));
        const QStringList files = QDir(out).entryList(QDir::Files);
        EXPECT_TRUE(port->endedWell());
        return files.size() == 1 ? out + files.first() : QString();
    }

    static inline QByteArray s_tools;
};

TEST_F(VariableRate, PictureKeepsToTheSoundAndMovesToTheEnd)
{
    const QString dir = MakeTempDir() + '/';
    const struct {
        const char *name;
        QString source;
        FrameTiming timing;
    } clips[] = {
        {"a few frames missing", MakeClip(dir + "few.mp4", Moving(), "select='not(eq(mod(n\\,10)\\,4))'", Tone()),
         FrameTiming::Variable},
        {"a third missing", MakeClip(dir + "many.mp4", Moving(), "select='not(eq(mod(n\\,3)\\,1))'", Tone()),
         FrameTiming::Variable},
        {"jittered times", MakeClip(dir + "jitter.mp4", Moving(), "settb=1/90000,setpts='(N/30+0.008*sin(N*2.7))/TB'", Tone()),
         FrameTiming::Variable},
        {"an AVI with dropped frames", MakeClip(dir + "dropped.avi", Moving(), "select='not(eq(mod(n\\,3)\\,1))'", Tone()),
         FrameTiming::Variable},
        {"the same AVI without its index", WithoutIndex(dir + "dropped.avi", dir + "unindexed.avi"),
         FrameTiming::Variable},
        {"constant rate", MakeClip(dir + "steady.mp4", Moving(), "null", Tone()), FrameTiming::Constant},
    };
    for (const auto &clip : clips) {
        SCOPED_TRACE(clip.name);
        ASSERT_FALSE(clip.source.isEmpty());
        EXPECT_EQ(ReadFrameTiming(clip.source), clip.timing);
        if (clip.timing == FrameTiming::Constant)
            continue;  // converted as before: the conversion tests cover it
        for (const Format &format : kFormats) {
            SCOPED_TRACE(format.name);
            const QString output = convert(clip.source, format);
            ASSERT_FALSE(output.isEmpty());
            const MediaInfo info = ProbeMedia(output);
            const double picture = info.streams["video"].end, sound = info.streams["audio"].end;
            EXPECT_NEAR(picture, kSeconds, 0.3);
            EXPECT_NEAR(picture, sound, 0.3);
            const double at = 0.75 * sound;
            EXPECT_GT(MeanDifference(PictureAt(output, at), PictureAt(output, at + 0.3)), 1.0);
        }
    }
}

// A white flash with a beep every second, two frames in three kept: the last
// flash still comes with its beep.
TEST_F(VariableRate, FlashAndBeepStayTogetherToTheEnd)
{
    const QString source =
        MakeClip(MakeTempDir() + "/flash.mp4", "color=black:size=160x120:rate=30,drawbox=c=white:t=fill:enable='between(mod(t\\,1)\\,0.5\\,0.599)'",
                 "select='not(eq(mod(n\\,3)\\,1))'",
                 "sine=frequency=1000:sample_rate=44100,volume=volume=0:enable='not(between(mod(t\\,1)\\,0.5\\,0.599))'");
    ASSERT_FALSE(source.isEmpty());
    for (const Format &format : kFormats) {
        SCOPED_TRACE(format.name);
        const QString output = convert(source, format);
        ASSERT_FALSE(output.isEmpty());
        const QList<double> flashes = FlashTimes(output), beeps = BeepTimes(output);
        ASSERT_FALSE(flashes.isEmpty());
        EXPECT_NEAR(flashes.last(), kSeconds - 0.5, 0.1);
        double nearest = 1e9;
        for (double beep : beeps)
            nearest = std::min(nearest, std::abs(beep - flashes.last()));
        EXPECT_LT(nearest, 0.1) << "last flash at " << flashes.last();
    }
}

// Sources at exactly the output rate whose decoder holds pictures back to
// reorder them (H.264 and MPEG-4 with B-frames): each output frame shows the
// source frame of the same number, none repeated at the start, none lost at
// the end. Frame n is lit at level 16 + 8 * (n mod 25).
TEST_F(VariableRate, SourceAtTheOutputRateKeepsEveryFrameInPlace)
{
    const QString dir = MakeTempDir() + '/';
    const auto make = [](const QString &path, const QStringList &codecs) {
        const int rc = RunProgram(
            "ffmpeg", QStringList{"-v", "error", "-y", "-f", "lavfi", "-i",
                                  "color=black:size=160x120:rate=25,format=yuv420p,geq=lum='16+8*mod(N\\,25)':cb=128:cr=128",
                                  "-f", "lavfi", "-i", Tone(), "-t", QString::number(kSeconds)} +
                          codecs + QStringList{path});
        return rc == 0 ? path : QString();
    };
    const struct {
        const char *name;
        QString source;
    } sources[] = {
        {"H.264 with B-frames in MP4",
         make(dir + "reordered.mp4", {"-c:v", "libx264", "-preset", "veryfast", "-bf", "3", "-c:a", "aac"})},
        {"MPEG-4 with B-frames in AVI",
         make(dir + "reordered.avi", {"-c:v", "mpeg4", "-bf", "2", "-q:v", "3", "-c:a", "pcm_s16le"})},
    };
    const Format formats[] = {{"FLV", {160, 120, 25, 256}}, {"MP4", {160, 120, 25, 256}}};
    for (const auto &source : sources) {
        SCOPED_TRACE(source.name);
        ASSERT_FALSE(source.source.isEmpty());
        EXPECT_TRUE(ReadPictureTiming(source.source).runsAt(25));
        for (const Format &format : formats) {
            SCOPED_TRACE(format.name);
            const QString output = convert(source.source, format);
            ASSERT_FALSE(output.isEmpty());
            const QList<std::pair<double, double>> levels = FrameLevels(output);
            EXPECT_EQ(levels.size(), qsizetype(kSeconds * 25));
            QList<int> misplaced;
            for (qsizetype n = 0; n < levels.size(); ++n) {
                if (std::abs(levels[n].second - double(16 + 8 * (n % 25))) > 3)
                    misplaced << int(n);
            }
            EXPECT_TRUE(misplaced.isEmpty()) << "frames not showing their own picture: " << misplaced.size()
                                             << ", the first " << (misplaced.isEmpty() ? -1 : misplaced.first());
        }
    }
}

}  // namespace
