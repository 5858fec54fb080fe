#include "engine/row_files.h"

#include "engine/output_naming.h"

#include <QFile>
#include <QFileInfo>
#include <QStorageInfo>
#include <sys/statvfs.h>
#include <unistd.h>

namespace {

// Below this much free room a failed write is put down to a full volume.
constexpr qint64 kFullVolumeMargin = 1 << 20;

}  // namespace

QString PackerTempPath(const QString &finalFile)
{
    const qsizetype slash = finalFile.lastIndexOf(QLatin1Char('/'));
    return finalFile.left(slash + 1) + QLatin1Char('.') + finalFile.mid(slash + 1) + QStringLiteral(".part");
}

QString TimedCopyPath(const QString &stem)
{
    return stem + QStringLiteral(".mkv");
}

QStringList RowFilePaths(const QString &stem, OutputFormat format)
{
    const FormatSteps &steps = StepsFor(format);
    QStringList paths{stem + QLatin1String(steps.encoderExtension), TimedCopyPath(stem)};
    if (steps.afterStep) {
        const QString finalFile = stem + QLatin1String(steps.finalExtension);
        paths << finalFile << PackerTempPath(finalFile);
    }
    return paths;
}

QStringList AllRowFilePaths(const QString &stem)
{
    QStringList paths;
    for (const OutputFormat format : Formats()) {
        for (const QString &extension : RowFileExtensions(format))
            paths << stem + extension;
        paths += RowFilePaths(stem, format);
    }
    paths.removeDuplicates();
    return paths;
}

void RemoveRowFiles(const QStringList &paths, const QString &keep)
{
    for (const QString &path : paths) {
        if (path != keep)
            QFile::remove(path);
    }
}

void RemoveRowFiles(const QString &stem, const QString &keep)
{
    RemoveRowFiles(AllRowFilePaths(stem), keep);
}

qint64 RowFilesFingerprint(const QStringList &paths)
{
    qint64 fingerprint = 0;
    for (const QString &path : paths) {
        const QFileInfo info(path);
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
