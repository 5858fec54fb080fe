#pragma once

#include "engine/batch_model.h"
#include "engine/dialog_port.h"
#include "ui/batch_table_model.h"

#include <QTableView>
#include <memory>
#include <optional>

// The report-style file list: one row per added file, seven columns (the
// last one the row's conversion state), grid lines, full-row selection,
// several rows selectable. It views the batch's rows, which the core owns
// (BatchModel); every row carries an id that stays with it when rows above it
// are deleted.
class FileListView : public QTableView {
    Q_OBJECT
public:
    explicit FileListView(QWidget *parent = nullptr);

    // The rows this list shows (the window's batch).
    const std::shared_ptr<BatchModel> &rows() const { return m_rows; }
    BatchTableModel *tableModel() const { return m_model; }

    // Sets the seven columns' widths and the rows' height.
    void setupColumns();
    // The columns' widths as the user left them, and setting them back (the
    // file name column always takes the room the others leave).
    QList<int> userColumnWidths() const;
    void setUserColumnWidths(const QList<int> &widths);

    int rowCount() const { return m_model->rowCount(); }
    int columnCount() const { return ColumnCount; }
    // Appends a row for the file. Returns the new row's id.
    RowId appendRow(const QString &path);
    // Row index of an id, or -1 when the row is gone.
    int rowOf(RowId id) const { return m_model->rowOf(id); }
    RowId idAt(int row) const { return m_model->idAt(row); }
    // Sets the row's state; false when the row is gone.
    bool setRowState(RowId id, const RowState &state);
    int rowSeconds(int row) const;
    RowPhase rowPhase(int row) const;
    // A done row's written file (its folder is where the row's menu opens).
    QString rowOutputFile(int row) const;
    // What a failed row's tool left to look at (empty when nothing).
    QString rowDetails(int row) const;
    // The text a cell shows; the source's full path for rowPath.
    QString rowText(int row, int column) const;
    QString rowPath(int row) const;

    // The row at which the latest selection started, or -1.
    int selectionMark() const { return m_selectionMark; }
    void setSelectionMark(int row) { m_selectionMark = row; }
    // Removes a row (the numbers of the rows below are not rewritten).
    void deleteRow(int row);

    void setRowIcon(const QIcon &icon) { m_model->setRowIcon(icon); }

signals:
    // A row came or went, changed its phase or the files it reserved.
    void listChanged();

protected:
    void mousePressEvent(QMouseEvent *event) override;
    void keyPressEvent(QKeyEvent *event) override;

private:
    void fitColumns();
    void resizeEvent(QResizeEvent *event) override;
    void followCurrent(Qt::KeyboardModifiers modifiers);
    int currentRow() const;

    std::shared_ptr<BatchModel> m_rows;
    BatchTableModel *m_model;
    int m_selectionMark = -1;
    int m_statusBase = 0;    // the state column's own width: the default, or as the user left it
    int m_statusWanted = 0;  // the width its texts ask for
    bool m_fitting = false;
};
