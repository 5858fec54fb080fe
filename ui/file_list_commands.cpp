#include "ui/file_list_commands.h"

#include "catalogue/probe.h"
#include "res/control_ids.h"
#include "ui/file_list_view.h"
#include "ui/template_dialog.h"

#include <QCoreApplication>
#include <QDir>
#include <QFileDialog>
#include <QFileInfo>
#include <QLabel>
#include <QRegularExpression>
#include <QSet>
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

// Natural order: runs of digits compare as numbers ("clip2" before
// "clip10"), the rest without regard to case. (The collator's numeric mode
// depends on the locale the program runs in; this does not.)
bool NaturallyBefore(const QString &a, const QString &b)
{
    qsizetype i = 0, j = 0;
    while (i < a.size() && j < b.size()) {
        if (a[i].isDigit() && b[j].isDigit()) {
            qsizetype iEnd = i, jEnd = j;
            while (iEnd < a.size() && a[iEnd].isDigit())
                ++iEnd;
            while (jEnd < b.size() && b[jEnd].isDigit())
                ++jEnd;
            const QStringView x = QStringView(a).mid(i, iEnd - i), y = QStringView(b).mid(j, jEnd - j);
            // Compare by value: fewer significant digits is smaller.
            qsizetype xi = 0, yi = 0;
            while (xi + 1 < x.size() && x[xi] == u'0')
                ++xi;
            while (yi + 1 < y.size() && y[yi] == u'0')
                ++yi;
            const QStringView xv = x.mid(xi), yv = y.mid(yi);
            if (xv.size() != yv.size())
                return xv.size() < yv.size();
            if (const int c = xv.compare(yv); c != 0)
                return c < 0;
            i = iEnd;
            j = jEnd;
            continue;
        }
        const QChar x = a[i].toCaseFolded(), y = b[j].toCaseFolded();
        if (x != y)
            return x < y;
        ++i;
        ++j;
    }
    if (a.size() - i != b.size() - j)
        return a.size() - i < b.size() - j;
    return a < b;
}

void SortNaturally(QStringList &names)
{
    std::stable_sort(names.begin(), names.end(), NaturallyBefore);
}

// Gathers a folder's video files, then those of its sub-folders, each level in
// natural order, up to `limit` files. A folder reached again (a link that loops
// back) is not walked twice. True when the limit cut the list.
bool GatherVideoFiles(const QString &folder, int limit, QSet<QString> &visited, QStringList &files)
{
    const QString canonical = QFileInfo(folder).canonicalFilePath();
    if (canonical.isEmpty() || visited.contains(canonical))
        return false;
    visited.insert(canonical);

    QStringList patterns;
    for (const QString &extension : VideoExtensions())
        patterns << QStringLiteral("*.") + extension;
    QDir dir(folder);
    // QDir matches name filters without regard to case.
    QStringList names = dir.entryList(patterns, QDir::Files | QDir::Hidden);
    SortNaturally(names);
    for (const QString &name : std::as_const(names)) {
        if (files.size() >= limit)
            return true;
        files << dir.filePath(name);
    }
    QStringList folders = dir.entryList(QDir::Dirs | QDir::NoDotAndDotDot | QDir::Hidden);
    SortNaturally(folders);
    for (const QString &name : std::as_const(folders)) {
        if (GatherVideoFiles(dir.filePath(name), limit, visited, files))
            return true;
    }
    return false;
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

QStringList FilesToAdd(const QStringList &names, const QString &baseDir, bool *cut)
{
    const QDir base(baseDir.isEmpty() ? QDir::currentPath() : baseDir);
    QStringList files;
    QSet<QString> visited;
    bool wasCut = false;
    for (const QString &name : names) {
        const QFileInfo info(base, name);
        if (!info.exists())
            continue;
        if (files.size() >= kMaxFilesPerAdd) {
            wasCut = true;
            break;
        }
        if (!info.isDir())
            files << info.absoluteFilePath();
        else if (GatherVideoFiles(info.absoluteFilePath(), kMaxFilesPerAdd, visited, files))
            wasCut = true;
    }
    if (cut)
        *cut = wasCut;
    return files;
}

void AddDroppedFiles(TemplateDialog &dialog, const std::shared_ptr<DialogPort> &port, const QStringList &names)
{
    bool cut = false;
    AddFiles(port, FilesToAdd(names, QString(), &cut));
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
        StartProbe(port, path);
}

void DeleteMarkedRow(TemplateDialog &dialog)
{
    FileListView *list = dialog.controlAs<FileListView>(IdFileList);
    const int row = list ? list->selectionMark() : -1;
    if (row >= 0)
        list->deleteRow(row);
}
