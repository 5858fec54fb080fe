#pragma once

#include <QByteArray>
#include <QString>

#include <optional>

// Runs the tools folder's `tool` (a reader: ffprobe, or mp4creator's listing)
// with `parameters` (which end in the quoted `path`) under a deadline and
// returns what it printed. Empty when it could not be started or was stuck;
// the log then says so, and `consequence` says what the caller does without it.
// `exitCode`, when given, gets the tool's exit status (-1 when a signal ended it).
std::optional<QByteArray> ReadWithTool(const QByteArray &toolDir, const char *tool, const QByteArray &parameters,
                                       const QString &path, const char *consequence, int *exitCode = nullptr);

// The same, with ffprobe.
std::optional<QByteArray> ReadWithFfprobe(const QByteArray &toolDir, const QByteArray &parameters, const QString &path,
                                          const char *consequence);
