#pragma once

#include "catalogue/source_picture.h"

#include <QByteArray>
#include <QString>

// ffmpeg's parameters that write an HLG or PQ source's picture as BT.709 SDR,
// with its first sound stream, into the Matroska file `copy` for the encoder
// to read. The encoder reads every source as plain BT.709: the picture of a
// phone's HDR clip came out pale and faded (an HLG clip's mean saturation 42
// where the SDR picture it was made from has 110). The copy's frames keep their timestamps, as in the timed
// copy, and its picture is stored as in the source (the turn is the
// encoder's); a picture larger than any output needs is made smaller, its
// shape kept.
QByteArray SdrCopyParameters(const QString &source, const QString &copy, const SourcePicture &picture);
