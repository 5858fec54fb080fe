#pragma once

#include <QStringList>

class FileListView;
class QPoint;

// The file list's context menu on a row: 打开所在文件夹 for a done row,
// 重新转换 for a done, failed or stopped one (it waits for the next start),
// 移除, and 查看详情 for a failed row whose tool left details.

// What the menu offers for the row, in order.
QStringList RowMenuActions(const FileListView &list, int row);
// Shows the menu for the row under `pos` (list viewport coordinates) and
// carries out the chosen action.
void ShowRowMenu(FileListView &list, const QPoint &pos);
// Carries out one action of the menu on a row.
void RunRowAction(FileListView &list, int row, const QString &action);
