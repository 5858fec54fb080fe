#pragma once

#include <QStringList>

// Looks for a running instance's marked window; when there is one, hands it
// `files` to add, asks it to show, restore and activate itself and returns
// true (this process then ends without a window).
bool HandOverToRunningInstance(const QStringList &files);
