#include "settings/output_style.h"
#include "settings/settings_store.h"
#include "tests/support/log_capture.h"
#include "tests/support/test_support.h"

#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QSettings>
#include <gtest/gtest.h>
#include <sys/stat.h>

namespace {

// Every test gets a home and config folder of its own.
class SettingsStoreTest : public ::testing::Test {
protected:
    void SetUp() override
    {
        m_home = MakeTempDir();
        m_config = m_home + QStringLiteral("/config");
        qputenv("HOME", QFile::encodeName(m_home));
        qputenv("XDG_CONFIG_HOME", QFile::encodeName(m_config));
    }
    QString makeFolder(const QString &name) const
    {
        const QString path = m_home + QLatin1Char('/') + name;
        QDir().mkpath(path);
        return path;
    }
    QString m_home;
    QString m_config;
};

TEST_F(SettingsStoreTest, FirstRunHasNothingStored)
{
    EXPECT_FALSE(SettingsStore::readPath());
    EXPECT_FALSE(SettingsStore::usablePath());
    EXPECT_FALSE(QFileInfo::exists(SettingsStore::filePath()));
}

TEST_F(SettingsStoreTest, StoreLivesInTheConfigFolder)
{
    EXPECT_EQ(SettingsStore::filePath(), m_config + QStringLiteral("/Q9TBR/settings.ini"));
    ASSERT_TRUE(SettingsStore::writePath(QStringLiteral("/data")));
    EXPECT_TRUE(QFileInfo::exists(m_config + QStringLiteral("/Q9TBR/settings.ini")));

    // Without XDG_CONFIG_HOME the folder is ~/.config.
    qunsetenv("XDG_CONFIG_HOME");
    EXPECT_EQ(SettingsStore::filePath(), m_home + QStringLiteral("/.config/Q9TBR/settings.ini"));
    EXPECT_FALSE(SettingsStore::readPath());
}

TEST_F(SettingsStoreTest, StoredFolderIsUsableUntilRemoved)
{
    const QString folder = makeFolder(QStringLiteral("video"));
    ASSERT_TRUE(SettingsStore::writePath(folder));
    EXPECT_EQ(SettingsStore::readPath().value_or(QString()), folder);
    EXPECT_EQ(SettingsStore::usablePath().value_or(QString()), folder);

    ASSERT_TRUE(QDir(folder).removeRecursively());
    EXPECT_EQ(SettingsStore::readPath().value_or(QString()), folder);
    EXPECT_FALSE(SettingsStore::usablePath());
}

TEST_F(SettingsStoreTest, FileOrEmptyTextIsNotUsable)
{
    const QString file = m_home + QStringLiteral("/a-file");
    QFile f(file);
    ASSERT_TRUE(f.open(QIODevice::WriteOnly));
    f.close();
    ASSERT_TRUE(SettingsStore::writePath(file));
    EXPECT_FALSE(SettingsStore::usablePath());

    ASSERT_TRUE(SettingsStore::writePath(QString()));
    EXPECT_EQ(SettingsStore::readPath().value_or(QStringLiteral("none")), QString());
    EXPECT_FALSE(SettingsStore::usablePath());
}

TEST_F(SettingsStoreTest, KeyNamesMeetWithoutRegardToCase)
{
    const QString folder = makeFolder(QStringLiteral("upper"));
    ASSERT_TRUE(SettingsStore::writePath(folder, QStringLiteral("SOFTWARE\\Q9TBR")));
    EXPECT_EQ(SettingsStore::usablePath().value_or(QString()), folder);
    EXPECT_EQ(SettingsStore::readPath(QStringLiteral("software/q9tbr")).value_or(QString()), folder);
    EXPECT_FALSE(SettingsStore::readPath(QStringLiteral("Software\\Other")));

    struct Case {
        const char *name;
        const char *group;
    } const cases[] = {
        {"Software\\Q9TBR", "software/q9tbr"},
        {"SOFTWARE\\Q9TBR", "software/q9tbr"},
        {"\\Software\\\\Q9TBR\\", "software/q9tbr"},
        {"Software/Q9TBR", "software/q9tbr"},
    };
    for (const Case &c : cases)
        EXPECT_EQ(SettingsStore::keyGroup(QString::fromUtf8(c.name)), QString::fromUtf8(c.group)) << c.name;
}

// A text must fit 256 bytes with its terminating zero: 255 bytes are read, 256
// are not. Bytes are counted in UTF-8.
TEST_F(SettingsStoreTest, TextsOf256BytesCountAsAbsent)
{
    const QString han = QStringLiteral("视");  // three bytes
    struct Case {
        QString text;
        bool readable;
    } const cases[] = {
        {QString(255, QLatin1Char('a')), true},
        {QString(256, QLatin1Char('a')), false},
        {QString(300, QLatin1Char('a')), false},
        {han.repeated(85), true},                        // 255 bytes
        {han.repeated(86), false},                       // 258 bytes, only 86 characters
        {QStringLiteral("a") + han.repeated(85), false}, // 256 bytes
    };
    for (const Case &c : cases) {
        ASSERT_TRUE(SettingsStore::writePath(c.text));
        EXPECT_EQ(SettingsStore::readPath().has_value(), c.readable) << c.text.toUtf8().size() << " bytes";
    }
}

TEST_F(SettingsStoreTest, ExistingFolderOf255BytesIsUsable)
{
    const QString prefix = m_home + QLatin1Char('/');
    const int rest = 255 - int(prefix.toUtf8().size());
    ASSERT_GT(rest, 10);
    const QString folder = prefix + QString(rest, QLatin1Char('d'));
    ASSERT_TRUE(QDir().mkpath(folder));
    ASSERT_TRUE(SettingsStore::writePath(folder));
    EXPECT_EQ(SettingsStore::usablePath().value_or(QString()), folder);

    const QString longer = folder + QLatin1Char('e');
    ASSERT_TRUE(QDir().mkpath(longer));
    ASSERT_TRUE(SettingsStore::writePath(longer));
    EXPECT_FALSE(SettingsStore::usablePath());
}

TEST_F(SettingsStoreTest, ValueTypeIsNotLookedAt)
{
    QSettings raw(SettingsStore::filePath(), QSettings::IniFormat);
    raw.setValue(QStringLiteral("software/q9tbr/Path"), 1234);
    raw.sync();
    EXPECT_EQ(SettingsStore::readPath().value_or(QString()), QStringLiteral("1234"));
}

TEST_F(SettingsStoreTest, WriteReachesTheDiskThroughARename)
{
    const QString first = makeFolder(QStringLiteral("first"));
    const QString second = makeFolder(QStringLiteral("中文 目录"));
    ASSERT_TRUE(SettingsStore::writePath(first));
    struct stat before {};
    ASSERT_EQ(stat(QFile::encodeName(SettingsStore::filePath()).constData(), &before), 0);

    ASSERT_TRUE(SettingsStore::writePath(second));
    struct stat after {};
    ASSERT_EQ(stat(QFile::encodeName(SettingsStore::filePath()).constData(), &after), 0);
    // A new inode: the old file was replaced whole, never rewritten in place,
    // so a crash mid-write leaves the previous content.
    EXPECT_NE(before.st_ino, after.st_ino);

    // What is on disk is the whole new value, in UTF-8, with nothing else open.
    QFile file(SettingsStore::filePath());
    ASSERT_TRUE(file.open(QIODevice::ReadOnly));
    const QByteArray content = file.readAll();
    EXPECT_TRUE(content.contains(second.toUtf8())) << content.constData();
    EXPECT_EQ(SettingsStore::usablePath().value_or(QString()), second);
}

TEST_F(SettingsStoreTest, UnwritableStoreReportsFailure)
{
    // The config folder lies below a plain file, so nothing can be created there
    // (checked this way because permissions do not stop every user).
    const QString blocker = m_home + QStringLiteral("/blocker");
    QFile f(blocker);
    ASSERT_TRUE(f.open(QIODevice::WriteOnly));
    f.close();
    qputenv("XDG_CONFIG_HOME", QFile::encodeName(blocker + QStringLiteral("/config")));
    LogCapture log;
    EXPECT_FALSE(SettingsStore::writePath(QStringLiteral("/data")));
    EXPECT_TRUE(log.warned(QStringLiteral("cannot write the settings file")))
        << log.warnings().join('\n').toStdString();
    EXPECT_FALSE(SettingsStore::readPath());
}

// Naming and picture shape: stored, read back, and an unknown stored text
// falls back to the default with a warning.
TEST_F(SettingsStoreTest, NamingAndShapeRoundTripAndFallBack)
{
    EXPECT_EQ(OutputStyle::readNaming(), OutputNaming::SourceName);
    EXPECT_EQ(OutputStyle::readShape(), PictureShape::Fit);
    for (const PictureShape shape : {PictureShape::Fit, PictureShape::Fill, PictureShape::Stretch}) {
        ASSERT_TRUE(OutputStyle::write(OutputNaming::TimeOfDay, shape));
        EXPECT_EQ(OutputStyle::readNaming(), OutputNaming::TimeOfDay);
        EXPECT_EQ(OutputStyle::readShape(), shape);
    }
    {
        QSettings store(SettingsStore::filePath(), QSettings::IniFormat);
        store.setValue("software/q9tbr/Naming", "by colour");
        store.setValue("software/q9tbr/Shape", "zoom");
    }
    const LogCapture log;
    EXPECT_EQ(OutputStyle::readNaming(), OutputNaming::SourceName);
    EXPECT_EQ(OutputStyle::readShape(), PictureShape::Fit);
    EXPECT_TRUE(log.warned("by colour") && log.warned("zoom")) << log.warnings().join('\n').toStdString();
}

} // namespace
