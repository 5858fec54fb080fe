#include "ui/question_box.h"

#include "res/resources.h"

#include <QCoreApplication>
#include <QMessageBox>
#include <QPushButton>

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
    // The program speaks Chinese everywhere; Qt's own button texts would not.
    box.button(QMessageBox::Yes)->setText(QCoreApplication::translate("MessageBox", "是(&Y)"));
    box.button(QMessageBox::No)->setText(QCoreApplication::translate("MessageBox", "否(&N)"));
    box.setDefaultButton(QMessageBox::No);
    box.setEscapeButton(QMessageBox::No);
    return box.exec() == QMessageBox::Yes;
}
