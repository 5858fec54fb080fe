// Runs the real mp4creator on streams made by ffmpeg and checks the results
// with ffprobe.

#include "tests/support/media_probe.h"
#include "tests/support/test_support.h"

#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QJsonArray>
#include <QJsonDocument>
#include <QJsonObject>
#include <QProcess>
#include <gtest/gtest.h>

#include <cmath>

namespace {

struct ToolRun {
    int status = -1;
    QByteArray out, err;
};

ToolRun Execute(const QString &program, const QStringList &arguments)
{
    ToolRun run;
    QProcess process;
    process.start(program, arguments);
    if (!process.waitForStarted())
        return run;
    process.closeWriteChannel();
    if (!process.waitForFinished(120000)) {
        process.kill();
        process.waitForFinished();
        return run;
    }
    run.out = process.readAllStandardOutput();
    run.err = process.readAllStandardError();
    if (process.exitStatus() == QProcess::NormalExit)
        run.status = process.exitCode();
    return run;
}

ToolRun Mp4creator(const QStringList &arguments)
{
    return Execute(QStringLiteral(Q9_MP4CREATOR_PATH), arguments);
}

QByteArray ReadAll(const QString &path)
{
    QFile file(path);
    return file.open(QIODevice::ReadOnly) ? file.readAll() : QByteArray();
}

// Streams of a media file as ffprobe reports them, plus the container's duration.
struct Probe {
    QJsonArray streams;
    double duration = -1;

    QJsonObject Stream(int index) const { return streams.at(index).toObject(); }
    double StreamDuration(int index) const { return Stream(index).value("duration").toString().toDouble(); }
    QString Field(int index, const char *name) const
    {
        const QJsonValue value = Stream(index).value(QLatin1String(name));
        return value.isString() ? value.toString() : QString::number(value.toInt());
    }
};

Probe ProbeFile(const QString &path)
{
    const ToolRun run = Execute("ffprobe", {"-v", "error", "-of", "json", "-show_streams", "-show_format",
                                        "file:" + path});
    Probe probe;
    const QJsonObject root = QJsonDocument::fromJson(run.out).object();
    probe.streams = root.value("streams").toArray();
    probe.duration = root.value("format").toObject().value("duration").toString().toDouble();
    return probe;
}

// Decodes every frame; an empty error text means a clean file.
QByteArray DecodeErrors(const QString &path)
{
    const ToolRun run = Execute("ffmpeg", {"-v", "error", "-i", "file:" + path, "-f", "null", "-"});
    return run.status == 0 ? run.err : "exit status " + QByteArray::number(run.status) + ": " + run.err;
}

// Checksums of the decoded video frames, to compare pictures and their order.
QByteArray VideoFrameSums(const QStringList &input)
{
    const ToolRun run = Execute("ffmpeg", QStringList{"-v", "error"} + input +
                                          QStringList{"-map", "0:v", "-f", "framemd5", "-"});
    QByteArray sums;
    for (const QByteArray &line : run.out.split('\n')) {
        if (!line.startsWith('#') && !line.isEmpty())
            sums += line.mid(line.lastIndexOf(',') + 1).trimmed() + '\n';
    }
    return sums;
}

// Small clips made once for every test.
class Mp4creatorTest : public ::testing::Test {
protected:
    static QString s_clips;

