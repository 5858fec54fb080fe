#pragma once

#include <QString>
#include <QStringList>

enum class OutputFormat { Mp4, ThreeGp, Flv };

// One format's choices: items in the order they are added to each box, and the
// preselected item's text.
struct FormatPresets {
    QStringList resolutions;
    QString defaultResolution;
    QStringList frameRates;
    QString defaultFrameRate;
    QStringList bitrates;
    QString defaultBitrate;
};

const FormatPresets &PresetsFor(OutputFormat format);

// The format box's items in the order they are added: "MP4", "3GP", "FLV".
QStringList FormatItems();

// Matches a format box text without regard to case, first "MP4", then "3GP",
// then "FLV"; false when none matches.
bool ParseFormat(const QString &text, OutputFormat *format);

// Items as a sorted box shows them: ascending, compared without regard to case.
QStringList SortedLikeBox(QStringList items);

// Splits a resolution text at its first "x": "720x480" gives 720 and 480.
void SplitResolution(const QString &resolution, QString *width, QString *height);
