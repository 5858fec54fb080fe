#pragma once

#include <QString>
#include <functional>

class QWidget;

// Asks a yes/no question in a box over `parent` (the caption "Q9Plemo", the
// application icon, "No" preselected, so a stray Enter answers no). True for
// yes; returns when the box is closed.
bool AskYesNo(QWidget *parent, const QString &text);

// While a hook is installed, questions go to it instead of a box (tests answer
// them this way). An empty hook restores the box.
using QuestionHook = std::function<bool(const QString &text)>;
void SetQuestionHook(QuestionHook hook);
