#pragma once

#include "engine/output_report.h"

#include <QString>

// What the ISO media file (3GP, MP4) at `path` holds, read from its own index
// without a tool: the sample entry of its first picture and first sound track
// (codec, picture size, channels, sampling rate), the picture's mean rate, the
// length and the file's size (not where the index is). Codecs are named
// as the read-back names them ("h263", "mpeg4", "amr_nb", "aac"); no profile
// is read. Not readable when the file has no index or no track.
OutputFacts ReadIsoFacts(const QString &path);
