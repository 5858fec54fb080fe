// The real main window, offscreen, with the tools it installs itself: tiny
// sources of several kinds are added (the probes fill their rows), then
// converted to each format through the boxes and the start command, and every
// result is checked with ffprobe.

#include "controls/flat_combo_box.h"
#include "engine/conversion_batch.h"
#include "base/thread_tracker.h"
#include "res/control_ids.h"
#include "settings/output_folder.h"
#include "tests/support/media_probe.h"
#include "tests/support/main_dialog_fixture.h"
#include "ui/file_list_view.h"
#include "ui/row_menu.h"

#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QJsonArray>
#include <QJsonDocument>
#include <QJsonObject>
#include <QLabel>
#include <QTest>
#include <gtest/gtest.h>

#include <algorithm>
#include <cstdio>
#include <memory>
#include <ostream>

void PrintTo(const QString &text, std::ostream *os) { *os << '"' << text.toStdString() << '"'; }

namespace {

constexpr double kSeconds = 2.0;

struct Source {
    QString name;
    QStringList encode;  // ffmpeg output options
    QString rate;         // video stream: lavfi rate, and the row's frame rate
    bool hasAudio;
    QString codec;        // the row's codec column
};

// 12 fps H.264 in Matroska has to gain frames at every output rate; WMV takes
// the libavformat reader; MPEG-1 PS the built-in one; the odd name carries a
// double quote, Chinese, blanks and shell characters, with 8 kHz mono sound.
const Source kSources[] = {
    {"low rate.mkv", {"-c:v", "libx264", "-pix_fmt", "yuv420p", "-c:a", "libvorbis"}, "12", true, "H264"},
    {"clip.wmv", {"-c:v", "wmv2", "-c:a", "wmav2"}, "25", true, "WMV2"},
    {"clip.mpg", {"-c:v", "mpeg1video", "-c:a", "mp2", "-f", "mpeg"}, "30000/1001", true, "mpg1"},
    {QStringLiteral("-视频 \"q\" $x;`y`.avi"),
     {"-c:v", "mpeg4", "-c:a", "pcm_s16le", "-ar", "8000", "-ac", "1"}, "25", true, "MP4V"},
};

class WindowConversion : public MainDialogFixture {
protected:
    static void SetUpTestSuite()
    {
        MainDialogFixture::SetUpTestSuite();
        s_sources = MakeTempDir() + '/';
        for (const Source &source : kSources) {
            const QStringList input{"-v",     "error", "-y", "-f", "lavfi", "-i",
                                    "testsrc=size=160x120:rate=" + source.rate, "-f", "lavfi", "-i",
                                    "sine=frequency=440:sample_rate=44100", "-t", QString::number(kSeconds)};
            ASSERT_EQ(RunProgram("ffmpeg", input + source.encode + QStringList{s_sources + source.name}), 0)
                << source.name.toStdString();
        }
        // An MP4 cut off right after its header: the encoder decodes nothing,
        // and for some templates still exits 0.
        const QString whole = s_sources + "whole.mp4";
        ASSERT_EQ(RunProgram("ffmpeg", {"-v", "error", "-y", "-f", "lavfi", "-i", "testsrc=size=160x120:rate=25",
                                        "-t", "2", "-c:v", "libx264", "-pix_fmt", "yuv420p", "-movflags",
                                        "+faststart", whole}),
                  0);
        QFile in(whole);
        ASSERT_TRUE(in.open(QIODevice::ReadOnly));
        const QByteArray data = in.readAll();
        QFile cut(s_sources + kBroken);
        ASSERT_TRUE(cut.open(QIODevice::WriteOnly));
        cut.write(data.left(data.indexOf("mdat") + 4 + 200));
    }

    void SetUp() override
    {
        MainDialogFixture::SetUp();
        m_list = m_dialog->controlAs<FileListView>(IdFileList);
    }
    void TearDown() override
    {
        m_dialog->batch().stop();
        EXPECT_TRUE(m_dialog->batch().waitIdle(30000));
        MainDialogFixture::TearDown();
    }

