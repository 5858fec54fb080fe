// A row's files are named from its stem exactly: a stem holding glob
// characters means only itself, for the clean-up and for the watchdog.
#include "engine/row_files.h"
#include "tests/support/test_support.h"

#include <QDir>
#include <QFile>
#include <gtest/gtest.h>

namespace {

TEST(RowFiles, AStemWithGlobCharactersNamesOnlyItsOwnFiles)
{
    const QString dir = MakeTempDir() + '/';
    // Three rows packing MP4s beside each other, each with its encoder's AVI
    // and its packer's hidden temporary.
    for (const QString &base : QStringList{"x*", "Film [1080p]", "xy"}) {
        for (const QString &path : RowFilePaths(dir + base, OutputFormat::Mp4))
            ASSERT_TRUE(Touch(path, "data", true));
    }
    ASSERT_TRUE(QFile::exists(dir + ".Film [1080p].mp4.part"));

    // The watchdog sees the bracketed row's temporary grow, and only its own.
    const QStringList film = RowFilePaths(dir + "Film [1080p]", OutputFormat::Mp4);
    const qint64 before = RowFilesFingerprint(film);
    ASSERT_TRUE(Touch(dir + ".xy.mp4.part", "more", true));
    EXPECT_EQ(RowFilesFingerprint(film), before);
    ASSERT_TRUE(Touch(dir + ".Film [1080p].mp4.part", "more", true));
    EXPECT_NE(RowFilesFingerprint(film), before);

    // A failed row "x*" and a finished "Film [1080p]" (as crash recovery and
    // the worker remove them): nothing of row "xy" goes.
    RemoveRowFiles(dir + "x*");
    RemoveRowFiles(film, dir + "Film [1080p].mp4");
    QStringList left = QDir(dir).entryList(QDir::Files | QDir::Hidden);
    left.sort();
    EXPECT_EQ(left, (QStringList{".xy.mp4.part", "Film [1080p].mp4", "xy.avi", "xy.mkv", "xy.mp4"}));
}

}  // namespace
