#pragma once

#include "engine/dialog_port.h"

#include <QTableWidget>
#include <optional>

// Columns of the file list.
enum FileListColumn {
    ColNumber = 0,
    ColPath = 1,
    ColDuration = 2,
    ColCodec = 3,
    ColResolution = 4,
    ColFrameRate = 5,
    ColStatus = 6,
};

// The report-style file list: one row per added file, seven columns (the
// last one the row's conversion state), grid lines, full-row selection,
// several rows selectable. Every row carries an id that stays with it when
// rows above it are deleted.
class FileListView : public QTableWidget {
    Q_OBJECT
public:
    explicit FileListView(QWidget *parent = nullptr);

    // Creates the seven columns with their headers, widths and alignments.
    void setupColumns();
    // The columns' widths as the user left them, and setting them back (the
    // file name column always takes the room the others leave).
    QList<int> userColumnWidths() const;
    void setUserColumnWidths(const QList<int> &widths);

    // Appends a row: its number (the row count before it) with the list
    // icon, and the path. Returns the new row's id.
    RowId appendRow(const QString &path);
    // Row index of an id, or -1 when the row is gone.
    int rowOf(RowId id) const;
    RowId idAt(int row) const;
    // Writes a cell of the row with that id; false when the row is gone.
    bool setRowText(RowId id, int column, const QString &text);
    // Shows the row's state in its state column and keeps its phase for entries().
    bool setRowState(RowId id, const RowState &state, std::optional<double> speed = std::nullopt);
    int rowSeconds(int row) const;
    RowPhase rowPhase(int row) const;
    // The output stem the row's running conversion took; empty once the row is
    // no longer converting (its files are then final or gone).
    bool setRowReservedStem(RowId id, const QString &stem);
    QString rowReservedStem(int row) const;
    // What a failed row's tool left to look at (empty when nothing).
    bool setRowDetails(RowId id, const QString &details);
    QString rowDetails(int row) const;
    // Shows the row's length and keeps it as a number for entries().
    bool setRowLength(RowId id, int seconds);
    // Adds lines to the tooltip of the row's state.
    bool addStatusDetails(RowId id, const QString &details);
    QString rowText(int row, int column) const;
    QList<RowEntry> entries() const;

    // The row at which the latest selection started, or -1.
    int selectionMark() const { return m_selectionMark; }
    void setSelectionMark(int row) { m_selectionMark = row; }
    // Removes a row (the numbers of the rows below are not rewritten).
    void deleteRow(int row);

    void setRowIcon(const QIcon &icon) { m_rowIcon = icon; }

signals:
    // A row came or went, changed its phase or reserved its output names.
    void listChanged();

protected:
    void mousePressEvent(QMouseEvent *event) override;
    void keyPressEvent(QKeyEvent *event) override;

private:
    void fitColumns();
    void fitStatusText(const QString &text);
    void resizeEvent(QResizeEvent *event) override;
    void followCurrent(Qt::KeyboardModifiers modifiers);

    RowId m_nextId = 1;
    int m_selectionMark = -1;
    QIcon m_rowIcon;
    bool m_fitting = false;
};