    void addAll()
    {
        for (const Source &source : kSources) {
            m_dialog->addFile(s_sources + source.name);
            if (source.name == "clip.wmv")
                m_dialog->addFile(s_sources + kBroken);  // the batch goes on past it
        }
        ASSERT_TRUE(WaitUntil([] { return ThreadTracker::running() == 0; }, 30000));
    }
    void choose(int id, const QString &item)
    {
        auto *box = m_dialog->controlAs<CCJFlatComboBox>(id);
        box->setCurrentIndex(box->findText(item));
        ASSERT_GE(box->currentIndex(), 0) << item.toStdString();
        if (id == IdFormatBox)
            m_dialog->OnFormatChanged();
        else if (id == IdResolutionBox)
            m_dialog->OnResolutionChanged();
        else
            m_dialog->OnFrameRateChanged();
    }
    // Starts the batch and returns the new files in the order they were made.
    QStringList convert()
    {
        const QDir out(GetOutputFolder());
        const QStringList before = out.entryList(QDir::Files);
        m_dialog->OnStart();
        EXPECT_TRUE(WaitUntil([this] { return m_dialog->batch().waitIdle(0); }, 120000));
        QFileInfoList made;
        for (const QFileInfo &file : out.entryInfoList(QDir::Files))
            if (!before.contains(file.fileName()))
                made << file;
        std::sort(made.begin(), made.end(), [](const QFileInfo &a, const QFileInfo &b) {
            return a.fileTime(QFileDevice::FileModificationTime) < b.fileTime(QFileDevice::FileModificationTime);
        });
        QStringList paths;
        for (const QFileInfo &file : made)
            paths << file.absoluteFilePath();
        return paths;
    }

