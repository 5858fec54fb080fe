#pragma once

#include "engine/output_presets.h"

#include <QString>
#include <QtGlobal>

// The files one row makes all share the stem its name reservation chose (no
// file with that stem and any of the row's format's extensions existed
// before), so they are the row's own to remove. The packers' temporary files
// are named after the MP4 or 3GP they make. Files of the stem with another
// format's final extension are other rows' outputs and are never touched.

// Removes every file a row of `format` makes with this stem (the encoder's
// output, the timed copy, the final file, the packers' temporaries) except
// `keep`.
void RemoveRowFiles(const QString &stem, OutputFormat format, const QString &keep = {});

// Removes what the row that reserved `reserved` left: a row's final file path
// (stem and the format's final extension) as the worker reports it, or a bare
// stem, as queues of earlier versions hold it, whose row may have been of any
// format (that stem was free of every format's files when it was taken).
void RemoveReservedRowFiles(const QString &reserved);

// A value that changes whenever one of the row's files grows, shrinks or is
// written: a sign of life of a tool that prints nothing while it works.
qint64 RowFilesFingerprint(const QString &stem);

// The folder exists and this user may create files in it.
bool FolderWritable(const QString &folder);

// The volume holding `path` has (next to) no room left.
bool VolumeFull(const QString &path);
