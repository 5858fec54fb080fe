#pragma once

#include <QByteArray>

// Writes one tool into `toolDir` (selector 2 = ffmpeg with ffprobe, 3 = mencoder,
// 4 = the muxers mp4creator and pack3gp, 5 = mplayer): creates the folder when missing, then the file
// (created or truncated, whole content, then made executable). 1 when written,
// 0 when the selector is unknown or the file cannot be written (it is then
// left as it was).
int ExtractTool(const QByteArray &toolDir, int selector);

// Creates `toolDir` + "Codecs/". The installed tools decode everything with
// their own built-in decoders, so no library is written: returns 0.
int ExtractCodec(const QByteArray &toolDir, int selector);

// Writes every tool (selectors 2 to 5) and the codecs folder into `toolDir`, as
// the window's start does; true when every tool was written.
bool InstallTools(const QByteArray &toolDir);
