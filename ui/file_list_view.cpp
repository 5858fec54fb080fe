#include "ui/file_list_view.h"

#include "catalogue/source_name.h"
#include "ui/status_texts.h"

#include <QHeaderView>
#include <QKeyEvent>
#include <QMouseEvent>
#include <QStyle>
#include <QStyledItemDelegate>
#include <QThread>

namespace {

// The columns' widths at the window's default size; the file name's is what
// the others leave.
constexpr int kColumnWidths[ColumnCount] = {32, 140, 60, 38, 70, 60, 76};
// The file name column never gets narrower than this.
constexpr int kMinPathWidth = 60;
// A state column widened for a long text never takes more than this share
// of the list: a failed row's reason is whole in its tooltip.
constexpr double kMaxStatusShare = 0.3;

// A name too long for its column keeps its start and its end, where the
// extension is ("holiday … 2019.avi"); the full path is in the tooltip.
class NameDelegate : public QStyledItemDelegate {
public:
    using QStyledItemDelegate::QStyledItemDelegate;

protected:
    void initStyleOption(QStyleOptionViewItem *option, const QModelIndex &index) const override
    {
        QStyledItemDelegate::initStyleOption(option, index);
        option->textElideMode = Qt::ElideMiddle;
    }
};

}  // namespace

FileListView::FileListView(QWidget *parent)
    : QTableView(parent),
      // The rows outlive the list while a worker or a probe still reports on
      // them; whichever lets go of them last, they go on their own thread.
      m_rows(new BatchModel,
             [](BatchModel *rows) {
                 if (QThread::currentThread() == rows->thread())
                     delete rows;
                 else
                     rows->deleteLater();
             }),
      m_model(new BatchTableModel(m_rows, this))
{
    setModel(m_model);
    setItemDelegateForColumn(ColPath, new NameDelegate(this));
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
    connect(m_rows.get(), &BatchModel::listChanged, this, &FileListView::listChanged);
    // A state stays readable (a failed row's reason, a running row's speed):
    // the state column grows to it, within its share, and the file name gives
    // up the room; what still does not fit is in the tooltip.
    connect(m_model, &BatchTableModel::stateTextChanged, this, [this](const QString &text) {
        const int needed =
            fontMetrics().horizontalAdvance(text) + 2 * style()->pixelMetric(QStyle::PM_FocusFrameHMargin) + 8;
        const int cap = qMax(kColumnWidths[ColStatus], int(width() * kMaxStatusShare));
        if (needed > columnWidth(ColStatus) && columnWidth(ColStatus) < cap)
            setColumnWidth(ColStatus, qMin(needed, cap));
    });
}

QList<int> FileListView::userColumnWidths() const
{
    QList<int> widths;
    for (int c = 0; c < ColumnCount; ++c)
        widths << columnWidth(c);
    return widths;
}

void FileListView::setUserColumnWidths(const QList<int> &widths)
{
    if (widths.size() != ColumnCount)
        return;
    for (int c = 0; c < ColumnCount; ++c) {
        if (c != ColPath && widths[c] > 0)
            setColumnWidth(c, widths[c]);
    }
    fitColumns();
}

void FileListView::setupColumns()
{
    for (int c = 0; c < ColumnCount; ++c)
        setColumnWidth(c, kColumnWidths[c]);
    fitColumns();
    const QFontMetrics fm(font());
    verticalHeader()->setDefaultSectionSize(qMax(fm.height() + 4, 18));
}

void FileListView::fitColumns()
{
    if (m_fitting)
        return;
    m_fitting = true;
    // Every column stays in sight at the window's size: the file name gets
    // what the others leave, room for a vertical scroll bar included.
    const int room = width() - 2 * frameWidth() - style()->pixelMetric(QStyle::PM_ScrollBarExtent, nullptr, this);
    int others = 0;
    for (int c = 0; c < ColumnCount; ++c) {
        if (c != ColPath)
            others += columnWidth(c);
    }
    setColumnWidth(ColPath, qMax(kMinPathWidth, room - others));
    m_fitting = false;
}

void FileListView::resizeEvent(QResizeEvent *event)
{
    QTableView::resizeEvent(event);
    fitColumns();
}

RowId FileListView::appendRow(const QString &path)
{
    return m_rows->append(NameBytes(path));
}

bool FileListView::setRowState(RowId id, const RowState &state)
{
    return m_rows->setState(id, state);
}

int FileListView::rowSeconds(int row) const
{
    const std::optional<BatchRow> entry = m_rows->row(idAt(row));
    return entry ? entry->seconds : 0;
}

RowPhase FileListView::rowPhase(int row) const
{
    const std::optional<BatchRow> entry = m_rows->row(idAt(row));
    return entry ? entry->state.phase : RowPhase::Idle;
}

QString FileListView::rowOutputFile(int row) const
{
    const std::optional<BatchRow> entry = m_rows->row(idAt(row));
    return entry ? entry->outputFile : QString();
}

QString FileListView::rowDetails(int row) const
{
    const std::optional<BatchRow> entry = m_rows->row(idAt(row));
    return entry && entry->failure ? ShownFailureDetails(*entry->failure) : QString();
}

QString FileListView::rowText(int row, int column) const
{
    return m_model->data(m_model->index(row, column), Qt::DisplayRole).toString();
}

QString FileListView::rowPath(int row) const
{
    return m_model->data(m_model->index(row, ColPath), BatchTableModel::PathRole).toString();
}

QList<RowEntry> FileListView::entries() const
{
    // In the list's order, as this thread has been told of the rows.
    QList<RowEntry> result;
    for (int r = 0; r < rowCount(); ++r) {
        if (const std::optional<BatchRow> entry = m_rows->row(idAt(r)))
            result.append(EntryOf(*entry));
    }
    return result;
}

void FileListView::deleteRow(int row)
{
    if (row < 0 || row >= rowCount())
        return;
    m_rows->remove(idAt(row));
    if (m_selectionMark == row)
        m_selectionMark = -1;
    else if (m_selectionMark > row)
        --m_selectionMark;
}

int FileListView::currentRow() const
{
    return currentIndex().isValid() ? currentIndex().row() : -1;
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
    QTableView::mousePressEvent(event);
    if (indexAt(event->position().toPoint()).isValid())
        followCurrent(event->modifiers());
}

void FileListView::keyPressEvent(QKeyEvent *event)
{
    const int before = currentRow();
    QTableView::keyPressEvent(event);
    if (currentRow() != before)
        followCurrent(event->modifiers());
}
