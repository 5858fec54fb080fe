#pragma once

#include "engine/output_presets.h"

#include <QString>
#include <QStringList>
#include <QTime>

// Every extension a row's steps write or delete next to its stem.
const QStringList &RowFileExtensions();

// Extension of the encoder's output: ".avi" for MP4 and 3GP (an intermediate),
// ".flv" for FLV (the final file).
QString EncoderOutputExtension(OutputFormat format);

// The path up to, not including, its last '.'; the whole path when it has none.
QString OutputStem(const QString &path);

// `folder` (ending in '/') + the time as "hh-mm-ss" + the format's extension.
// No file is ever overwritten: when that name, or any file the row may make or
// delete beside it (.avi .flv .3gp .mp4 .m4v .aac .264 .mkv), exists already, the
// stem gets "-2", "-3" ... until every one of them is free.
QString MakeOutputFileName(const QString &folder, OutputFormat format, const QTime &localTime);

// Whether `path` is a file holding at least one byte.
bool FileHasContent(const QString &path);
