#include "settings/output_folder.h"
#include "settings/settings_store.h"
#include "tests/support/test_support.h"

#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <gtest/gtest.h>

namespace {

TEST(OutputFolderNaming, FollowsTheNameRule)
{
    struct Case {
        const char *base;
        QDate date;
        const char *folder;
    } const cases[] = {
        {"/data/", QDate(2009, 3, 11), "/data/Q9TBR/2009-03-11"},
        {"/data", QDate(2009, 3, 11), "/data/Q9TBR/2009-03-11"},
        {"/data/Video", QDate(2009, 5, 7), "/data/Video/Q9TBR/2009-05-07"},
        {"/data/Video/", QDate(2009, 5, 7), "/data/Video/Q9TBR/2009-05-07"},
        {"/", QDate(2009, 3, 1), "/Q9TBR/2009-03-01"},
        {"", QDate(2009, 3, 1), "/Q9TBR/2009-03-01"},
        {"/data", QDate(2010, 12, 31), "/data/Q9TBR/2010-12-31"},
        {"/data", QDate(999, 1, 5), "/data/Q9TBR/999-01-05"},  // the year is not padded
        {"/数据/视频", QDate(2009, 4, 18), "/数据/视频/Q9TBR/2009-04-18"},
    };
    for (const Case &c : cases) {
        EXPECT_EQ(DatedOutputFolder(QString::fromUtf8(c.base), c.date), QString::fromUtf8(c.folder)) << c.base;
    }
    EXPECT_EQ(ProductFolder(QStringLiteral("/data/")), QStringLiteral("/data/Q9TBR"));
    EXPECT_EQ(ProductFolder(QStringLiteral("/data")), QStringLiteral("/data/Q9TBR"));
}

class OutputFolderTest : public ::testing::Test {
protected:
    void SetUp() override
    {
        m_home = MakeTempDir();
        qputenv("HOME", QFile::encodeName(m_home));
        qputenv("XDG_CONFIG_HOME", QFile::encodeName(m_home + QStringLiteral("/config")));
        m_base = m_home + QStringLiteral("/out");
        QDir().mkpath(m_base);
        m_today = DateFolderName(QDate::currentDate());
    }
    QString m_home;
    QString m_base;
    QString m_today;
};

TEST_F(OutputFolderTest, GetOutputFolderUsesTheStoredBase)
{
    ASSERT_TRUE(SettingsStore::writePath(m_base));
    EXPECT_EQ(GetOutputFolder(), m_base + QStringLiteral("/Q9TBR/") + m_today + QLatin1Char('/'));
    ASSERT_TRUE(SettingsStore::writePath(m_base + QLatin1Char('/')));
    EXPECT_EQ(GetOutputFolder(), m_base + QStringLiteral("/Q9TBR/") + m_today + QLatin1Char('/'));
    // It only names the folder.
    EXPECT_FALSE(QFileInfo::exists(m_base + QStringLiteral("/Q9TBR")));
}

TEST_F(OutputFolderTest, GetOutputFolderWithoutUsableBaseStartsAtTheRoot)
{
    const QString expected = QStringLiteral("/Q9TBR/") + m_today + QLatin1Char('/');
    EXPECT_EQ(GetOutputFolder(), expected);  // nothing stored

    ASSERT_TRUE(SettingsStore::writePath(m_home + QStringLiteral("/gone")));
    EXPECT_EQ(GetOutputFolder(), expected);  // the folder does not exist

    ASSERT_TRUE(SettingsStore::writePath(m_base + QString(300, QLatin1Char('x'))));
    EXPECT_EQ(GetOutputFolder(), expected);  // too long to read
}

TEST_F(OutputFolderTest, GetOutputFolderFollowsTheStoreAtEveryCall)
{
    const QString other = m_home + QStringLiteral("/other");
    QDir().mkpath(other);
    ASSERT_TRUE(SettingsStore::writePath(m_base));
    const QString first = GetOutputFolder();
    ASSERT_TRUE(SettingsStore::writePath(other));
    EXPECT_NE(GetOutputFolder(), first);
    EXPECT_TRUE(GetOutputFolder().startsWith(other + QStringLiteral("/Q9TBR/")));
}

TEST_F(OutputFolderTest, CreateOutputFolderMakesTheDaysFolder)
{
    ASSERT_TRUE(SettingsStore::writePath(m_base + QLatin1Char('/')));
    CreateOutputFolder();
    const QString expected = m_base + QStringLiteral("/Q9TBR/") + m_today;
    EXPECT_EQ(g_strOutputDir, expected);
    EXPECT_TRUE(QFileInfo(expected).isDir());
}

TEST_F(OutputFolderTest, CreateDatedOutputFolderMakesMissingParents)
{
    const QString deep = m_home + QStringLiteral("/a/b");
    const QString folder = CreateDatedOutputFolder(deep, QDate(2009, 3, 1));
    EXPECT_EQ(folder, deep + QStringLiteral("/Q9TBR/2009-03-01"));
    EXPECT_TRUE(QFileInfo(folder).isDir());

    // Below a file nothing can be made; that is no error here.
    const QString file = m_home + QStringLiteral("/plain");
    QFile f(file);
    ASSERT_TRUE(f.open(QIODevice::WriteOnly));
    f.close();
    EXPECT_FALSE(QFileInfo(CreateDatedOutputFolder(file, QDate(2009, 3, 1))).exists());
}

} // namespace