    static void SetUpTestSuite()
    {
        s_clips = MakeTempDir();
        const QStringList video = {"-f", "lavfi", "-i", "testsrc=size=176x144:rate=15", "-t", "3"};
        const QStringList sine = {"-f", "lavfi", "-i", "sine=frequency=440:sample_rate=44100", "-t", "3"};
        Make(video + QStringList{"-c:v", "mpeg4", "-f", "m4v"}, "video.m4v");
        // What the encoder writes for MP4 rows: MPEG-4 video tagged DIVX beside PCM sound.
        Make(video + sine + QStringList{"-c:v", "mpeg4", "-vtag", "DIVX", "-c:a", "pcm_s16le", "-f", "avi"},
             "encoded.avi");
        Make(video + QStringList{"-c:v", "mpeg4", "-vtag", "DIVX", "-f", "avi"}, "mute.avi");
        Make(QStringList{"-f", "lavfi", "-i", "testsrc=size=176x144:rate=25", "-t", "2", "-c:v",
                         "mpeg4", "-bf", "2", "-f", "m4v"},
             "bframes.m4v");
        Make(sine + QStringList{"-c:a", "libmp3lame", "-b:a", "128k", "-f", "mp3"}, "mp3.aac");
        Make(sine + QStringList{"-c:a", "aac", "-f", "adts"}, "adts.aac");
        Make(sine + QStringList{"-c:a", "mp2", "-b:a", "128k", "-f", "mp2"}, "mp2.aac");
        // A readable file with a track that MP4 cannot hold: fails only while writing.
        Make(QStringList{"-f", "lavfi", "-i", "testsrc=size=176x144:rate=15", "-f", "lavfi", "-i",
                         "sine", "-t", "1", "-c:v", "mpeg4", "-c:a", "pcm_s16le", "-f", "mov"},
             "pcm.mov");
        // MPEG audio cut out of a container can start inside a frame.
        Make(sine + QStringList{"-c:a", "libmp3lame", "-b:a", "128k", "-write_xing", "0",
                                "-id3v2_version", "0", "-f", "mp3"},
             "plain.mp3");
        QFile cut(Clip("cut.aac"));
        ASSERT_TRUE(cut.open(QIODevice::WriteOnly));
        cut.write(ReadAll(Clip("plain.mp3")).mid(100));
    }

    static void Make(const QStringList &arguments, const QString &name)
    {
        const ToolRun run = Execute("ffmpeg", QStringList{"-v", "error", "-y"} + arguments + QStringList{Clip(name)});
        ASSERT_EQ(run.status, 0) << name.toStdString() << ": " << run.err.constData();
    }

    static QString Clip(const QString &name) { return s_clips + "/" + name; }

