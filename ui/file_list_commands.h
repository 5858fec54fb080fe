#pragma once

#include <QString>
#include <QStringList>
#include <functional>

class MainDialog;
class QFileDialog;
class QWidget;

// The commands of the file list, as MainDialog's add and delete buttons and
// its drop handler run them.

// Add: asks for a file and starts its probe; a cancel adds nothing.
void AddChosenFile(MainDialog &dialog);

// Drop: only the first dropped name counts; a folder or a missing name is ignored.
void AddDroppedFiles(MainDialog &dialog, const QStringList &paths);

// Delete: one row per press, the one at which the latest selection started,
// even when several rows are selected.
void DeleteMarkedRow(MainDialog &dialog);

// The add command's file dialog: the title, the two filter entries (supported
// video formats, preselected, and all files) and one existing file to choose.
// The dialog is Qt's own, whose filters match names without regard to case.
void ConfigureAddFileDialog(QFileDialog &dialog);
QStringList AddFileFilters();

// Asks for one file to add; an empty text when the user cancels.
using FileChooser = std::function<QString(QWidget *parent)>;
// Replaces the file dialog, so tests can answer without a window; an empty
// function brings the dialog back.
void SetFileChooser(FileChooser chooser);
