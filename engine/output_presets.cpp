#include "engine/output_presets.h"

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

// The formats in the order the format box gets them: name, choices and steps.
// Every 3GP size is an H.263 picture format, whose pixels are 12:11.
const struct {
    OutputFormat format;
    const char *name;
    const FormatPresets *presets;
    FormatSteps steps;
} kFormats[] = {
    {OutputFormat::Mp4,     "MP4", &kMp4, {".avi", ".mp4", {1, 1},   Mp4EncoderCommandLine,     PackageMp4Step,
                                           {"mpeg4", "aac",    "Simple Profile", true}}},
    {OutputFormat::ThreeGp, "3GP", &k3gp, {".avi", ".3gp", {12, 11}, ThreeGpEncoderCommandLine, Export3gpStep,
                                           {"h263",  "amr_nb", nullptr,          true}}},
    {OutputFormat::Flv,     "FLV", &kFlv, {".flv", ".flv", {1, 1},   FlvEncoderCommandLine,     nullptr,
                                           {"flv1",  "mp3",    nullptr,          false}}},
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
