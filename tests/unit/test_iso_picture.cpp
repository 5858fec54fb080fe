// The look at an H.264 MP4 read from its own index must be what ffprobe
// reports of it: turn, size, pixel shape and colours, for the kinds of stream
// and index that change how they are read.

#include "catalogue/iso_picture.h"
#include "tests/support/test_support.h"

#include <gtest/gtest.h>

namespace {

// The look as the window asks ffprobe for it.
SourcePicture FfprobeLook(const QString &path)
{
    QByteArray printed;
    EXPECT_EQ(RunProgram("ffprobe",
                         {"-v", "error", "-select_streams", "v:0", "-show_entries",
                          "stream=width,height,sample_aspect_ratio,color_space,color_transfer,color_primaries"
                          ":stream_side_data=displaymatrix,rotation",
                          "-of", "default=nw=1", path},
                         &printed),
              0);
    SourcePicture picture;
    picture.shape = ParseSourceShape(printed);
    picture.colour = ParseSourceColour(printed);
    QByteArray matrix;
    for (const QByteArray &line : printed.split('\n')) {
        if (!line.startsWith("sample_aspect_ratio="))
            matrix += line + '\n';
    }
    picture.turn = ParseDisplayMatrix(matrix).turn.value_or(PictureTurn{});
    return picture;
}

class IsoPicture : public ::testing::Test {
protected:
    static void SetUpTestSuite() { s_dir = MakeTempDir() + '/'; }

    // A 0.2 s clip of testsrc at `size`, encoded with `options`.
    static QString make(const QString &name, const QString &size, const QStringList &options)
    {
        const QString path = s_dir + name;
        EXPECT_EQ(RunProgram("ffmpeg", QStringList{"-v", "error", "-y", "-f", "lavfi", "-i",
                                                   "testsrc=size=" + size + ":rate=25", "-t", "0.2"} +
                                           options + QStringList{path}),
                  0)
            << name.toStdString();
        return path;
    }
    // `source` copied stream for stream with `options`.
    static QString copy(const QString &source, const QString &name, const QStringList &options)
    {
        const QString path = s_dir + name;
        EXPECT_EQ(RunProgram("ffmpeg", QStringList{"-v", "error", "-y", "-i", source, "-c", "copy"} + options +
                                           QStringList{path}),
                  0)
            << name.toStdString();
        return path;
    }

    static inline QString s_dir;
};

TEST_F(IsoPicture, H264ReadsAsFfprobeReportsIt)
{
    const QString plain = make("plain.mp4", "64x48", {"-c:v", "libx264", "-pix_fmt", "yuv420p"});
    const QStringList files{
        plain,
        // High 10 with a size that is no whole number of macroblocks: the
        // parameter set's cropping.
        make("odd10.mp4", "66x50", {"-c:v", "libx264", "-pix_fmt", "yuv420p10le"}),
        // Interlaced 4:2:2: fields and another chroma format crop otherwise.
        make("fields.mp4", "64x48",
             {"-c:v", "libx264", "-flags", "+ilme+ildct", "-x264-params", "interlaced=1", "-pix_fmt", "yuv422p"}),
        // A DVD's anamorphic pixels, in the stream and in the 'pasp' box.
        make("anamorphic.mp4", "720x576", {"-c:v", "libx264", "-vf", "setsar=64/45", "-frames:v", "2"}),
        // The box says otherwise than the stream: the box wins.
        copy(plain, "boxshape.mp4", {"-aspect", "16:9"}),
        // A phone's HLG, its colours in the stream and in the 'colr' box.
        make("hlg.mp4", "64x48",
             {"-c:v", "libx264", "-pix_fmt", "yuv420p10le", "-color_trc", "arib-std-b67", "-color_primaries",
              "bt2020", "-colorspace", "bt2020nc"}),
        // Upright and upside-down phone clips.
        copy(plain, "upright.mp4", {"-metadata:s:v", "rotate=90"}),
        copy(plain, "upsidedown.mp4", {"-metadata:s:v", "rotate=180"}),
        copy(plain, "left.mp4", {"-metadata:s:v", "rotate=270"}),
    };
    for (const QString &file : files) {
        SCOPED_TRACE(file.toStdString());
        const std::optional<SourcePicture> own = ReadIsoPicture(file);
        ASSERT_TRUE(own.has_value()) << "an H.264 MP4 needs no ffprobe";
        const SourcePicture seen = FfprobeLook(file);
        EXPECT_EQ(own->turn.clockwise, seen.turn.clockwise);
        EXPECT_EQ(own->turn.mirrored, seen.turn.mirrored);
        EXPECT_EQ(own->shape.width, seen.shape.width);
        EXPECT_EQ(own->shape.height, seen.shape.height);
        EXPECT_NEAR(own->shape.pixelAspect, seen.shape.pixelAspect, 1e-4);
        EXPECT_EQ(own->colour.transfer, seen.colour.transfer);
        EXPECT_EQ(own->colour.primaries, seen.colour.primaries);
        EXPECT_EQ(own->colour.matrix, seen.colour.matrix);
    }
    EXPECT_EQ(ReadIsoPicture(s_dir + "hlg.mp4")->colour.transfer, "arib-std-b67");
    EXPECT_TRUE(ReadIsoPicture(s_dir + "upright.mp4")->turn.swapsSides());
    EXPECT_NEAR(ReadIsoPicture(s_dir + "anamorphic.mp4")->shape.pixelAspect, 64.0 / 45, 1e-6);
}

TEST_F(IsoPicture, OtherPicturesAreLeftToFfprobe)
{
    EXPECT_FALSE(ReadIsoPicture(make("mpeg4.mp4", "64x48", {"-c:v", "mpeg4"})).has_value());
    EXPECT_FALSE(ReadIsoPicture(make("h263.3gp", "176x144", {"-c:v", "h263", "-an"})).has_value());
    EXPECT_FALSE(ReadIsoPicture(s_dir + "missing.mp4").has_value());
}

}  // namespace
