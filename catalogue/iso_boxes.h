#pragma once

#include <QByteArray>
#include <QFile>
#include <optional>

// Reading the boxes of an ISO media file (MP4, MOV, 3GP, M4V).

// One box inside a parent box's data.
struct IsoBox {
    QByteArray type;
    qint64 dataStart = 0;  // offset of the box's data within its parent
    qint64 end = 0;        // offset just past the box
};

// The box that starts at `at` in `data`, or nothing when it does not fit.
std::optional<IsoBox> BoxAt(const QByteArray &data, qint64 at);

// The data of the first child box of this type, or nothing.
std::optional<QByteArray> Child(const QByteArray &parent, const char *type);

// The first picture track's box data within the movie box's data: the first
// track whose media handler is "vide"; nothing when there is none.
std::optional<QByteArray> FirstVideoTrack(const QByteArray &movie);

// The movie box's data, found among the top-level boxes without reading the
// media data between them (the index may come before or after it); nothing
// when there is none or it is absurdly large.
std::optional<QByteArray> ReadMovieBox(QFile &file);
