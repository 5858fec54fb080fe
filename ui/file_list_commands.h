#pragma once

#include "catalogue/source_files.h"

#include <QByteArray>
#include <QString>
#include <QStringList>
#include <functional>
#include <memory>

class DialogPort;
class TemplateDialog;
class QFileDialog;
class QMimeData;
class QWidget;

// The commands of the file list, as MainDialog's add and delete buttons and
// its drop handler run them.

// Add: asks for files (FileChooser); the files chosen, none after a cancel.
QStringList ChooseFilesToAdd(QWidget *parent);

// Starts a probe for each file, in the given order (add, drop, the command
// line, files handed over by a second start). A drop's names go through
// FilesToAdd first: a folder brings its video files, a missing name nothing.
void AddFiles(const std::shared_ptr<DialogPort> &port, const QStringList &paths);
// The same for files named by their bytes, each with where its output goes.
void AddFiles(const std::shared_ptr<DialogPort> &port, const QList<AddedFile> &files);

// Delete: one row per press, the one at which the latest selection started,
// even when several rows are selected.
void DeleteMarkedRow(TemplateDialog &dialog);

// The add command's file dialog: the title, the two filter entries (supported
// video formats, preselected, and all files) and one or more existing files to
// choose. The dialog is Qt's own, whose filters match names without regard to
// case.
void ConfigureAddFileDialog(QFileDialog &dialog);
QStringList AddFileFilters();

// The extensions of the supported-formats filter, lower case, without the dot.
QStringList VideoExtensions();

// What a drop or a command line adds, in the given order: each existing file
// as it is, each folder's video files (VideoExtensions, any case) and those of
// its sub-folders, in natural order, links that loop back not followed, each
// with its place below a folder named after the folder added; missing names
// are left out. Relative names are taken from `baseDir`. At most
// kMaxFilesPerAdd files; `cut` tells whether there were more.
inline constexpr int kMaxFilesPerAdd = 2000;
QList<AddedFile> SourcesToAdd(const QList<QByteArray> &names, const QByteArray &baseDir = {}, bool *cut = nullptr);
// The same for names given as text, giving the files' paths as shown.
QStringList FilesToAdd(const QStringList &names, const QString &baseDir = QString(), bool *cut = nullptr);

// A drop: adds what FilesToAdd finds and says so in the status line when the
// limit cut it short.
void AddDroppedFiles(TemplateDialog &dialog, const std::shared_ptr<DialogPort> &port, const QList<QByteArray> &names);

// The local files a drop names, as their bytes.
QList<QByteArray> DroppedNames(const QMimeData &data);

// Asks for the files to add; an empty list when the user cancels.
using FileChooser = std::function<QStringList(QWidget *parent)>;
// Replaces the file dialog, so tests can answer without a window; an empty
// function brings the dialog back.
void SetFileChooser(FileChooser chooser);
