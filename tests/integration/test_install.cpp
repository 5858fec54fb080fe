// The installed tree: program, desktop entry, theme icons and AppStream data,
// checked with the desktop's own validators.
#include "tests/support/test_support.h"

#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QImage>
#include <QMap>
#include <gtest/gtest.h>

namespace {

TEST(Install, TreePassesTheDesktopValidators)
{
    const QString prefix = MakeTempDir() + "/usr";
    QByteArray output;
    ASSERT_EQ(RunProgram("cmake", {"--install", Q9_BINARY_DIR, "--prefix", prefix}, &output), 0)
        << output.toStdString();

    const QFileInfo program(prefix + "/bin/q9plemo");
    EXPECT_TRUE(program.isFile() && program.isExecutable());

    const QString desktop = prefix + "/share/applications/com.example.q9plemo.desktop";
    output.clear();
    EXPECT_EQ(RunProgram("desktop-file-validate", {desktop}, &output), 0);
    EXPECT_TRUE(output.trimmed().isEmpty()) << output.toStdString();

    const QString metainfo = prefix + "/share/metainfo/com.example.q9plemo.metainfo.xml";
    output.clear();
    EXPECT_EQ(RunProgram("appstreamcli", {"validate", "--no-net", "--pedantic", metainfo}, &output), 0);
    EXPECT_EQ(output.trimmed(), QByteArray("\xE2\x9C\x94 Validation was successful.")) << output.toStdString();

    // The entry opens files with the program and names every kind the add
    // dialog accepts that the desktop knows a type for.
    QFile entryFile(desktop);
    ASSERT_TRUE(entryFile.open(QIODevice::ReadOnly));
    QMap<QString, QString> entry;
    for (const QString &line : QString::fromUtf8(entryFile.readAll()).split('\n')) {
        const qsizetype equals = line.indexOf('=');
        if (equals > 0)
            entry.insert(line.left(equals), line.mid(equals + 1));
    }
    EXPECT_EQ(entry.value("Name"), "Q9Plemo");
    EXPECT_EQ(entry.value("Exec"), "q9plemo %F");
    EXPECT_EQ(entry.value("Icon"), "q9plemo");
    EXPECT_EQ(entry.value("Categories"), "AudioVideo;Video;AudioVideoEditing;");
    const QStringList types = entry.value("MimeType").split(';');
    for (const char *type : {"video/mpeg", "video/x-msvideo", "application/vnd.rn-realmedia", "video/3gpp", "video/mp4",
                             "video/x-flv", "video/quicktime", "video/dv", "video/x-ms-wmv", "application/vnd.ms-asf",
                             "video/3gpp2", "video/x-matroska", "application/ram",
                             "application/vnd.adobe.flash.movie"})
        EXPECT_TRUE(types.contains(type)) << type;

    for (int size : {16, 32, 48, 64, 128, 256}) {
        const QImage icon(QStringLiteral("%1/share/icons/hicolor/%2x%2/apps/q9plemo.png").arg(prefix).arg(size));
        EXPECT_EQ(icon.size(), QSize(size, size)) << size;
        EXPECT_TRUE(icon.hasAlphaChannel()) << size;
    }
}

} // namespace
