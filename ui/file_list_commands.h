#pragma once

#include <QString>
#include <QStringList>
#include <functional>

class MainDialog;
class QFileDialog;
class QWidget;

// The commands of the file list, as MainDialog's add and delete buttons and
// its drop handler run them.

// Add: asks for files and starts their probes in the order chosen; a cancel
// adds nothing.
void AddChosenFiles(MainDialog &dialog);

// Drop: every dropped file in the order of the drop; a folder brings its video
// files (FilesToAdd); a missing name is ignored.
void AddDroppedFiles(MainDialog &dialog, const QStringList &paths);

// Delete: one row per press, the one at which the latest selection started,
// even when several rows are selected.
void DeleteMarkedRow(MainDialog &dialog);

// The add command's file dialog: the title, the two filter entries (supported
// video formats, preselected, and all files) and one or more existing files to
// choose. The dialog is Qt's own, whose filters match names without regard to
// case.
void ConfigureAddFileDialog(QFileDialog &dialog);
QStringList AddFileFilters();

// The extensions of the supported-formats filter, lower case, without the dot.
QStringList VideoExtensions();

// What a drop or a command line adds, in the given order: each existing file
// as it is, each folder's video files (VideoExtensions, any case; not its
// sub-folders) sorted by name; missing names are left out. Relative names are
// taken from `baseDir`.
QStringList FilesToAdd(const QStringList &names, const QString &baseDir = QString());

// Asks for the files to add; an empty list when the user cancels.
using FileChooser = std::function<QStringList(QWidget *parent)>;
// Replaces the file dialog, so tests can answer without a window; an empty
// function brings the dialog back.
void SetFileChooser(FileChooser chooser);
