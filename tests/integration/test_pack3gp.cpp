// Runs the real pack3gp on AVIs made by ffmpeg and checks the 3GP files with
// ffprobe and ffmpeg.

#include "tests/support/media_probe.h"
#include "tests/support/test_support.h"

#include <QDir>
#include <QFile>
#include <QRegularExpression>
#include <gtest/gtest.h>

namespace {

int Pack(const QString &avi, const QString &out, QByteArray *output = nullptr)
{
    return RunProgram(QStringLiteral(Q9_PACK3GP_PATH), {avi, out}, output);
}

// An AVI as the encoder writes it for a 3GP: H.263 with a key frame every
// ten pictures, and 16-bit PCM at 8000 Hz (none when `channels` is 0).
QString MakeAvi(const QString &dir, const QString &name, int channels)
{
    const QString path = dir + '/' + name;
    QStringList args{"-v", "error", "-y", "-f", "lavfi", "-i", "testsrc2=s=176x144:r=15:d=4"};
    if (channels > 0)
        args << "-f" << "lavfi" << "-i" << "sine=f=440:d=4:sample_rate=8000" << "-ac" << QString::number(channels)
             << "-c:a" << "pcm_s16le";
    args << "-c:v" << "h263" << "-g" << "10" << "-b:v" << "128k" << path;
    return RunProgram("ffmpeg", args) == 0 ? path : QString();
}

// The md5 of a file's video packets, copied as they are.
QByteArray PictureMd5(const QString &path)
{
    QByteArray out;
    RunProgram("ffmpeg", {"-v", "error", "-i", path, "-map", "0:v", "-c", "copy", "-f", "md5", "-"}, &out);
    return out.trimmed();
}

// The numbers of the video packets ffprobe finds marked as key frames.
QList<int> KeyPictures(const QString &path)
{
    QByteArray out;
    RunProgram("ffprobe", {"-v", "error", "-select_streams", "v", "-show_entries", "packet=flags", "-of", "csv=p=0",
                           path},
               &out);
    QList<int> keys;
    const QList<QByteArray> lines = out.split('\n');
    for (int i = 0; i < lines.size(); ++i) {
        if (lines.at(i).startsWith('K'))
            keys << i;
    }
    return keys;
}

double MeanVolume(const QString &path)
{
    QByteArray out;
    RunProgram("ffmpeg", {"-v", "info", "-i", path, "-vn", "-af", "volumedetect", "-f", "null", "-"}, &out);
    const QRegularExpressionMatch m = QRegularExpression("mean_volume: (-?[0-9.]+) dB").match(QString::fromUtf8(out));
    return m.hasMatch() ? m.captured(1).toDouble() : -1000;
}

}  // namespace

TEST(Pack3gp, CopiesThePicturesAndCompressesTheSound)
{
    const QString dir = MakeTempDir();
    for (const int channels : {1, 2}) {
        SCOPED_TRACE(channels);
        const QString avi = MakeAvi(dir, QStringLiteral("in %1.avi").arg(channels), channels);
        ASSERT_FALSE(avi.isEmpty());
        const QString out = dir + QStringLiteral("/out %1.3gp").arg(channels);
        ASSERT_EQ(Pack(avi, out), 0);

        EXPECT_EQ(TopLevelBoxes(out), (QStringList{"ftyp", "moov", "mdat"})) << "the index comes first";
        const MediaInfo info = ProbeMedia(out);
        EXPECT_TRUE(info.brand.startsWith("3gp"));
        const StreamInfo video = info.streams.value("video"), audio = info.streams.value("audio");
        EXPECT_EQ(video.codec, "h263");
        EXPECT_EQ(video.width, 176);
        EXPECT_EQ(video.packets, 60);
        EXPECT_NEAR(video.end, 4.0, 0.01);
        EXPECT_EQ(PictureMd5(out), PictureMd5(avi)) << "every picture copied byte for byte";
        EXPECT_EQ(KeyPictures(out), (QList<int>{0, 10, 20, 30, 40, 50})) << "players seek to real key frames only";
        EXPECT_EQ(audio.codec, "amr_nb");
        EXPECT_EQ(audio.sampleRate, 8000);
        EXPECT_EQ(audio.channels, 1);
        EXPECT_NEAR(audio.end, 4.0, 0.03) << "the sound as long as the picture";
        EXPECT_GT(MeanVolume(out), -45) << "the tone is heard (silence measures -91 dB)";
    }
}

TEST(Pack3gp, MuteCutShortAndBrokenInputs)
{
    const QString dir = MakeTempDir();
    const QString mute = MakeAvi(dir, "mute.avi", 0);
    ASSERT_EQ(Pack(mute, dir + "/mute.3gp"), 0);
    const MediaInfo muted = ProbeMedia(dir + "/mute.3gp");
    EXPECT_EQ(muted.streams.value("video").packets, 60);
    EXPECT_FALSE(muted.streams.contains("audio"));

    // An AVI cut short keeps the pictures and sound it still holds whole.
    const QString avi = MakeAvi(dir, "whole.avi", 2);
    QFile whole(avi);
    ASSERT_TRUE(whole.open(QIODevice::ReadOnly));
    const QByteArray bytes = whole.readAll();
    QFile cut(dir + "/cut.avi");
    ASSERT_TRUE(cut.open(QIODevice::WriteOnly));
    cut.write(bytes.left(bytes.size() / 2));
    cut.close();
    ASSERT_EQ(Pack(dir + "/cut.avi", dir + "/cut.3gp"), 0);
    const MediaInfo cutInfo = ProbeMedia(dir + "/cut.3gp");
    EXPECT_GT(cutInfo.streams.value("video").packets, 10);
    EXPECT_LT(cutInfo.streams.value("video").packets, 60);
    EXPECT_EQ(RunProgram("ffmpeg", {"-v", "error", "-xerror", "-i", dir + "/cut.3gp", "-f", "null", "-"}), 0);

    // Not an AVI, or an AVI whose pictures are not H.263: a message, and no file.
    QFile garbage(dir + "/garbage.avi");
    ASSERT_TRUE(garbage.open(QIODevice::WriteOnly));
    garbage.write(QByteArray("RIFF\x10\0\0\0AVI LIST", 16) + QByteArray(5000, '\x5a'));
    garbage.close();
    const QString mpeg4 = dir + "/mpeg4.avi";
    ASSERT_EQ(RunProgram("ffmpeg", {"-v", "error", "-f", "lavfi", "-i", "testsrc2=s=176x144:r=15:d=1", "-c:v", "mpeg4",
                                    mpeg4}),
              0);
    for (const QString &bad : {dir + "/garbage.avi", mpeg4, dir + "/none.avi"}) {
        QByteArray said;
        EXPECT_NE(Pack(bad, dir + "/bad.3gp", &said), 0) << bad.toStdString();
        EXPECT_TRUE(said.startsWith("pack3gp: ")) << said.toStdString();
    }
    EXPECT_EQ(QDir(dir).entryList({"bad*", ".bad*"}, QDir::Files | QDir::Hidden), QStringList{});
}
