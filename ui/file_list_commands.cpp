#include "ui/file_list_commands.h"

#include "catalogue/probe.h"
#include "res/control_ids.h"
#include "ui/file_list_view.h"
#include "ui/template_dialog.h"

#include <QCoreApplication>
#include <QDir>
#include <QFileDialog>
#include <QFileInfo>
#include <QRegularExpression>
#include <utility>

namespace {

FileChooser &ChooserHook()
{
    static FileChooser hook;
    return hook;
}

QStringList ChooseWithDialog(QWidget *parent)
{
    QFileDialog dialog(parent);
    ConfigureAddFileDialog(dialog);
    if (dialog.exec() != QDialog::Accepted)
        return {};
    return dialog.selectedFiles();
}

// The video files directly in a folder, sorted by name.
QStringList VideoFilesIn(const QString &folder)
{
    QStringList patterns;
    for (const QString &extension : VideoExtensions())
        patterns << QStringLiteral("*.") + extension;
    QDir dir(folder);
    dir.setNameFilters(patterns);
    dir.setFilter(QDir::Files | QDir::Hidden);
    dir.setSorting(QDir::Name);
    QStringList files;
    // QDir matches name filters without regard to case.
    for (const QString &name : dir.entryList())
        files << dir.filePath(name);
    return files;
}

}  // namespace

QStringList AddFileFilters()
{
    return {
        QCoreApplication::translate("MainDialog", "支持的视频格式") +
            QStringLiteral(" (*.MPG *.AVI *.RM *.RMVB *.3GP *.MP4 *.FLV *.MOV *.VOB *.DAT "
                           "*.DV *.WMV *.ASF *.3G2 *.MKV *.AVS *.RAM *.SWF *.3GPP)"),
        QCoreApplication::translate("MainDialog", "所有文件") + QStringLiteral(" (*)"),
    };
}

void ConfigureAddFileDialog(QFileDialog &dialog)
{
    dialog.setWindowTitle(QCoreApplication::translate("MainDialog", "请选视频影音文件"));
    // Qt's own dialog matches the upper-case patterns against names of any
    // case; a desktop's native dialog might not.
    dialog.setOption(QFileDialog::DontUseNativeDialog, true);
    dialog.setAcceptMode(QFileDialog::AcceptOpen);
    dialog.setFileMode(QFileDialog::ExistingFiles);
    dialog.setNameFilters(AddFileFilters());
    dialog.selectNameFilter(AddFileFilters().first());
}

QStringList VideoExtensions()
{
    static const QRegularExpression pattern(QStringLiteral("\\*\\.([0-9A-Za-z]+)"));
    QStringList extensions;
    for (const QRegularExpressionMatch &match : pattern.globalMatch(AddFileFilters().first()))
        extensions << match.captured(1).toLower();
    return extensions;
}

QStringList FilesToAdd(const QStringList &names, const QString &baseDir)
{
    const QDir base(baseDir.isEmpty() ? QDir::currentPath() : baseDir);
    QStringList files;
    for (const QString &name : names) {
        const QFileInfo info(base, name);
        if (info.isDir())
            files << VideoFilesIn(info.absoluteFilePath());
        else if (info.exists())
            files << info.absoluteFilePath();
    }
    return files;
}

void SetFileChooser(FileChooser chooser)
{
    ChooserHook() = std::move(chooser);
}

QStringList ChooseFilesToAdd(QWidget *parent)
{
    const FileChooser &hook = ChooserHook();
    return hook ? hook(parent) : ChooseWithDialog(parent);
}

void AddFiles(const std::shared_ptr<DialogPort> &port, const QStringList &paths)
{
    for (const QString &path : paths)
        StartProbe(port, path);
}

void DeleteMarkedRow(TemplateDialog &dialog)
{
    FileListView *list = dialog.controlAs<FileListView>(IdFileList);
    const int row = list ? list->selectionMark() : -1;
    if (row >= 0)
        list->deleteRow(row);
}
