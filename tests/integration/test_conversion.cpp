#include "engine/conversion_batch.h"
#include "process/cpu_cores.h"
#include "install/tool_installer.h"
#include "tests/support/fake_conversion_port.h"
#include "tests/support/media_probe.h"
#include "tests/support/test_support.h"

#include <QDir>
#include <QFile>
#include <QJsonArray>
#include <QJsonDocument>
#include <QJsonObject>
#include <QMap>
#include <QThread>
#include <random>
#include <gtest/gtest.h>

// Real conversions: tiny clips made with ffmpeg go through the installed tools
// (launchers and our mp4creator written as the program writes them) and the
// results are checked with ffprobe and GStreamer.
namespace {

const BatchStatus kFinished = BatchStatus::RowFinished;
const BatchStatus kFailed = BatchStatus::RowFailed;
constexpr double kClipSeconds = 3.0;

void WriteScript(const QString &path, const QByteArray &content)
{
    QFile file(path);
    ASSERT_TRUE(file.open(QIODevice::WriteOnly | QIODevice::Truncate));
    file.write(content);
    file.close();
    file.setPermissions(file.permissions() | QFileDevice::ExeOwner);
}

class Conversion : public ::testing::Test {
protected:
    static void SetUpTestSuite()
    {
        s_tools = QFile::encodeName(MakeTempDir()) + '/';
        for (int selector : {2, 3, 4})
            ASSERT_EQ(ExtractTool(s_tools, selector), 1);

        // The encoder made slow and observable: it writes a partial output and
        // 15 progress lines over 1.5 s, then becomes the real encoder (same process).
        s_slowTools = QFile::encodeName(MakeTempDir()) + '/';
        for (const char *tool : {"ffmpeg", "mp4creator"})
            ASSERT_TRUE(QFile::link(QFile::decodeName(s_tools + tool), QFile::decodeName(s_slowTools + tool)));
        WriteScript(QFile::decodeName(s_slowTools + "mencoder"),
                    "#!/bin/sh\n"
                    "case \" $* \" in *\" -of raw\"*) exec '" + s_tools + "mencoder' \"$@\";; esac\n"
                    "prev=; for a in \"$@\"; do [ \"$prev\" = -o ] && out=$a; prev=$a; done\n"
                    "printf partial > \"$out\"\n"
                    "i=1; while [ $i -le 15 ]; do printf 'Pos: %d.0s %df (%2d%%)\\r' $i $i $i; sleep 0.1; "
                    "i=$((i+1)); done\n"
                    "exec '" + s_tools + "mencoder' \"$@\"\n");

        const QString clips = MakeTempDir() + '/';
        s_clip = clips + "clip.avi";
        s_muteClip = clips + "mute.avi";
        const QStringList video{"-f", "lavfi", "-i", "testsrc=size=320x240:rate=25"};
        const QStringList audio{"-f", "lavfi", "-i", "sine=frequency=440:sample_rate=44100"};
        const QStringList tail{"-t", QString::number(kClipSeconds), "-c:v", "mpeg4"};
        ASSERT_EQ(RunProgram("ffmpeg", QStringList{"-v", "error", "-y"} + video + audio + tail +
                                           QStringList{"-c:a", "libmp3lame", s_clip}),
                  0);
        ASSERT_EQ(RunProgram("ffmpeg", QStringList{"-v", "error", "-y"} + video + tail + QStringList{s_muteClip}), 0);
    }

    void SetUp() override
    {
        m_out = MakeTempDir() + QStringLiteral("/Q9TBR/2031-01-02/");
        m_batch.setToolDir(s_tools);
        m_batch.setOutputFolderProvider([this] { return m_out; });
    }
    void TearDown() override
    {
        m_batch.stop();
        EXPECT_TRUE(m_batch.waitIdle(30000));
    }

    void convert(const QString &format, BatchChoices choices)
    {
        ASSERT_TRUE(ParseFormat(format, &choices.format));
        ASSERT_TRUE(m_batch.start(m_port, choices));
        ASSERT_TRUE(m_batch.waitIdle(120000));
    }
    QStringList outputFiles() const { return QDir(m_out).entryList(QDir::Files, QDir::Name); }
    bool progressMoved() const
    {
        const QList<int> values = m_port->progress();
        return std::any_of(values.begin(), values.end(), [](int v) { return v > 0 && v <= 100; });
    }

