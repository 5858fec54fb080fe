#include "cli/terminal_port.h"

#include "engine/batch_model.h"
#include "ui/status_texts.h"

namespace {

// The states a row of the batch ends in; the probe's "unreadable" is not one:
// the batch still tries the file and ends it.
bool EndsRow(RowPhase phase)
{
    return phase == RowPhase::Done || phase == RowPhase::Failed || phase == RowPhase::Stopped;
}

}  // namespace

TerminalPort::TerminalPort(std::shared_ptr<BatchModel> rows, FILE *lines, bool progressLine,
                           std::function<void(const BatchSummary &)> ended)
    : m_rows(std::move(rows)),
      m_ended(std::move(ended)),
      m_lines(lines),
      m_progressLine(progressLine)
{
}

void TerminalPort::close()
{
    m_closed = true;
}

std::optional<BatchSummary> TerminalPort::summary() const
{
    std::lock_guard lock(m_print);
    return m_summary;
}

RowId TerminalPort::appendRow(const QByteArray &source, const QString &subfolder)
{
    return m_closed ? kNoRow : m_rows->append(source, subfolder);
}

void TerminalPort::probeEnded(RowId row)
{
    m_rows->setProbed(row);
}

void TerminalPort::setRowFact(RowId row, ProbeFact fact, const QString &value)
{
    m_rows->setFact(row, fact, value);
}

void TerminalPort::setRowLength(RowId row, int seconds)
{
    m_rows->setLength(row, seconds);
}

void TerminalPort::setRowState(RowId row, const RowState &state)
{
    if (!m_rows->setState(row, state))
        return;
    const std::optional<BatchRow> entry = m_rows->row(row);
    if (!entry)
        return;
    std::lock_guard lock(m_print);
    m_estimate.rowState(row, state, entry->seconds);
    if (EndsRow(state.phase))
        printRowEnd(*entry);
    drawProgress();
}

void TerminalPort::setRowOutput(RowId row, const OutputReport &report)
{
    m_rows->setOutput(row, report);
}

void TerminalPort::setRowWritten(RowId row, const QString &file)
{
    m_rows->setWritten(row, file);
}

QList<RowEntry> TerminalPort::rows()
{
    return m_closed ? QList<RowEntry>() : m_rows->entries();
}

void TerminalPort::waitForRowChange(std::chrono::milliseconds timeout)
{
    m_rows->waitForChange(timeout);
}

void TerminalPort::setStatus(BatchStatus status, const BatchSummary &summary)
{
    // The rows' lines and the progress line tell all the status line would.
    Q_UNUSED(status);
    Q_UNUSED(summary);
}

void TerminalPort::setProgress(int percent)
{
    // The line shows the whole batch's measure, as the window's bar does.
    Q_UNUSED(percent);
    std::lock_guard lock(m_print);
    drawProgress();
}

void TerminalPort::batchEnded(const BatchSummary &summary)
{
    {
        std::lock_guard lock(m_print);
        m_estimate.end();
        clearProgress();
        m_summary = summary;
    }
    if (m_ended)
        m_ended(summary);
}

void TerminalPort::rowFilesReserved(RowId row, const QStringList &files)
{
    m_rows->setFiles(row, files);
}

void TerminalPort::setRowFailureDetails(RowId row, const FailureDetails &details)
{
    m_rows->setFailure(row, details);
}

void TerminalPort::printRowEnd(const BatchRow &row)
{
    // "<source>: <state>", and where a converted file went.
    QString line = row.shownPath() + QLatin1String(": ") + ShownRowState(row.state);
    if (row.state.phase == RowPhase::Done && !row.outputFile.isEmpty())
        line += QLatin1String(" -> ") + row.outputFile;
    clearProgress();
    write(line + QLatin1Char('\n'));
}

void TerminalPort::drawProgress()
{
    if (!m_progressLine || !m_estimate.running())
        return;
    const QString text = QStringLiteral("%1% ").arg(m_estimate.percent(), 3) +
                         ShownBatchPlace(m_estimate.place(), m_estimate.total(), m_estimate.secondsLeft());
    if (text == m_shownProgress)
        return;
    // Back to the start of the line, the text, the rest of the line wiped.
    write(QLatin1Char('\r') + text + QLatin1String("\x1b[K"));
    m_shownProgress = text;
}

void TerminalPort::clearProgress()
{
    if (m_shownProgress.isEmpty())
        return;
    write(QStringLiteral("\r\x1b[K"));
    m_shownProgress.clear();
}

void TerminalPort::write(const QString &text)
{
    const QByteArray bytes = text.toUtf8();
    std::fwrite(bytes.constData(), 1, size_t(bytes.size()), m_lines);
    // A log file or a pipe gets each line as the row ends, not when the batch does.
    std::fflush(m_lines);
}
