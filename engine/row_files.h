#pragma once

#include <QString>
#include <QtGlobal>

// The files one row makes all share the stem its name reservation chose (no
// file with that stem and any of the row's extensions existed before), so
// they are the row's own to remove. mp4creator's temporary file is named after
// the MP4 it makes.

// Removes every file of the row with this stem (the encoder's output, the
// intermediates, the raw streams, the muxer's temporaries) except `keep`.
void RemoveRowFiles(const QString &stem, const QString &keep = {});

// A value that changes whenever one of the row's files grows, shrinks or is
// written: a sign of life of a tool that prints nothing while it works.
qint64 RowFilesFingerprint(const QString &stem);

// The folder exists and this user may create files in it.
bool FolderWritable(const QString &folder);

// The volume holding `path` has (next to) no room left.
bool VolumeFull(const QString &path);