    static void ExpectTimingOf(const MediaInfo &info, double frameRate)
    {
        EXPECT_NEAR(info.duration, kClipSeconds, kClipSeconds * 0.05);
        EXPECT_NEAR(info.streams["video"].frameRate, frameRate, 0.01);
        if (info.streams.contains("audio")) {
            EXPECT_NEAR(info.streams["audio"].end, info.streams["video"].end, 0.3);
        }
    }

    static inline QByteArray s_tools, s_slowTools;
    static inline QString s_clip, s_muteClip;
    QString m_out;
    std::shared_ptr<FakeConversionPort> m_port = std::make_shared<FakeConversionPort>();
    ConversionBatch m_batch;
};

TEST_F(Conversion, Flv)
{
    m_port->addRow(s_clip);
    convert("FLV", {320, 240, 25, 384});
    EXPECT_TRUE(m_port->endedWell());
    EXPECT_TRUE(progressMoved());
    EXPECT_EQ(m_port->progress().last(), 100) << "the whole batch";
    const QStringList files = outputFiles();
    ASSERT_EQ(files.size(), 1);
    EXPECT_TRUE(files.first().endsWith(".flv"));

    const MediaInfo info = ProbeMedia(m_out + files.first());
    EXPECT_EQ(info.container, "flv");
    EXPECT_EQ(info.streams["video"].codec, "flv1");
    EXPECT_EQ(info.streams["video"].width, 320);
    EXPECT_EQ(info.streams["video"].height, 240);
    EXPECT_EQ(info.streams["audio"].codec, "mp3");
    EXPECT_EQ(info.streams["audio"].sampleRate, 44100);
    ExpectTimingOf(info, 25);
}

TEST_F(Conversion, ThreeGp)
{
    // A busy picture, so that the bitrate has something to spend itself on.
    const QString busy = MakeTempDir() + "/busy.mp4";
    ASSERT_EQ(RunProgram("ffmpeg", {"-v", "error", "-y", "-f", "lavfi", "-i", "testsrc2=size=320x240:rate=25", "-f",
                                    "lavfi", "-i", "sine=frequency=440:sample_rate=44100", "-t",
                                    QString::number(kClipSeconds), "-c:v", "libx264", "-pix_fmt", "yuv420p", busy}),
              0);
    auto kbitsAt = [&](int bitrate) {
        m_port = std::make_shared<FakeConversionPort>();
        m_port->addRow(busy);
        convert("3GP", {176, 144, 15, bitrate});
        EXPECT_TRUE(m_port->endedWell());
        const QStringList files = outputFiles();
        EXPECT_EQ(files.size(), 1);  // the intermediate is gone
        const QString file = m_out + files.value(0);
        const double kbits = double(QFileInfo(file).size()) * 8 / 1000.0 / ProbeMedia(file).duration;
        QFile::remove(file);
        return kbits;
    };
    const double low = kbitsAt(64);

    convert("3GP", {176, 144, 15, 256});
    EXPECT_TRUE(m_port->endedWell());
    EXPECT_TRUE(m_port->statuses().contains(BatchStatus::Exporting));
    EXPECT_TRUE(progressMoved());
    const QStringList files = outputFiles();
    ASSERT_EQ(files.size(), 1);  // the intermediate is gone
    EXPECT_TRUE(files.first().endsWith(".3gp"));

    const MediaInfo info = ProbeMedia(m_out + files.first());
    EXPECT_TRUE(info.brand.startsWith("3gp")) << info.brand.toStdString();
    EXPECT_EQ(info.streams["video"].codec, "h263");
    EXPECT_EQ(info.streams["video"].width, 176);
    EXPECT_EQ(info.streams["video"].height, 144);
    EXPECT_EQ(info.streams["audio"].codec, "amr_nb");
    EXPECT_EQ(info.streams["audio"].channels, 1);
    EXPECT_EQ(info.streams["audio"].sampleRate, 8000);
    ExpectTimingOf(info, 15);
    const QStringList boxes = TopLevelBoxes(m_out + files.first());
    EXPECT_LT(boxes.indexOf("moov"), boxes.indexOf("mdat")) << boxes.join(' ').toStdString();
    // The picture follows the bitrate chosen in the box, not a fixed one (a
    // clip this short lets the encoder's rate control stray from it somewhat).
    const double kbits = double(QFileInfo(m_out + files.first()).size()) * 8 / 1000.0 / info.duration;
    EXPECT_GT(kbits, 2 * low) << low;
    EXPECT_LT(kbits, 2 * 256);
    // Only key frames are marked as such, so that a player seeks to pictures it can decode.
    QByteArray flags;
    RunProgram("ffprobe", {"-v", "error", "-select_streams", "v", "-show_entries", "packet=flags", "-of", "csv=p=0",
                           m_out + files.first()},
               &flags);
    EXPECT_TRUE(flags.startsWith("K")) << flags.left(20).constData();
    EXPECT_GT(flags.count("__"), flags.count("K_"));
}

TEST_F(Conversion, Mp4)
{
    m_port->addRow(s_clip);
    convert("MP4", {320, 240, 15, 512});
    EXPECT_TRUE(m_port->endedWell());
    EXPECT_TRUE(m_port->statuses().contains(BatchStatus::Exporting));
    EXPECT_TRUE(progressMoved());
    const QStringList files = outputFiles();
    ASSERT_EQ(files.size(), 1);  // AVI and raw streams are gone
    EXPECT_TRUE(files.first().endsWith(".mp4"));

    const MediaInfo info = ProbeMedia(m_out + files.first());
    EXPECT_TRUE(info.container.contains("mp4")) << info.container.toStdString();
    EXPECT_FALSE(info.brand.startsWith("3g")) << info.brand.toStdString();
    EXPECT_EQ(info.streams["video"].codec, "mpeg4");
    EXPECT_EQ(info.streams["video"].width, 320);
    EXPECT_EQ(info.streams["video"].height, 240);
    EXPECT_EQ(info.streams["video"].level, 4);  // 4a: 320x240 at 512 kbit/s is beyond level 3
    EXPECT_EQ(info.streams["audio"].codec, "aac");
    EXPECT_EQ(info.streams["audio"].profile, "LC");
    EXPECT_EQ(info.streams["audio"].sampleRate, 44100);
    ExpectTimingOf(info, 15);
    const QStringList boxes = TopLevelBoxes(m_out + files.first());
    EXPECT_LT(boxes.indexOf("moov"), boxes.indexOf("mdat")) << boxes.join(' ').toStdString();
}

// The mean saturation of a file's picture, in 8-bit steps (signalstats' SATAVG).
double MeanSaturation(const QString &path)
{
    QByteArray csv;
    RunProgram("ffprobe", {"-v", "error", "-f", "lavfi", "movie=" + path + ",format=yuv420p,signalstats",
                           "-show_entries", "frame_tags=lavfi.signalstats.SATAVG", "-of", "csv=p=0"},
               &csv);
    double sum = 0;
    int frames = 0;
    for (const QByteArray &line : csv.split('\n')) {
        if (!line.trimmed().isEmpty())
            sum += line.toDouble(), ++frames;
    }
    return frames > 0 ? sum / frames : 0;
}

// A phone records HDR by default: HLG in 10-bit HEVC, SDR white at 75% of the
// signal. Read as plain BT.709 its picture is pale; the MP4 keeps the colours
// of the SDR picture it was made from.
TEST_F(Conversion, AnHdrPhoneClipKeepsItsColours)
{
    const QString folder = MakeTempDir() + '/';
    const QString sdr = folder + "sdr.mkv", hlg = folder + "hlg.mp4";
    ASSERT_EQ(RunProgram("ffmpeg", {"-v", "error", "-y", "-f", "lavfi", "-i", "testsrc2=size=320x240:rate=25", "-f",
                                    "lavfi", "-i", "sine=frequency=440:sample_rate=48000", "-t",
                                    QString::number(kClipSeconds), "-vf",
                                    "scale=out_color_matrix=bt709:out_range=tv,format=yuv420p", "-colorspace", "bt709",
                                    "-color_trc", "bt709", "-color_primaries", "bt709", "-c:v", "ffv1", "-c:a",
                                    "pcm_s16le", sdr}),
              0);
    ASSERT_EQ(RunProgram("ffmpeg", {"-v", "error", "-y", "-i", sdr, "-vf",
                                    "zscale=t=arib-std-b67:p=bt2020:m=bt2020nc:npl=203,format=yuv420p10le", "-c:v",
                                    "libx265", "-x265-params", "log-level=error", "-color_trc", "arib-std-b67",
                                    "-color_primaries", "bt2020", "-colorspace", "bt2020nc", "-c:a", "aac", hlg}),
              0);
    const double original = MeanSaturation(sdr);
    ASSERT_GT(original, 50);
    ASSERT_LT(MeanSaturation(hlg), original / 2) << "read as BT.709, the HLG picture is pale";

    m_port->addRow(hlg, 3);
    convert("MP4", {320, 240, 15, 512});
    EXPECT_TRUE(m_port->endedWell());
    const QStringList files = outputFiles();
    ASSERT_EQ(files.size(), 1);  // the SDR copy is gone
    const MediaInfo info = ProbeMedia(m_out + files.first());
    EXPECT_EQ(info.streams["video"].width, 320);
    ExpectTimingOf(info, 15);
    EXPECT_GE(MeanSaturation(m_out + files.first()), 0.8 * original);
}

// A long H.264 source, whose row says how long it plays, is decoded in
// threads (on a machine with more than one core): every format still ends
// where the source does, but for the last frame the encoder drops with any
// decoder and one more per decoder thread beyond the first; the sound in step.
TEST_F(Conversion, LongSourceDecodedInThreadsKeepsItsLength)
{
    constexpr double kSeconds = 40, kSourceRate = 12;
    const QString source = MakeTempDir() + "/long.mkv";
    ASSERT_EQ(RunProgram("ffmpeg", {"-v", "error", "-y", "-f", "lavfi", "-i", "testsrc=size=160x120:rate=12", "-f",
                                    "lavfi", "-i", "sine=frequency=440:sample_rate=44100", "-t",
                                    QString::number(kSeconds), "-c:v", "libx264", "-pix_fmt", "yuv420p", "-c:a",
                                    "libvorbis", source}),
              0);
    const struct {
        const char *format;
        BatchChoices choices;
    } cases[] = {
        {"MP4", {320, 240, 15, 512}},
        {"3GP", {176, 144, 15, 64}},
        {"FLV", {320, 240, 25, 384}},
    };
    for (const auto &c : cases) {
        SCOPED_TRACE(c.format);
        m_port = std::make_shared<FakeConversionPort>();
        m_port->addRow(source, 40);
        convert(c.format, c.choices);
        ASSERT_TRUE(m_port->endedWell());
        const QStringList files = outputFiles();
        ASSERT_EQ(files.size(), 1);
        const MediaInfo info = ProbeMedia(m_out + files.first());
        EXPECT_NEAR(info.streams["video"].end, kSeconds, (CodecThreads() + 0.5) / kSourceRate);
        EXPECT_NEAR(info.streams["audio"].end, info.streams["video"].end, 0.3);
        QFile::remove(m_out + files.first());
    }
}

TEST_F(Conversion, NotMediaFailsAndTheNextRowIsStillConverted)
{
    const QString text = MakeTempDir() + "/notes.avi";
    WriteScript(text, "just some words, no video at all\n");
    // An MP4 cut off before its index: the player tells no length, and the
    // encoder finds a frame or two in what is left.
    const QString whole = MakeTempDir() + "/whole.mp4", cut = MakeTempDir() + "/cut.mp4";
    ASSERT_EQ(RunProgram("ffmpeg", {"-v", "error", "-f", "lavfi", "-i", "testsrc2=size=640x360:rate=30", "-f", "lavfi",
                                    "-i", "sine", "-t", "4", "-c:v", "libx264", "-c:a", "aac", whole}),
              0);
    QFile source(whole), cutShort(cut);
    ASSERT_TRUE(source.open(QIODevice::ReadOnly) && cutShort.open(QIODevice::WriteOnly));
    cutShort.write(source.read(source.size() / 3));
    cutShort.close();
    m_port->addRow(text);
    m_port->addRow(cut);
    m_port->addRow(s_clip);
    convert("MP4", {176, 144, 15, 256});
    EXPECT_EQ(m_port->count(kFailed), 2);
    EXPECT_EQ(m_port->endedWith(), std::make_pair(1, 2));
    EXPECT_EQ(outputFiles().size(), 1);
    EXPECT_TRUE(outputFiles().first().endsWith(".mp4"));
}

TEST_F(Conversion, SourcesWithoutAudio)
{
    struct Case {
        const char *format, *extension;
    };
    for (const Case c : {Case{"MP4", ".mp4"}, Case{"3GP", ".3gp"}, Case{"FLV", ".flv"}}) {
        SCOPED_TRACE(c.format);
        m_out = MakeTempDir() + '/';
        m_port = std::make_shared<FakeConversionPort>();
        m_port->addRow(s_muteClip);
        convert(c.format, {176, 144, 15, 256});
        EXPECT_TRUE(m_port->endedWell());
        ASSERT_EQ(outputFiles().size(), 1);
        EXPECT_TRUE(outputFiles().first().endsWith(c.extension));
        const MediaInfo info = ProbeMedia(m_out + outputFiles().first());
        EXPECT_FALSE(info.streams.contains("audio"));
        const DiscoveredMedia seen = DiscoverMedia(m_out + outputFiles().first());
        EXPECT_FALSE(seen.video.isEmpty());
        EXPECT_TRUE(seen.audio.isEmpty()) << seen.audio.toStdString();
        EXPECT_EQ(info.streams["video"].width, 176);
        ExpectTimingOf(info, 15);
    }
}

// Blanks, Chinese and a double quote, in the source and in the output folder,
// reach every tool of MP4 packaging and the 3GP export unchanged.
TEST_F(Conversion, ChinesePathsWithBlanksAndQuotes)
{
    const QString folder = MakeTempDir() + QStringLiteral("/我的 视频/");
    ASSERT_TRUE(QDir().mkpath(folder));
    const QString spaced = folder + QStringLiteral("春天 的 片段.avi");
    const QString quoted = folder + QStringLiteral("他说\"你好\" 片.avi");
    ASSERT_TRUE(QFile::copy(s_clip, spaced));
    ASSERT_TRUE(QFile::copy(s_clip, quoted));
    for (const char *format : {"MP4", "3GP"}) {
        SCOPED_TRACE(format);
        m_out = MakeTempDir() + QStringLiteral("/输出 \"文件夹\"/2031-01-02/");
        m_port = std::make_shared<FakeConversionPort>();
        m_port->addRow(spaced);
        m_port->addRow(quoted);
        convert(format, {176, 144, 15, 256});
        EXPECT_EQ(m_port->count(kFailed), 0);
        EXPECT_TRUE(m_port->endedWell());
        EXPECT_EQ(outputFiles().size(), 2) << outputFiles().join(' ').toStdString();
    }
}

// Names holding glob and shell characters name only their own files: each row
// packs through its own temporary, and nothing else is left, hidden or not.
TEST_F(Conversion, GlobAndShellCharactersInNames)
{
    const QString folder = MakeTempDir() + '/';
    const QStringList names{"Film [1080p]", "a*b", "-dash 'q' $x"};
    for (const QString &name : names) {
        ASSERT_TRUE(QFile::copy(s_clip, folder + name + ".avi"));
        ASSERT_TRUE(QFile::copy(s_clip, folder + name + "X.avi"));  // one more row whose name starts alike
    }
    for (const char *extension : {".mp4", ".3gp"}) {
        SCOPED_TRACE(extension);
        m_out = MakeTempDir() + '/';
        m_port = std::make_shared<FakeConversionPort>();
        for (const QString &name : names) {
            m_port->addRow(folder + name + ".avi");
            m_port->addRow(folder + name + "X.avi");
        }
        BatchChoices choices{176, 144, 15, 128};
        choices.naming = OutputNaming::SourceName;
        convert(QString(extension).mid(1), choices);
        EXPECT_TRUE(m_port->endedWell());
        QStringList expected;
        for (const QString &name : names)
            expected << name + extension << name + "X" + extension;
        expected.sort();
        EXPECT_EQ(QDir(m_out).entryList(QDir::AllEntries | QDir::Hidden | QDir::NoDotAndDotDot, QDir::Name), expected);
        for (const QString &file : expected) {
            const MediaInfo info = ProbeMedia(m_out + file);
            EXPECT_EQ(info.streams["video"].width, 176) << file.toStdString();
            EXPECT_TRUE(info.streams.contains("audio")) << file.toStdString();
            EXPECT_NEAR(info.duration, kClipSeconds, kClipSeconds * 0.05) << file.toStdString();
        }
    }
    EXPECT_EQ(QDir(folder).entryList(QDir::AllEntries | QDir::Hidden | QDir::NoDotAndDotDot).size(), 6);
}

// A packer that prints nothing for longer than the silence limit while its
// temporary grows (a stand-in that then becomes the real mp4creator), for a
// source whose name is a glob pattern: the watchdog sees the temporary grow, so
// the row is done; a stop while it writes leaves nothing, hidden or not.
TEST_F(Conversion, ASilentPackerWritingItsTemporaryIsAliveAndCleanedUpOnStop)
{
    const QString tools = MakeTempDir() + '/';
    for (const QString &tool : QDir(QFile::decodeName(s_tools)).entryList(QDir::Files)) {
        if (tool != "mp4creator") {
            ASSERT_TRUE(QFile::link(QFile::decodeName(s_tools) + tool, tools + tool));
        }
    }
    WriteScript(tools + "mp4creator", "#!/bin/sh\n"
                                      "for a in \"$@\"; do case $a in -tmp=*) tmp=${a#-tmp=};; esac; done\n"
                                      "i=0; while [ $i -lt 12 ]; do printf part >> \"$tmp\"; sleep 0.25; i=$((i+1)); done\n"
                                      "exec '" + s_tools + "mp4creator' \"$@\"\n");
    m_batch.setToolDir(QFile::encodeName(tools));
    m_batch.setSilenceLimit(std::chrono::milliseconds(1500));
    const QString source = MakeTempDir() + "/Film [1080p].avi";
    ASSERT_TRUE(QFile::copy(s_clip, source));
    BatchChoices choices{176, 144, 15, 128};
    choices.naming = OutputNaming::SourceName;
    ASSERT_TRUE(ParseFormat("MP4", &choices.format));
    const auto everything = [this] { return QDir(m_out).entryList(QDir::AllEntries | QDir::Hidden | QDir::NoDotAndDotDot); };

    m_port->addRow(source);
    convert("MP4", choices);
    EXPECT_TRUE(m_port->endedWell());
    EXPECT_EQ(everything(), QStringList{"Film [1080p].mp4"});

    m_out = MakeTempDir() + '/';
    m_port = std::make_shared<FakeConversionPort>();
    m_port->addRow(source);
    ASSERT_TRUE(m_batch.start(m_port, choices));
    ASSERT_TRUE(WaitUntil([&] { return QFileInfo(m_out + ".Film [1080p].mp4.part").size() > 0; }, 60000));
    m_batch.stop();
    ASSERT_TRUE(m_batch.waitIdle(10000));
    EXPECT_EQ(everything(), QStringList());
}

TEST_F(Conversion, TwoRowsInOneSecondGiveTwoFiles)
{
    m_batch.setClock([] { return QTime(9, 30, 0); });
    m_port->addRow(s_clip);
    m_port->addRow(s_clip);
    convert("FLV", {176, 144, 15, 256});
    EXPECT_EQ(outputFiles(), (QStringList{"09-30-00-2.flv", "09-30-00.flv"}));
    for (const QString &file : outputFiles())
        EXPECT_EQ(ProbeMedia(m_out + file).streams["video"].codec, "flv1");
}

TEST_F(Conversion, PauseHoldsTheEncoderAndResumeLetsTheSameOneFinish)
{
    m_batch.setToolDir(s_slowTools);
    m_port->addRow(s_clip);
    ASSERT_TRUE(m_batch.start(m_port, {176, 144, 15, 256}));
    ASSERT_TRUE(WaitUntil([&] { return m_port->progress().size() >= 2; }, 10000));
    const pid_t encoder = m_batch.encoderPid();
    ASSERT_NE(encoder, 0);

    m_batch.pause();
    ASSERT_TRUE(WaitUntil([&] { return ProcessState(encoder) == 'T'; }, 2000));
    QThread::msleep(100);  // a chunk read just before the stop may still land
    const qsizetype seen = m_port->progress().size();
    QThread::msleep(1000);
    EXPECT_EQ(ProcessState(encoder), 'T');
    EXPECT_EQ(m_port->progress().size(), seen) << "no progress while paused";

    m_batch.resume();
    EXPECT_TRUE(WaitUntil([&] { return ProcessState(encoder) != 'T'; }, 2000));
    ASSERT_TRUE(WaitUntil([&] { return m_port->progress().size() > seen; }, 5000));
    EXPECT_TRUE(m_batch.encoderPid() == encoder || m_batch.encoderPid() == 0);
    ASSERT_TRUE(m_batch.waitIdle(60000));
    EXPECT_TRUE(m_port->endedWell());
    EXPECT_EQ(outputFiles().size(), 1);
    EXPECT_TRUE(outputFiles().first().endsWith(".mp4"));
}

TEST_F(Conversion, StopDuringTheEncoderStepEndsTheBatch)
{
    m_batch.setToolDir(s_slowTools);
    m_port->addRow(s_clip);
    m_port->addRow(s_clip);
    ASSERT_TRUE(m_batch.start(m_port, {176, 144, 15, 256}));
    ASSERT_TRUE(WaitUntil([&] { return m_port->progress().size() >= 2; }, 10000));
    const pid_t encoder = m_batch.encoderPid();
    ASSERT_NE(encoder, 0);

    m_batch.stop();
    EXPECT_FALSE(m_batch.isRunning());
    ASSERT_TRUE(m_batch.waitIdle(10000));
    EXPECT_EQ(ProcessState(encoder), 0);
    // The stopped row leaves nothing half-made, and no further row started.
    EXPECT_EQ(QDir(m_out).entryList(QDir::Files | QDir::Hidden), QStringList());
    EXPECT_EQ(m_port->count(kFinished) + m_port->count(kFailed), 0);
}

// Sources whose header is good and whose data is not: the first 48 KiB of a
// good 10 s AVI, then random bytes. On some the decoder loops for ever (its
// position racing far past 10 s: here one with AC3 sound, read by the
// encoder's own AVI reader), on others the encoder gives up after a fraction of
// a second (here one with MP3 sound, read by libavformat). In a batch between
// two good rows, in FLV and in 3GP: the batch ends by itself, the broken rows
// fail and leave nothing, the good rows convert, and the batch does not claim
// success.
TEST_F(Conversion, BrokenDataAfterAGoodHeaderFailsWithoutHangingTheBatch)
{
    const QString folder = MakeTempDir() + '/';
    QStringList broken;
    for (const auto &[sound, seed] : {std::pair{"ac3", 2u}, std::pair{"libmp3lame", 1u}}) {
        const QString longClip = folder + "long.avi";
        ASSERT_EQ(RunProgram("ffmpeg", {"-v", "error", "-y", "-f", "lavfi", "-i", "testsrc=size=320x240:rate=25", "-f",
                                        "lavfi", "-i", "sine=frequency=440:sample_rate=44100", "-t", "10", "-c:v",
                                        "mpeg4", "-c:a", sound, longClip}),
                  0);
        QFile clip(longClip);
        ASSERT_TRUE(clip.open(QIODevice::ReadOnly));
        QByteArray data = clip.read(48 * 1024);
        std::mt19937 random(seed);
        for (int i = 0; i < 2 * 1024 * 1024; ++i)
            data.append(char(random()));
        broken << folder + QStringLiteral("broken %1.avi").arg(seed);
        QFile file(broken.last());
        ASSERT_TRUE(file.open(QIODevice::WriteOnly));
        file.write(data);
    }

    for (const char *format : {"FLV", "3GP"}) {
        SCOPED_TRACE(format);
        m_port = std::make_shared<FakeConversionPort>();
        m_out = MakeTempDir() + '/';
        const RowId first = m_port->addRow(s_clip, 3);
        const RowId bad1 = m_port->addRow(broken[0], 10);
        const RowId bad2 = m_port->addRow(broken[1], 10);
        const RowId last = m_port->addRow(s_clip, 3);
        convert(format, {176, 144, 15, 128});

        EXPECT_EQ(m_port->rowState(first), RowState{RowPhase::Done});
        EXPECT_EQ(m_port->rowState(last), RowState{RowPhase::Done});
        EXPECT_EQ(m_port->rowState(bad1), RowState::failed(FailReason::Stuck)) << "the decoder looped";
        EXPECT_EQ(m_port->rowState(bad2), RowState::failed(FailReason::Damaged)) << "the encoder gave up early";
        EXPECT_EQ(m_port->endedWith(), std::make_pair(2, 2));
        const QStringList files = QDir(m_out).entryList(QDir::Files | QDir::Hidden);
        ASSERT_EQ(files.size(), 2);
        for (const QString &file : files) {
            const MediaInfo info = ProbeMedia(m_out + file);
            EXPECT_NEAR(info.duration, kClipSeconds, kClipSeconds * 0.05) << file.toStdString();
        }
    }
}

// The corner of the first picture that holds the white mark, as ffmpeg shows
// the file (turned upright as a player turns it): "TL", "TR", "BL" or "BR",
// empty when no single corner is bright.
QString MarkCorner(const QString &path)
{
    constexpr int kSide = 64, kCorner = 16;
    QByteArray pixels;
    if (RunProgram("ffmpeg", {"-v", "error", "-i", path, "-frames:v", "1", "-vf",
                              QStringLiteral("scale=%1:%1").arg(kSide), "-pix_fmt", "gray", "-f", "rawvideo", "-"},
                   &pixels) != 0 ||
        pixels.size() != kSide * kSide)
        return {};
    auto mean = [&](int x0, int y0) {
        int sum = 0;
        for (int y = y0; y < y0 + kCorner; ++y) {
            for (int x = x0; x < x0 + kCorner; ++x)
                sum += static_cast<unsigned char>(pixels[y * kSide + x]);
        }
        return sum / (kCorner * kCorner);
    };
    const int far = kSide - kCorner;
    const QMap<QString, int> corners{{"TL", mean(0, 0)}, {"TR", mean(far, 0)}, {"BL", mean(0, far)},
                                     {"BR", mean(far, far)}};
    QStringList bright;
    for (auto it = corners.begin(); it != corners.end(); ++it) {
        if (it.value() > 160)
            bright << it.key();
        else if (it.value() > 60)
            return {};
    }
    return bright.size() == 1 ? bright.first() : QString();
}

// A phone held upright stores its picture on its side with a turn for the
// player. Clips shown 72x128 with a mark in the top left corner, stored turned
// by each quarter: every format's output shows the mark in its top left.
TEST_F(Conversion, PhoneClipsStandUprightInEveryFormat)
{
    const QString folder = MakeTempDir() + '/';
    QStringList clips;
    // The stored picture is the shown one turned back. ffmpeg's "rotate" tag
    // names the turn counter-clockwise.
    const struct {
        int clockwise;
        const char *storeFilter, *tag;
    } turns[] = {{90, "transpose=cclock", "270"}, {180, "hflip,vflip", "180"}, {270, "transpose=clock", "90"}};
    for (const auto &turn : turns) {
        const QString stored = folder + QStringLiteral("stored%1.mp4").arg(turn.clockwise);
        clips << folder + QStringLiteral("phone%1.mp4").arg(turn.clockwise);
        const QString picture = QStringLiteral("color=black:size=72x128:rate=10:duration=1,"
                                               "drawbox=x=0:y=0:w=24:h=32:color=white:t=fill,") +
                                turn.storeFilter;
        ASSERT_EQ(RunProgram("ffmpeg", {"-v", "error", "-y", "-f", "lavfi", "-i", picture, "-c:v", "libx264",
                                        "-pix_fmt", "yuv420p", stored}),
                  0);
        ASSERT_EQ(RunProgram("ffmpeg", {"-v", "error", "-y", "-i", stored, "-c", "copy", "-metadata:s:v",
                                        QStringLiteral("rotate=%1").arg(turn.tag), clips.last()}),
                  0);
        ASSERT_EQ(MarkCorner(clips.last()), "TL") << "a player shows clip " << turn.clockwise << " upright";
        ASSERT_NE(MarkCorner(stored), "TL") << "clip " << turn.clockwise << " is stored turned";
    }

    for (const char *format : {"MP4", "3GP", "FLV"}) {
        SCOPED_TRACE(format);
        m_out = MakeTempDir() + '/';
        m_port = std::make_shared<FakeConversionPort>();
        for (const QString &clip : clips)
            m_port->addRow(clip, 1);
        convert(format, {176, 144, 10, 128});
        EXPECT_EQ(m_port->count(kFailed), 0);
        EXPECT_TRUE(m_port->endedWell());
        const QStringList files = outputFiles();
        ASSERT_EQ(files.size(), 3);
        for (const QString &file : files) {
            EXPECT_EQ(MarkCorner(m_out + file), "TL") << file.toStdString();
            EXPECT_EQ(ProbeMedia(m_out + file).streams["video"].width, 176) << file.toStdString();
        }
    }
}

} // namespace
