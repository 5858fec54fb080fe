#include "settings/volumes.h"

#include "base/log.h"

#include <QDir>
#include <QFile>
#include <QFileInfo>

#include <sys/stat.h>
#include <sys/statvfs.h>
#include <sys/sysmacros.h>
#include <unistd.h>

int32_t GetFreeSpaceMB(const QString &path)
{
    struct statvfs info {};
    if (path.isEmpty() || statvfs(QFile::encodeName(path).constData(), &info) != 0)
        return 0;
    const uint64_t bytes = uint64_t(info.f_bavail) * uint64_t(info.f_frsize);
    // Whole mebibytes, the low 32 bits taken as a signed number.
    return static_cast<int32_t>(static_cast<uint32_t>(bytes >> 20));
}

QString DecodeMountField(const QByteArray &field)
{
    QByteArray out;
    out.reserve(field.size());
    for (qsizetype i = 0; i < field.size(); ++i) {
        const char c = field[i];
        if (c == '\\' && i + 3 < field.size()) {
            const QByteArray digits = field.mid(i + 1, 3);
            bool ok = false;
            const int code = digits.toInt(&ok, 8);
            if (ok && digits.size() == 3 && code < 256) {
                out.append(char(code));
                i += 3;
                continue;
            }
        }
        out.append(c);
    }
    return QFile::decodeName(out);
}

QList<MountedVolume> ParseMountTable(const QByteArray &table, const VolumeProbe &probe)
{
    QList<MountedVolume> volumes;
    for (const QByteArray &line : table.split('\n')) {
        const QList<QByteArray> fields = line.simplified().split(' ');
        if (fields.size() < 4)
            continue;
        MountedVolume volume;
        volume.device = DecodeMountField(fields[0]);
        volume.mountPoint = DecodeMountField(fields[1]);
        volume.readOnly = fields[3].split(',').contains("ro");
        if (probe)
            probe(volume);
        volumes.append(volume);
    }
    return volumes;
}

// Whether the block device `dev` (or the disk it is a partition of) is removable.
static bool isRemovableDevice(dev_t dev)
{
    const QString sysPath =
        QFileInfo(QStringLiteral("/sys/dev/block/%1:%2").arg(major(dev)).arg(minor(dev))).canonicalFilePath();
    if (sysPath.isEmpty())
        return false;
    QString diskPath = sysPath;
    if (QFileInfo::exists(sysPath + QStringLiteral("/partition")))
        diskPath = QFileInfo(sysPath).absolutePath();
    QFile flag(diskPath + QStringLiteral("/removable"));
    if (!flag.open(QIODevice::ReadOnly))
        return false;
    return flag.readAll().trimmed() == "1";
}

void ProbeVolume(MountedVolume &volume)
{
    struct stat info {};
    if (volume.device.startsWith(QLatin1Char('/')) && stat(QFile::encodeName(volume.device).constData(), &info) == 0 &&
        S_ISBLK(info.st_mode)) {
        volume.blockDevice = true;
        volume.removable = isRemovableDevice(info.st_rdev);
    }
    volume.rootWritable = !volume.readOnly && access(QFile::encodeName(volume.mountPoint).constData(), W_OK) == 0;
}

QList<MountedVolume> ListMountedVolumes()
{
    QFile table(QStringLiteral("/proc/self/mounts"));
    if (!table.open(QIODevice::ReadOnly)) {
        qCWarning(lcQ9) << "cannot read the mount table:" << table.errorString();
        return {};
    }
    // A proc file reports size 0: read it to the end.
    return ParseMountTable(table.readAll(), ProbeVolume);
}

static bool containsPath(const QString &mountPoint, const QString &path)
{
    if (mountPoint == QLatin1String("/"))
        return path.startsWith(QLatin1Char('/'));
    return path == mountPoint || path.startsWith(mountPoint + QLatin1Char('/'));
}

QString VolumeOf(const QList<MountedVolume> &volumes, const QString &path)
{
    QString best;
    for (const MountedVolume &volume : volumes) {
        if (containsPath(volume.mountPoint, path) && volume.mountPoint.size() >= best.size())
            best = volume.mountPoint;
    }
    return best;
}

QString CandidateFolder(const MountedVolume &volume, const QList<MountedVolume> &all, const QString &home)
{
    if (!volume.blockDevice || volume.removable || volume.readOnly)
        return QString();
    if (volume.rootWritable)
        return volume.mountPoint;
    if (!home.isEmpty() && VolumeOf(all, home) == volume.mountPoint)
        return home;
    return QString();
}

QString PickDefaultDrive(const QList<MountedVolume> &volumes, const QString &home, const FreeSpaceFn &freeSpace)
{
    QString best;
    int32_t bestFreeMB = 0;
    for (const MountedVolume &volume : volumes) {
        const QString folder = CandidateFolder(volume, volumes, home);
        if (folder.isEmpty())
            continue;
        // Greater or equal: the later volume wins a tie, and a full one still
        // counts when it is the only one.
        const int32_t freeMB = freeSpace(folder);
        if (freeMB >= bestFreeMB) {
            bestFreeMB = freeMB;
            best = folder;
        }
    }
    return best;
}
