#include "engine/conversion_batch.h"
#include "install/tool_installer.h"
#include "tests/support/fake_conversion_port.h"
#include "tests/support/media_probe.h"
#include "tests/support/test_support.h"

#include <QDir>
#include <QFile>
#include <algorithm>
#include <cmath>
#include <gtest/gtest.h>

// Outputs named after their sources, each format's beside the others', and a
// square in a 4:3, wide or anamorphic source still square as a player shows
// the output, between black bars where the shapes differ.
namespace {

// Where the white square is in the middle picture of a file, and how dark
// the bands above and below the picture are.
struct Measured {
    int width = 0, height = 0;         // the stored picture
    int squareWidth = 0, squareHeight = 0;
    int topBar = 0, bottomBar = 0;     // dark rows above and below the picture's content
    QByteArray sampleAspect;           // as ffprobe reads the stream: "1:1", "0:1" or "N/A" for square
};

// The width-to-height ratio of a pixel that ffprobe's "N:D" gives; 1 for
// square or unset.
double PixelRatio(const QByteArray &sampleAspect)
{
    const QList<QByteArray> parts = sampleAspect.split(':');
    const double across = parts.size() == 2 ? parts[0].toDouble() : 0;
    const double down = parts.size() == 2 ? parts[1].toDouble() : 0;
    return across > 0 && down > 0 ? across / down : 1;
}

Measured Measure(const QString &path)
{
    Measured m;
    const MediaInfo info = ProbeMedia(path);
    m.width = info.streams["video"].width;
    m.height = info.streams["video"].height;
    QByteArray aspect;
    RunProgram("ffprobe", {"-v", "error", "-select_streams", "v:0", "-show_entries", "stream=sample_aspect_ratio",
                           "-of", "default=nw=1:nk=1", path},
               &aspect);
    m.sampleAspect = aspect.trimmed();
    QByteArray pixels;
    if (m.width <= 0 || RunProgram("ffmpeg", {"-v", "error", "-ss", "0.5", "-i", path, "-frames:v", "1", "-pix_fmt",
                                              "gray", "-f", "rawvideo", "-"},
                                   &pixels) != 0 ||
        pixels.size() != m.width * m.height)
        return m;
    auto at = [&](int x, int y) { return static_cast<unsigned char>(pixels[y * m.width + x]); };
    int left = m.width, right = -1, top = m.height, bottom = -1;
    for (int y = 0; y < m.height; ++y) {
        for (int x = 0; x < m.width; ++x) {
            if (at(x, y) > 160) {
                left = std::min(left, x), right = std::max(right, x);
                top = std::min(top, y), bottom = std::max(bottom, y);
            }
        }
    }
    m.squareWidth = right - left + 1;
    m.squareHeight = bottom - top + 1;
    // The source's background is grey (100): the bars are what is darker.
    auto darkRow = [&](int y) {
        int sum = 0;
        for (int x = 0; x < m.width; ++x)
            sum += at(x, y);
        return sum / m.width < 40;
    };
    while (m.topBar < m.height && darkRow(m.topBar))
        ++m.topBar;
    while (m.bottomBar < m.height && darkRow(m.height - 1 - m.bottomBar))
        ++m.bottomBar;
    return m;
}

class OutputShape : public ::testing::Test {
protected:
    static void SetUpTestSuite()
    {
        s_tools = QFile::encodeName(MakeTempDir()) + '/';
        for (int selector : {2, 3, 4})
            ASSERT_EQ(ExtractTool(s_tools, selector), 1);
        const QString clips = MakeTempDir() + '/';
        s_wide = clips + "wide.mp4";
        s_dvd = clips + "dvd.mpg";
        s_fourThree = clips + "four-three.avi";
        QDir().mkpath(clips + "a");
        QDir().mkpath(clips + "b");
        s_holidays = {clips + "a/holiday.avi", clips + "b/holiday.avi"};
        const QStringList start{"-v", "error", "-y", "-f", "lavfi", "-i"};
        const QStringList sound{"-f", "lavfi", "-i", "sine=d=1", "-shortest"};
        // A 360x360 white square on grey in 1280x720.
        ASSERT_EQ(RunProgram("ffmpeg", start + QStringList{"color=0x646464:s=1280x720:r=25:d=1,drawbox=x=460:y=180:"
                                                          "w=360:h=360:color=white:t=fill"} +
                                           sound + QStringList{"-c:v", "libx264", "-pix_fmt", "yuv420p", s_wide}),
                  0);
        // A 240x240 white square on grey in 640x480.
        ASSERT_EQ(RunProgram("ffmpeg", start + QStringList{"color=0x646464:s=640x480:r=25:d=1,drawbox=x=200:y=120:"
                                                          "w=240:h=240:color=white:t=fill"} +
                                           sound + QStringList{"-c:v", "mpeg4", "-q:v", "2", s_fourThree}),
                  0);
        // Anamorphic 16:9 PAL DVD: pixels 64:45 wide, so a square is 288 high and 202 stored pixels wide.
        ASSERT_EQ(RunProgram("ffmpeg", start + QStringList{"color=0x646464:s=720x576:r=25:d=1,drawbox=x=259:y=144:"
                                                          "w=202:h=288:color=white:t=fill"} +
                                           sound + QStringList{"-c:v", "mpeg2video", "-b:v", "4M", "-aspect", "16:9",
                                                               "-c:a", "mp2", "-f", "mpeg", s_dvd}),
                  0);
        for (const QString &holiday : s_holidays) {
            ASSERT_EQ(RunProgram("ffmpeg", start + QStringList{"testsrc=s=320x240:r=25:d=1", "-c:v", "mpeg4", holiday}),
                      0);
        }
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

    void convert(OutputFormat format, BatchChoices choices, const QStringList &sources)
    {
        m_port = std::make_shared<FakeConversionPort>();
        for (const QString &source : sources)
            m_port->addRow(source);
        choices.format = format;
        choices.naming = OutputNaming::SourceName;
        choices.shape = PictureShape::Fit;
        ASSERT_TRUE(m_batch.start(m_port, choices));
        ASSERT_TRUE(m_batch.waitIdle(120000));
        ASSERT_TRUE(m_port->endedWell());
    }

    static inline QByteArray s_tools;
    static inline QString s_wide, s_dvd, s_fourThree;
    static inline QStringList s_holidays;
    QString m_out;
    std::shared_ptr<FakeConversionPort> m_port = std::make_shared<FakeConversionPort>();
    ConversionBatch m_batch;
};

// Every format into one folder: a player shows the square square (the stored
// width times the pixel's aspect), with bars only where the source's shape
// and the size's as shown differ (none for a 4:3 source in a 3GP, whose
// 176x144 shows 4:3). A second file of a source in the same format gets "(2)";
// another format's file of it sits beside it under the same name.
TEST_F(OutputShape, EveryFormatShowsTheSourcesShape)
{
    const struct {
        OutputFormat format;
        BatchChoices choices;
        const char *extension;
        const char *sampleAspect;  // what the output declares; nullptr: square
    } formats[] = {
        {OutputFormat::Mp4, {320, 240, 15, 384}, ".mp4", nullptr},
        {OutputFormat::Flv, {320, 240, 15, 384}, ".flv", nullptr},
        {OutputFormat::ThreeGp, {176, 144, 15, 64}, ".3gp", "12:11"},
    };
    const struct {
        const char *name;
        double aspect;  // as the source is shown
    } sources[] = {{"wide", 16.0 / 9}, {"dvd", 16.0 / 9}, {"four-three", 4.0 / 3}};
    QStringList expectedFiles;
    for (const auto &f : formats) {
        convert(f.format, f.choices, QStringList{s_wide, s_dvd, s_fourThree} + s_holidays);
        const int width = f.choices.width, height = f.choices.height;
        for (const auto &source : sources) {
            const QString file = source.name + QLatin1String(f.extension);
            SCOPED_TRACE(file.toStdString());
            const Measured m = Measure(m_out + file);
            EXPECT_EQ(m.width, width);
            EXPECT_EQ(m.height, height);
            if (f.sampleAspect)
                EXPECT_EQ(m.sampleAspect, f.sampleAspect);
            else
                EXPECT_TRUE(m.sampleAspect == "1:1" || m.sampleAspect == "0:1" || m.sampleAspect == "N/A")
                    << m.sampleAspect.constData();
            ASSERT_GT(m.squareHeight, 0);
            const double shown = m.squareWidth * PixelRatio(m.sampleAspect) / m.squareHeight;
            EXPECT_NEAR(shown, 1.0, 0.08) << m.squareWidth << 'x' << m.squareHeight;
            // The picture as shown is width x pixel ratio wide: a wider source
            // leaves (height - shown width / aspect) / 2 rows above and below.
            const double shownWidth = width * PixelRatio(m.sampleAspect);
            const int bar = std::max(0, int(std::lround((height - shownWidth / source.aspect) / 2)));
            EXPECT_NEAR(m.topBar, bar, bar == 0 ? 0 : 3);
            EXPECT_NEAR(m.bottomBar, bar, bar == 0 ? 0 : 3);
            std::printf("%s: %dx%d %s, square %dx%d shown %.3f, bars %d/%d\n", qPrintable(file), m.width, m.height,
                        m.sampleAspect.constData(), m.squareWidth, m.squareHeight, shown, m.topBar, m.bottomBar);
            expectedFiles << file;
        }
        expectedFiles << "holiday" + QLatin1String(f.extension) << "holiday (2)" + QLatin1String(f.extension);
    }
    expectedFiles.sort();
    EXPECT_EQ(QDir(m_out).entryList(QDir::Files, QDir::Name), expectedFiles);
}

}  // namespace
