#include "engine/conversion_batch.h"
#include "engine/picture_motion.h"
#include "install/tool_installer.h"
#include "tests/support/fake_conversion_port.h"
#include "tests/support/media_probe.h"
#include "tests/support/test_support.h"

#include <QDir>
#include <QFile>
#include <QRandomGenerator>
#include <gtest/gtest.h>

// Every picture moves: AVIs of the kinds found in the wild, and the other
// containers, converted into every format, must show a picture that changes
// where the source's does, besides the usual length and sync.
namespace {

constexpr double kClipSeconds = 2.0;

QByteArray Thumbnail(const QString &path, double seconds)
{
    QByteArray picture;
    RunProgram("ffmpeg",
               {"-nostdin", "-v", "error", "-ss", QString::number(seconds, 'f', 3), "-i", path, "-frames:v", "1", "-vf",
                "scale=32:24,format=gray", "-f", "rawvideo", "-"},
               &picture);
    return picture;
}

MotionSample Motion(const QString &path)
{
    return {Thumbnail(path, kClipSeconds / 4), Thumbnail(path, kClipSeconds * 3 / 4)};
}

void WriteScript(const QString &path, const QByteArray &content)
{
    QFile file(path);
    ASSERT_TRUE(file.open(QIODevice::WriteOnly | QIODevice::Truncate));
    file.write(content);
    file.close();
    file.setPermissions(file.permissions() | QFileDevice::ExeOwner);
}

struct Kind {
    const char *name;
    const char *file;
    QStringList encoding;  // ffmpeg's options for the clip; empty for a clip made otherwise
};

class MovingPictures : public ::testing::Test {
protected:
    static void SetUpTestSuite()
    {
        s_tools = QFile::encodeName(MakeTempDir()) + '/';
        for (int selector : {2, 3, 4})
            ASSERT_EQ(ExtractTool(s_tools, selector), 1);
        s_clips = MakeTempDir() + '/';
        const QStringList mp3{"-c:a", "libmp3lame"};
        const QList<Kind> made{
            {"MPEG-4 FMP4 + MP3", "fmp4 mp3.avi", QStringList{"-c:v", "mpeg4"} + mp3},
            {"MPEG-4 XVID B-frames + MP3 VBR", "xvid b.avi", {"-c:v", "mpeg4", "-vtag", "XVID", "-bf", "2", "-c:a", "libmp3lame", "-q:a", "4"}},
            {"MPEG-4 DX50 + AC3", "dx50 ac3.avi", {"-c:v", "mpeg4", "-vtag", "DX50", "-c:a", "ac3"}},
            {"MJPEG + MP3", "mjpeg mp3.avi", QStringList{"-c:v", "mjpeg"} + mp3},
            {"MPEG-2 program stream", "clip.mpg", {"-c:v", "mpeg2video", "-c:a", "mp2"}},
        };
        for (const Kind &kind : made) {
            ASSERT_EQ(RunProgram("ffmpeg", QStringList{"-v", "error", "-y", "-f", "lavfi", "-i",
                                                       "testsrc=size=160x120:rate=25", "-f", "lavfi", "-i",
                                                       "sine=frequency=440:sample_rate=44100", "-t",
                                                       QString::number(kClipSeconds)} +
                                               kind.encoding + QStringList{s_clips + kind.file}),
                      0)
                << kind.name;
            s_kinds << kind;
        }
        // An AVI without its index.
        QFile indexed(s_clips + "fmp4 mp3.avi");
        ASSERT_TRUE(indexed.open(QIODevice::ReadOnly));
        QByteArray data = indexed.readAll();
        data.replace(data.lastIndexOf("idx1"), 4, "JUNK");
        QFile unindexed(s_clips + "no index.avi");
        ASSERT_TRUE(unindexed.open(QIODevice::WriteOnly));
        unindexed.write(data);
        s_kinds << Kind{"MPEG-4 + MP3, no index", "no index.avi", {}};
        // An AVI the encoder wrote itself, with MP3 sound.
        ASSERT_EQ(RunProgram("mencoder", {"-really-quiet", s_clips + "dx50 ac3.avi", "-ovc", "lavc", "-lavcopts",
                                          "vcodec=mpeg4", "-oac", "mp3lame", "-o", s_clips + "mencoder mp3.avi"}),
                  0);
        s_kinds << Kind{"encoder-written MPEG-4 + MP3", "mencoder mp3.avi", {}};
        for (const Kind &kind : std::as_const(s_kinds)) {
            const std::optional<double> change = PictureChange(Motion(s_clips + kind.file));
            ASSERT_TRUE(change) << kind.name;
            s_sourceChanges << *change;
            const MediaInfo info = ProbeMedia(s_clips + kind.file);
            s_sourceSkews << info.streams["audio"].end - info.streams["video"].end;
        }
    }

