#include "controls/xp_smart_button.h"
#include "res/control_ids.h"
#include "res/resources.h"
#include "settings/output_folder.h"
#include "settings/output_style.h"
#include "settings/settings_store.h"
#include "tests/support/test_support.h"
#include "tests/support/window_support.h"
#include "ui/message_box.h"
#include "ui/settings_dialog.h"

#include <QComboBox>
#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QLabel>
#include <QLineEdit>
#include <QSignalSpy>
#include <QTest>
#include <gtest/gtest.h>

namespace {

struct Message {
    QString caption;
    QString text;
};

// A fresh home and config folder, recorded messages, and two fixed volumes
// (temporary folders on one file system, so they tie on free space).
class SettingsDialogTest : public ::testing::Test {
protected:
    void SetUp() override
    {
        EnsureApp();
        m_home = MakeTempDir();
        qputenv("HOME", QFile::encodeName(m_home));
        qputenv("XDG_CONFIG_HOME", QFile::encodeName(m_home + QStringLiteral("/config")));
        m_driveA = makeFolder(QStringLiteral("driveA"));
        m_driveB = makeFolder(QStringLiteral("driveB"));
        m_volumes = {volume(m_driveA), volume(m_driveB)};
        SettingsDialog::SetVolumeSource([this] { return m_volumes; });
        SetMessageBoxHook([this](const QString &caption, const QString &text) { m_messages.push_back({caption, text}); });
        m_today = DateFolderName(QDate::currentDate());
    }
    void TearDown() override
    {
        SettingsDialog::SetVolumeSource({});
        SetMessageBoxHook({});
    }
    QString makeFolder(const QString &name) const
    {
        const QString path = m_home + QLatin1Char('/') + name;
        QDir().mkpath(path);
        return path;
    }
    static MountedVolume volume(const QString &root)
    {
        MountedVolume v;
        v.mountPoint = root;
        v.device = QStringLiteral("/dev/fake");
        v.blockDevice = true;
        v.rootWritable = true;
        return v;
    }
    static QLineEdit *pathBox(const SettingsDialog &d) { return d.controlAs<QLineEdit>(IdPath); }
    static QString freeSpaceText(const SettingsDialog &d) { return d.controlAs<QLabel>(IdFreeSpace)->text(); }
    static void setPath(SettingsDialog &d, const QString &text)
    {
        pathBox(d)->clear();
        // Typed where the test keyboard has the keys; pasted otherwise.
        if (text.toLatin1() == text.toUtf8())
            QTest::keyClicks(pathBox(d), text);
        else
            pathBox(d)->insert(text);
    }
    static void click(SettingsDialog &d, int id) { QTest::mouseClick(d.controlAs<CXPSmartButton>(id), Qt::LeftButton); }
    QString daysFolder(const QString &base) const { return base + QStringLiteral("/Q9TBR/") + m_today; }

