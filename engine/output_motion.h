#pragma once

#include "engine/picture_motion.h"
#include "process/tool_watchdog.h"

#include <QByteArray>
#include <QString>
#include <optional>

// The play time ffmpeg reads from `path`'s header; nothing when it finds none.
std::optional<double> MediaSeconds(const QByteArray &toolDir, const QString &path, const ToolWatchdog::Limits &limits);

// Small grey thumbnails (32x24, one byte per pixel) of `path`'s picture at a
// quarter and at three quarters of `seconds`, made by one run of ffmpeg;
// empty when they could not be made.
MotionSample SampleMotion(const QByteArray &toolDir, const QString &path, double seconds,
                          const ToolWatchdog::Limits &limits);

// Whether the converted `output` shows one still picture where `source`
// moves. The source's probed length places the thumbnails; when it is not
// known, the output's own length does. `sourceBroken`: the source's decoding
// failed for much of it (see PictureStaysStill).
bool OutputPictureFroze(const QByteArray &toolDir, const QString &source, const QString &output,
                        std::optional<double> sourceSeconds, bool sourceBroken, const ToolWatchdog::Limits &limits);
