#include "ui/file_list_commands.h"

#include "catalogue/probe.h"
#include "ui/file_list_view.h"
#include "ui/main_dialog.h"

#include <QFileDialog>
#include <QDir>
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

void SetFileChooser(FileChooser chooser) { ChooserHook() = std::move(chooser); }

void MainDialog::OnAddFile()
{
    const FileChooser &hook = ChooserHook();
    addFiles(hook ? hook(this) : ChooseWithDialog(this));
}

void MainDialog::OnDropFiles(const QStringList &paths)
{
    // Every dropped file in the order of the drop; a folder brings its video
    // files; a missing name is ignored.
    addFiles(FilesToAdd(paths));
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

void MainDialog::addFiles(const QStringList &paths)
{
    for (const QString &path : paths)
        addFile(path);
}
