#include "ui/file_list_view.h"

#include "ui/status_texts.h"

#include <QCoreApplication>
#include <QHeaderView>
#include <QKeyEvent>
#include <QMouseEvent>
#include <QStyle>
#include <QStyledItemDelegate>

namespace {

constexpr int kIdRole = Qt::UserRole + 1;
constexpr int kSecondsRole = Qt::UserRole + 2;
constexpr int kPhaseRole = Qt::UserRole + 3;
constexpr int kStemRole = Qt::UserRole + 4;
constexpr int kDetailsRole = Qt::UserRole + 5;
// The file name column never gets narrower than this (a state's whole text
// comes first).
constexpr int kMinPathWidth = 24;

struct ColumnSpec {
    const char *header;
    int width;
    Qt::Alignment alignment;
};

// clang-format off
const ColumnSpec kColumns[] = {
    {"", 32, Qt::AlignLeft},
    {QT_TRANSLATE_NOOP("FileListView", "文件名"), 140, Qt::AlignLeft},
    {QT_TRANSLATE_NOOP("FileListView", "播放时间"), 60, Qt::AlignHCenter},
    {QT_TRANSLATE_NOOP("FileListView", "编码"), 38, Qt::AlignRight},
    {QT_TRANSLATE_NOOP("FileListView", "分辨率"), 70, Qt::AlignHCenter},
    {QT_TRANSLATE_NOOP("FileListView", "帧率"), 60, Qt::AlignLeft},
    {QT_TRANSLATE_NOOP("FileListView", "状态"), 76, Qt::AlignLeft},
};
// clang-format on

// A path too long for its narrow column shows its end, where the file's own
// name is ("…/videos/holiday.avi"); the whole path is in the tooltip.
class PathDelegate : public QStyledItemDelegate {
public:
    using QStyledItemDelegate::QStyledItemDelegate;

protected:
    void initStyleOption(QStyleOptionViewItem *option, const QModelIndex &index) const override
    {
        QStyledItemDelegate::initStyleOption(option, index);
        option->textElideMode = Qt::ElideLeft;
    }
};

}  // namespace

FileListView::FileListView(QWidget *parent) : QTableWidget(parent)
{
    setItemDelegateForColumn(ColPath, new PathDelegate(this));
    setSelectionBehavior(QAbstractItemView::SelectRows);
    setSelectionMode(QAbstractItemView::ExtendedSelection);
    setEditTriggers(QAbstractItemView::NoEditTriggers);
    setShowGrid(true);
    setWordWrap(false);
    setTabKeyNavigation(false);
    verticalHeader()->hide();
    horizontalHeader()->setSectionsClickable(false);
    horizontalHeader()->setHighlightSections(false);
    horizontalHeader()->setStretchLastSection(false);
    horizontalHeader()->setSectionResizeMode(QHeaderView::Interactive);
    horizontalHeader()->setMinimumSectionSize(8);
    setSortingEnabled(false);
    setHorizontalScrollMode(QAbstractItemView::ScrollPerPixel);
    // A column the user widens or narrows takes its room from the file name.
    connect(horizontalHeader(), &QHeaderView::sectionResized, this, [this](int column) {
        if (column != ColPath)
            fitColumns();
    });
}

QList<int> FileListView::userColumnWidths() const
{
    QList<int> widths;
    for (int c = 0; c < columnCount(); ++c)
        widths << columnWidth(c);
    return widths;
}

void FileListView::setUserColumnWidths(const QList<int> &widths)
{
    if (widths.size() != columnCount())
        return;
    for (int c = 0; c < columnCount(); ++c) {
        if (c != ColPath && widths[c] > 0)
            setColumnWidth(c, widths[c]);
    }
    fitColumns();
}

void FileListView::fitStatusText(const QString &text)
{
    // A state stays readable whole (a failed row's reason, a running row's
    // speed): the state column grows to it and the file name, shown from its
    // end, gives up the room.
    const int needed =
        fontMetrics().horizontalAdvance(text) + 2 * style()->pixelMetric(QStyle::PM_FocusFrameHMargin) + 8;
    if (needed > columnWidth(ColStatus))
        setColumnWidth(ColStatus, needed);
}

void FileListView::setupColumns()
{
    setColumnCount(int(std::size(kColumns)));
    for (int c = 0; c < columnCount(); ++c) {
        auto *header = new QTableWidgetItem(QCoreApplication::translate("FileListView", kColumns[c].header));
        header->setTextAlignment(kColumns[c].alignment | Qt::AlignVCenter);
        if (c == ColNumber) {
            // The number column shows no header; a screen reader still names it.
            header->setData(Qt::AccessibleTextRole, QCoreApplication::translate("FileListView", "序号"));
        }
        setHorizontalHeaderItem(c, header);
        setColumnWidth(c, kColumns[c].width);
    }
    fitColumns();
    const QFontMetrics fm(font());
    verticalHeader()->setDefaultSectionSize(qMax(fm.height() + 4, 18));
}

void FileListView::fitColumns()
{
    if (m_fitting)
        return;
    m_fitting = true;
    // Every column stays in sight at the window's fixed size: the file name
    // gives up what the others need, room for a vertical scroll bar included.
    int others = 0;
    for (int c = 0; c < columnCount(); ++c) {
        if (c != ColPath)
            others += columnWidth(c);
    }
    const int room = width() - 2 * frameWidth() - style()->pixelMetric(QStyle::PM_ScrollBarExtent, nullptr, this);
    setColumnWidth(ColPath, qMax(kMinPathWidth, room - others));
    m_fitting = false;
}

void FileListView::resizeEvent(QResizeEvent *event)
{
    QTableWidget::resizeEvent(event);
    fitColumns();
}

