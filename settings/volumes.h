#pragma once

#include <QByteArray>
#include <QList>
#include <QString>
#include <cstdint>
#include <functional>

// One line of the mount table, with what the default-folder choice needs.
struct MountedVolume {
    QString mountPoint;
    QString device;
    bool blockDevice = false;   // the source is a block device node of this machine
    bool removable = false;     // the device (or the disk it is a partition of) is removable
    bool readOnly = false;      // mounted "ro"
    bool rootWritable = false;  // the user may create entries in mountPoint
};

// Megabytes available to the user on the volume holding `path` (statvfs
// f_bavail * f_frsize >> 20, low 32 bits); 0 when the path cannot be resolved.
int32_t GetFreeSpaceMB(const QString &path);

// Decodes the octal escapes (\040 and the like) of a mount-table field.
QString DecodeMountField(const QByteArray &field);

// The mount table text (the format of /proc/self/mounts) as volumes, in order.
// `probe` fills in what the table does not say (block device, removable,
// root writable); the table gives mount point, device and "ro".
using VolumeProbe = std::function<void(MountedVolume &)>;
QList<MountedVolume> ParseMountTable(const QByteArray &table, const VolumeProbe &probe);

// Fills in the device and writability facts of `volume` from this machine.
void ProbeVolume(MountedVolume &volume);

// The mounted volumes of this machine, in mount-table order.
QList<MountedVolume> ListMountedVolumes();

// The mount point, among `volumes`, of the file system holding `path`: the
// longest mount point that contains it, the later one on a tie. Empty if none.
QString VolumeOf(const QList<MountedVolume> &volumes, const QString &path);

// Where output could go on `volume`: its root when the user may write there,
// else `home` when home lies on that volume; empty when the volume does not
// count (not a local fixed block device, read-only, or neither folder fits).
QString CandidateFolder(const MountedVolume &volume, const QList<MountedVolume> &all, const QString &home);

using FreeSpaceFn = std::function<int32_t(const QString &)>;

// Chooses the candidate folder with the most free space, ties to the later
// volume; empty when no volume offers a folder.
QString PickDefaultDrive(const QList<MountedVolume> &volumes, const QString &home,
                         const FreeSpaceFn &freeSpace = GetFreeSpaceMB);
