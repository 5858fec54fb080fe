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

// Every name in the row's folder that a row of `format` with this stem makes.
QStringList RowFileNames(const QString &stem, OutputFormat format)
{
    const QFileInfo stemInfo(stem);
    const QString base = stemInfo.fileName();
    QStringList names;
    for (const QString &extension : RowFileExtensions(format))
        names << base + extension;
    // The packers' temporaries: "." + the final file's name + ".tmp-" + six letters.
    const QString temporaries = QLatin1Char('.') + names.first() + QStringLiteral(".tmp-*");
    names += stemInfo.dir().entryList({temporaries}, QDir::Files | QDir::Hidden | QDir::System);
    return names;
}

}  // namespace

void RemoveRowFiles(const QString &stem, OutputFormat format, const QString &keep)
{
    const QDir folder = QFileInfo(stem).dir();
    const QString kept = QFileInfo(keep).fileName();
    for (const QString &name : RowFileNames(stem, format)) {
        if (name != kept)
            QFile::remove(folder.filePath(name));
    }
}

void RemoveReservedRowFiles(const QString &reserved)
{
    const QString name = QFileInfo(reserved).fileName();
    for (const OutputFormat format : Formats()) {
        const QString finalExtension = QLatin1String(StepsFor(format).finalExtension);
        if (name.endsWith(finalExtension) && name.size() > finalExtension.size()) {
            RemoveRowFiles(reserved.chopped(finalExtension.size()), format);
            return;
        }
    }
    for (const OutputFormat format : Formats())
        RemoveRowFiles(reserved, format);
}

qint64 RowFilesFingerprint(const QString &stem)
{
    // Every format's names: the tool steps know only the stem. Another
    // format's finished file beside the row's does not change.
    const QDir folder = QFileInfo(stem).dir();
    QStringList names;
    for (const OutputFormat format : Formats()) {
        for (const QString &name : RowFileNames(stem, format)) {
            if (!names.contains(name))
                names << name;
        }
    }
    qint64 fingerprint = 0;
    for (const QString &name : names) {
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