    void SetUp() override
    {
        m_out = MakeTempDir() + '/';
        m_batch.setToolDir(s_tools);
        m_batch.setOutputFolderProvider([this] { return m_out; });
        m_batch.setClock([] { return QTime(12, 0, 0); });
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

    static inline QByteArray s_tools;
    static inline QString s_clips;
    static inline QList<Kind> s_kinds;
    static inline QList<double> s_sourceChanges;  // how much each kind's picture changes
    static inline QList<double> s_sourceSkews;    // where each kind's sound ends after its picture
    QString m_out;
    std::shared_ptr<FakeConversionPort> m_port = std::make_shared<FakeConversionPort>();
    ConversionBatch m_batch;
};

TEST_F(MovingPictures, EveryKindOfSourceMovesInEveryFormat)
{
    const struct {
        const char *format, *extension;
        BatchChoices choices;
    } formats[] = {
        {"MP4", ".mp4", {128, 96, 15, 256}},
        {"3GP", ".3gp", {128, 96, 15, 64}},
        {"FLV", ".flv", {128, 96, 15, 256}},
    };
    for (const auto &f : formats) {
        SCOPED_TRACE(f.format);
        m_out = MakeTempDir() + '/';
        m_port = std::make_shared<FakeConversionPort>();
        QList<RowId> rows;
        for (const Kind &kind : std::as_const(s_kinds))
            rows << m_port->addRow(s_clips + kind.file, 2);
        convert(f.format, f.choices);
        for (qsizetype i = 0; i < s_kinds.size(); ++i) {
            SCOPED_TRACE(s_kinds[i].name);
            EXPECT_EQ(m_port->rowState(rows[i]).phase, RowPhase::Done);
            // Rows started in the same second: 12-00-00, 12-00-00-2, ...
            const QString output =
                m_out + (i == 0 ? QStringLiteral("12-00-00") : QStringLiteral("12-00-00-%1").arg(i + 1)) + f.extension;
            const std::optional<double> outputChange = PictureChange(Motion(output));
            ASSERT_TRUE(outputChange);
            EXPECT_GT(*outputChange, s_sourceChanges[i] / 3)
                << "source " << s_sourceChanges[i] << ", output " << *outputChange;
            const MediaInfo info = ProbeMedia(output);
            EXPECT_NEAR(info.duration, kClipSeconds, 0.15);
            // In step as the source is (the encoder's own AVI ends its picture early).
            EXPECT_NEAR(info.streams["audio"].end - info.streams["video"].end, s_sourceSkews[i], 0.2);
        }
    }
}

// An encoder that writes one still picture for a moving source: its size, rate
// and length are right, but the row fails and leaves nothing behind. A source
// that is itself a test card converts fine through the same encoder.
TEST_F(MovingPictures, AStillOutputOfAMovingSourceFailsTheRow)
{
    const QByteArray tools = QFile::encodeName(MakeTempDir()) + '/';
    for (const char *tool : {"ffmpeg", "mp4creator"})
        ASSERT_TRUE(QFile::link(QFile::decodeName(s_tools + tool), QFile::decodeName(tools + tool)));
    WriteScript(QFile::decodeName(tools + "mencoder"),
                "#!/bin/sh\n"
                "prev=; for a in \"$@\"; do [ \"$prev\" = -o ] && out=$a; prev=$a; done\n"
                "ffmpeg -v error -y -f lavfi -i testsrc=size=176x144:rate=15 -f lavfi -i sine -t 2 "
                "-vf trim=end_frame=1,tpad=stop=-1:stop_mode=clone -t 2 \"$out\" || exit 1\n"
                "printf 'Pos:   2.0s     30f (100%%)\\r'\n");
    const QString testCard = MakeTempDir() + "/card.avi";
    ASSERT_EQ(RunProgram("ffmpeg", {"-v", "error", "-f", "lavfi", "-i", "smptebars=size=160x120:rate=25", "-f",
                                    "lavfi", "-i", "sine", "-t", "2", "-c:v", "mpeg4", "-c:a", "libmp3lame", testCard}),
              0);
    m_batch.setToolDir(tools);
    // Rows whose length the probe did not tell: the output's own length places the thumbnails.
    const RowId moving = m_port->addRow(s_clips + "dx50 ac3.avi");
    const RowId card = m_port->addRow(testCard);
    convert("FLV", {176, 144, 15, 256});
    EXPECT_EQ(m_port->rowState(moving), RowState::failed(FailReason::StillPicture));
    EXPECT_EQ(m_port->rowState(card).phase, RowPhase::Done);
    EXPECT_EQ(m_port->statuses().last(), BatchStatus::Ended);
    EXPECT_EQ(m_port->endedWith(), std::make_pair(1, 1));
    const QStringList files = QDir(m_out).entryList(QDir::Files);
    ASSERT_EQ(files.size(), 1) << files.join(' ').toStdString();
    EXPECT_TRUE(files.first().endsWith(".flv"));
}

// A file whose header and first picture are fine and whose data after them is
// garbage: the encoder repeats that picture to the end, at a rate that looks
// like any other, and ffmpeg cannot take a picture of the source to compare.
// The row fails as damaged, in every format, and leaves nothing behind.
TEST_F(MovingPictures, GarbageBehindAGoodHeaderFailsAsDamaged)
{
    const QString source = MakeTempDir() + "/garbage.avi";
    ASSERT_EQ(RunProgram("ffmpeg", {"-v", "error", "-f", "lavfi", "-i", "testsrc=size=160x120:rate=25", "-t", "2",
                                    "-c:v", "mpeg4", "-an", source}),
              0);
    QFile file(source);
    ASSERT_TRUE(file.open(QIODevice::ReadWrite));
    QByteArray data = file.readAll();
    const qsizetype secondPicture = data.indexOf("00dc", data.indexOf("00dc", data.indexOf("movi")) + 4);
    const qsizetype index = data.lastIndexOf("idx1");
    ASSERT_GT(secondPicture, 0);
    QRandomGenerator random(7);
    for (qsizetype i = secondPicture + 8; i < index; ++i)
        data[i] = char(random.bounded(256));
    file.seek(0);
    file.write(data);
    file.close();
    for (const char *format : {"MP4", "3GP", "FLV"}) {
        SCOPED_TRACE(format);
        m_out = MakeTempDir() + '/';
        m_port = std::make_shared<FakeConversionPort>();
        const RowId row = m_port->addRow(source, 2);
        convert(format, {176, 144, 15, 256});
        EXPECT_EQ(m_port->rowState(row), RowState::failed(FailReason::Damaged));
        EXPECT_TRUE(QDir(m_out).entryList(QDir::Files | QDir::Hidden).isEmpty());
    }
}

}  // namespace
