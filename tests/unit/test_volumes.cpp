#include "settings/volumes.h"
#include "tests/support/test_support.h"

#include <QDir>
#include <QFile>
#include <QHash>
#include <QStorageInfo>
#include <gtest/gtest.h>

namespace {

MountedVolume fixedVolume(const QString &mountPoint, bool rootWritable = true)
{
    MountedVolume volume;
    volume.mountPoint = mountPoint;
    volume.device = QStringLiteral("/dev/sd") + mountPoint;
    volume.blockDevice = true;
    volume.rootWritable = rootWritable;
    return volume;
}

// Free space by folder; every folder not listed has 0 MB.
FreeSpaceFn freeSpaceOf(const QHash<QString, int32_t> &table)
{
    return [table](const QString &folder) { return table.value(folder, 0); };
}

TEST(MountTable, DecodesEscapedFields)
{
    struct Case {
        const char *raw;
        const char *decoded;
    } const cases[] = {
        {"/mnt/plain", "/mnt/plain"},
        {"/mnt/with\\040space", "/mnt/with space"},
        {"/mnt/tab\\011and\\012newline", "/mnt/tab\tand\nnewline"},
        {"/mnt/back\\134slash", "/mnt/back\\slash"},
        {"/mnt/short\\04", "/mnt/short\\04"},
        {"/mnt/\\344\\270\\255", "/mnt/中"},
    };
    for (const Case &c : cases)
        EXPECT_EQ(DecodeMountField(c.raw), QString::fromUtf8(c.decoded)) << c.raw;
}

TEST(MountTable, ParsesLinesInOrder)
{
    const QByteArray table = "proc /proc proc rw,relatime 0 0\n"
                             "/dev/sda1 / ext4 rw,relatime 0 0\n"
                             "/dev/sdb1 /media/usb\\040stick vfat ro,nosuid 0 0\n"
                             "\n"
                             "broken line\n"
                             "/dev/sda2 /home ext4 rw 0 0\n";
    QStringList probed;
    const QList<MountedVolume> volumes =
        ParseMountTable(table, [&probed](MountedVolume &volume) { probed << volume.mountPoint; });
    ASSERT_EQ(volumes.size(), 4);
    EXPECT_EQ(volumes[0].mountPoint, QStringLiteral("/proc"));
    EXPECT_EQ(volumes[1].device, QStringLiteral("/dev/sda1"));
    EXPECT_EQ(volumes[2].mountPoint, QStringLiteral("/media/usb stick"));
    EXPECT_TRUE(volumes[2].readOnly);
    EXPECT_FALSE(volumes[3].readOnly);
    EXPECT_EQ(probed, (QStringList{"/proc", "/", "/media/usb stick", "/home"}));
}

TEST(MountTable, ThisMachinesTableIsRead)
{
    const QList<MountedVolume> volumes = ListMountedVolumes();
    ASSERT_FALSE(volumes.isEmpty());
    for (const MountedVolume &volume : volumes) {
        if (volume.device == QLatin1String("proc")) {
            EXPECT_FALSE(volume.blockDevice) << volume.mountPoint.toStdString();
        }
    }
}

TEST(VolumeOf, TakesTheLongestContainingMountPoint)
{
    const QList<MountedVolume> volumes = {fixedVolume("/"), fixedVolume("/home"), fixedVolume("/home/user/data")};
    struct Case {
        const char *path;
        const char *volume;
    } const cases[] = {
        {"/home/user", "/home"},
        {"/home", "/home"},
        {"/homeother/user", "/"},
        {"/home/user/data/x", "/home/user/data"},
        {"/etc", "/"},
        {"relative", ""},
    };
    for (const Case &c : cases)
        EXPECT_EQ(VolumeOf(volumes, c.path), QString::fromUtf8(c.volume)) << c.path;
}

TEST(PickDefaultDrive, ChoosesTheMostFreeSpace)
{
    const QList<MountedVolume> volumes = {fixedVolume("/a"), fixedVolume("/b"), fixedVolume("/c")};
    EXPECT_EQ(PickDefaultDrive(volumes, "/home/u", freeSpaceOf({{"/a", 100}, {"/b", 900}, {"/c", 50}})),
              QStringLiteral("/b"));
}

TEST(PickDefaultDrive, TieGoesToTheLaterVolume)
{
    const QList<MountedVolume> volumes = {fixedVolume("/a"), fixedVolume("/b"), fixedVolume("/c")};
    EXPECT_EQ(PickDefaultDrive(volumes, "/home/u", freeSpaceOf({{"/a", 500}, {"/b", 500}, {"/c", 10}})),
              QStringLiteral("/b"));
    // A full volume still counts when it is the only one.
    EXPECT_EQ(PickDefaultDrive({fixedVolume("/full")}, "/home/u", freeSpaceOf({})), QStringLiteral("/full"));
}

TEST(PickDefaultDrive, SkipsVolumesThatAreNotLocalFixedAndWritable)
{
    MountedVolume removable = fixedVolume("/media/stick");
    removable.removable = true;
    MountedVolume readOnly = fixedVolume("/cdrom", false);
    readOnly.readOnly = true;
    MountedVolume network = fixedVolume("/net");
    network.blockDevice = false;
    network.device = QStringLiteral("server:/export");
    MountedVolume locked = fixedVolume("/locked", false);  // home is not on it

    const QList<MountedVolume> volumes = {fixedVolume("/small"), removable, readOnly, network, locked};
    const FreeSpaceFn space = freeSpaceOf(
        {{"/small", 1}, {"/media/stick", 9000}, {"/cdrom", 9000}, {"/net", 9000}, {"/locked", 9000}});
    EXPECT_EQ(PickDefaultDrive(volumes, "/home/u", space), QStringLiteral("/small"));
}

TEST(PickDefaultDrive, FallsBackToHomeOnAVolumeWithALockedRoot)
{
    MountedVolume root = fixedVolume("/", false);
    MountedVolume home = fixedVolume("/home", false);
    const QList<MountedVolume> volumes = {root, home};
    // Home lies on /home, so / (locked) offers nothing and /home offers home.
    EXPECT_EQ(PickDefaultDrive(volumes, "/home/u", freeSpaceOf({{"/", 9000}, {"/home/u", 20}})),
              QStringLiteral("/home/u"));

    // Without a /home volume it is the root's.
    EXPECT_EQ(PickDefaultDrive({root}, "/home/u", freeSpaceOf({{"/home/u", 20}})), QStringLiteral("/home/u"));

    // A read-only volume offers not even home.
    MountedVolume frozen = fixedVolume("/", false);
    frozen.readOnly = true;
    EXPECT_EQ(PickDefaultDrive({frozen}, "/home/u", freeSpaceOf({{"/home/u", 20}})), QString());
}

TEST(PickDefaultDrive, EachSearchStartsAfresh)
{
    ASSERT_EQ(PickDefaultDrive({fixedVolume("/a")}, "/home/u", freeSpaceOf({{"/a", 700}})), QStringLiteral("/a"));
    EXPECT_EQ(PickDefaultDrive({}, "/home/u", freeSpaceOf({})), QString());

    // The volume with the most free space now wins, whatever won before.
    const QList<MountedVolume> volumes = {fixedVolume("/a"), fixedVolume("/b")};
    EXPECT_EQ(PickDefaultDrive(volumes, "/home/u", freeSpaceOf({{"/a", 700}, {"/b", 100}})), QStringLiteral("/a"));
    EXPECT_EQ(PickDefaultDrive(volumes, "/home/u", freeSpaceOf({{"/a", 50}, {"/b", 100}})), QStringLiteral("/b"));
}

TEST(FreeSpace, UnresolvablePathsGiveZero)
{
    for (const char *path : {"", "/no/such/folder/anywhere", "nonsense-relative-name", "\x01\x02"})
        EXPECT_EQ(GetFreeSpaceMB(QString::fromUtf8(path)), 0) << path;
}

TEST(FreeSpace, MatchesTheVolumesAvailableBytes)
{
    const QString dir = MakeTempDir();
    const qint64 expected = QStorageInfo(dir).bytesAvailable() >> 20;
    const int32_t measured = GetFreeSpaceMB(dir);
    // Other programs write meanwhile: allow a little drift.
    EXPECT_NEAR(double(measured), double(expected), 64.0);
    // A file measures the volume it lies on.
    QFile file(dir + QStringLiteral("/clip.avi"));
    ASSERT_TRUE(file.open(QIODevice::WriteOnly));
    file.close();
    EXPECT_NEAR(double(GetFreeSpaceMB(file.fileName())), double(expected), 64.0);
}

} // namespace