    QString m_home, m_driveA, m_driveB, m_today;
    QList<MountedVolume> m_volumes;
    std::vector<Message> m_messages;
};

TEST_F(SettingsDialogTest, BuiltFromItsTemplate)
{
    SettingsDialog dialog;
    EXPECT_EQ(dialog.windowTitle(), QStringLiteral("Q9Plemo设置"));
    EXPECT_EQ(dialog.parentWidget(), nullptr);
    struct Button {
        int id;
        const char *caption;
        int icon;
    } const buttons[] = {{IdCancel, "取消", 150}, {IdSave, "保存设置", 151}, {IdReselect, "重新选择", 144}};
    for (const Button &b : buttons) {
        auto *button = dialog.controlAs<CXPSmartButton>(b.id);
        ASSERT_NE(button, nullptr) << b.id;
        EXPECT_EQ(button->text(), QString::fromUtf8(b.caption));
        EXPECT_FALSE(button->isDefault());
        EXPECT_FALSE(button->autoDefault());
        EXPECT_EQ(button->iconSlotSize(1), IconPixmap(b.icon).size()) << b.id;
        EXPECT_TRUE(button->iconSlotSize(2).isEmpty()) << b.id;
        // Loading the expected icon again changes nothing on screen, while
        // another icon does: so the button shows the expected one.
        const QImage shown = button->grab().toImage();
        button->LoadIcons(b.icon == 150 ? 151 : 150, 0);
        EXPECT_NE(button->grab().toImage(), shown) << b.id;
        button->LoadIcons(b.icon, 0);
        EXPECT_EQ(button->grab().toImage(), shown) << b.id;
    }
    ASSERT_NE(pathBox(dialog), nullptr);
    ASSERT_NE(dialog.controlAs<QLabel>(IdFreeSpace), nullptr);
}

TEST_F(SettingsDialogTest, ShowsTheStoredPathAndItsFreeSpace)
{
    const QString stored = makeFolder(QStringLiteral("video"));
    ASSERT_TRUE(SettingsStore::writePath(stored));
    SettingsDialog dialog;
    EXPECT_EQ(pathBox(dialog)->text(), stored);
    EXPECT_EQ(freeSpaceText(dialog), QString::number(GetFreeSpaceMB(stored)));
}

TEST_F(SettingsDialogTest, ProposesTheLaterOfTiedVolumesWhenNothingUsableIsStored)
{
    for (const bool storeMissingFolder : {false, true}) {
        if (storeMissingFolder) {
            ASSERT_TRUE(SettingsStore::writePath(m_home + QStringLiteral("/removed")));
        }
        SettingsDialog dialog;
        EXPECT_EQ(pathBox(dialog)->text(), m_driveB);
        EXPECT_EQ(freeSpaceText(dialog), QString::number(GetFreeSpaceMB(m_driveB)));
    }

    // A locked root leaves home as the candidate of the volume home lies on.
    m_volumes = {volume(m_driveA)};
    m_volumes[0].mountPoint = m_home;
    m_volumes[0].rootWritable = false;
    SettingsDialog dialog;
    EXPECT_EQ(pathBox(dialog)->text(), QFileInfo(m_home).canonicalFilePath());
}

TEST_F(SettingsDialogTest, FreeSpaceFollowsEveryKeystroke)
{
    SettingsDialog dialog;
    setPath(dialog, QStringLiteral("/no/such/place"));
    EXPECT_EQ(freeSpaceText(dialog), QStringLiteral("0"));

    // Each key updates the number: after "/" the root's space, after "/x" nothing.
    pathBox(dialog)->clear();
    QTest::keyClick(pathBox(dialog), Qt::Key_Slash);
    EXPECT_EQ(freeSpaceText(dialog), QString::number(GetFreeSpaceMB(QStringLiteral("/"))));
    QTest::keyClick(pathBox(dialog), Qt::Key_X);
    EXPECT_EQ(freeSpaceText(dialog), QStringLiteral("0"));
    QTest::keyClick(pathBox(dialog), Qt::Key_Backspace);
    EXPECT_EQ(freeSpaceText(dialog), QString::number(GetFreeSpaceMB(QStringLiteral("/"))));

    setPath(dialog, m_driveA);
    EXPECT_EQ(freeSpaceText(dialog), QString::number(GetFreeSpaceMB(m_driveA)));
    EXPECT_NE(freeSpaceText(dialog), QStringLiteral("0"));
}

TEST_F(SettingsDialogTest, SaveRefusesWhatIsNoFolder)
{
    const QString file = m_home + QStringLiteral("/clip.avi");
    QFile f(file);
    ASSERT_TRUE(f.open(QIODevice::WriteOnly));
    f.close();

    for (const QString &bad : {m_home + QStringLiteral("/missing"), file, QString()}) {
        m_messages.clear();
        SettingsDialog dialog;
        dialog.show();
        setPath(dialog, bad);
        click(dialog, IdSave);
        ASSERT_EQ(m_messages.size(), 1u) << bad.toStdString();
        EXPECT_EQ(m_messages[0].caption, QStringLiteral("Plemo TBR"));
        EXPECT_EQ(m_messages[0].text, QStringLiteral("您选择的目录无效，请重试"));
        EXPECT_TRUE(dialog.isVisible());
        EXPECT_FALSE(SettingsStore::readPath());
        // (An empty base names the root, which other programs may use; only
        // the folders beneath the refused paths are checked.)
        if (!bad.isEmpty()) {
            EXPECT_FALSE(QFileInfo::exists(daysFolder(bad)));
        }
    }
}

// Save refuses what no reader of the store could use, and says why; a store
// that cannot be written is reported and the dialog stays open.
TEST_F(SettingsDialogTest, SaveRefusesPathsNoReaderCanUse)
{
    const QString name(45, QChar(0x89C6));  // 45 × 3 bytes
    const QString longPath = m_home + '/' + name + '/' + name;
    ASSERT_TRUE(QDir().mkpath(longPath));
    const struct {
        QString path;
        const char *message;
    } refused[] = {{longPath, "目录路径太长，请选择一个路径较短的目录"},
                   {QStringLiteral("videos/out"), "请输入完整的目录路径（以 / 开头）"}};
    for (const auto &bad : refused) {
        m_messages.clear();
        SettingsDialog dialog;
        dialog.show();
        setPath(dialog, bad.path);
        click(dialog, IdSave);
        ASSERT_EQ(m_messages.size(), 1u);
        EXPECT_EQ(m_messages[0].text, QString::fromUtf8(bad.message));
        EXPECT_TRUE(dialog.isVisible());
        EXPECT_FALSE(SettingsStore::readPath());
    }

    // A folder where the store's file should be: nothing can be written there.
    ASSERT_TRUE(QDir().mkpath(SettingsStore::filePath()));
    m_messages.clear();
    SettingsDialog dialog;
    dialog.show();
    setPath(dialog, m_driveA);
    click(dialog, IdSave);
    ASSERT_EQ(m_messages.size(), 1u);
    EXPECT_TRUE(m_messages[0].text.startsWith(QStringLiteral("无法保存设置"))) << m_messages[0].text.toStdString();
    EXPECT_TRUE(dialog.isVisible());
    ASSERT_TRUE(QDir(SettingsStore::filePath()).removeRecursively());
}

TEST_F(SettingsDialogTest, SaveStoresThePathAndCreatesTheDaysFolder)
{
    struct Case {
        QString typed;
        QString folder;
    } const cases[] = {
        {m_driveA, daysFolder(m_driveA)},
        {m_driveB + QLatin1Char('/'), daysFolder(m_driveB)},
    };
    for (const Case &c : cases) {
        SettingsDialog dialog;
        dialog.show();
        setPath(dialog, c.typed);
        click(dialog, IdSave);
        EXPECT_TRUE(m_messages.empty());
        EXPECT_FALSE(dialog.isVisible());
        EXPECT_EQ(dialog.result(), QDialog::Accepted);
        // Stored as typed, trailing separator and all.
        EXPECT_EQ(SettingsStore::readPath().value_or(QString()), c.typed);
        EXPECT_TRUE(QFileInfo(c.folder).isDir()) << c.folder.toStdString();
    }
}

// The naming and shape boxes show the stored choices (the defaults at
// first) and save what is chosen.
TEST_F(SettingsDialogTest, NamingAndShapeAreShownAndSaved)
{
    {
        SettingsDialog dialog;
        auto *naming = dialog.controlAs<QComboBox>(IdNaming);
        auto *shape = dialog.controlAs<QComboBox>(IdShape);
        ASSERT_TRUE(naming && shape);
        EXPECT_EQ(naming->currentText(), QStringLiteral("按原文件名"));
        EXPECT_EQ(shape->currentText(), QStringLiteral("保持比例（加黑边）"));
        naming->setCurrentText(QStringLiteral("按时间"));
        shape->setCurrentText(QStringLiteral("裁剪填满"));
        setPath(dialog, m_driveA);
        click(dialog, IdSave);
    }
    EXPECT_EQ(OutputStyle::readNaming(), OutputNaming::TimeOfDay);
    EXPECT_EQ(OutputStyle::readShape(), PictureShape::Fill);
    SettingsDialog again;
    EXPECT_EQ(again.controlAs<QComboBox>(IdShape)->currentText(), QStringLiteral("裁剪填满"));
}

TEST_F(SettingsDialogTest, CancelKeepsAUsableStoredPath)
{
    const QString stored = makeFolder(QStringLiteral("kept"));
    ASSERT_TRUE(SettingsStore::writePath(stored));
    SettingsDialog dialog;
    dialog.show();
    setPath(dialog, m_driveA);  // an edit that must not be kept
    click(dialog, IdCancel);
    EXPECT_FALSE(dialog.isVisible());
    EXPECT_EQ(SettingsStore::readPath().value_or(QString()), stored);
    EXPECT_FALSE(QFileInfo::exists(daysFolder(m_driveA)));
    EXPECT_TRUE(m_messages.empty());
}

TEST_F(SettingsDialogTest, CancelWithoutUsablePathStoresTheProposal)
{
    SettingsDialog dialog;
    dialog.show();
    setPath(dialog, m_driveA);  // replaced by the proposal
    click(dialog, IdCancel);
    EXPECT_FALSE(dialog.isVisible());
    EXPECT_EQ(SettingsStore::usablePath().value_or(QString()), m_driveB);
    EXPECT_TRUE(QFileInfo(daysFolder(m_driveB)).isDir());
    EXPECT_TRUE(m_messages.empty());
}

TEST_F(SettingsDialogTest, CancelWithNoVolumeAtAllStillCloses)
{
    m_volumes.clear();
    SettingsDialog dialog;
    dialog.show();
    EXPECT_EQ(pathBox(dialog)->text(), QString());
    EXPECT_EQ(freeSpaceText(dialog), QStringLiteral("0"));
    click(dialog, IdCancel);
    EXPECT_FALSE(dialog.isVisible());
    ASSERT_EQ(m_messages.size(), 1u);
    EXPECT_EQ(m_messages[0].text, QStringLiteral("您选择的目录无效，请重试"));
    EXPECT_FALSE(SettingsStore::readPath());
}

TEST_F(SettingsDialogTest, ReselectAndSaveFromTheKeyboard)
{
    SettingsDialog dialog;
    dialog.show();
    setPath(dialog, m_driveA);
    QString askedFrom;
    SettingsDialog::SetFolderChooser([&](QWidget *, const QString &start) {
        askedFrom = start;
        return m_driveB;
    });

    // Enter typed in the path box presses nothing and closes nothing.
    pathBox(dialog)->setFocus();
    QTest::keyClick(pathBox(dialog), Qt::Key_Return);
    EXPECT_TRUE(dialog.isVisible());
    EXPECT_TRUE(askedFrom.isEmpty());

    // Enter on the focused "重新选择" opens the chooser at the box's path.
    auto *reselect = dialog.controlAs<CXPSmartButton>(IdReselect);
    reselect->setFocus();
    QTest::keyClick(reselect, Qt::Key_Enter);
    EXPECT_EQ(askedFrom, m_driveA);
    EXPECT_EQ(pathBox(dialog)->text(), m_driveB);
    EXPECT_EQ(freeSpaceText(dialog), QString::number(GetFreeSpaceMB(m_driveB)));
    EXPECT_FALSE(SettingsStore::readPath()) << "choosing stores nothing yet";

    // Space on the focused save button saves.
    auto *save = dialog.controlAs<CXPSmartButton>(IdSave);
    save->setFocus();
    QTest::keyClick(save, Qt::Key_Space);
    EXPECT_FALSE(dialog.isVisible());
    EXPECT_EQ(SettingsStore::readPath(), m_driveB);
    SettingsDialog::SetFolderChooser({});
}

TEST_F(SettingsDialogTest, CancelledChooserAndLeadingTildeMeaningHome)
{
    SettingsDialog dialog;
    dialog.show();
    setPath(dialog, QStringLiteral("~/driveA"));
    EXPECT_EQ(freeSpaceText(dialog), QString::number(GetFreeSpaceMB(m_driveA)));
    QString askedFrom;
    SettingsDialog::SetFolderChooser([&](QWidget *, const QString &start) {
        askedFrom = start;
        return QString();
    });
    click(dialog, IdReselect);
    SettingsDialog::SetFolderChooser({});
    EXPECT_EQ(askedFrom, m_driveA);
    EXPECT_EQ(pathBox(dialog)->text(), QStringLiteral("~/driveA")) << "a cancelled choice changes nothing";

    click(dialog, IdSave);
    EXPECT_EQ(SettingsStore::readPath(), m_driveA);
    EXPECT_TRUE(QFileInfo::exists(daysFolder(m_driveA)));
}

TEST_F(SettingsDialogTest, EscapeStoresNothing)
{
    SettingsDialog dialog;
    dialog.show();
    setPath(dialog, m_driveA);
    QTest::keyClick(pathBox(dialog), Qt::Key_Escape);
    EXPECT_FALSE(dialog.isVisible());
    EXPECT_EQ(dialog.result(), QDialog::Rejected);
    EXPECT_FALSE(SettingsStore::readPath());
    EXPECT_FALSE(QFileInfo::exists(daysFolder(m_driveA)));
    EXPECT_TRUE(m_messages.empty());
}

TEST_F(SettingsDialogTest, CloseBoxStoresNothing)
{
    SettingsDialog dialog;
    dialog.show();
    setPath(dialog, m_driveA);
    EXPECT_TRUE(dialog.close());
    EXPECT_FALSE(dialog.isVisible());
    EXPECT_FALSE(SettingsStore::readPath());
}

} // namespace
