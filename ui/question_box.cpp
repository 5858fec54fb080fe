#include "ui/question_box.h"

#include "res/resources.h"

#include <QMessageBox>

namespace {

QuestionHook &questionHook()
{
    static QuestionHook hook;
    return hook;
}

}  // namespace

void SetQuestionHook(QuestionHook hook)
{
    questionHook() = std::move(hook);
}

bool AskYesNo(QWidget *parent, const QString &text)
{
    if (const QuestionHook &hook = questionHook())
        return hook(text);
    QMessageBox box(QMessageBox::Question, QStringLiteral("Q9Plemo"), text, QMessageBox::Yes | QMessageBox::No, parent);
    box.setWindowIcon(AppIcon());
    box.setDefaultButton(QMessageBox::No);
    box.setEscapeButton(QMessageBox::No);
    return box.exec() == QMessageBox::Yes;
}
