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

// The columns' widths at the window's default size, before they are fitted to
// their texts; the file name's is what the others leave.
constexpr int kColumnWidths[ColumnCount] = {32, 140, 60, 38, 70, 60, 76};
// What the short columns show at their widest, so each is as wide as its
// text and no wider: the file's name gets the rest.
const char *const kWidestTexts[ColumnCount] = {"00", "", "00:00:00", "MP4V", "1280x720", "29.970", ""};
// The name keeps at least this much when a long state text wants room: a
// state that does not fit then shows its start, and whole in its tooltip.
constexpr int kNameKeeps = 110;
constexpr int kMinPathWidth = 40;

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
    connect(horizontalHeader(), &QHeaderView::sectionResized, this, [this](int column, int, int size) {
        if (m_fitting || column == ColPath)
            return;
        if (column == ColStatus)
            m_statusBase = m_statusWanted = size;
        fitColumns();
    });
    connect(m_rows.get(), &BatchModel::listChanged, this, &FileListView::listChanged);
    // A state stays readable (a failed row's reason, a running row's speed):
    // the state column grows to it as far as the file's name can spare.
    connect(m_model, &BatchTableModel::stateTextChanged, this, [this](const QString &text) {
        const int needed =
            fontMetrics().horizontalAdvance(text) + 2 * style()->pixelMetric(QStyle::PM_FocusFrameHMargin) + 8;
        if (needed > m_statusWanted) {
            m_statusWanted = needed;
            fitColumns();
        }
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
    if (widths[ColStatus] > 0)
        m_statusBase = m_statusWanted = widths[ColStatus];
    fitColumns();
}

void FileListView::setupColumns()
{
    const int padding = 2 * style()->pixelMetric(QStyle::PM_FocusFrameHMargin) + 10;
    for (int c = 0; c < ColumnCount; ++c) {
        int width = kColumnWidths[c];
        if (*kWidestTexts[c]) {
            const QString header = m_model->headerData(c, Qt::Horizontal, Qt::DisplayRole).toString();
            width = qMax(fontMetrics().horizontalAdvance(QLatin1String(kWidestTexts[c])),
                         horizontalHeader()->fontMetrics().horizontalAdvance(header)) +
                    padding;
            if (c == ColNumber)
                width += 18;  // the row's icon
        }
        setColumnWidth(c, width);
    }
    m_statusBase = m_statusWanted = columnWidth(ColStatus);
    fitColumns();
    const QFontMetrics fm(font());
    verticalHeader()->setDefaultSectionSize(qMax(fm.height() + 4, 18));
}

void FileListView::fitColumns()
{
    if (m_fitting)
        return;
    m_fitting = true;
    // Every column stays in sight at the window's size: the file's name and
    // the state share what the others leave, room for a vertical scroll bar
    // included; the state takes what it needs as long as the name keeps
    // enough to be read.
    const int room = width() - 2 * frameWidth() - style()->pixelMetric(QStyle::PM_ScrollBarExtent, nullptr, this);
    int others = 0;
    for (int c = 0; c < ColumnCount; ++c) {
        if (c != ColPath && c != ColStatus)
            others += columnWidth(c);
    }
    const int shared = room - others;
    // The state column keeps its own width (the user's, or the default) and
    // grows for a longer text only as far as the name can spare.
    const int status = qMax(m_statusBase, qMin(m_statusWanted, shared - kNameKeeps));
    setColumnWidth(ColStatus, status);
    setColumnWidth(ColPath, qMax(kMinPathWidth, shared - status));
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
