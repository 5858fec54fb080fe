#include "ui/main_dialog_port.h"

#include "ui/batch_estimate.h"
#include "ui/file_list_view.h"
#include "ui/output_report_text.h"
#include "ui/status_texts.h"

#include <QComboBox>
#include <QItemSelectionModel>
#include <QLabel>
#include <QLineEdit>
#include <QProgressBar>

namespace {

// True while the keyboard focus is in a text box of the window (the search
// box, an editable choice box): a probe finishing must not take it away.
bool UserIsTyping(const QWidget *window)
{
    const QWidget *focus = window->focusWidget();
    if (!focus)
        return false;
    if (qobject_cast<const QLineEdit *>(focus))
        return true;
    const auto *box = qobject_cast<const QComboBox *>(focus);
    return box && box->isEditable();
}

}  // namespace

RowId MainDialogPort::appendRow(const QString &path)
{
    RowId id = kNoRow;
    m_bridge.run([&] { id = m_window.fileList->appendRow(path); });
    return id;
}

void MainDialogPort::setRowFact(RowId row, ProbeFact fact, const QString &value)
{
    const int column = fact == ProbeFact::Codec        ? ColCodec
                       : fact == ProbeFact::Resolution ? ColResolution
                                                       : ColFrameRate;
    m_bridge.run([&] { m_window.fileList->setRowText(row, column, value); });
}

void MainDialogPort::setRowLength(RowId row, int seconds)
{
    m_bridge.run([&] { m_window.fileList->setRowLength(row, seconds); });
}

void MainDialogPort::setRowState(RowId row, const RowState &state)
{
    m_bridge.run([&] {
        FileListView *list = m_window.fileList;
        const int index = list->rowOf(row);
        if (index < 0)
            return;
        std::optional<double> speed;
        if (m_window.batch) {
            m_window.batch->rowState(row, state, list->rowSeconds(index));
            speed = m_window.batch->rowSpeed(row);
        }
        list->setRowState(row, state, speed);
    });
}

void MainDialogPort::setRowOutput(RowId row, const OutputReport &report)
{
    // The state's tooltip goes on to tell what the written file holds.
    m_bridge.run([&] { m_window.fileList->addStatusDetails(row, ShownOutputReport(report)); });
}

QList<RowEntry> MainDialogPort::rows()
{
    QList<RowEntry> result;
    m_bridge.run([&] { result = m_window.fileList->entries(); });
    return result;
}

void MainDialogPort::focusFirstRow()
{
    m_bridge.run([&] {
        FileListView *list = m_window.fileList;
        if (list->rowCount() == 0)
            return;
        if (!UserIsTyping(m_window.window))
            list->setFocus(Qt::OtherFocusReason);
        const QModelIndex first = list->model()->index(0, 0);
        // Row 0 joins the selection (others stay selected) and gets the focus mark.
        list->selectionModel()->select(first, QItemSelectionModel::Select | QItemSelectionModel::Rows);
        list->selectionModel()->setCurrentIndex(first, QItemSelectionModel::NoUpdate);
        if (list->selectionMark() < 0)
            list->setSelectionMark(0);
    });
}

void MainDialogPort::setStatus(BatchStatus status, const BatchSummary &summary)
{
    m_bridge.run([&] { m_window.status->setText(statusText(status, summary)); });
}

void MainDialogPort::setProgress(int percent)
{
    m_bridge.run([&] { m_window.progress->setValue(barValue(percent)); });
}

void MainDialogPort::setProgressAndStatusIf(std::optional<int> percent, BatchStatus status,
                                            const std::function<bool()> &stillWanted, const BatchSummary &summary)
{
    // Asked on the GUI thread, where the pause and stop commands run: nothing
    // they have done can slip in between the question and the writes.
    m_bridge.run([&] {
        if (stillWanted && !stillWanted())
            return;
        if (percent)
            m_window.progress->setValue(barValue(*percent));
        m_window.status->setText(statusText(status, summary));
    });
}

QString MainDialogPort::statusText(BatchStatus status, const BatchSummary &summary) const
{
    // While the encoder runs, the line tells the batch's place and time left.
    const BatchEstimate *batch = m_window.batch;
    if (status == BatchStatus::Converting && batch && batch->running())
        return ShownBatchPlace(batch->place(), batch->total(), batch->secondsLeft());
    return ShownStatus(status, summary);
}

int MainDialogPort::barValue(int rowPercent) const
{
    // The bar shows the whole batch.
    const BatchEstimate *batch = m_window.batch;
    return batch && batch->running() ? batch->percent() : rowPercent;
}

void MainDialogPort::batchEnded(const BatchSummary &summary)
{
    m_bridge.run([&] {
        if (m_window.batch)
            m_window.batch->end();
        m_window.batchEnded(summary);
    });
}

void MainDialogPort::rowFilesReserved(RowId row, const QString &stem)
{
    m_bridge.run([&] { m_window.fileList->setRowReservedStem(row, stem); });
}

void MainDialogPort::setRowFailureDetails(RowId row, const FailureDetails &details)
{
    m_bridge.run([&] { m_window.fileList->setRowDetails(row, ShownFailureDetails(details)); });
}
