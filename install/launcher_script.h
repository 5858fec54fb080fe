#pragma once

#include <QByteArray>

// The text of a launcher that hands every argument, unchanged, to the program
// at `programPath`: "#!/bin/sh", then `exec` of that path (quoted for the
// shell whatever bytes it holds) with "$@".
QByteArray LauncherScript(const QByteArray &programPath);
