#include "ui/file_list_commands.h"

#include "catalogue/probe.h"
#include "res/control_ids.h"
#include "ui/file_list_view.h"
#include "ui/main_dialog.h"

#include <QFileDialog>
#include <QFileInfo>
#include <utility>

namespace {

FileChooser &ChooserHook()
{
    static FileChooser hook;
    return hook;
}

QString ChooseWithDialog(QWidget *parent)
{
    QFileDialog dialog(parent);
    ConfigureAddFileDialog(dialog);
    if (dialog.exec() != QDialog::Accepted)
        return {};
    const QStringList chosen = dialog.selectedFiles();
    return chosen.isEmpty() ? QString() : chosen.first();
}

}  // namespace

QStringList AddFileFilters()
{
    return {
        QStringLiteral("支持的视频格式 (*.MPG *.AVI *.RM *.RMVB *.3GP *.MP4 *.FLV *.MOV *.VOB *.DAT "
                       "*.DV *.WMV *.ASF *.3G2 *.MKV *.AVS *.RAM *.SWF *.3GPP)"),
        QStringLiteral("所有文件 (*)"),
    };
}

void ConfigureAddFileDialog(QFileDialog &dialog)
{
    dialog.setWindowTitle(QStringLiteral("请选视频影音文件"));
    // Qt's own dialog matches the upper-case patterns against names of any
    // case; a desktop's native dialog might not.
    dialog.setOption(QFileDialog::DontUseNativeDialog, true);
    dialog.setAcceptMode(QFileDialog::AcceptOpen);
    dialog.setFileMode(QFileDialog::ExistingFile);
    dialog.setNameFilters(AddFileFilters());
    dialog.selectNameFilter(AddFileFilters().first());
}

void SetFileChooser(FileChooser chooser)
{
    ChooserHook() = std::move(chooser);
}

void AddChosenFile(MainDialog &dialog)
{
    const FileChooser &hook = ChooserHook();
    const QString path = hook ? hook(&dialog) : ChooseWithDialog(&dialog);
    if (!path.isEmpty())
        dialog.addFile(path);
}

void AddDroppedFiles(MainDialog &dialog, const QStringList &paths)
{
    if (paths.isEmpty())
        return;
    const QFileInfo info(paths.first());
    if (info.exists() && !info.isDir())
        dialog.addFile(paths.first());
}

void DeleteMarkedRow(MainDialog &dialog)
{
    FileListView *list = dialog.controlAs<FileListView>(IdFileList);
    const int row = list ? list->selectionMark() : -1;
    if (row >= 0)
        list->deleteRow(row);
}

void MainDialog::OnAddFile()
{
    AddChosenFile(*this);
}

void MainDialog::OnDropFiles(const QStringList &paths)
{
    AddDroppedFiles(*this, paths);
}

void MainDialog::OnDeleteFile()
{
    DeleteMarkedRow(*this);
}

void MainDialog::addFile(const QString &path)
{
    StartProbe(m_port, path);
}
