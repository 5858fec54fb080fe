#pragma once

#include <QByteArray>
#include <QString>

#include <optional>

// Runs the tools folder's ffprobe with `parameters` (which end in the quoted
// `path`) under a deadline and returns what it printed. Empty when it could not
// be started or was stuck; the log then says so, and `consequence` says what
// the caller does without it.
std::optional<QByteArray> ReadWithFfprobe(const QByteArray &toolDir, const QByteArray &parameters, const QString &path,
                                          const char *consequence);
