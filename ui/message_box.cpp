#include "ui/message_box.h"

#include "res/resources.h"

#include <QApplication>
#include <QCoreApplication>
#include <QMessageBox>
#include <QPushButton>

namespace {

MessageBoxHook &messageBoxHook()
{
    static MessageBoxHook hook;
    return hook;
}

}  // namespace

void SetMessageBoxHook(MessageBoxHook hook)
{
    messageBoxHook() = std::move(hook);
}

QMessageBox *ShowMessageBox(const QString &text, const QString &caption)
{
    if (const MessageBoxHook &hook = messageBoxHook()) {
        hook(caption, text);
        return nullptr;
    }
    auto *box = new QMessageBox(QMessageBox::NoIcon, caption, text, QMessageBox::Ok, nullptr);
    box->setAttribute(Qt::WA_DeleteOnClose);
    const QIcon icon = AppIcon();
    box->setWindowIcon(icon);
    box->setIconPixmap(icon.pixmap(32, 32));
    box->button(QMessageBox::Ok)->setText(QCoreApplication::translate("MessageBox", "确定"));
    // A box without owner blocks nothing: the main window keeps working while
    // it is open. While a modal dialog runs (the settings dialog, say), a
    // window opened after it would be blocked by it, so then the box takes
    // its turn on top of that dialog instead.
    box->setWindowModality(QApplication::activeModalWidget() ? Qt::ApplicationModal : Qt::NonModal);
    box->show();
    box->raise();
    box->activateWindow();
    return box;
}
