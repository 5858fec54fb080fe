#include "engine/batch_model.h"

#include "catalogue/source_name.h"

#include <algorithm>

QString BatchRow::shownPath() const
{
    return ShownName(source);
}

QString BatchRow::openablePath() const
{
    return OpenablePath(source);
}

RowId BatchModel::append(const QByteArray &source, const QString &subfolder)
{
    RowId id = kNoRow;
    {
        std::lock_guard lock(m_mutex);
        id = m_nextId++;
        BatchRow row;
        row.id = id;
        row.source = source;
        row.subfolder = subfolder;
        m_rows.append(row);
        ++m_generation;
    }
    m_changed.notify_all();
    emit rowAppended(id);
    emit listChanged();
    return id;
}

bool BatchModel::remove(RowId id)
{
    {
        std::lock_guard lock(m_mutex);
        const auto it = std::find_if(m_rows.begin(), m_rows.end(), [id](const BatchRow &row) { return row.id == id; });
        if (it == m_rows.end())
            return false;
        m_rows.erase(it);
        ++m_generation;
    }
    m_changed.notify_all();
    emit rowRemoved(id);
    emit listChanged();
    return true;
}

QList<BatchRow> BatchModel::rows() const
{
    std::lock_guard lock(m_mutex);
    return m_rows;
}

std::optional<BatchRow> BatchModel::row(RowId id) const
{
    std::lock_guard lock(m_mutex);
    for (const BatchRow &row : m_rows) {
        if (row.id == id)
            return row;
    }
    return std::nullopt;
}

int BatchModel::count() const
{
    std::lock_guard lock(m_mutex);
    return int(m_rows.size());
}

bool BatchModel::update(RowId id, const std::function<void(BatchRow &)> &change)
{
    bool restartMatters = false;
    {
        std::lock_guard lock(m_mutex);
        const auto it = std::find_if(m_rows.begin(), m_rows.end(), [id](const BatchRow &row) { return row.id == id; });
        if (it == m_rows.end())
            return false;
        const bool done = it->state.phase == RowPhase::Done;
        const QStringList files = it->files;
        change(*it);
        // A restart brings back every row that is not done, and removes the
        // files it recorded: which phase a row is in until then is no matter.
        restartMatters = (it->state.phase == RowPhase::Done) != done || it->files != files;
        ++m_generation;
    }
    m_changed.notify_all();
    emit rowChanged(id);
    if (restartMatters)
        emit listChanged();
    return true;
}

bool BatchModel::setState(RowId id, const RowState &state)
{
    return update(id, [&state](BatchRow &row) {
        row.state = state;
        // A failure's details belong to the failure; a new state clears them.
        if (state.phase != RowPhase::Failed)
            row.failure.reset();
        if (state.phase == RowPhase::Converting || state.phase == RowPhase::Waiting)
            row.output.reset();
    });
}

void BatchModel::setProbed(RowId id)
{
    update(id, [](BatchRow &row) { row.probing = false; });
}

void BatchModel::setFact(RowId id, ProbeFact fact, const QString &value)
{
    update(id, [&](BatchRow &row) {
        (fact == ProbeFact::Codec ? row.codec : fact == ProbeFact::Resolution ? row.resolution : row.frameRate) = value;
    });
}

void BatchModel::setLength(RowId id, int seconds)
{
    update(id, [seconds](BatchRow &row) {
        row.seconds = seconds;
        row.lengthKnown = true;
    });
}

void BatchModel::setFiles(RowId id, const QStringList &files)
{
    update(id, [&files](BatchRow &row) {
        row.files = files;
        if (!files.isEmpty())
            row.outputFile.clear();
    });
}

void BatchModel::setWritten(RowId id, const QString &file)
{
    update(id, [&file](BatchRow &row) { row.outputFile = file; });
}

void BatchModel::setOutput(RowId id, const OutputReport &report)
{
    update(id, [&report](BatchRow &row) { row.output = report; });
}

void BatchModel::setFailure(RowId id, const FailureDetails &details)
{
    update(id, [&details](BatchRow &row) { row.failure = details; });
}

QList<RowEntry> BatchModel::entries() const
{
    QList<RowEntry> result;
    for (const BatchRow &row : rows())
        result.append(EntryOf(row));
    return result;
}

void BatchModel::waitForChange(std::chrono::milliseconds timeout) const
{
    std::unique_lock lock(m_mutex);
    const quint64 seen = m_generation;
    m_changed.wait_for(lock, timeout, [this, seen] { return m_generation != seen; });
}

RowEntry EntryOf(const BatchRow &row)
{
    return {row.id, row.openablePath(), row.seconds, row.state.phase, row.shownPath(), row.subfolder, row.probing};
}
