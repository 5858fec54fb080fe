#include "process/command_line.h"
#include "process/cpu_cores.h"
#include "engine/encoder_command_lines.h"
#include "engine/mp4_packaging.h"
#include "engine/output_naming.h"
#include "engine/row_files.h"
#include "tests/support/test_support.h"

#include <QDir>
#include <QFile>
#include <algorithm>
#include <gtest/gtest.h>

namespace {

const QByteArray kTools = "/home/u/.local/share/Q9TBR/";
const QString kSource = QStringLiteral("/home/u/Movies/my clip.rmvb");
const QString kAvi = QStringLiteral("/home/u/Video/Q9TBR/2009-04-18/14-05-09.avi");
const QString kFlv = QStringLiteral("/home/u/Video/Q9TBR/2009-04-18/14-05-09.flv");

// A source of ten minutes unless told otherwise.
EncoderStep Step(const QString &output, bool asf = false, double sourceSeconds = 600)
{
    return EncoderStep{kTools, kSource, output, asf, sourceSeconds};
}

// The codec thread options depend on the machine's cores; the worked examples
// are compared without them.
const QByteArray kThreads = QByteArray::number(CodecThreads());
const QByteArray kDecoderThreads = "-lavdopts threads=" + kThreads + ' ';
const QByteArray kEncoderThreads = ":threads=" + kThreads;

QByteArray WithoutThreads(QByteArray line)
{
    return line.replace(kDecoderThreads, "").replace(kEncoderThreads, "");
}

TEST(EncoderCommandLines, WorkedExamplesWithThisPlatformsTools)
{
    EXPECT_EQ(WithoutThreads(Mp4EncoderCommandLine(Step(kAvi), {720, 480, 25, 1024})),
              QByteArray("/home/u/.local/share/Q9TBR/mencoder -ni -mc 0 -nofontconfig -af volnorm -vf scale=720:480,dsize=720:480,harddup,fixpts "
                         "-srate 44100 -oac pcm -ovc lavc -ffourcc DIVX "
                         "-lavcopts vcodec=mpeg4:mbd=2:autoaspect:vbitrate=1024:o=level=5 -ofps 25 "
                         "\"/home/u/Movies/my clip.rmvb\" -o \"/home/u/Video/Q9TBR/2009-04-18/14-05-09.avi\""));

    EXPECT_EQ(WithoutThreads(FlvEncoderCommandLine(Step(kFlv), {320, 240, 15, 256})),
              QByteArray("/home/u/.local/share/Q9TBR/mencoder -ni -mc 0 -nofontconfig -af volnorm -vf scale=320:240,dsize=320:240,harddup,fixpts "
                         "-srate 44100 -ofps 15 -oac mp3lame -lameopts abr:br=64 -ovc lavc -of lavf "
                         "-lavfopts format=flv -lavcopts vcodec=flv:vbitrate=256:mbd=2:v4mv:last_pred=3 "
                         "\"/home/u/Movies/my clip.rmvb\" -o \"/home/u/Video/Q9TBR/2009-04-18/14-05-09.flv\""));

    // The encoder writes the 3GP's H.263 (12:11 pixels, 176x144 shown 4:3) at the
    // chosen bitrate, with the sound at AMR-NB's 8000 Hz; the packer copies the picture.
    EXPECT_EQ(WithoutThreads(ThreeGpEncoderCommandLine(Step(kAvi), {176, 144, 15, 256})),
              QByteArray("/home/u/.local/share/Q9TBR/mencoder -ni -mc 0 -nofontconfig -af volnorm -vf scale=176:144,dsize=2112/1584,harddup,fixpts "
                         "-srate 8000 -oac pcm -ovc lavc -lavcopts vcodec=h263:vbitrate=256:mbd=2:last_pred=3:keyint=30:"
                         "o=mpv_flags=+mv0 -ofps 15 "
                         "\"/home/u/Movies/my clip.rmvb\" -o \"/home/u/Video/Q9TBR/2009-04-18/14-05-09.avi\""));
    EXPECT_EQ(Export3gpParameters(kAvi), QByteArray("-tmp=\"/home/u/Video/Q9TBR/2009-04-18/.14-05-09.3gp.part\" "
                                                    "\"/home/u/Video/Q9TBR/2009-04-18/14-05-09.avi\" "
                                                    "\"/home/u/Video/Q9TBR/2009-04-18/14-05-09.3gp\""));
}

TEST(EncoderCommandLines, DispatchByFormatAndAsfReader)
{
    const BatchChoices choices{320, 240, 15, 512};
    // Each format asks the encoder for its own kind of output.
    const QByteArray mp4 = EncoderCommandLine(OutputFormat::Mp4, Step(kAvi), choices);
    const QByteArray threeGp = EncoderCommandLine(OutputFormat::ThreeGp, Step(kAvi), choices);
    const QByteArray flv = EncoderCommandLine(OutputFormat::Flv, Step(kFlv), choices);
    EXPECT_TRUE(mp4.contains("vcodec=mpeg4") && mp4.contains("vbitrate=512") && !mp4.contains("-of lavf"))
        << mp4.constData();
    EXPECT_TRUE(threeGp.contains("vcodec=h263:vbitrate=512")) << threeGp.constData();
    EXPECT_TRUE(flv.contains("-lavfopts format=flv") && flv.contains("vcodec=flv:vbitrate=512")) << flv.constData();

    // ASF sources and AVIs with MP3 sound get the libavformat reader in every
    // template, and only they do.
    for (OutputFormat format : {OutputFormat::Mp4, OutputFormat::ThreeGp, OutputFormat::Flv}) {
        const QByteArray plain = EncoderCommandLine(format, Step(kAvi), choices);
        const QByteArray asf = EncoderCommandLine(format, Step(kAvi, true), choices);
        EncoderStep mp3AviStep = Step(kAvi);
        mp3AviStep.libavformatReader = true;
        const QByteArray mp3Avi = EncoderCommandLine(format, mp3AviStep, choices);
        EXPECT_FALSE(plain.contains("-demuxer"));
        EXPECT_TRUE(asf.startsWith(kTools + "mencoder -demuxer lavf -ni -mc 0 "));
        EXPECT_EQ(QByteArray(asf).replace("-demuxer lavf ", ""), plain);
        EXPECT_EQ(mp3Avi, asf);
    }
}

// A source whose index has its frames at exactly the output rate is taken
// frame for frame ("-skiplimit 0"); no other source is. A millisecond time
// scale stores 30 fps as 33, 33 and 34 ms, and that still counts as 30.
TEST(EncoderCommandLines, FrameForFrameOnlyAtTheSourcesOwnRate)
{
    const BatchChoices at30{320, 240, 30, 512};
    EncoderStep step = Step(kAvi);
    const auto lineFor = [&](PictureTiming timing) {
        step.timing = timing;
        return EncoderCommandLine(OutputFormat::Flv, step, at30);
    };
    EXPECT_TRUE(lineFor({FrameTiming::Constant, 150, 5000, 1000}).contains(" -skiplimit 0 "));
    EXPECT_TRUE(lineFor({FrameTiming::Constant, 300, 300 * 3000, 90000}).contains(" -skiplimit 0 "));
    EXPECT_FALSE(lineFor({FrameTiming::Constant, 150, 150 * 33, 1000}).contains("-skiplimit"));     // 30.3 fps
    EXPECT_FALSE(lineFor({FrameTiming::Constant, 150, 150 * 1001, 30000}).contains("-skiplimit"));  // 29.97 fps
    EXPECT_FALSE(lineFor({FrameTiming::Variable, 150, 5000, 1000}).contains("-skiplimit"));
    EXPECT_FALSE(lineFor({}).contains("-skiplimit"));

    // A timed copy is read as Matroska, even that of an AVI with MP3 sound.
    step = Step(kAvi);
    step.libavformatReader = true;
    step.matroskaReader = true;
    EXPECT_TRUE(EncoderCommandLine(OutputFormat::Mp4, step, at30).startsWith(kTools + "mencoder -demuxer mkv -ni "));
}

// A source of half a minute or more is decoded in threads by every template
// (a shorter one would lose its last frames); the MP4 template's encoder gets
// threads of its own from 320x240 up, where they pay off; 3GP and FLV never.
TEST(EncoderCommandLines, CodecThreadsFollowTheCoresFormatSizeAndLength)
{
    EXPECT_GE(CodecThreads(), 1);
    EXPECT_LE(CodecThreads(), std::min(OnlineCores(), 8));
    const bool threaded = CodecThreads() > 1;
    struct Case {
        OutputFormat format;
        int width, height;
        bool encoderThreads;
    };
    const Case cases[] = {
        {OutputFormat::Mp4, 220, 176, false}, {OutputFormat::Mp4, 320, 240, threaded},
        {OutputFormat::Mp4, 640, 480, threaded}, {OutputFormat::Mp4, 720, 480, threaded},
        {OutputFormat::ThreeGp, 704, 576, false}, {OutputFormat::Flv, 720, 480, false},
    };
    for (const Case &c : cases) {
        const QByteArray line = EncoderCommandLine(c.format, Step(kAvi), {c.width, c.height, 25, 1024});
        SCOPED_TRACE(line.toStdString());
        const QList<QByteArray> args = SplitCommandLine(line);
        const qsizetype decoder = args.indexOf("-lavdopts");
        EXPECT_EQ(decoder >= 0, threaded);
        if (decoder >= 0) {
            EXPECT_EQ(args.at(decoder + 1), "threads=" + kThreads);
            EXPECT_LT(decoder, args.indexOf(QFile::encodeName(kSource)));
            EXPECT_EQ(line.count(kDecoderThreads), 1);
        }
        for (const double shortOrUnknown : {29.0, 2.0, 0.0}) {
            const QByteArray one = EncoderCommandLine(c.format, Step(kAvi, false, shortOrUnknown),
                                                      {c.width, c.height, 25, 1024});
            EXPECT_FALSE(one.contains("-lavdopts")) << shortOrUnknown;
            EXPECT_EQ(one.contains(kEncoderThreads), c.encoderThreads) << "the encoder's threads lose nothing";
        }
        const QByteArray encoderOptions = args.at(args.indexOf("-lavcopts") + 1);
        EXPECT_EQ(encoderOptions.contains(kEncoderThreads + ':'), c.encoderThreads);
        EXPECT_EQ(line.contains(":threads="), c.encoderThreads);
    }
}

TEST(EncoderCommandLines, EveryByteOfAPathReachesTheTool)
{
    const QString odd = QStringLiteral("/tmp/视频 文件/a \"quoted\" name\\.rmvb");
    const QString out = QStringLiteral("/tmp/输出 目录/12-00-00.avi");
    const QByteArray line = Mp4EncoderCommandLine({kTools, odd, out, false}, {320, 240, 15, 512});
    const QList<QByteArray> args = SplitCommandLine(line);
    ASSERT_GE(args.size(), 3);
    EXPECT_EQ(args.at(args.size() - 3), QFile::encodeName(odd));
    EXPECT_EQ(args.at(args.size() - 2), QByteArray("-o"));
    EXPECT_EQ(args.last(), QFile::encodeName(out));

    const QList<QByteArray> exportArgs = SplitCommandLine(Export3gpParameters(out));
    ASSERT_EQ(exportArgs.size(), 3);
    EXPECT_EQ(exportArgs.at(0), "-tmp=" + QFile::encodeName(QStringLiteral("/tmp/输出 目录/.12-00-00.3gp.part")));
    EXPECT_EQ(exportArgs.at(1), QFile::encodeName(out));
    EXPECT_EQ(exportArgs.at(2), QFile::encodeName(QStringLiteral("/tmp/输出 目录/12-00-00.3gp")));
}

TEST(Mp4PackagingParameters, WorkedExample)
{
    const QString stem = OutputStem(kAvi);
    EXPECT_EQ(Mp4PackagingParameters(stem, 25),
              QByteArray("-c \"/home/u/Video/Q9TBR/2009-04-18/14-05-09.avi\" -rate=25 -aac=128 "
                         "-tmp=\"/home/u/Video/Q9TBR/2009-04-18/.14-05-09.mp4.part\" -list "
                         "\"/home/u/Video/Q9TBR/2009-04-18/14-05-09.mp4\""));
}

TEST(AsfHeader, RecognisedByTheGuidAtTheStartOnly)
{
    const QString dir = MakeTempDir();
    const QByteArray guid = QByteArray::fromHex("3026b2758e66cf11a6d900aa0062ce6c");
    struct Case {
        const char *name;
        QByteArray content;
        bool asf;
    };
    const Case cases[] = {
        {"movie.wmv", guid + QByteArray(100, '\0'), true},
        {"named.avi", guid + "rest", true},  // content counts, not the name
        {"short.asf", guid.left(10), false},
        {"later.asf", "x" + guid, false},
        {"empty.wmv", QByteArray(), false},
    };
    for (const Case &c : cases) {
        QFile file(dir + '/' + QLatin1String(c.name));
        ASSERT_TRUE(file.open(QIODevice::WriteOnly));
        file.write(c.content);
        file.close();
        EXPECT_EQ(StartsWithAsfHeader(file.fileName()), c.asf) << c.name;
    }
    EXPECT_FALSE(StartsWithAsfHeader(dir + QStringLiteral("/missing.wmv")));
}

TEST(OutputNaming, StemAndExtension)
{
    EXPECT_EQ(OutputStem(QStringLiteral("/a.b/c/14-05-09.avi")), QStringLiteral("/a.b/c/14-05-09"));
    EXPECT_EQ(OutputStem(QStringLiteral("/a/b")), QStringLiteral("/a/b"));
    EXPECT_EQ(EncoderOutputExtension(OutputFormat::Mp4), QStringLiteral(".avi"));
    EXPECT_EQ(EncoderOutputExtension(OutputFormat::ThreeGp), QStringLiteral(".avi"));
    EXPECT_EQ(EncoderOutputExtension(OutputFormat::Flv), QStringLiteral(".flv"));
}

// A name is taken only by a file with the row's final extension or one of its
// intermediates (the encoder's AVI, the timed copy): another format's output
// of the source sits beside it. The row's clean-up then leaves what was there
// and its final file, whichever format's outputs share its stem.
TEST(OutputNaming, EachFormatBesideTheOthersNeverOverAnExistingFile)
{
    struct Case {
        QStringList existing;  // "%1": the stem the row would take without a counter
        OutputFormat format;
        int counter;           // 0: none
    };
    const Case cases[] = {
        {{}, OutputFormat::Mp4, 0},
        {{"%1.3gp", "%1.flv"}, OutputFormat::Mp4, 0},
        {{"%1.mp4", "%1.flv"}, OutputFormat::ThreeGp, 0},
        {{"%1.mp4", "%1.3gp", "%1.avi"}, OutputFormat::Flv, 0},
        {{"%1.mp4", "%1.3gp", "%1.flv"}, OutputFormat::Mp4, 2},
        {{"%1.3gp"}, OutputFormat::ThreeGp, 2},
        {{"%1.flv", "%1 (2).flv", "%1-2.flv"}, OutputFormat::Flv, 3},
        {{"%1.avi"}, OutputFormat::Mp4, 2},
        {{"%1.avi"}, OutputFormat::ThreeGp, 2},
        {{"%1.mkv"}, OutputFormat::Flv, 2},
    };
    for (const OutputNaming naming : {OutputNaming::SourceName, OutputNaming::TimeOfDay}) {
        const bool bySource = naming == OutputNaming::SourceName;
        const QString base = bySource ? QStringLiteral("holiday") : QStringLiteral("12-00-00");
        for (const Case &c : cases) {
            const QString dir = MakeTempDir() + '/';
            QStringList existing;
            for (const QString &name : c.existing) {
                existing << name.arg(base);
                QFile file(dir + existing.last());
                ASSERT_TRUE(file.open(QIODevice::WriteOnly));
            }
            const QString trace = FormatName(c.format) + ' ' + existing.join(',');
            SCOPED_TRACE(trace.toStdString());
            OutputNames names;
            const QString output = names.reserve(dir, "/v/holiday.avi", c.format, naming, QTime(12, 0, 0));
            const QString counted = c.counter == 0 ? QString() : QString::fromLatin1(bySource ? " (%1)" : "-%1").arg(c.counter);
            EXPECT_EQ(output, dir + base + counted + EncoderOutputExtension(c.format));

            // The row makes every file of its kind; only its final file stays.
            const QString stem = OutputStem(output);
            for (const QString &extension : RowFileExtensions(c.format)) {
                QFile file(stem + extension);
                ASSERT_TRUE(file.open(QIODevice::WriteOnly));
            }
            const QString finalFile = stem + RowFileExtensions(c.format).first();
            const QStringList rowFiles = RowFilePaths(stem, c.format);
            if (rowFiles.contains(PackerTempPath(finalFile))) {
                QFile temporary(PackerTempPath(finalFile));
                ASSERT_TRUE(temporary.open(QIODevice::WriteOnly));
            }
            RemoveRowFiles(rowFiles, finalFile);
            QStringList left = QDir(dir).entryList(QDir::Files | QDir::Hidden);
            QStringList expected = existing;
            expected << QFileInfo(finalFile).fileName();
            left.sort();
            expected.sort();
            EXPECT_EQ(left, expected);
        }
    }

    // A dangling link would be written through: it takes the name too.
    const QString dir = MakeTempDir() + '/';
    ASSERT_TRUE(QFile::link(dir + QStringLiteral("nowhere/x"), dir + QStringLiteral("holiday.flv")));
    OutputNames names;
    EXPECT_EQ(names.reserve(dir, "/v/holiday.avi", OutputFormat::Flv, OutputNaming::SourceName, QTime(12, 0, 0)),
              dir + QStringLiteral("holiday (2).flv"));
}

// Rows are named after their sources; a name another row holds, or that any
// file of the row would take, gets a counter.
TEST(OutputNaming, NamedAfterTheSourceNeverTwice)
{
    const QString dir = MakeTempDir() + '/';
    OutputNames names;
    const QTime noon(12, 0, 0);
    auto reserve = [&](const char *source, OutputFormat format = OutputFormat::Mp4,
                       OutputNaming naming = OutputNaming::SourceName) {
        return names.reserve(dir, QString::fromUtf8(source), format, naming, noon).mid(dir.size());
    };
    // Two rows at once from different folders, neither has written anything yet.
    EXPECT_EQ(reserve("/a/holiday.avi"), "holiday.avi");
    EXPECT_EQ(reserve("/b/holiday.avi"), "holiday (2).avi");
    EXPECT_EQ(reserve("/b/holiday.mkv", OutputFormat::Flv), "holiday (3).flv");
    names.release(dir + "holiday (2).avi");
    EXPECT_EQ(reserve("/c/holiday.avi"), "holiday (2).avi");

    QFile taken(dir + "wide.mp4");
    ASSERT_TRUE(taken.open(QIODevice::WriteOnly));
    EXPECT_EQ(reserve("/v/wide.mov"), "wide (2).avi");
    EXPECT_EQ(reserve("/v/my.clip.rmvb"), "my.clip.avi");

    // Names the file system refuses, or a hidden one, still give a usable name.
    EXPECT_EQ(reserve("/v/\x01\x02.avi"), "__.avi");
    EXPECT_EQ(reserve("/v/.avi"), "_avi.avi");
    EXPECT_EQ(SafeFileStem(QString()), "video");
    const QString longName = QString(300, QChar(0x5f71));  // 3 bytes each in UTF-8
    const QString cut = SafeFileStem(longName);
    EXPECT_LE(cut.toUtf8().size(), kMaxStemBytes);
    EXPECT_TRUE(longName.startsWith(cut) && cut.size() == kMaxStemBytes / 3);

    EXPECT_EQ(reserve("/v/x.avi", OutputFormat::Mp4, OutputNaming::TimeOfDay), "12-00-00.avi");
    EXPECT_EQ(reserve("/v/y.avi", OutputFormat::Mp4, OutputNaming::TimeOfDay), "12-00-00-2.avi");
}

} // namespace
