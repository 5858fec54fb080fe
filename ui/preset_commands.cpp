#include "catalogue/output_presets.h"
#include "controls/flat_combo_box.h"
#include "res/control_ids.h"
#include "ui/main_dialog.h"

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

} // namespace

void MainDialog::ApplyMp4Presets() { applyPresets(int(OutputFormat::Mp4)); }
void MainDialog::ApplyFlvPresets() { applyPresets(int(OutputFormat::Flv)); }

void MainDialog::applyPresets(int format)
{
    const auto chosen = OutputFormat(format);
    const FormatPresets &presets = PresetsFor(chosen);

    // Resolution and frame-rate boxes keep their items sorted; the bitrate box
    // shows them as added.
    Refill(m_resolutionBox, SortedLikeBox(presets.resolutions), presets.defaultResolution);
    Refill(m_bitrateBox, presets.bitrates, presets.defaultBitrate);
    Refill(m_frameRateBox, SortedLikeBox(presets.frameRates), presets.defaultFrameRate);

    setMirror(IdResolutionMirror, CurrentItemText(m_resolutionBox));
    setMirror(IdBitrateMirror, CurrentItemText(m_bitrateBox));
    setMirror(IdFrameRateMirror, CurrentItemText(m_frameRateBox));
}

void MainDialog::setMirror(int id, const QString &text)
{
    if (auto *label = controlAs<QLabel>(id))
        label->setText(text);
}

void MainDialog::OnFormatChanged()
{
    // Choosing a format, the current one too, resets the other three boxes.
    OutputFormat format = OutputFormat::Mp4;
    if (ParseFormat(CurrentItemText(m_formatBox), &format))
        applyPresets(int(format));
}

void MainDialog::OnResolutionChanged() { setMirror(IdResolutionMirror, CurrentItemText(m_resolutionBox)); }
void MainDialog::OnFrameRateChanged() { setMirror(IdFrameRateMirror, CurrentItemText(m_frameRateBox)); }
void MainDialog::OnBitrateChanged() { setMirror(IdBitrateMirror, CurrentItemText(m_bitrateBox)); }
