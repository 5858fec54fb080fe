#include "ui/file_list_commands.h"

#include "catalogue/probe.h"
#include "catalogue/source_name.h"
#include "res/control_ids.h"
#include "ui/file_list_view.h"
#include "ui/template_dialog.h"

#include <QCoreApplication>
#include <QDir>
#include <QFileDialog>
#include <QFileInfo>
#include <QLabel>
#include <QMimeData>
#include <QRegularExpression>
#include <QUrl>
#include <algorithm>
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

QList<AddedFile> SourcesToAdd(const QList<QByteArray> &names, const QByteArray &baseDir, bool *cut)
{
    return GatherSourceFiles(names, baseDir, VideoExtensions(), kMaxFilesPerAdd, cut);
}

QStringList FilesToAdd(const QStringList &names, const QString &baseDir, bool *cut)
{
    QList<QByteArray> bytes;
    for (const QString &name : names)
        bytes << NameBytes(name);
    QStringList files;
    for (const AddedFile &file : SourcesToAdd(bytes, NameBytes(baseDir), cut))
        files << ShownName(file.path);
    return files;
}

void AddDroppedFiles(TemplateDialog &dialog, const std::shared_ptr<DialogPort> &port, const QList<QByteArray> &names)
{
    bool cut = false;
    AddFiles(port, SourcesToAdd(names, QByteArray(), &cut));
    if (cut) {
        if (auto *status = dialog.controlAs<QLabel>(IdStatusLine))
            status->setText(QCoreApplication::translate("MainDialog", "一次最多添加 %1 个文件，其余的文件没有添加。")
                                .arg(kMaxFilesPerAdd));
    }
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
        StartProbe(port, NameBytes(path));
}

void AddFiles(const std::shared_ptr<DialogPort> &port, const QList<AddedFile> &files)
{
    for (const AddedFile &file : files)
        StartProbe(port, file.path, file.subfolder);
}

void DeleteMarkedRow(TemplateDialog &dialog)
{
    FileListView *list = dialog.controlAs<FileListView>(IdFileList);
    const int row = list ? list->selectionMark() : -1;
    if (row >= 0)
        list->deleteRow(row);
}

QList<QByteArray> DroppedNames(const QMimeData &data)
{
    // The list of addresses as dropped: a name that is not UTF-8 stays
    // percent-encoded there, so its bytes come through whole.
    QList<QByteArray> names;
    const QByteArray list = data.data(QStringLiteral("text/uri-list"));
    for (QByteArray line : list.split('\n')) {
        line = line.trimmed();
        if (line.isEmpty() || line.startsWith('#') || !line.startsWith("file:"))
            continue;
        QByteArray path = line.mid(5);
        if (path.startsWith("//")) {
            // file://host/path: only this machine's files.
            const qsizetype slash = path.indexOf('/', 2);
            const QByteArray host = path.mid(2, slash < 0 ? -1 : slash - 2);
            if (slash < 0 || (!host.isEmpty() && host != "localhost"))
                continue;
            path = path.mid(slash);
        }
        names << QByteArray::fromPercentEncoding(path);
    }
    if (names.isEmpty()) {
        for (const QUrl &url : data.urls()) {
            if (url.isLocalFile())
                names << NameBytes(url.toLocalFile());
        }
    }
    return names;
}