RowId FileListView::appendRow(const QString &path)
{
    const int row = rowCount();
    insertRow(row);
    const RowId id = m_nextId++;
    for (int c = 0; c < columnCount(); ++c) {
        auto *item = new QTableWidgetItem();
        item->setTextAlignment(kColumns[c].alignment | Qt::AlignVCenter);
        setItem(row, c, item);
    }
    item(row, ColNumber)->setText(QString::number(row));
    item(row, ColNumber)->setIcon(m_rowIcon);
    item(row, ColNumber)->setData(kIdRole, QVariant::fromValue<quint64>(id));
    item(row, ColPath)->setText(path);
    item(row, ColPath)->setToolTip(path);
    emit listChanged();
    return id;
}

RowId FileListView::idAt(int row) const
{
    const QTableWidgetItem *cell = item(row, ColNumber);
    return cell ? cell->data(kIdRole).value<quint64>() : kNoRow;
}

int FileListView::rowOf(RowId id) const
{
    if (id == kNoRow)
        return -1;
    for (int r = 0; r < rowCount(); ++r) {
        if (idAt(r) == id)
            return r;
    }
    return -1;
}

bool FileListView::setRowText(RowId id, int column, const QString &text)
{
    const int row = rowOf(id);
    if (row < 0 || column < 0 || column >= columnCount())
        return false;
    item(row, column)->setText(text);
    // A state may say more than its column shows.
    if (column == ColStatus)
        item(row, column)->setToolTip(text);
    return true;
}

bool FileListView::addStatusDetails(RowId id, const QString &details)
{
    const int row = rowOf(id);
    if (row < 0 || details.isEmpty())
        return false;
    QTableWidgetItem *cell = item(row, ColStatus);
    cell->setToolTip(cell->text() + QLatin1Char('\n') + details);
    return true;
}

int FileListView::rowSeconds(int row) const
{
    const QTableWidgetItem *cell = item(row, ColDuration);
    return cell ? cell->data(kSecondsRole).toInt() : 0;
}

bool FileListView::setRowState(RowId id, const RowState &state, std::optional<double> speed)
{
    const QString text = ShownRowState(state, speed);
    if (!setRowText(id, ColStatus, text))
        return false;
    fitStatusText(text);
    const int row = rowOf(id);
    if (rowPhase(row) == state.phase)
        return true;
    item(row, ColStatus)->setData(kPhaseRole, int(state.phase));
    // A done row keeps its stem: its folder is where its file is.
    if (state.phase != RowPhase::Converting && state.phase != RowPhase::Packaging && state.phase != RowPhase::Done)
        item(row, ColPath)->setData(kStemRole, QVariant());
    if (state.phase != RowPhase::Failed)
        item(row, ColStatus)->setData(kDetailsRole, QVariant());
    emit listChanged();
    return true;
}

bool FileListView::setRowReservedStem(RowId id, const QString &stem)
{
    const int row = rowOf(id);
    if (row < 0)
        return false;
    item(row, ColPath)->setData(kStemRole, stem);
    emit listChanged();
    return true;
}

bool FileListView::setRowDetails(RowId id, const QString &details)
{
    const int row = rowOf(id);
    if (row < 0)
        return false;
    item(row, ColStatus)->setData(kDetailsRole, details);
    return true;
}

QString FileListView::rowDetails(int row) const
{
    const QTableWidgetItem *cell = item(row, ColStatus);
    return cell ? cell->data(kDetailsRole).toString() : QString();
}

QString FileListView::rowReservedStem(int row) const
{
    const QTableWidgetItem *cell = item(row, ColPath);
    return cell ? cell->data(kStemRole).toString() : QString();
}

RowPhase FileListView::rowPhase(int row) const
{
    const QTableWidgetItem *cell = item(row, ColStatus);
    return cell ? RowPhase(cell->data(kPhaseRole).toInt()) : RowPhase::Idle;
}

bool FileListView::setRowLength(RowId id, int seconds)
{
    const int row = rowOf(id);
    if (row < 0)
        return false;
    item(row, ColDuration)->setText(ShownLength(seconds));
    item(row, ColDuration)->setData(kSecondsRole, seconds);
    return true;
}

QString FileListView::rowText(int row, int column) const
{
    const QTableWidgetItem *cell = item(row, column);
    return cell ? cell->text() : QString();
}

QList<RowEntry> FileListView::entries() const
{
    QList<RowEntry> result;
    result.reserve(rowCount());
    for (int r = 0; r < rowCount(); ++r) {
        result.append({idAt(r), rowText(r, ColPath), rowSeconds(r), rowPhase(r)});
    }
    return result;
}

void FileListView::deleteRow(int row)
{
    if (row < 0 || row >= rowCount())
        return;
    removeRow(row);
    if (m_selectionMark == row)
        m_selectionMark = -1;
    else if (m_selectionMark > row)
        --m_selectionMark;
    emit listChanged();
}

void FileListView::followCurrent(Qt::KeyboardModifiers modifiers)
{
    // Like a list view's selection mark: a plain or Ctrl click starts a new
    // selection at the current row; Shift extends the one that was started.
    if (!(modifiers & Qt::ShiftModifier) || m_selectionMark < 0)
        m_selectionMark = currentRow();
}

void FileListView::mousePressEvent(QMouseEvent *event)
{
    QTableWidget::mousePressEvent(event);
    if (indexAt(event->position().toPoint()).isValid())
        followCurrent(event->modifiers());
}

void FileListView::keyPressEvent(QKeyEvent *event)
{
    const int before = currentRow();
    QTableWidget::keyPressEvent(event);
    if (currentRow() != before)
        followCurrent(event->modifiers());
}
