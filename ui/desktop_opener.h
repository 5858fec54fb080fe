#pragma once

#include <QUrl>
#include <functional>

// Hands a web address to the desktop's browser, or a local folder
// (QUrl::fromLocalFile) to its file manager. The result is not examined by
// the commands: a desktop without a browser simply opens nothing.
bool OpenOnDesktop(const QUrl &url);

// While a hook is installed, addresses go to it instead of the desktop (tests
// see what would be opened). An empty hook restores the desktop.
using DesktopOpenerHook = std::function<bool(const QUrl &url)>;
void SetDesktopOpenerHook(DesktopOpenerHook hook);
