#include "ui/conversion_commands.h"

#include "controls/xp_smart_button.h"
#include "engine/conversion_batch.h"
#include "engine/output_presets.h"
#include "engine/size_cap.h"
#include "res/control_ids.h"
#include "settings/output_folder.h"
#include "settings/output_style.h"
#include "ui/batch_notification.h"
#include "ui/message_box.h"
#include "ui/pending_rows_port.h"
#include "ui/preset_commands.h"
#include "ui/status_texts.h"
#include "ui/template_dialog.h"

#include <QCoreApplication>
#include <QLabel>
#include <QProgressBar>
#include <QTimer>
#include <algorithm>

namespace {

void SetLabel(QLabel *label, const char *text)
{
    if (label)
        label->setText(StatusLineText(text));
}

QString LabelText(const QLabel *label)
{
    return label ? label->text() : QString();
}

}  // namespace

BatchChoices CurrentChoices(const TemplateDialog &dialog)
{
    BatchChoices choices;
    choices.bitrate = LabelText(dialog.controlAs<QLabel>(IdBitrateMirror)).toInt();
    choices.frameRate = LabelText(dialog.controlAs<QLabel>(IdFrameRateMirror)).toInt();
    QString width, height;
    SplitResolution(LabelText(dialog.controlAs<QLabel>(IdResolutionMirror)), &width, &height);
    choices.width = width.toInt();
    choices.height = height.toInt();
    choices.maxBytes = ParseSizeText(LabelText(dialog.controlAs<QLabel>(IdSizeLimitMirror))).value_or(0);
    ChosenFormat(dialog, &choices.format);
    choices.naming = OutputStyle::readNaming();
    choices.shape = OutputStyle::readShape();
    return choices;
}

void StartConversion(TemplateDialog &dialog, ConversionBatch &batch, const std::shared_ptr<DialogPort> &port)
{
    QLabel *status = dialog.controlAs<QLabel>(IdStatusLine);
    const QList<RowEntry> rows = port->rows();
    if (rows.isEmpty()) {
        SetLabel(status, StatusText::kAddFilesFirst);
        return;
    }
    // One batch at a time: a second press leaves the running one untouched,
    // and a stopped batch ends its rows before a new one takes them.
    if (batch.isRunning())
        return;
    if (batch.isStopping()) {
        SetLabel(status, StatusText::kStillStopping);
        return;
    }
    // Done rows stay done; the batch takes the others.
    if (std::all_of(rows.begin(), rows.end(), [](const RowEntry &row) { return row.phase == RowPhase::Done; })) {
        SetLabel(status, StatusText::kNothingToConvert);
        return;
    }

    // A size typed but not yet taken is taken now; one that is no size starts nothing.
    if (!MirrorSizeLimit(dialog))
        return;

    if (QLabel *savePath = dialog.controlAs<QLabel>(IdSavePath))
        savePath->setText(GetOutputFolder());
    SetLabel(status, StatusText::kStarting);

    // Every step of every row of the batch uses these choices, whatever the
    // boxes show later.
    batch.start(std::make_shared<PendingRowsPort>(port), CurrentChoices(dialog));
}

void ReportBatchEnd(QWidget *window, const BatchSummary &summary)
{
    if (summary.diskFull) {
        // Shown once the worker's call has returned: the box must not hold the
        // worker, nor the window.
        QTimer::singleShot(0, window, [] { ShowMessageBox(StatusLineText(StatusText::kDiskFullMessage)); });
    }
    // A batch the user stopped was stopped from this window: nothing to tell.
    if (!summary.stopped)
        NotifyBatchEnd(window, summary.succeeded, summary.failed);
}

void PauseOrResumeConversion(TemplateDialog &dialog, ConversionBatch &batch)
{
    QLabel *status = dialog.controlAs<QLabel>(IdStatusLine);
    auto *button = dialog.controlAs<CXPSmartButton>(IdPause);
    if (batch.pauseOrResume()) {
        button->LoadIcons(131, 0);
        button->setText(QCoreApplication::translate("MainDialog", "继续"));
        SetLabel(status, StatusText::kPaused);
    } else {
        button->LoadIcons(132, 0);
        button->setText(QCoreApplication::translate("MainDialog", "暂停"));
        SetLabel(status, StatusText::kResuming);
    }
}

void StopConversion(TemplateDialog &dialog, ConversionBatch &batch)
{
    batch.stop();
    dialog.controlAs<QProgressBar>(IdProgress)->setValue(0);
    SetLabel(dialog.controlAs<QLabel>(IdStatusLine), StatusText::kStopped);
}
