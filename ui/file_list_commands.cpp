#include "ui/file_list_commands.h"

#include "catalogue/probe.h"
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

} // namespace

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

void SetFileChooser(FileChooser chooser) { ChooserHook() = std::move(chooser); }

void MainDialog::OnAddFile()
{
    const FileChooser &hook = ChooserHook();
    const QString path = hook ? hook(this) : ChooseWithDialog(this);
    if (!path.isEmpty())
        addFile(path);
}

void MainDialog::OnDropFiles(const QStringList &paths)
{
    // Only the first dropped name counts; a folder or a missing name is ignored.
    if (paths.isEmpty())
        return;
    const QFileInfo info(paths.first());
    if (info.exists() && !info.isDir())
        addFile(paths.first());
}

void MainDialog::OnDeleteFile()
{
    // One row per press: the one at which the latest selection started, even
    // when several rows are selected.
    const int row = m_fileList ? m_fileList->selectionMark() : -1;
    if (row >= 0)
        m_fileList->deleteRow(row);
}

void MainDialog::addFile(const QString &path) { StartProbe(m_port, path); }
