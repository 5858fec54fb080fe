#include "engine/output_presets.h"

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
// clang-format on

}  // namespace

const FormatPresets &PresetsFor(OutputFormat format)
{
    switch (format) {
    case OutputFormat::ThreeGp:
        return k3gp;
    case OutputFormat::Flv:
        return kFlv;
    case OutputFormat::Mp4:
        break;
    }
    return kMp4;
}

QStringList FormatItems()
{
    return {QStringLiteral("MP4"), QStringLiteral("3GP"), QStringLiteral("FLV")};
}

bool ParseFormat(const QString &text, OutputFormat *format)
{
    static const struct {
        const char *name;
        OutputFormat format;
    } kNames[] = {
        {"MP4", OutputFormat::Mp4},
        {"3GP", OutputFormat::ThreeGp},
        {"FLV", OutputFormat::Flv},
    };
    for (const auto &entry : kNames) {
        if (text.compare(QLatin1String(entry.name), Qt::CaseInsensitive) == 0) {
            if (format)
                *format = entry.format;
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
