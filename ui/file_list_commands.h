#pragma once

#include <QString>
#include <QStringList>
#include <functional>

class QFileDialog;
class QWidget;

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
