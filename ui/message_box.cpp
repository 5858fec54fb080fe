#include "ui/message_box.h"

#include "res/resources.h"

#include <QMessageBox>
#include <QPushButton>

static MessageBoxHook &messageBoxHook()
{
    static MessageBoxHook hook;
    return hook;
}

void SetMessageBoxHook(MessageBoxHook hook)
{
    messageBoxHook() = std::move(hook);
}

void ShowMessageBox(const QString &text, const QString &caption)
{
    if (const MessageBoxHook &hook = messageBoxHook()) {
        hook(caption, text);
        return;
    }
    QMessageBox box(QMessageBox::NoIcon, caption, text, QMessageBox::Ok, nullptr);
    const QIcon icon = AppIcon();
    box.setWindowIcon(icon);
    box.setIconPixmap(icon.pixmap(32, 32));
    box.button(QMessageBox::Ok)->setText(QStringLiteral("确定"));
    box.exec();
}
