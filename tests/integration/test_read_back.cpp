// The read-back of FLV and 3GP files, against ffprobe, on files ffmpeg writes.

#include "engine/flv_facts.h"
#include "engine/iso_facts.h"
#include "tests/support/media_probe.h"
#include "tests/support/test_support.h"

#include <QFile>
#include <QFileInfo>
#include <gtest/gtest.h>

namespace {

QString MakeFlv(const QString &dir, const QString &name, const QString &size, const QStringList &sound)
{
    const QString path = dir + '/' + name;
    QStringList args{"-v", "error", "-y", "-f", "lavfi", "-i", "testsrc2=size=" + size + ":rate=25"};
    if (!sound.isEmpty())
        args << "-f" << "lavfi" << "-i" << "sine=sample_rate=22050";
    args << "-t" << "2" << "-c:v" << "flv" << "-b:v" << "200k";
    args << (sound.isEmpty() ? QStringList{"-an"} : sound) << path;
    EXPECT_EQ(RunProgram("ffmpeg", args), 0) << name.toStdString();
    return path;
}

TEST(FlvFacts, TellWhatFfprobeTellsOfAnFlv)
{
    const QString dir = MakeTempDir();
    const struct {
        const char *name, *size;
        QStringList sound;
    } kinds[] = {
        {"standard size, mono mp3.flv", "320x240", {"-c:a", "libmp3lame", "-ac", "1", "-ar", "44100"}},
        {"own size, stereo mp3.flv", "200x150", {"-c:a", "libmp3lame", "-ac", "2", "-ar", "22050"}},
        {"large size, no sound.flv", "720x480", {}},
    };
    for (const auto &kind : kinds) {
        SCOPED_TRACE(kind.name);
        const QString path = MakeFlv(dir, kind.name, kind.size, kind.sound);
        const OutputFacts facts = ReadFlvFacts(path);
        const MediaInfo info = ProbeMedia(path);
        ASSERT_TRUE(facts.readable);
        EXPECT_EQ(facts.container, "flv");
        EXPECT_EQ(facts.videoCodec, info.streams["video"].codec);
        EXPECT_EQ(facts.width, info.streams["video"].width);
        EXPECT_EQ(facts.height, info.streams["video"].height);
        EXPECT_NEAR(facts.frameRate, 25, 0.1);
        EXPECT_EQ(facts.audioCodec, info.streams.contains("audio") ? info.streams["audio"].codec : QString());
        EXPECT_EQ(facts.sampleRate, info.streams["audio"].sampleRate);
        EXPECT_EQ(facts.channels, info.streams["audio"].channels);
        EXPECT_NEAR(facts.seconds, info.duration, 0.06);
        EXPECT_EQ(facts.fileBytes, QFileInfo(path).size());
        EXPECT_EQ(CheckHandsetConstraints(OutputFormat::Flv, facts, info.streams["video"].width,
                                          info.streams["video"].height),
                  kind.sound.isEmpty() || facts.audioCodec == "mp3" ? OutputMismatch::None : OutputMismatch::AudioCodec);
    }

    // A file cut short tells what its whole tags hold; one that is no FLV tells nothing.
    const QString whole = dir + "/standard size, mono mp3.flv";
    QFile cut(dir + "/cut.flv");
    QFile source(whole);
    ASSERT_TRUE(source.open(QIODevice::ReadOnly) && cut.open(QIODevice::WriteOnly));
    cut.write(source.read(source.size() / 2));
    cut.close();
    const OutputFacts half = ReadFlvFacts(cut.fileName());
    EXPECT_TRUE(half.readable);
    EXPECT_EQ(half.width, 320);
    EXPECT_LT(half.seconds, 1.5);
    EXPECT_FALSE(ReadFlvFacts(dir + "/nothing.flv").readable);
    QFile garbage(dir + "/garbage.flv");
    ASSERT_TRUE(garbage.open(QIODevice::WriteOnly));
    garbage.write(QByteArray(4096, 'x'));
    garbage.close();
    EXPECT_FALSE(ReadFlvFacts(garbage.fileName()).readable);
}

TEST(IsoFacts, TellWhatFfprobeTellsOfA3gp)
{
    const QString dir = MakeTempDir();
    const struct {
        const char *name, *size;
        bool sound, indexFirst;
    } kinds[] = {
        {"qcif with sound.3gp", "176x144", true, true},
        {"sqcif mute, index last.3gp", "128x96", false, false},
    };
    for (const auto &kind : kinds) {
        SCOPED_TRACE(kind.name);
        const QString path = dir + '/' + kind.name;
        QStringList args{"-v", "error", "-y", "-f", "lavfi", "-i", QStringLiteral("testsrc2=size=%1:rate=15").arg(kind.size)};
        if (kind.sound)
            args << "-f" << "lavfi" << "-i" << "sine" << "-c:a" << "libopencore_amrnb" << "-ac" << "1" << "-ar" << "8000";
        args << "-t" << "2" << "-c:v" << "h263";
        if (kind.indexFirst)
            args << "-movflags" << "+faststart";
        ASSERT_EQ(RunProgram("ffmpeg", args << path), 0);
        const std::optional<OutputFacts> facts = ReadOutputFacts("/nowhere/", path);
        const MediaInfo info = ProbeMedia(path);
        ASSERT_TRUE(facts && facts->readable);
        EXPECT_EQ(facts->videoCodec, info.streams["video"].codec);
        EXPECT_EQ(facts->width, info.streams["video"].width);
        EXPECT_EQ(facts->height, info.streams["video"].height);
        EXPECT_NEAR(facts->frameRate, 15, 0.1);
        EXPECT_EQ(facts->audioCodec, kind.sound ? info.streams["audio"].codec : QString());
        EXPECT_EQ(facts->sampleRate, info.streams["audio"].sampleRate);
        EXPECT_EQ(facts->channels, info.streams["audio"].channels);
        EXPECT_NEAR(facts->seconds, info.duration, 0.01);
        EXPECT_EQ(facts->indexFirst, kind.indexFirst);
        EXPECT_EQ(CheckHandsetConstraints(OutputFormat::ThreeGp, *facts, facts->width, facts->height),
                  kind.indexFirst ? OutputMismatch::None : OutputMismatch::IndexLast);
    }
    EXPECT_FALSE(ReadIsoFacts(dir + "/nothing.3gp").readable);
}

}  // namespace
