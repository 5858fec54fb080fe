#include "ui/desktop_opener.h"

#include <QDesktopServices>

static DesktopOpenerHook &openerHook()
{
    static DesktopOpenerHook hook;
    return hook;
}

void SetDesktopOpenerHook(DesktopOpenerHook hook)
{
    openerHook() = std::move(hook);
}

bool OpenOnDesktop(const QUrl &url)
{
    if (const DesktopOpenerHook &hook = openerHook())
        return hook(url);
    return QDesktopServices::openUrl(url);
}
