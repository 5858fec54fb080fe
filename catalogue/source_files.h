#pragma once

#include <QByteArray>
#include <QList>
#include <QString>
#include <QStringList>

// A file to add to the batch, with where its output goes.
struct AddedFile {
    QByteArray path;    // absolute, the bytes the file system holds
    QString subfolder;  // below the day's folder: empty for a file added by
                        // itself; for a file found in an added folder, that
                        // folder's name and the file's place below it ("Trip/day1")
    friend bool operator==(const AddedFile &, const AddedFile &) = default;
};

// Natural order: runs of digits compare as numbers ("clip2" before
// "clip10"), the rest without regard to case.
bool NaturallyBefore(const QString &a, const QString &b);

// The files named, relative names taken from `baseDir` (the current folder
// when empty): a file as it is, a folder as its files whose extension (any
// case) is one of `extensions`, then those of its sub-folders, each level in
// natural order. Names are read as bytes, so a name in any encoding comes
// through. Names that do not exist are left out; at most `limit` files, and
// `cut` (when given) tells whether the limit left some out. A folder reached
// again through a link is not walked twice.
QList<AddedFile> GatherSourceFiles(const QList<QByteArray> &names, const QByteArray &baseDir,
                                   const QStringList &extensions, int limit, bool *cut = nullptr);
