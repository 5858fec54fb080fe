#include "ui/row_menu.h"

#include "ui/desktop_opener.h"
#include "ui/file_list_view.h"

#include <QCoreApplication>
#include <QDialog>
#include <QDialogButtonBox>
#include <QFileInfo>
#include <QMenu>
#include <QPlainTextEdit>
#include <QPushButton>
#include <QUrl>
#include <QVBoxLayout>

namespace {

// The menu's items in the user's language (the translator is installed after
// static initialisation, so they are looked up when used).
QString MenuText(const char *source)
{
    return QCoreApplication::translate("RowMenu", source);
}
QString OpenFolderText()
{
    return MenuText(QT_TRANSLATE_NOOP("RowMenu", "打开所在文件夹"));
}
QString ConvertAgainText()
{
    return MenuText(QT_TRANSLATE_NOOP("RowMenu", "重新转换"));
}
QString RemoveText()
{
    return MenuText(QT_TRANSLATE_NOOP("RowMenu", "移除"));
}
QString DetailsText()
{
    return MenuText(QT_TRANSLATE_NOOP("RowMenu", "查看详情"));
}

// A read-only box whose text can be selected and copied.
void ShowDetails(QWidget *parent, const QString &path, const QString &details)
{
    auto *dialog = new QDialog(parent);
    dialog->setAttribute(Qt::WA_DeleteOnClose);
    dialog->setWindowTitle(DetailsText() + QStringLiteral(" - ") + QFileInfo(path).fileName());
    auto *text = new QPlainTextEdit(details, dialog);
    text->setReadOnly(true);
    text->setLineWrapMode(QPlainTextEdit::NoWrap);
    auto *buttons = new QDialogButtonBox(QDialogButtonBox::Close, dialog);
    buttons->button(QDialogButtonBox::Close)->setText(MenuText(QT_TRANSLATE_NOOP("RowMenu", "关闭")));
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
    if (phase == RowPhase::Done && !list.rowOutputFile(row).isEmpty())
        actions << OpenFolderText();
    if (phase == RowPhase::Done || phase == RowPhase::Failed || phase == RowPhase::Stopped)
        actions << ConvertAgainText();
    actions << RemoveText();
    if (phase == RowPhase::Failed && !list.rowDetails(row).isEmpty())
        actions << DetailsText();
    return actions;
}

void RunRowAction(FileListView &list, int row, const QString &action)
{
    if (row < 0 || row >= list.rowCount())
        return;
    if (action == OpenFolderText())
        OpenOnDesktop(QUrl::fromLocalFile(QFileInfo(list.rowOutputFile(row)).path()));
    else if (action == ConvertAgainText())
        list.setRowState(list.idAt(row), {RowPhase::Waiting});
    else if (action == RemoveText())
        list.deleteRow(row);
    else if (action == DetailsText())
        ShowDetails(list.window(), list.rowPath(row), list.rowDetails(row));
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
