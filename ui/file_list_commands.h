#pragma once

#include <QString>
#include <QStringList>
#include <functional>

class QFileDialog;
class QWidget;

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
