#include "ui/main_dialog_port.h"

#include "engine/batch_model.h"
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

MainDialogPort::MainDialogPort(Window window, GuiBridge bridge)
    : m_window(std::move(window)),
      m_bridge(bridge),
      m_rows(m_window.fileList->rows())
{
}

RowId MainDialogPort::appendRow(const QByteArray &source, const QString &subfolder)
{
    // Rows are added on the window's thread, so the list shows each at once.
    RowId id = kNoRow;
    m_bridge.run([&] { id = m_rows->append(source, subfolder); });
    return id;
}

void MainDialogPort::probeEnded(RowId row)
{
    if (!m_bridge.isClosed())
        m_rows->setProbed(row);
}

void MainDialogPort::setRowFact(RowId row, ProbeFact fact, const QString &value)
{
    if (!m_bridge.isClosed())
        m_rows->setFact(row, fact, value);
}

void MainDialogPort::setRowLength(RowId row, int seconds)
{
    if (!m_bridge.isClosed())
        m_rows->setLength(row, seconds);
}

void MainDialogPort::setRowState(RowId row, const RowState &state)
{
    if (m_bridge.isClosed())
        return;
    // The row's state is the core's at once; the batch's measure (time left,
    // a row's speed) follows on the window's thread, without holding the
    // worker: the window's own reads of it run after it there.
    const std::optional<BatchRow> entry = m_rows->row(row);
    if (!entry)
        return;
    m_rows->setState(row, state);
    if (BatchEstimate *batch = m_window.batch)
        m_bridge.post([batch, row, state, seconds = entry->seconds] { batch->rowState(row, state, seconds); });
}

void MainDialogPort::setRowOutput(RowId row, const OutputReport &report)
{
    if (!m_bridge.isClosed())
        m_rows->setOutput(row, report);
}

void MainDialogPort::waitForRowChange(std::chrono::milliseconds timeout)
{
    m_rows->waitForChange(timeout);
}

void MainDialogPort::setRowWritten(RowId row, const QString &file)
{
    if (!m_bridge.isClosed())
        m_rows->setWritten(row, file);
}

QList<RowEntry> MainDialogPort::rows()
{
    return m_bridge.isClosed() ? QList<RowEntry>() : m_rows->entries();
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

void MainDialogPort::rowFilesReserved(RowId row, const QStringList &files)
{
    if (!m_bridge.isClosed())
        m_rows->setFiles(row, files);
}

void MainDialogPort::setRowFailureDetails(RowId row, const FailureDetails &details)
{
    if (!m_bridge.isClosed())
        m_rows->setFailure(row, details);
}
