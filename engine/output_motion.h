#pragma once

#include "engine/picture_motion.h"
#include "engine/tool_watchdog.h"

#include <QByteArray>
#include <QString>
#include <optional>

// A small grey thumbnail (32x24, one byte per pixel) of `path`'s picture at
// `seconds`, made by ffmpeg; empty when it could not be made.
QByteArray GrayThumbnail(const QByteArray &toolDir, const QString &path, double seconds,
                         const ToolWatchdog::Limits &limits);

// The play time ffmpeg reads from `path`'s header; nothing when it finds none.
std::optional<double> MediaSeconds(const QByteArray &toolDir, const QString &path, const ToolWatchdog::Limits &limits);

// Thumbnails of `path` at a quarter and three quarters of `seconds`.
MotionSample SampleMotion(const QByteArray &toolDir, const QString &path, double seconds,
                          const ToolWatchdog::Limits &limits);

// Whether the converted `output` shows one still picture where `source`
// moves. The source's probed length places the thumbnails; when it is not
// known, the output's own length does.
bool OutputPictureFroze(const QByteArray &toolDir, const QString &source, const QString &output,
                        std::optional<double> sourceSeconds, const ToolWatchdog::Limits &limits);
