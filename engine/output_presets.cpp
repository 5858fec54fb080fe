#include "engine/output_presets.h"

#include "engine/conversion_batch.h"
#include "engine/encoder_command_lines.h"
#include "engine/format_after_steps.h"

#include <algorithm>

namespace {

// Items in the order they are added to the boxes. The resolution and
// frame-rate boxes show them sorted, the bitrate box as added.
// clang-format off
const FormatPresets kMp4 = {
    {"128x96", "160x120", "176x144", "220x176", "320x240", "352x288", "480x320", "640x480",
     "720x480"},
    "320x240",
    {"10", "12", "15", "25", "30"},
    "15",
    {"48", "64", "96", "112", "128", "192", "256", "384", "512", "1024", "1500", "2000"},
    "512",
};

const FormatPresets k3gp = {
    {"128x96", "176x144", "352x288", "704x576"},
    "176x144",
    {"10", "12", "15", "25"},
    "15",
    {"48", "64", "96", "112", "128", "160", "192", "256", "384", "512"},
    "64",
};

const FormatPresets kFlv = {
    {"220x176", "176x144", "320x240", "640x480", "720x480"},
    "320x240",
    {"10", "12", "15", "25"},
    "25",
    {"192", "216", "256", "384", "512", "768", "1000", "1500"},
    "384",
};

// What a size limit reckons with, measured on this program's own files:
// 60 s of 1280x720 testsrc2 with a sine, 30 s of noisy 640x480 with pink
// noise, 10 s of a Mandelbrot zoom, 20 s without sound; each format at three to
// five sizes, 10 to 30 frames per second and its lowest to highest bitrates.
// The container's bytes are the file's size less every video and sound packet
// (ffprobe): MP4 1.4 KB + (161 + 23 x fps) B/s (60 s at 10/12/15/25/30 fps:
// 23.4/27.5/25.4/39.8/52.2 KB, each the same at every AAC rate); 3GP 1.1 KB +
// (10 + 4 x fps) B/s (4.1 KB at 10 fps, 7.7 KB at 25 over 60 s); FLV 0.3 KB +
// 16 B per tag, one tag a frame and 38.3 MP3 frames a second (46.7 KB at 10
// fps, 61.1 KB at 25 over 60 s). Sound as written (kbit/s): AAC at 128/96/64/
// 48/32 at most 128.7/98.0/64.8/48.5/32.4; AMR-NB's 12.2 mode, stored as
// 32-byte frames, 12.8; MP3 ABR at 64/48/32 up to 64.8/54.3/37.0 (noise).
// The floors: asked for 4 kbit/s at its smallest size and 10 fps, the MPEG-4
// encoder wrote 9.6-10.5 kbit/s (128x96), H.263 11.2-14.1 (128x96) and
// Sorenson 13.1-17.7 (176x144): no lower rate makes a smaller file.
// The overshoot: at the rates 300 KB to 8 MB limits set for 10 to 60 s, the
// MPEG-4 encoder wrote 2-36 % more video than asked (2-3 % at 900-1900
// kbit/s), H.263 16-40 %, Sorenson 6-20 %; the least is asked for less.
constexpr SoundRate kMp4Sound[] = {{128, 129.0}, {96, 98.0}, {64, 65.0}, {48, 49.0}, {32, 32.5}};
constexpr SoundRate k3gpSound[] = {{12, 12.8}};  // pack3gp's one rate: AMR-NB 12.2
constexpr SoundRate kFlvSound[] = {{64, 65.0}, {48, 54.5}, {32, 37.0}};

// The formats in the order the format box gets them: name, choices and steps.
// Every 3GP size is an H.263 picture format, whose pixels are 12:11.
const struct {
    OutputFormat format;
    const char *name;
    const FormatPresets *presets;
    FormatSteps steps;
} kFormats[] = {
    {OutputFormat::Mp4,     "MP4", &kMp4, {".avi", ".mp4", {1, 1},   Mp4EncoderCommandLine,     PackageMp4Step,
                                           {"mpeg4", "aac",    "Simple Profile", true},
                                           {kMp4Sound, 12, 1.0,  1400, 161, 23}}},
    {OutputFormat::ThreeGp, "3GP", &k3gp, {".avi", ".3gp", {12, 11}, ThreeGpEncoderCommandLine, Export3gpStep,
                                           {"h263",  "amr_nb", nullptr,          true},
                                           {k3gpSound, 16, 1.15, 1100, 10,  4}}},
    {OutputFormat::Flv,     "FLV", &kFlv, {".flv", ".flv", {1, 1},   FlvEncoderCommandLine,     nullptr,
                                           {"flv1",  "mp3",    nullptr,          false},
                                           {kFlvSound, 20, 1.05, 320,  613, 16}}},
};
// clang-format on

}  // namespace

const FormatPresets &PresetsFor(OutputFormat format)
{
    for (const auto &row : kFormats) {
        if (row.format == format)
            return *row.presets;
    }
    return kMp4;
}

const FormatSteps &StepsFor(OutputFormat format)
{
    for (const auto &row : kFormats) {
        if (row.format == format)
            return row.steps;
    }
    return kFormats[0].steps;
}

int SoundKbits(OutputFormat format, const BatchChoices &choices)
{
    return choices.soundBitrate > 0 ? choices.soundBitrate : StepsFor(format).size.sound.front().kbits;
}

QString FormatName(OutputFormat format)
{
    for (const auto &row : kFormats) {
        if (row.format == format)
            return QString::fromLatin1(row.name);
    }
    return QString();
}

QList<OutputFormat> Formats()
{
    QList<OutputFormat> formats;
    for (const auto &row : kFormats)
        formats.append(row.format);
    return formats;
}

QStringList FormatItems()
{
    QStringList names;
    for (const auto &row : kFormats)
        names.append(QString::fromLatin1(row.name));
    return names;
}

bool ParseFormat(const QString &text, OutputFormat *format)
{
    for (const auto &row : kFormats) {
        if (text.compare(QLatin1String(row.name), Qt::CaseInsensitive) == 0) {
            if (format)
                *format = row.format;
            return true;
        }
    }
    return false;
}

QStringList SortedLikeBox(QStringList items)
{
    std::stable_sort(items.begin(), items.end(),
                     [](const QString &a, const QString &b) { return a.compare(b, Qt::CaseInsensitive) < 0; });
    return items;
}

void SplitResolution(const QString &resolution, QString *width, QString *height)
{
    const qsizetype x = resolution.indexOf(u'x');
    const QString w = x >= 0 ? resolution.left(x) : resolution;
    const QString h = x >= 0 ? resolution.mid(x + 1) : QString();
    if (width)
        *width = w;
    if (height)
        *height = h;
}