    QString m_dir = MakeTempDir();
    QString Out(const QString &name = "out.mp4") const { return m_dir + "/" + name; }
};

QString Mp4creatorTest::s_clips;

void ExpectClose(double actual, double expected, double tolerance, const char *what)
{
    EXPECT_LE(std::fabs(actual - expected), tolerance) << what << ": " << actual << " vs " << expected;
}

TEST_F(Mp4creatorTest, NoArgumentsPrintsUsage)
{
    const ToolRun run = Mp4creator({});
    EXPECT_NE(run.status, 0);
    EXPECT_TRUE((run.out + run.err).contains("usage: mp4creator -c VIDEO.m4v -rate=FPS OUT.mp4"));
}

TEST_F(Mp4creatorTest, VideoThenMp3MakesATwoTrackFile)
{
    const ToolRun video = Mp4creator({"-c", Clip("video.m4v"), "-rate=15", Out()});
    ASSERT_EQ(video.status, 0) << video.err.constData();
    EXPECT_TRUE(video.err.isEmpty());
    Probe probe = ProbeFile(Out());
    ASSERT_EQ(probe.streams.size(), 1);
    EXPECT_EQ(probe.Field(0, "codec_name"), "mpeg4");
    EXPECT_EQ(probe.Field(0, "width"), "176");
    EXPECT_EQ(probe.Field(0, "r_frame_rate"), "15/1");
    EXPECT_EQ(probe.Field(0, "avg_frame_rate"), "15/1");
    EXPECT_EQ(probe.Field(0, "nb_frames"), "45");
    ExpectClose(probe.StreamDuration(0), 3.0, 1.0 / 15, "video duration");
    EXPECT_EQ(TopLevelBoxes(Out()), (QStringList{"ftyp", "moov", "free", "mdat"})) << "the index first";

    const ToolRun audio = Mp4creator({"-c", Clip("mp3.aac"), Out()});
    ASSERT_EQ(audio.status, 0) << audio.err.constData();
    probe = ProbeFile(Out());
    ASSERT_EQ(probe.streams.size(), 2);
    EXPECT_EQ(probe.Field(0, "codec_name"), "mpeg4");
    EXPECT_EQ(probe.Field(0, "nb_frames"), "45");
    EXPECT_EQ(probe.Field(0, "r_frame_rate"), "15/1");
    ExpectClose(probe.StreamDuration(0), 3.0, 1.0 / 15, "video duration after adding audio");
    EXPECT_EQ(probe.Field(1, "codec_name"), "mp3");
    EXPECT_EQ(probe.Field(1, "sample_rate"), "44100");
    ExpectClose(probe.StreamDuration(1), ProbeFile(Clip("mp3.aac")).duration, 0.1, "audio duration");
    ExpectClose(probe.duration, 3.0, 0.1, "file duration");
    EXPECT_EQ(TopLevelBoxes(Out()), (QStringList{"ftyp", "moov", "free", "mdat"})) << "still the index first";
    EXPECT_EQ(QDir(m_dir).entryList(QDir::Files | QDir::Hidden), QStringList{"out.mp4"}) << "no temporary left";
    EXPECT_EQ(DecodeErrors(Out()), QByteArray());
    // The pictures are the encoder's, untouched.
    EXPECT_EQ(VideoFrameSums({"-i", "file:" + Out()}),
              VideoFrameSums({"-f", "m4v", "-i", "file:" + Clip("video.m4v")}));
}

// The video of an AVI makes the same track as the raw stream would; with -aac
// its PCM sound becomes an AAC-LC track beside it, and a mute AVI gives the
// video alone.
TEST_F(Mp4creatorTest, TakesTheVideoAndSoundOfAnAvi)
{
    const ToolRun run = Mp4creator({"-c", Clip("encoded.avi"), "-rate=15", "-aac=128", Out()});
    ASSERT_EQ(run.status, 0) << run.err.constData();
    const Probe probe = ProbeFile(Out());
    ASSERT_EQ(probe.streams.size(), 2);
    EXPECT_EQ(probe.Field(0, "codec_name"), "mpeg4");
    EXPECT_EQ(probe.Field(0, "nb_frames"), "45");
    EXPECT_EQ(probe.Field(0, "avg_frame_rate"), "15/1");
    EXPECT_EQ(probe.Field(1, "codec_name"), "aac");
    EXPECT_EQ(probe.Field(1, "profile"), "LC");
    EXPECT_EQ(probe.Field(1, "sample_rate"), "44100");
    ExpectClose(probe.StreamDuration(1), 3.0, 0.1, "sound duration");
    EXPECT_EQ(TopLevelBoxes(Out()), (QStringList{"ftyp", "moov", "free", "mdat"}));
    EXPECT_EQ(DecodeErrors(Out()), QByteArray());
    EXPECT_EQ(VideoFrameSums({"-i", "file:" + Out()}), VideoFrameSums({"-i", "file:" + Clip("encoded.avi")}));

    // With -list it tells what it wrote, as a listing of its own would.
    const QString listed = Out("listed.mp4");
    const ToolRun both = Mp4creator({"-c", Clip("encoded.avi"), "-rate=15", "-aac=128", "-list", listed});
    ASSERT_EQ(both.status, 0) << both.err.constData();
    EXPECT_EQ(both.out, Mp4creator({"-list", listed}).out);

    const QString mute = Out("mute.mp4");
    ASSERT_EQ(Mp4creator({"-c", Clip("mute.avi"), "-rate=15", "-aac=128", mute}).status, 0);
    EXPECT_EQ(ProbeFile(mute).streams.size(), 1);
}

// The listing tells what ffprobe tells of the same file, in the same JSON shape.
TEST_F(Mp4creatorTest, ListsWhatAFileHolds)
{
    ASSERT_EQ(Mp4creator({"-c", Clip("video.m4v"), "-rate=15", Out()}).status, 0);
    ASSERT_EQ(Mp4creator({"-c", Clip("adts.aac"), Out()}).status, 0);
    const ToolRun list = Mp4creator({"-list", Out()});
    ASSERT_EQ(list.status, 0) << list.err.constData();
    const QJsonObject root = QJsonDocument::fromJson(list.out).object();
    const QJsonArray streams = root.value("streams").toArray();
    ASSERT_EQ(streams.size(), 2) << list.out.constData();
    const Probe probe = ProbeFile(Out());
    for (int i = 0; i < 2; ++i) {
        const QJsonObject stream = streams.at(i).toObject();
        EXPECT_EQ(stream.value("codec_name").toString(), probe.Field(i, "codec_name"));
        EXPECT_EQ(stream.value("profile").toString(), probe.Field(i, "profile"));
    }
    EXPECT_EQ(streams.at(0).toObject().value("width").toInt(), 176);
    EXPECT_EQ(streams.at(0).toObject().value("avg_frame_rate").toString(), "15/1");
    EXPECT_EQ(streams.at(1).toObject().value("sample_rate").toString(), "44100");
    const QJsonObject format = root.value("format").toObject();
    EXPECT_EQ(format.value("format_name").toString(), "mov,mp4,m4a,3gp,3g2,mj2");
    EXPECT_NEAR(format.value("duration").toString().toDouble(), probe.duration, 0.001);
    EXPECT_EQ(format.value("size").toString().toLongLong(), QFileInfo(Out()).size());

    const ToolRun garbage = Mp4creator({"-list", Clip("nothing here")});
    EXPECT_EQ(garbage.status, 1);
    EXPECT_TRUE(garbage.out.isEmpty());
    EXPECT_TRUE(garbage.err.startsWith("mp4creator: cannot open")) << garbage.err.constData();
}

TEST_F(Mp4creatorTest, AddsEveryKindOfAudioStream)
{
    const struct {
        const char *clip;
        const char *codec;
        const char *profile;  // as the MP4's sample description says
    } cases[] = {{"adts.aac", "aac", "LC"},
                 // MP4 files name MPEG-1 audio of every layer alike; readers report it as mp3.
                 {"mp2.aac", "mp3", ""},
                 {"cut.aac", "mp3", ""}};
    for (const auto &c : cases) {
        SCOPED_TRACE(c.clip);
        const QString out = Out(QString(c.clip) + ".mp4");
        ASSERT_EQ(Mp4creator({"-c", Clip("video.m4v"), "-rate=15", out}).status, 0);
        const ToolRun run = Mp4creator({"-c", Clip(c.clip), out});
        ASSERT_EQ(run.status, 0) << run.err.constData();
        const Probe probe = ProbeFile(out);
        ASSERT_EQ(probe.streams.size(), 2);
        EXPECT_EQ(probe.Field(1, "codec_name"), c.codec);
        EXPECT_EQ(probe.Stream(1).value("profile").toString(), c.profile);
        EXPECT_EQ(probe.Field(1, "sample_rate"), "44100");
        ExpectClose(probe.StreamDuration(1), 3.0, 0.1, "audio duration");
        EXPECT_EQ(DecodeErrors(out), QByteArray());
    }
}

TEST_F(Mp4creatorTest, RateTimesTheVideo)
{
    const struct {
        const char *rate;
        const char *expected;
        double fps;
    } cases[] = {{"29.97", "2997/100", 29.97}, {"30000/1001", "30000/1001", 30000.0 / 1001},
                 {"12.5", "25/2", 12.5}, {"25", "25/1", 25}};
    for (const auto &c : cases) {
        SCOPED_TRACE(c.rate);
        const QString out = Out(QString("rate-%1.mp4").arg(QString(c.rate).replace('/', '_')));
        const ToolRun run = Mp4creator({"-c", Clip("video.m4v"), QString("-rate=") + c.rate, out});
        ASSERT_EQ(run.status, 0) << run.err.constData();
        ASSERT_EQ(Mp4creator({"-c", Clip("mp3.aac"), out}).status, 0);
        const Probe probe = ProbeFile(out);
        ASSERT_EQ(probe.streams.size(), 2);
        EXPECT_EQ(probe.Field(0, "r_frame_rate"), c.expected);
        EXPECT_EQ(probe.Field(0, "avg_frame_rate"), c.expected);
        EXPECT_EQ(probe.Field(0, "nb_frames"), "45");
        ExpectClose(probe.StreamDuration(0), 45 / c.fps, 0.5 / c.fps, "video duration");
        ExpectClose(probe.StreamDuration(1), 3.0, 0.1, "audio duration");
    }
}

TEST_F(Mp4creatorTest, BFramesKeepTheirDisplayOrder)
{
    const ToolRun run = Mp4creator({"-c", Clip("bframes.m4v"), "-rate=25", Out()});
    ASSERT_EQ(run.status, 0) << run.err.constData();
    const Probe probe = ProbeFile(Out());
    ASSERT_EQ(probe.streams.size(), 1);
    EXPECT_EQ(probe.Field(0, "nb_frames"), "50");
    EXPECT_EQ(probe.Field(0, "r_frame_rate"), "25/1");
    ExpectClose(probe.Stream(0).value("start_time").toString().toDouble(), 0.0, 0.001, "start");
    ExpectClose(probe.StreamDuration(0), 2.0, 0.04, "video duration");
    EXPECT_EQ(DecodeErrors(Out()), QByteArray());
    EXPECT_EQ(VideoFrameSums({"-i", "file:" + Out()}),
              VideoFrameSums({"-f", "m4v", "-i", "file:" + Clip("bframes.m4v")}));
}

TEST_F(Mp4creatorTest, StreamKindComesFromTheContentNotTheName)
{
    const QString video = Out("looks like audio.aac"), audio = Out("looks like video.m4v");
    ASSERT_TRUE(QFile::copy(Clip("video.m4v"), video));
    ASSERT_TRUE(QFile::copy(Clip("mp3.aac"), audio));
    const QString out = Out("result.MP4.bin");
    ASSERT_EQ(Mp4creator({"-c", video, "-rate=15", out}).status, 0);
    ASSERT_EQ(Mp4creator({"-c", audio, out}).status, 0);
    const Probe probe = ProbeFile(out);
    ASSERT_EQ(probe.streams.size(), 2);
    EXPECT_EQ(probe.Field(0, "codec_name"), "mpeg4");
    EXPECT_EQ(probe.Field(1, "codec_name"), "mp3");
}

TEST_F(Mp4creatorTest, PathsAreUsedByteForByte)
{
    const QString dir = m_dir + "/输出 \"q\" it's: $x";
    ASSERT_TRUE(QDir().mkpath(dir));
    const QString video = dir + "/视频 a:b.m4v", out = dir + "/14-05-09 \"x\".mp4";
    ASSERT_TRUE(QFile::copy(Clip("video.m4v"), video));
    ASSERT_EQ(Mp4creator({"-c", video, "-rate=15", out}).status, 0);
    ASSERT_EQ(Mp4creator({"-c", Clip("adts.aac"), out}).status, 0);
    EXPECT_EQ(ProbeFile(out).streams.size(), 2);
    // Nothing but the inputs and the result: no temporary file is left.
    EXPECT_EQ(QDir(dir).entryList(QDir::AllEntries | QDir::Hidden | QDir::NoDotAndDotDot).size(), 2);
}

// Every failure: non-zero exit, exactly one line on stderr, an existing
// OUT.mp4 byte for byte as it was, no new file left behind.
TEST_F(Mp4creatorTest, BadInputFailsCleanly)
{
    const QString good = Out("good.mp4");
    ASSERT_EQ(Mp4creator({"-c", Clip("video.m4v"), "-rate=15", good}).status, 0);
    const QByteArray goodBytes = ReadAll(good);
    QFile garbage(Out("garbage.bin"));
    ASSERT_TRUE(garbage.open(QIODevice::WriteOnly));
    for (int i = 0; i < 20000; ++i)
        garbage.write(QByteArray::number(i * 7919 % 65521));
    garbage.close();
    QFile halfFile(Out("half.mp4"));
    ASSERT_TRUE(halfFile.open(QIODevice::WriteOnly));
    halfFile.write(goodBytes.left(goodBytes.size() / 2));  // the index is whole, half the media data lost
    halfFile.close();
    ASSERT_TRUE(QFile::copy(Out("garbage.bin"), Out("garbage.mp4")));
    ASSERT_TRUE(QFile::copy(Clip("pcm.mov"), Out("pcm.mp4")));

    const struct {
        const char *what;
        QStringList arguments;
        QString out; // checked to be unchanged (or still absent)
    } cases[] = {
        {"missing input", {"-c", Out("nothing.m4v"), "-rate=15", good}, good},
        {"garbage input", {"-c", Out("garbage.bin"), "-rate=15", good}, good},
        {"garbage audio", {"-c", Out("garbage.bin"), good}, good},
        {"empty input", {"-c", "/dev/null", good}, good},
        {"audio without OUT", {"-c", Clip("mp3.aac"), Out("absent.mp4")}, Out("absent.mp4")},
        {"unreadable OUT", {"-c", Clip("mp3.aac"), Out("garbage.mp4")}, Out("garbage.mp4")},
        {"truncated OUT", {"-c", Clip("adts.aac"), Out("half.mp4")}, Out("half.mp4")},
        {"unreadable OUT, video", {"-c", Clip("video.m4v"), "-rate=15", Out("garbage.mp4")}, Out("garbage.mp4")},
        {"OUT with a track MP4 cannot hold", {"-c", Clip("mp3.aac"), Out("pcm.mp4")}, Out("pcm.mp4")},
        {"bad rate", {"-c", Clip("video.m4v"), "-rate=fast", good}, good},
        {"AAC of no AVI", {"-c", Clip("video.m4v"), "-rate=15", "-aac=128", good}, good},
        {"bad AAC rate", {"-c", Clip("encoded.avi"), "-rate=15", "-aac=1000", good}, good},
        {"zero rate", {"-c", Clip("video.m4v"), "-rate=0", good}, good},
        {"no output", {"-c", Clip("video.m4v"), "-rate=15"}, good},
        {"unknown option", {"-x", Clip("video.m4v"), good}, good},
    };
    for (const auto &c : cases) {
        SCOPED_TRACE(c.what);
        const bool existed = QFile::exists(c.out);
        const QByteArray before = ReadAll(c.out);
        const QStringList listing = QDir(m_dir).entryList(QDir::AllEntries | QDir::Hidden | QDir::NoDotAndDotDot);
        const ToolRun run = Mp4creator(c.arguments);
        EXPECT_GT(run.status, 0);
        EXPECT_EQ(run.err.count('\n'), 1) << run.err.constData();
        EXPECT_TRUE(run.err.endsWith('\n')) << run.err.constData();
        EXPECT_TRUE(run.out.isEmpty()) << run.out.constData();
        EXPECT_EQ(QFile::exists(c.out), existed);
        EXPECT_EQ(ReadAll(c.out), before);
        EXPECT_EQ(QDir(m_dir).entryList(QDir::AllEntries | QDir::Hidden | QDir::NoDotAndDotDot), listing);
    }
}

}  // namespace