    static inline const QString kBroken = QStringLiteral("cut after header.mp4");
    static inline QString s_sources;
    FileListView *m_list = nullptr;
};

TEST_F(WindowConversion, RowsShowWhatThePlayerFinds)
{
    addAll();
    ASSERT_EQ(m_list->rowCount(), 5);
    int row = 0;
    for (const Source &source : kSources) {
        SCOPED_TRACE(source.name.toStdString());
        EXPECT_EQ(m_list->rowPath(row), s_sources + source.name);
        EXPECT_EQ(m_list->rowText(row, ColDuration), "00:00:02");
        EXPECT_EQ(m_list->rowText(row, ColCodec), source.codec);
        EXPECT_EQ(m_list->rowText(row, ColResolution), "160x120");
        const QStringList rate = source.rate.split('/');
        EXPECT_NEAR(m_list->rowText(row, ColFrameRate).toDouble(),
                    rate[0].toDouble() / (rate.size() == 2 ? rate[1].toDouble() : 1.0), 0.001);
        row += source.name == "clip.wmv" ? 2 : 1;
    }
    EXPECT_EQ(m_list->rowPath(2), s_sources + kBroken);
    EXPECT_EQ(m_list->rowText(2, ColResolution), "160x120") << "the header is all there";
}

// Each format from the boxes, for every kind of source, read by ffprobe and by
// GStreamer (which shares no code with the tools that wrote the files).
TEST_F(WindowConversion, EveryFormatThroughTheBoxes)
{
    struct Case {
        const char *format, *resolution, *frameRate, *container, *video, *audio;
        int width, height;
        const char *gstContainer, *gstVideo, *gstAudio;
        bool indexFirst;  // moov before mdat
    };
    const Case cases[] = {
        {"MP4", "320x240", "15", "mov,mp4,m4a,3gp,3g2,mj2", "mpeg4", "aac", 320, 240, "video/quicktime",
         "video/mpeg, mpegversion=(int)4, ", "audio/mpeg, mpegversion=(int)4, ", true},
        {"3GP", "176x144", "25", "mov,mp4,m4a,3gp,3g2,mj2", "h263", "amr_nb", 176, 144, "application/x-3gp",
         "video/x-h263, ", "audio/AMR, ", true},
        {"FLV", "220x176", "25", "flv", "flv1", "mp3", 220, 176, "video/x-flv",
         "video/x-flash-video, flvversion=(int)1, ", "audio/mpeg, mpegversion=(int)1, ", false},
    };
    addAll();
    for (const Case &c : cases) {
        SCOPED_TRACE(c.format);
        choose(IdFormatBox, c.format);
        choose(IdResolutionBox, c.resolution);
        choose(IdFrameRateBox, c.frameRate);
        // Done rows stay done until the user asks for them again.
        for (int row = 0; row < m_list->rowCount(); ++row)
            RunRowAction(*m_list, row, QStringLiteral("重新转换"));
        const QStringList made = convert();
        EXPECT_EQ(status(), QStringLiteral("转换结束：成功 4 个，失败 1 个")) << "the cut file fails";
        for (int row = 0; row < m_list->rowCount(); ++row)
            EXPECT_EQ(m_list->rowText(row, ColStatus).left(3), row == 2 ? QStringLiteral("失败：") : "完成") << row;
        ASSERT_EQ(made.size(), 4) << made.join(", ").toStdString() << ": nothing for the cut file, no leftovers";
        for (int i = 0; i < made.size(); ++i) {
            SCOPED_TRACE(kSources[i].name.toStdString());
            const QString extension = QStringLiteral(".") + QString::fromLatin1(c.format).toLower();
            EXPECT_TRUE(made[i].endsWith(extension)) << made[i].toStdString();
            const MediaInfo media = ProbeMedia(made[i]);
            const StreamInfo video = media.streams.value("video");
            EXPECT_EQ(media.container, c.container);
            EXPECT_EQ(video.codec, c.video);
            EXPECT_EQ(video.width, c.width);
            EXPECT_EQ(video.height, c.height);
            EXPECT_NEAR(video.frameRate, QString(c.frameRate).toDouble(), 0.01);
            EXPECT_NEAR(media.duration, kSeconds, kSeconds * 0.05);
            // Every frame the output rate asks for is there, also where the
            // source has fewer and each must be repeated.
            EXPECT_NEAR(video.end, kSeconds, kSeconds * 0.05);
            EXPECT_NEAR(video.packets, kSeconds * video.frameRate, kSeconds * video.frameRate * 0.05);
            const StreamInfo audio = media.streams.value("audio");
            EXPECT_EQ(audio.codec, c.audio);
            EXPECT_NEAR(audio.end, video.end, 0.3);

            const DiscoveredMedia seen = DiscoverMedia(made[i]);
            EXPECT_TRUE(seen.container.startsWith(c.gstContainer)) << seen.container.toStdString();
            EXPECT_TRUE(seen.video.startsWith(c.gstVideo)) << seen.video.toStdString();
            EXPECT_TRUE(seen.audio.startsWith(c.gstAudio)) << seen.audio.toStdString();
            EXPECT_NEAR(seen.duration, kSeconds, kSeconds * 0.05);
            if (c.indexFirst) {
                const QStringList boxes = TopLevelBoxes(made[i]);
                EXPECT_LT(boxes.indexOf("moov"), boxes.indexOf("mdat")) << boxes.join(' ').toStdString();
            }
        }
    }
}

// What a handset is promised: AAC-LC, a level that holds the picture, the
// index first; here from a 640x480 clip with the boxes as they open.
TEST_F(WindowConversion, DefaultMp4IsHandsetReady)
{
    const QString clip = MakeTempDir() + "/vga.avi";
    ASSERT_EQ(RunProgram("ffmpeg", {"-v", "error", "-y", "-f", "lavfi", "-i", "testsrc=size=640x480:rate=25", "-f",
                                    "lavfi", "-i", "sine=frequency=440:sample_rate=48000", "-t",
                                    QString::number(kSeconds), "-c:v", "mpeg4", "-c:a", "libmp3lame", clip}),
              0);
    m_dialog->addFile(clip);
    ASSERT_TRUE(WaitUntil([] { return ThreadTracker::running() == 0; }, 30000));
    const QStringList made = convert();
    ASSERT_EQ(made.size(), 1);
    ASSERT_TRUE(made[0].endsWith(".mp4"));

    const MediaInfo media = ProbeMedia(made[0]);
    EXPECT_EQ(media.streams["video"].width, 320);
    EXPECT_EQ(media.streams["video"].profile, "Simple Profile");
    EXPECT_EQ(media.streams["video"].level, 4);
    EXPECT_EQ(media.streams["audio"].codec, "aac");
    EXPECT_EQ(media.streams["audio"].profile, "LC");
    EXPECT_EQ(media.streams["audio"].sampleRate, 44100);
    EXPECT_NEAR(media.streams["audio"].end, media.streams["video"].end, 0.3);

    const DiscoveredMedia seen = DiscoverMedia(made[0]);
    EXPECT_TRUE(seen.video.contains("profile=(string)simple, level=(string)4a,")) << seen.video.toStdString();
    EXPECT_TRUE(seen.audio.startsWith("audio/mpeg, mpegversion=(int)4, ")) << seen.audio.toStdString();
    EXPECT_TRUE(seen.audio.contains("profile=(string)lc,")) << seen.audio.toStdString();
    EXPECT_NEAR(seen.duration, kSeconds, kSeconds * 0.05);
    const QStringList boxes = TopLevelBoxes(made[0]);
    EXPECT_LT(boxes.indexOf("moov"), boxes.indexOf("mdat")) << boxes.join(' ').toStdString();
}

// A name in GBK bytes (an old archive, a FAT card) reaches its file: the list
// shows it decoded and the output is named after it.
TEST_F(WindowConversion, ANameThatIsNotUtf8Converts)
{
    const QByteArray folder = QFile::encodeName(MakeTempDir());
    const QByteArray gbk = folder + "/\xB2\xE2\xCA\xD4\xCA\xD3\xC6\xB5.avi";  // 测试视频.avi
    ASSERT_EQ(::rename(QFile::encodeName(s_sources + kSources[3].name).constData(), gbk.constData()), 0);
    m_dialog->addSources({AddedFile{gbk, {}}});
    ASSERT_TRUE(WaitUntil([] { return ThreadTracker::running() == 0; }, 30000));
    EXPECT_EQ(m_list->rowText(0, ColPath), QStringLiteral("测试视频.avi"));
    const QStringList made = convert();
    ::rename(gbk.constData(), QFile::encodeName(s_sources + kSources[3].name).constData());
    ASSERT_EQ(made.size(), 1);
    EXPECT_EQ(QFileInfo(made[0]).fileName(), QStringLiteral("测试视频.mp4"));
    const MediaInfo media = ProbeMedia(made[0]);
    EXPECT_NEAR(media.streams["video"].end, kSeconds, 0.3);
    EXPECT_EQ(media.streams["audio"].codec, "aac");
}

// A minute of 720p, its sound counted, made to fit a picture message's size
// limit from the box; a limit that a minute cannot hold fails the row before
// any file is written, and says how small the file can be.
TEST_F(WindowConversion, SizeLimitFromTheBoxLands)
{
    const QString clip = MakeTempDir() + "/minute.mp4";
    ASSERT_EQ(RunProgram("ffmpeg", {"-v", "error", "-y", "-f", "lavfi", "-i", "testsrc2=size=1280x720:rate=25", "-f",
                                    "lavfi", "-i", "sine=frequency=440:sample_rate=44100", "-t", "60", "-c:v",
                                    "mpeg4", "-q:v", "5", "-c:a", "aac", clip}),
              0);
    m_dialog->addFile(clip);
    ASSERT_TRUE(WaitUntil([] { return ThreadTracker::running() == 0; }, 30000));
    choose(IdResolutionBox, "128x96");
    choose(IdFrameRateBox, "10");
    auto *limit = m_dialog->controlAs<CCJFlatComboBox>(IdSizeLimitBox);
    EXPECT_EQ(limit->currentText(), QStringLiteral("不限")) << "off by default";

    limit->setEditText("1,5 MB");
    EXPECT_EQ(convert(), QStringList());
    EXPECT_TRUE(status().contains(QStringLiteral("无法识别大小限制“1,5 MB”"))) << status().toStdString();

    limit->setCurrentIndex(limit->findText("1 MB"));
    m_dialog->OnSizeLimitChanged();
    const QStringList made = convert();
    ASSERT_EQ(made.size(), 1);
    const qint64 bytes = QFileInfo(made[0]).size();
    EXPECT_LE(bytes, 1024 * 1024);
    EXPECT_GE(bytes, 1024 * 1024 * 85 / 100);
    const MediaInfo media = ProbeMedia(made[0]);
    EXPECT_EQ(media.streams["video"].codec, "mpeg4");
    EXPECT_EQ(media.streams["video"].width, 128);
    EXPECT_EQ(media.streams["audio"].codec, "aac");
    EXPECT_NEAR(media.duration, 60, 0.5);

    limit->setEditText("40K");
    RunRowAction(*m_list, 0, QStringLiteral("重新转换"));
    EXPECT_EQ(convert(), QStringList()) << "no file, not even a part of one";
    const QString state = m_list->rowText(0, ColStatus);
    const QString prefix = QStringLiteral("失败：大小限制过小，最小约 ");
    ASSERT_TRUE(state.startsWith(prefix)) << state.toStdString();
    EXPECT_GT(state.mid(prefix.size()).section(' ', 0, 0).toDouble() * (state.endsWith("MB") ? 1024 : 1), 40);
}

TEST_F(WindowConversion, AFileWithoutPicturesFailsAndLeavesNothing)
{
    m_dialog->addFile(s_sources + kBroken);
    ASSERT_TRUE(WaitUntil([] { return ThreadTracker::running() == 0; }, 30000));
    for (const char *format : {"3GP", "MP4", "FLV"}) {
        SCOPED_TRACE(format);
        choose(IdFormatBox, format);
        EXPECT_EQ(convert(), QStringList());
        EXPECT_EQ(status(), QStringLiteral("转换结束：成功 0 个，失败 1 个"));
        EXPECT_TRUE(m_list->rowText(0, ColStatus).startsWith(QStringLiteral("失败："))) << m_list->rowText(0, ColStatus).toStdString();
    }
}

} // namespace
