#include "ui/batch_table_model.h"

#include "ui/output_report_text.h"
#include "ui/status_texts.h"

#include <QCoreApplication>
#include <QFileInfo>
#include <utility>

namespace {

// The list is told of changed rows at most this often.
constexpr int kRefreshMs = 50;

struct ColumnSpec {
    const char *header;
    Qt::Alignment alignment;
};

// clang-format off
const ColumnSpec kColumns[ColumnCount] = {
    {"", Qt::AlignLeft},
    {QT_TRANSLATE_NOOP("FileListView", "文件名"), Qt::AlignLeft},
    {QT_TRANSLATE_NOOP("FileListView", "播放时间"), Qt::AlignHCenter},
    {QT_TRANSLATE_NOOP("FileListView", "编码"), Qt::AlignRight},
    {QT_TRANSLATE_NOOP("FileListView", "分辨率"), Qt::AlignHCenter},
    {QT_TRANSLATE_NOOP("FileListView", "帧率"), Qt::AlignLeft},
    {QT_TRANSLATE_NOOP("FileListView", "状态"), Qt::AlignLeft},
};
// clang-format on

}  // namespace

BatchTableModel::BatchTableModel(std::shared_ptr<BatchModel> rows, QObject *parent)
    : QAbstractTableModel(parent),
      m_rows(std::move(rows))
{
    // Rows come and go on this thread (adds, deletes); their states change on
    // the workers' threads and reach the list queued.
    connect(m_rows.get(), &BatchModel::rowAppended, this, &BatchTableModel::appended);
    connect(m_rows.get(), &BatchModel::rowRemoved, this, &BatchTableModel::removed);
    connect(m_rows.get(), &BatchModel::rowChanged, this, &BatchTableModel::changed);
    m_refresh.setSingleShot(true);
    m_refresh.setInterval(kRefreshMs);
    connect(&m_refresh, &QTimer::timeout, this, [this] {
        if (!m_changed.isEmpty())
            refresh();
    });
    for (const BatchRow &row : m_rows->rows())
        appended(row.id);
}

void BatchTableModel::appended(RowId id)
{
    if (m_ids.contains(id) || !m_rows->row(id))
        return;
    beginInsertRows({}, int(m_ids.size()), int(m_ids.size()));
    // Numbered by the rows before it when it came; later deletes keep the numbers.
    m_numbers.insert(id, int(m_ids.size()));
    m_ids.append(id);
    endInsertRows();
}

void BatchTableModel::removed(RowId id)
{
    const int row = rowOf(id);
    if (row < 0)
        return;
    beginRemoveRows({}, row, row);
    m_ids.removeAt(row);
    m_numbers.remove(id);
    endRemoveRows();
}

void BatchTableModel::changed(RowId id)
{
    // A change that comes alone is shown at once; the next ones within the
    // refresh period wait for its end, together.
    m_changed.insert(id);
    if (!m_refresh.isActive())
        refresh();
}

void BatchTableModel::refresh()
{
    const QSet<RowId> changed = std::exchange(m_changed, {});
    for (const RowId id : changed) {
        const int row = rowOf(id);
        if (row < 0)
            continue;
        emit dataChanged(index(row, 0), index(row, ColumnCount - 1));
        if (const std::optional<BatchRow> entry = m_rows->row(id))
            emit stateTextChanged(stateText(*entry));
    }
    m_refresh.start();
}

int BatchTableModel::rowCount(const QModelIndex &parent) const
{
    return parent.isValid() ? 0 : int(m_ids.size());
}

int BatchTableModel::columnCount(const QModelIndex &parent) const
{
    return parent.isValid() ? 0 : ColumnCount;
}

QString BatchTableModel::stateText(const BatchRow &row) const
{
    std::optional<double> speed;
    if (m_speed && row.state.phase == RowPhase::Converting)
        speed = m_speed(row.id);
    return ShownRowState(row.state, speed);
}

QVariant BatchTableModel::data(const QModelIndex &index, int role) const
{
    if (!index.isValid() || index.column() >= ColumnCount)
        return {};
    const std::optional<BatchRow> row = m_rows->row(idAt(index.row()));
    if (!row)
        return {};
    const int column = index.column();
    switch (role) {
    case Qt::DisplayRole:
        switch (column) {
        case ColNumber:
            return QString::number(rowNumber(row->id));
        case ColPath:
            // The column is the file's name; its folder is in the tooltip.
            return QFileInfo(row->shownPath()).fileName();
        case ColDuration:
            return row->lengthKnown ? ShownLength(row->seconds) : QString();
        case ColCodec:
            return row->codec;
        case ColResolution:
            return row->resolution;
        case ColFrameRate:
            return row->frameRate;
        case ColStatus:
            return row->state.phase == RowPhase::Idle ? QString() : stateText(*row);
        }
        return {};
    case Qt::ToolTipRole:
        if (column == ColPath)
            return row->shownPath();
        if (column == ColStatus && row->state.phase != RowPhase::Idle) {
            QString tip = stateText(*row);
            if (row->output)
                tip += QLatin1Char('\n') + ShownOutputReport(*row->output);
            return tip;
        }
        return {};
    case Qt::DecorationRole:
        return column == ColNumber && !m_icon.isNull() ? QVariant(m_icon) : QVariant();
    case Qt::TextAlignmentRole:
        return QVariant::fromValue(kColumns[column].alignment | Qt::AlignVCenter);
    case PathRole:
        return row->shownPath();
    default:
        return {};
    }
}

QVariant BatchTableModel::headerData(int section, Qt::Orientation orientation, int role) const
{
    if (orientation != Qt::Horizontal || section < 0 || section >= ColumnCount)
        return {};
    if (role == Qt::DisplayRole)
        return QCoreApplication::translate("FileListView", kColumns[section].header);
    if (role == Qt::TextAlignmentRole)
        return QVariant::fromValue(kColumns[section].alignment | Qt::AlignVCenter);
    // The number column shows no header; a screen reader still names it.
    if (role == Qt::AccessibleTextRole && section == ColNumber)
        return QCoreApplication::translate("FileListView", "序号");
    return {};
}
