#include "ui/main_dialog.h"

#include "catalogue/output_presets.h"
#include "controls/flat_combo_box.h"
#include "controls/xp_smart_button.h"
#include "engine/conversion_batch.h"
#include "engine/globals.h"
#include "engine/status_texts.h"
#include "res/control_ids.h"
#include "settings/output_folder.h"
#include "ui/message_box.h"

#include <QLabel>
#include <QProgressBar>
#include <QTimer>

namespace {

void SetLabel(QLabel *label, const char *text)
{
    if (label)
        label->setText(QString::fromUtf8(text));
}

QString LabelText(const QLabel *label)
{
    return label ? label->text() : QString();
}

} // namespace

void MainDialog::OnStart()
{
    QLabel *status = controlAs<QLabel>(IdStatusLine);
    if (m_port->rows().isEmpty()) {
        SetLabel(status, StatusText::kAddFilesFirst);
        return;
    }
    // One batch at a time: a second press leaves the running one untouched.
    if (m_batch->isRunning())
        return;

    if (QLabel *savePath = controlAs<QLabel>(IdSavePath))
        savePath->setText(GetOutputFolder());
    SetLabel(status, StatusText::kStarting);

    OutputSettings.strBitrate = LabelText(controlAs<QLabel>(IdBitrateMirror));
    OutputSettings.strFrameRate = LabelText(controlAs<QLabel>(IdFrameRateMirror));
    SplitResolution(LabelText(controlAs<QLabel>(IdResolutionMirror)), &OutputSettings.strWidth,
                    &OutputSettings.strHeight);

    // Every step of every row of the batch uses these choices, whatever the
    // boxes show later.
    BatchChoices choices{OutputSettings.strWidth, OutputSettings.strHeight, OutputSettings.strFrameRate,
                         OutputSettings.strBitrate};
    ParseFormat(m_formatBox->itemText(m_formatBox->currentIndex()), &choices.format);
    m_batch->start(m_port, choices);
}

void MainDialog::OnBatchEnded(const BatchSummary &summary)
{
    if (summary.diskFull) {
        // Shown once the worker's call has returned: the box must not hold the
        // worker, nor the window.
        QTimer::singleShot(0, this, [] { ShowMessageBox(QString::fromUtf8(StatusText::kDiskFullMessage)); });
    }
}

// Pause and resume reach the encoder the running batch has going at the moment
// of the press; with none running only the button and the status line change.
void MainDialog::OnPauseResume()
{
    QLabel *status = controlAs<QLabel>(IdStatusLine);
    if (g_bNotPaused.load()) {
        m_btnPause->LoadIcons(131, 0);
        m_btnPause->setText(QStringLiteral("继续"));
        SetLabel(status, StatusText::kPaused);
        g_bNotPaused.store(false);
        m_batch->pause();
    } else {
        m_btnPause->LoadIcons(132, 0);
        m_btnPause->setText(QStringLiteral("暂停"));
        SetLabel(status, StatusText::kResuming);
        g_bNotPaused.store(true);
        m_batch->resume();
    }
}

void MainDialog::OnStop()
{
    m_batch->stop();
    m_progress->setValue(0);
    SetLabel(controlAs<QLabel>(IdStatusLine), StatusText::kStopped);
}
