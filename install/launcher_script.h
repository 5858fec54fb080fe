#pragma once

#include <QByteArray>

// The text of a launcher that hands every argument, unchanged, to the program
// at `programPath`: "#!/bin/sh", then `exec` of that path (quoted for the
// shell whatever bytes it holds) with "$@". With a `libraryDir`, the program
// finds its shared libraries there before anywhere else.
QByteArray LauncherScript(const QByteArray &programPath, const QByteArray &libraryDir = {});
