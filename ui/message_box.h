#pragma once

#include <QString>
#include <functional>

// The program's message box: one OK button, no owner window (so the main
// window stays usable), the application icon as its picture. Returns when the
// box is closed.
void ShowMessageBox(const QString &text, const QString &caption = QStringLiteral("Q9Plemo"));

// While a hook is installed, messages go to it instead of a modal box (tests
// record them this way). An empty hook restores the box.
using MessageBoxHook = std::function<void(const QString &caption, const QString &text)>;
void SetMessageBoxHook(MessageBoxHook hook);
