#pragma once

#include "engine/output_presets.h"

#include <QString>
#include <QStringList>
#include <QtGlobal>

// The files one row makes all share the stem its name reservation chose (no
// file with that stem and any of the row's extensions existed before), so
// they are the row's own to remove. Every one of them has a name made from
// the stem alone, known before the row starts: the row's files are named,
// never searched for, so a stem holding '*', '?' or '[' means only itself.

// The hidden file a packer writes `finalFile` into and renames over it at the
// end: "DIR/.NAME.part", NAME the final file's name.
QString PackerTempPath(const QString &finalFile);

// The copy of a source with frames at varying intervals, made for the encoder.
QString TimedCopyPath(const QString &stem);

// Every path a row with this stem may create converting to `format`: the
// encoder's output, the timed copy of the source, and for a format packed
// after the encoder the final file and its packer's temporary.
QStringList RowFilePaths(const QString &stem, OutputFormat format);

// Every path a row with this stem may have made in any format (the raw
// streams of older versions too), for a stem whose format is not known.
QStringList AllRowFilePaths(const QString &stem);

// Removes the files `paths` names, except `keep`.
void RemoveRowFiles(const QStringList &paths, const QString &keep = {});
// Removes every file of the row with this stem (AllRowFilePaths) except `keep`.
void RemoveRowFiles(const QString &stem, const QString &keep = {});

// A value that changes whenever one of the files `paths` names appears,
// grows, shrinks or is written: a sign of life of a tool that prints nothing
// while it works.
qint64 RowFilesFingerprint(const QStringList &paths);

// The folder exists and this user may create files in it.
bool FolderWritable(const QString &folder);

// The volume holding `path` has (next to) no room left.
bool VolumeFull(const QString &path);
