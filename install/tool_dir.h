#pragma once

#include <QByteArray>

// The tools folder: the per-user data folder followed by "/Q9TBR/" (always
// ends in a separator). Filled once by the main window's initialisation before
// any tool runs; every tool command line starts with it.
extern QByteArray g_szToolDir;

// The per-user data folder ($XDG_DATA_HOME, default ~/.local/share) + "/Q9TBR/".
QByteArray DefaultToolDir();

// The tools the program runs through the tools folder.
inline constexpr const char *kToolNames[] = {"mplayer", "mencoder", "ffmpeg", "ffprobe", "mp4creator", "pack3gp"};

// Whether `toolDir` holds every tool the program runs, each executable.
bool ToolDirComplete(const QByteArray &toolDir);

// Where the installed player, encoder and ffmpeg are found on the PATH (the
// encoder's folder, with a final separator), or empty when the encoder is
// found nowhere. For a tools folder that cannot be written.
QByteArray InstalledToolDir();
