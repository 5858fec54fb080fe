#pragma once

#include <QString>
#include <functional>

class QMessageBox;

// The program's message box: one OK button, no owner window, the application
// icon as its picture. It does not block: the call returns at once with the
// open box (which deletes itself when closed), and the main window stays
// usable while it is open.
QMessageBox *ShowMessageBox(const QString &text, const QString &caption = QStringLiteral("Q9Plemo"));

// While a hook is installed, messages go to it instead of a box (tests record
// them this way; ShowMessageBox then returns nullptr). An empty hook restores
// the box.
using MessageBoxHook = std::function<void(const QString &caption, const QString &text)>;
void SetMessageBoxHook(MessageBoxHook hook);
