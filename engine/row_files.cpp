#include "engine/row_files.h"

#include "engine/output_naming.h"

#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QStorageInfo>
#include <sys/statvfs.h>
#include <unistd.h>

namespace {

// Below this much free room a failed write is put down to a full volume.
constexpr qint64 kFullVolumeMargin = 1 << 20;

// Every name in the row's folder that belongs to the row with this stem.
QStringList RowFileNames(const QString &stem)
{
    const QFileInfo stemInfo(stem);
    const QString base = stemInfo.fileName();
    QStringList names;
    for (const QString &extension : RowFileExtensions())
        names << base + extension;
    // The muxers' temporaries: "." + the MP4's or 3GP's name + ".tmp-" + six letters.
    const QDir folder = stemInfo.dir();
    const QStringList temporaries{QLatin1Char('.') + base + QStringLiteral(".mp4.tmp-*"),
                                  QLatin1Char('.') + base + QStringLiteral(".3gp.tmp-*")};
    names += folder.entryList(temporaries, QDir::Files | QDir::Hidden | QDir::System);
    return names;
}

}  // namespace

void RemoveRowFiles(const QString &stem, const QString &keep)
{
    const QDir folder = QFileInfo(stem).dir();
    const QString kept = QFileInfo(keep).fileName();
    for (const QString &name : RowFileNames(stem)) {
        if (name != kept)
            QFile::remove(folder.filePath(name));
    }
}

qint64 RowFilesFingerprint(const QString &stem)
{
    const QDir folder = QFileInfo(stem).dir();
    qint64 fingerprint = 0;
    for (const QString &name : RowFileNames(stem)) {
        const QFileInfo info(folder.filePath(name));
        if (info.exists())
            fingerprint += info.size() + info.lastModified().toMSecsSinceEpoch() + 1;
    }
    return fingerprint;
}

bool FolderWritable(const QString &folder)
{
    const QByteArray path = QFile::encodeName(folder);
    struct statvfs volume {};
    if (statvfs(path.constData(), &volume) == 0 && (volume.f_flag & ST_RDONLY))
        return false;
    return QFileInfo(folder).isDir() && access(path.constData(), W_OK | X_OK) == 0;
}

bool VolumeFull(const QString &path)
{
    // The folder itself may be what could not be made: ask its nearest parent.
    QFileInfo existing(path);
    while (!existing.exists() && !existing.isRoot())
        existing = QFileInfo(existing.absolutePath());
    const QStorageInfo volume(existing.absoluteFilePath());
    return volume.isValid() && volume.bytesAvailable() < kFullVolumeMargin;
}
