#include "ui/preset_commands.h"

#include "controls/flat_combo_box.h"
#include "engine/size_cap.h"
#include "res/control_ids.h"
#include "ui/status_texts.h"
#include "ui/template_dialog.h"

#include <QCoreApplication>
#include <QLabel>

namespace {

// The text of the box's current list item. For the editable frame-rate box
// this is the chosen item, never text typed into its edit field.
QString CurrentItemText(const QComboBox *box)
{
    return box ? box->itemText(box->currentIndex()) : QString();
}

void Refill(QComboBox *box, const QStringList &items, const QString &preselected)
{
    if (!box)
        return;
    // Filling from the program raises no `activated`, so no handler runs here.
    box->clear();
    box->addItems(items);
    box->setCurrentIndex(box->findText(preselected, Qt::MatchExactly | Qt::MatchCaseSensitive));
}

}  // namespace

void MirrorChoice(const TemplateDialog &dialog, int boxId, int mirrorId)
{
    if (auto *label = dialog.controlAs<QLabel>(mirrorId))
        label->setText(CurrentItemText(dialog.controlAs<QComboBox>(boxId)));
}

void ApplyPresets(const TemplateDialog &dialog, OutputFormat format)
{
    const FormatPresets &presets = PresetsFor(format);

    // Resolution and frame-rate boxes keep their items sorted; the bitrate box
    // shows them as added.
    Refill(dialog.controlAs<QComboBox>(IdResolutionBox), SortedLikeBox(presets.resolutions), presets.defaultResolution);
    Refill(dialog.controlAs<QComboBox>(IdBitrateBox), presets.bitrates, presets.defaultBitrate);
    Refill(dialog.controlAs<QComboBox>(IdFrameRateBox), SortedLikeBox(presets.frameRates), presets.defaultFrameRate);

    MirrorChoice(dialog, IdResolutionBox, IdResolutionMirror);
    MirrorChoice(dialog, IdBitrateBox, IdBitrateMirror);
    MirrorChoice(dialog, IdFrameRateBox, IdFrameRateMirror);
}

void FillSizeLimitBox(const TemplateDialog &dialog)
{
    auto *box = dialog.controlAs<QComboBox>(IdSizeLimitBox);
    if (!box)
        return;
    box->clear();
    box->addItem(QCoreApplication::translate("MainDialog", "不限"));
    box->addItems({QStringLiteral("300 KB"), QStringLiteral("1 MB"), QStringLiteral("8 MB"), QStringLiteral("10 MB"),
                   QStringLiteral("25 MB")});
    box->setCurrentIndex(0);
    if (auto *mirror = dialog.controlAs<QLabel>(IdSizeLimitMirror))
        mirror->clear();
}

bool MirrorSizeLimit(const TemplateDialog &dialog)
{
    const auto *box = dialog.controlAs<QComboBox>(IdSizeLimitBox);
    auto *mirror = dialog.controlAs<QLabel>(IdSizeLimitMirror);
    if (!box || !mirror)
        return true;
    const QString text = box->currentText().trimmed();
    if (text.isEmpty() || text == box->itemText(0)) {
        mirror->clear();
        return true;
    }
    if (!ParseSizeText(text)) {
        if (auto *status = dialog.controlAs<QLabel>(IdStatusLine))
            status->setText(StatusLineText(StatusText::kBadSizeLimit).arg(text));
        return false;
    }
    mirror->setText(text);
    return true;
}

bool ChosenFormat(const TemplateDialog &dialog, OutputFormat *format)
{
    const auto *box = dialog.controlAs<QComboBox>(IdFormatBox);
    if (!box || box->currentIndex() < 0)
        return false;
    const QVariant data = box->itemData(box->currentIndex());
    if (!data.isValid() || !Formats().contains(OutputFormat(data.toInt())))
        return false;
    *format = OutputFormat(data.toInt());
    return true;
}

void ApplyChosenFormat(const TemplateDialog &dialog)
{
    OutputFormat format = OutputFormat::Mp4;
    if (ChosenFormat(dialog, &format))
        ApplyPresets(dialog, format);
}
