#pragma once

#include "catalogue/source_picture.h"

#include <QByteArray>
#include <QString>
#include <optional>

// The look at an ISO media source (MP4, MOV, 3GP, M4V) read from its own
// index instead of by ffprobe, for H.264 pictures, the kind phones and most
// cameras record: the turn from the track's and the movie's display matrices,
// the size from the stream's parameter set, the pixel shape from the 'pasp'
// box or else the parameter set, the colours from the parameter set or else
// the 'colr' box. That is what ffprobe reports of such a file, in its names.
// Nothing when the index does not tell all of it for certain (another codec,
// a parameter set that cannot be read, a size the sample entry states
// otherwise, a matrix that turns by no quarter turn or stretches): ffprobe is
// asked then.
std::optional<SourcePicture> ReadIsoPicture(const QByteArray &movie);

// The same, from the file's movie box.
std::optional<SourcePicture> ReadIsoPicture(const QString &path);
