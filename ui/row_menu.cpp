#include "ui/row_menu.h"

#include "ui/desktop_opener.h"
#include "ui/file_list_view.h"

#include <QDialog>
#include <QDialogButtonBox>
#include <QFileInfo>
#include <QMenu>
#include <QPlainTextEdit>
#include <QPushButton>
#include <QUrl>
#include <QVBoxLayout>

namespace {

const QString kOpenFolder = QStringLiteral("打开所在文件夹");
const QString kConvertAgain = QStringLiteral("重新转换");
const QString kRemove = QStringLiteral("移除");
const QString kDetails = QStringLiteral("查看详情");

// A read-only box whose text can be selected and copied.
void ShowDetails(QWidget *parent, const QString &path, const QString &details)
{
    auto *dialog = new QDialog(parent);
    dialog->setAttribute(Qt::WA_DeleteOnClose);
    dialog->setWindowTitle(kDetails + QStringLiteral(" - ") + QFileInfo(path).fileName());
    auto *text = new QPlainTextEdit(details, dialog);
    text->setReadOnly(true);
    text->setLineWrapMode(QPlainTextEdit::NoWrap);
    auto *buttons = new QDialogButtonBox(QDialogButtonBox::Close, dialog);
    buttons->button(QDialogButtonBox::Close)->setText(QStringLiteral("关闭"));
    QObject::connect(buttons, &QDialogButtonBox::rejected, dialog, &QDialog::reject);
    auto *layout = new QVBoxLayout(dialog);
    layout->addWidget(text);
    layout->addWidget(buttons);
    dialog->resize(640, 360);
    dialog->show();
}

}  // namespace

QStringList RowMenuActions(const FileListView &list, int row)
{
    QStringList actions;
    const RowPhase phase = list.rowPhase(row);
    if (phase == RowPhase::Done && !list.rowReservedStem(row).isEmpty())
        actions << kOpenFolder;
    if (phase == RowPhase::Done || phase == RowPhase::Failed || phase == RowPhase::Stopped)
        actions << kConvertAgain;
    actions << kRemove;
    if (phase == RowPhase::Failed && !list.rowDetails(row).isEmpty())
        actions << kDetails;
    return actions;
}

void RunRowAction(FileListView &list, int row, const QString &action)
{
    if (row < 0 || row >= list.rowCount())
        return;
    if (action == kOpenFolder)
        OpenOnDesktop(QUrl::fromLocalFile(QFileInfo(list.rowReservedStem(row)).path()));
    else if (action == kConvertAgain)
        list.setRowState(list.idAt(row), {RowPhase::Waiting});
    else if (action == kRemove)
        list.deleteRow(row);
    else if (action == kDetails)
        ShowDetails(list.window(), list.rowText(row, ColPath), list.rowDetails(row));
}

void ShowRowMenu(FileListView &list, const QPoint &pos)
{
    const int row = list.rowAt(pos.y());
    if (row < 0)
        return;
    QMenu menu(&list);
    for (const QString &action : RowMenuActions(list, row))
        menu.addAction(action);
    if (const QAction *chosen = menu.exec(list.viewport()->mapToGlobal(pos)))
        RunRowAction(list, row, chosen->text());
}
