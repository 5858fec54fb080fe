#pragma once

#include <QByteArray>

// The tools folder: the per-user data folder followed by "/Q9TBR/" (always
// ends in a separator). Filled once by the main window's initialisation before
// any tool runs; every tool command line starts with it.
extern QByteArray g_szToolDir;

// The per-user data folder ($XDG_DATA_HOME, default ~/.local/share) + "/Q9TBR/".
QByteArray DefaultToolDir();
