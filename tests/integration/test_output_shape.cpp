#include "engine/conversion_batch.h"
#include "install/tool_installer.h"
#include "tests/support/fake_conversion_port.h"
#include "tests/support/media_probe.h"
#include "tests/support/test_support.h"

#include <QDir>
#include <QFile>
#include <gtest/gtest.h>

// Outputs named after their sources, and a square in a wide or anamorphic
// source still square in the output, between black bars.
namespace {

// Where the white square is in the middle picture of a file, and how dark
// the bands above and below the picture are.
struct Measured {
    int width = 0, height = 0;         // the stored picture
    int squareWidth = 0, squareHeight = 0;
    int topBar = 0, bottomBar = 0;     // dark rows above and below the picture's content
    QByteArray sampleAspect;           // as ffprobe reads the stream: "1:1", "0:1" or "N/A" for square
};

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
        for (const QString &source : sources)
            m_port->addRow(source);
        choices.format = format;
        choices.naming = OutputNaming::SourceName;
        choices.shape = PictureShape::Fit;
        ASSERT_TRUE(m_batch.start(m_port, choices));
        ASSERT_TRUE(m_batch.waitIdle(120000));
        ASSERT_TRUE(m_port->endedWell());
    }

    // Square within 10 %, with bars above and below the 16:9 picture.
    void expectLetterboxed(const QString &file, int width, int height)
    {
        const Measured m = Measure(m_out + file);
        EXPECT_EQ(m.width, width) << file.toStdString();
        EXPECT_EQ(m.height, height) << file.toStdString();
        EXPECT_TRUE(m.sampleAspect == "1:1" || m.sampleAspect == "0:1" || m.sampleAspect == "N/A")
            << file.toStdString() << ' ' << m.sampleAspect.constData();
        ASSERT_GT(m.squareHeight, 0) << file.toStdString();
        const double aspect = double(m.squareWidth) / m.squareHeight;
        EXPECT_NEAR(aspect, 1.0, 0.1) << file.toStdString() << ' ' << m.squareWidth << 'x' << m.squareHeight;
        // A 16:9 picture of this width leaves (height - width * 9 / 16) / 2 rows each side.
        const int bar = (height - width * 9 / 16) / 2;
        EXPECT_NEAR(m.topBar, bar, 3) << file.toStdString();
        EXPECT_NEAR(m.bottomBar, bar, 3) << file.toStdString();
        std::printf("%s: %dx%d, square %dx%d (aspect %.3f), bars %d/%d\n", qPrintable(file), m.width, m.height,
                    m.squareWidth, m.squareHeight, aspect, m.topBar, m.bottomBar);
    }

    static inline QByteArray s_tools;
    static inline QString s_wide, s_dvd;
    static inline QStringList s_holidays;
    QString m_out;
    std::shared_ptr<FakeConversionPort> m_port = std::make_shared<FakeConversionPort>();
    ConversionBatch m_batch;
};

TEST_F(OutputShape, Mp4NamedAfterSourcesAndLetterboxed)
{
    convert(OutputFormat::Mp4, {"320", "240", "15", "384"}, QStringList{s_wide, s_dvd} + s_holidays);
    EXPECT_EQ(QDir(m_out).entryList(QDir::Files, QDir::Name),
              (QStringList{"dvd.mp4", "holiday (2).mp4", "holiday.mp4", "wide.mp4"}));
    expectLetterboxed("wide.mp4", 320, 240);
    expectLetterboxed("dvd.mp4", 320, 240);
}

TEST_F(OutputShape, FlvLetterboxed)
{
    convert(OutputFormat::Flv, {"320", "240", "15", "384"}, {s_dvd});
    expectLetterboxed("dvd.flv", 320, 240);
}

TEST_F(OutputShape, ThreeGpLetterboxed)
{
    convert(OutputFormat::ThreeGp, {"176", "144", "15", "64"}, {s_wide});
    expectLetterboxed("wide.3gp", 176, 144);
}

}  // namespace
