#pragma once

#include "engine/batch_model.h"

#include <QAbstractTableModel>
#include <QIcon>
#include <QSet>
#include <QTimer>
#include <functional>
#include <memory>
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
    ColumnCount = 7,
};

// The batch's rows as the file list shows them: a view over the core's
// BatchModel that keeps no rows of its own, only their order as the list has
// been told of it (on the GUI thread). Every text is worded here.
class BatchTableModel : public QAbstractTableModel {
    Q_OBJECT
public:
    // The full path of a row's source, for its tooltip and for tests.
    static constexpr int PathRole = Qt::UserRole + 1;

    explicit BatchTableModel(std::shared_ptr<BatchModel> rows, QObject *parent = nullptr);

    const std::shared_ptr<BatchModel> &rows() const { return m_rows; }
    RowId idAt(int row) const { return row >= 0 && row < m_ids.size() ? m_ids[row] : kNoRow; }
    int rowOf(RowId id) const { return id == kNoRow ? -1 : int(m_ids.indexOf(id)); }

    // How fast a running row converts, for its state text.
    void setSpeedSource(std::function<std::optional<double>(RowId)> speed) { m_speed = std::move(speed); }
    void setRowIcon(const QIcon &icon) { m_icon = icon; }
    // The number shown in a row's first column: its place when it was added.
    int rowNumber(RowId id) const { return m_numbers.value(id); }

    int rowCount(const QModelIndex &parent = {}) const override;
    int columnCount(const QModelIndex &parent = {}) const override;
    QVariant data(const QModelIndex &index, int role) const override;
    QVariant headerData(int section, Qt::Orientation orientation, int role) const override;

    // The text a row's state column shows.
    QString stateText(const BatchRow &row) const;

signals:
    // A row's state text changed (the list may widen its column for it).
    void stateTextChanged(const QString &text);

private:
    void appended(RowId id);
    void removed(RowId id);
    void changed(RowId id);
    // Tells the list of the rows changed since it was last told.
    void refresh();

    std::shared_ptr<BatchModel> m_rows;
    // Changes that come while the list was told of others moments ago wait
    // here for the refresh timer: a batch's rows change many times a second,
    // and the list repaints for each telling.
    QSet<RowId> m_changed;
    QTimer m_refresh;
    QList<RowId> m_ids;
    QHash<RowId, int> m_numbers;
    QIcon m_icon;
    std::function<std::optional<double>(RowId)> m_speed;
};
