// The add, drop and delete commands of the main window, with a stand-in
// player that reports each file's name as its codec.

#include "base/thread_tracker.h"
#include "install/tool_dir.h"
#include "res/control_ids.h"
#include "tests/support/main_dialog_fixture.h"
#include "ui/file_list_commands.h"
#include "ui/file_list_view.h"
#include "ui/main_dialog.h"

#include <QAbstractButton>
#include <QApplication>
#include <QComboBox>
#include <QDir>
#include <QMessageBox>
#include <QDropEvent>
#include <QFile>
#include <QFileDialog>
#include <QFileSystemModel>
#include <QLineEdit>
#include <QListView>
#include <QMimeData>
#include <QTest>
#include <QTimer>
#include <QUrl>
#include <gtest/gtest.h>

#include <memory>
#include <ostream>

// Readable texts in failure messages.
void PrintTo(const QString &text, std::ostream *os) { *os << '"' << text.toStdString() << '"'; }

namespace {

// Prints what the real player prints for a readable file, with the file's
// name as its codec; files whose names start with "slow" take a second.
const char kFakePlayer[] = "#!/bin/sh\n"
                           "for last; do :; done\n"
                           "name=$(basename \"$last\")\n"
                           "case \"$name\" in slow*) sleep 1;; esac\n"
                           "printf 'Playing %s.\\nID_VIDEO_FORMAT=%s\\nID_VIDEO_WIDTH=160\\n"
                           "ID_VIDEO_HEIGHT=120\\nID_LENGTH=61.50\\n' \"$last\" \"$name\"\n";

QString g_toolDir;
QString g_clipDir;

QString Clip(const QString &name) { return g_clipDir + '/' + name; }

bool WaitForProbes() { return WaitUntil([] { return ThreadTracker::running() == 0; }, 15000); }

class FileListCommandsTest : public MainDialogFixture {
protected:
    static void SetUpTestSuite()
    {
        MainDialogFixture::SetUpTestSuite();
        g_toolDir = MakeTempDir();
        QFile player(g_toolDir + "/mplayer");
        ASSERT_TRUE(player.open(QIODevice::WriteOnly));
        player.write(kFakePlayer);
        player.close();
        player.setPermissions(QFile::ReadOwner | QFile::WriteOwner | QFile::ExeOwner);

        g_clipDir = MakeTempDir();
        for (const char *name : {"a.avi", "b.mkv", "c.flv", "slow_a.avi", "slow_b.avi", "slow_c.avi",
                                 "中文 名字.rmvb"}) {
            QFile clip(Clip(QString::fromUtf8(name)));
            ASSERT_TRUE(clip.open(QIODevice::WriteOnly));
        }
        QDir().mkpath(Clip("folder.avi"));
    }

    void SetUp() override
    {
        MainDialogFixture::SetUp();
        g_szToolDir = QFile::encodeName(g_toolDir) + '/';
    }

    void TearDown() override
    {
        EXPECT_TRUE(WaitForProbes());
        SetFileChooser({});
        MainDialogFixture::TearDown();
    }

    FileListView *list() const { return m_dialog->controlAs<FileListView>(IdFileList); }
    QAbstractButton *button(int id) const { return m_dialog->controlAs<QAbstractButton>(id); }
    QString cell(int row, int column) const { return list()->rowText(row, column); }

    // Waits until every probe has ended and returns the paths in list order.
    QStringList settledPaths()
    {
        EXPECT_TRUE(WaitForProbes());
        QStringList paths;
        for (int r = 0; r < list()->rowCount(); ++r)
            paths << list()->rowPath(r);
        return paths;
    }

    // Every row carries its own file's values.
    void expectRowsFilledFromTheirOwnFiles()
    {
        for (int r = 0; r < list()->rowCount(); ++r) {
            SCOPED_TRACE(r);
            EXPECT_EQ(cell(r, ColCodec), QFileInfo(list()->rowPath(r)).fileName());
            EXPECT_EQ(cell(r, ColResolution), "160x120");
            EXPECT_EQ(cell(r, ColDuration), "00:01:01");
        }
    }
};

TEST_F(FileListCommandsTest, AddingTheSameFileTwiceGivesTwoRows)
{
    QWidget *askedBy = nullptr;
    SetFileChooser([&](QWidget *parent) {
        askedBy = parent;
        return QStringList{Clip("a.avi")};
    });
    button(IdAddFile)->click();
    button(IdAddFile)->click();

    EXPECT_EQ(askedBy, m_dialog.get());
    EXPECT_EQ(settledPaths(), (QStringList{Clip("a.avi"), Clip("a.avi")}));
    EXPECT_EQ(cell(0, ColNumber), "0");
    EXPECT_EQ(cell(1, ColNumber), "1");
    expectRowsFilledFromTheirOwnFiles();
}

TEST_F(FileListCommandsTest, CancelledFileDialogAddsNothing)
{
    int asked = 0;
    SetFileChooser([&](QWidget *) {
        ++asked;
        return QStringList();
    });
    m_dialog->OnAddFile();
    EXPECT_EQ(asked, 1);
    EXPECT_TRUE(settledPaths().isEmpty());
}

TEST_F(FileListCommandsTest, FilesChosenInTheRealDialogAreAddedInOrder)
{
    const QStringList chosen = {Clip(QString::fromUtf8("中文 名字.rmvb")), Clip("a.avi")};
    QString title;
    QStringList filters;
    QTimer answer;
    answer.setInterval(20);
    QObject::connect(&answer, &QTimer::timeout, [&] {
        // A name taken before the dialog has read its folder may be reported
        // missing in a message box of its own: closed, the next tick tries again.
        if (auto *missing = qobject_cast<QMessageBox *>(QApplication::activeModalWidget())) {
            missing->reject();
            return;
        }
        auto *dialog = qobject_cast<QFileDialog *>(QApplication::activeModalWidget());
        if (!dialog)
            return;
        // The timer keeps going until the dialog has closed: under load the
        // dialog's file model may not have read the folder yet, and then
        // accept() refuses the names and the dialog stays open.
        title = dialog->windowTitle();
        filters = dialog->nameFilters();
        // Several names go into the name box quoted, as the dialog writes them.
        // The folder is set once: setting it again restarts the file model's
        // reading of it, and the dialog may then never take the names.
        if (QDir(dialog->directory()) != QDir(g_clipDir))
            dialog->setDirectory(g_clipDir);
        const QString names = QStringLiteral("\"%1\" \"%2\"").arg(QFileInfo(chosen[0]).fileName(), "a.avi");
        dialog->selectFile(names);
        // selectFile() leaves the name box alone while it has the focus: typed
        // in then, as a user would.
        if (auto *nameBox = dialog->findChild<QLineEdit *>(QStringLiteral("fileNameEdit")))
            nameBox->setText(names);
        static_cast<QDialog *>(dialog)->accept();  // QFileDialog's own accept()
    });
    answer.start();
    m_dialog->OnAddFile();
    answer.stop();

    EXPECT_EQ(title, QStringLiteral("请选视频影音文件"));
    EXPECT_EQ(filters, AddFileFilters());
    EXPECT_EQ(settledPaths(), chosen);
    expectRowsFilledFromTheirOwnFiles();
}

TEST_F(FileListCommandsTest, DropAddsEveryFileAndTheVideosOfFoldersInOrder)
{
    // A folder holding videos of mixed case, other files and a sub-folder.
    const QString folder = MakeTempDir();
    for (const char *name : {"b.MKV", "a.avi", "notes.txt", "c.Rmvb", "d.mp3"})
        QFile(folder + '/' + name).open(QIODevice::WriteOnly);
    QDir().mkpath(folder + "/sub.avi");
    QFile(folder + "/sub.avi/inner.avi").open(QIODevice::WriteOnly);

    m_dialog->OnDropFiles({Clip("c.flv"), folder, Clip("missing.avi"), Clip("a.avi")});
    EXPECT_EQ(settledPaths(), (QStringList{Clip("c.flv"), folder + "/a.avi", folder + "/b.MKV",
                                           folder + "/c.Rmvb", folder + "/sub.avi/inner.avi", Clip("a.avi")}));
    EXPECT_EQ(cell(5, ColNumber), "5");
}

TEST_F(FileListCommandsTest, FilesDroppedOnTheWindowReachTheList)
{
    QMimeData data;
    data.setUrls({QUrl::fromLocalFile(Clip("c.flv")), QUrl::fromLocalFile(Clip("a.avi"))});
    QDragEnterEvent enter(QPoint(10, 10), Qt::CopyAction, &data, Qt::LeftButton, Qt::NoModifier);
    QCoreApplication::sendEvent(m_dialog.get(), &enter);
    EXPECT_TRUE(enter.isAccepted());
    QDropEvent drop(QPointF(10, 10), Qt::CopyAction, &data, Qt::LeftButton, Qt::NoModifier);
    QCoreApplication::sendEvent(m_dialog.get(), &drop);
    EXPECT_EQ(settledPaths(), (QStringList{Clip("c.flv"), Clip("a.avi")}));
    expectRowsFilledFromTheirOwnFiles();
}

TEST(FilesToAdd, CommandLineNamesAreMadeAbsoluteFromTheirOwnFolder)
{
    const QString dir = MakeTempDir();
    QFile(dir + "/b c.avi").open(QIODevice::WriteOnly);
    QDir().mkpath(dir + "/clips");
    QFile(dir + "/clips/x.FLV").open(QIODevice::WriteOnly);
    EXPECT_EQ(FilesToAdd({"b c.avi", "clips", "gone.mpg"}, dir), (QStringList{dir + "/b c.avi", dir + "/clips/x.FLV"}));
    EXPECT_EQ(VideoExtensions().size(), 19);
    EXPECT_TRUE(VideoExtensions().contains("3gpp"));
}

TEST(FilesToAdd, AFolderBringsItsSubFoldersInNaturalOrderWithoutLoopsAndAtMostTheLimit)
{
    const QString dir = MakeTempDir();
    for (const char *name : {"clip10.avi", "clip2.avi", "notes.txt", "sub/b.mkv", "sub/inner/c.flv", "Sub 2/a.mp4"}) {
        QDir().mkpath(QFileInfo(dir + '/' + name).path());
        QFile(dir + '/' + name).open(QIODevice::WriteOnly);
    }
    QFile::link(dir, dir + "/sub/loop");  // leads back to the top
    bool cut = true;
    EXPECT_EQ(FilesToAdd({dir}, QString(), &cut),
              (QStringList{dir + "/clip2.avi", dir + "/clip10.avi", dir + "/sub/b.mkv", dir + "/sub/inner/c.flv",
                           dir + "/Sub 2/a.mp4"}));
    EXPECT_FALSE(cut);

    const QString many = MakeTempDir();
    for (int i = 0; i <= kMaxFilesPerAdd; ++i)
        QFile(many + QStringLiteral("/v%1.avi").arg(i)).open(QIODevice::WriteOnly);
    const QStringList files = FilesToAdd({many}, QString(), &cut);
    EXPECT_TRUE(cut);
    ASSERT_EQ(files.size(), kMaxFilesPerAdd);
    EXPECT_EQ(files.last(), many + QStringLiteral("/v%1.avi").arg(kMaxFilesPerAdd - 1));
}

TEST_F(FileListCommandsTest, DeleteRemovesOnlyTheRowWithTheSelectionMark)
{
    for (const char *name : {"a.avi", "b.mkv", "c.flv"})
        list()->appendRow(Clip(name));
    list()->selectAll();
    list()->setSelectionMark(1);

    button(IdDeleteFile)->click();
    EXPECT_EQ(settledPaths(), (QStringList{Clip("a.avi"), Clip("c.flv")}));
    EXPECT_EQ(cell(1, ColNumber), "2") << "row numbers are not rewritten";
}

TEST_F(FileListCommandsTest, DeleteAfterSelectingRowsWithTheMouse)
{
    m_dialog->show();
    for (const char *name : {"a.avi", "b.mkv", "c.flv"})
        list()->appendRow(Clip(name));
    auto rowCentre = [this](int row) { return list()->visualRect(list()->model()->index(row, ColPath)).center(); };
    QTest::mouseClick(list()->viewport(), Qt::LeftButton, Qt::NoModifier, rowCentre(2));
    QTest::mouseClick(list()->viewport(), Qt::LeftButton, Qt::ShiftModifier, rowCentre(0));
    ASSERT_EQ(list()->selectionModel()->selectedRows().size(), 3);

    // The selection started at the last row, so that row goes, not the first
    // selected or the current one.
    button(IdDeleteFile)->click();
    EXPECT_EQ(settledPaths(), (QStringList{Clip("a.avi"), Clip("b.mkv")}));
}

TEST_F(FileListCommandsTest, DeleteWithoutSelectionMarkDeletesNothing)
{
    for (const char *name : {"a.avi", "b.mkv"})
        list()->appendRow(Clip(name));
    ASSERT_EQ(list()->selectionMark(), -1);
    list()->selectAll();
    m_dialog->OnDeleteFile();
    EXPECT_EQ(list()->rowCount(), 2);

    m_dialog->OnDeleteFile();  // on an empty list too
    while (list()->rowCount() > 0)
        list()->deleteRow(0);
    m_dialog->OnDeleteFile();
    EXPECT_EQ(list()->rowCount(), 0);
}

TEST_F(FileListCommandsTest, DeleteKeyInTheListDeletesTheSelectedRow)
{
    m_dialog->show();
    for (const char *name : {"a.avi", "b.mkv", "c.flv"})
        list()->appendRow(Clip(name));
    list()->setFocus();
    QTest::mouseClick(list()->viewport(), Qt::LeftButton, Qt::NoModifier,
                      list()->visualRect(list()->model()->index(1, ColPath)).center());
    QTest::keyClick(list(), Qt::Key_Delete);
    EXPECT_EQ(settledPaths(), (QStringList{Clip("a.avi"), Clip("c.flv")}));

    // Delete typed in the search box edits the text and deletes no row.
    auto *search = m_dialog->control(IdSearchBox);
    search->setFocus();
    QTest::keyClick(search, Qt::Key_Delete);
    EXPECT_EQ(list()->rowCount(), 2);
}

TEST_F(FileListCommandsTest, ProbeSelectsRowZeroButLeavesTheFocusInATextBox)
{
    m_dialog->show();
    auto *search = m_dialog->control(IdSearchBox);
    auto *editableBox = m_dialog->controlAs<QComboBox>(IdFrameRateBox);  // the frame rate box takes typing
    ASSERT_TRUE(editableBox->isEditable());
    for (QWidget *typingIn : {search, static_cast<QWidget *>(editableBox)}) {
        SCOPED_TRACE(typingIn->metaObject()->className());
        list()->clearSelection();
        typingIn->setFocus();
        m_dialog->addFile(Clip("a.avi"));
        EXPECT_TRUE(WaitForProbes());
        QWidget *focus = m_dialog->focusWidget();
        EXPECT_TRUE(focus == typingIn || typingIn->isAncestorOf(focus));
        EXPECT_TRUE(list()->selectionModel()->isRowSelected(0, {}));
    }
    // Elsewhere (on a button) the list takes the focus, as before.
    button(IdAddFile)->setFocus();
    m_dialog->addFile(Clip("b.mkv"));
    EXPECT_TRUE(WaitForProbes());
    EXPECT_EQ(m_dialog->focusWidget(), list());
}

TEST_F(FileListCommandsTest, RowDeletedWhileItsProbeRunsLeavesTheOthersCorrect)
{
    for (const char *name : {"slow_a.avi", "slow_b.avi", "slow_c.avi"})
        m_dialog->addFile(Clip(name));
    // The rows are there at once, in the order of the adds.
    ASSERT_EQ(list()->rowCount(), 3);
    for (int r = 0; r < 3; ++r)
        EXPECT_EQ(cell(r, ColNumber), QString::number(r));
    EXPECT_EQ(list()->rowPath(1), Clip("slow_b.avi"));
    ASSERT_TRUE(cell(1, ColCodec).isEmpty()) << "the stand-in player should still be running";

    list()->setSelectionMark(1);
    m_dialog->OnDeleteFile();

    EXPECT_EQ(settledPaths(), (QStringList{Clip("slow_a.avi"), Clip("slow_c.avi")}));
    expectRowsFilledFromTheirOwnFiles();
}

TEST(AddFileDialog, MatchesTheSupportedExtensionsWithoutRegardToCase)
{
    EnsureApp();
    const QString dir = MakeTempDir();
    for (const char *name : {"a.mp4", "B.Mkv", "c.txt", "d.3GPP", "e.rmvb", "f.MPG", "g.mp3"})
        QFile(dir + '/' + name).open(QIODevice::WriteOnly);

    QFileDialog dialog;
    ConfigureAddFileDialog(dialog);
    EXPECT_EQ(dialog.windowTitle(), QStringLiteral("请选视频影音文件"));
    EXPECT_EQ(dialog.fileMode(), QFileDialog::ExistingFiles);
    EXPECT_EQ(dialog.acceptMode(), QFileDialog::AcceptOpen);
    EXPECT_EQ(dialog.nameFilters(), AddFileFilters());
    EXPECT_EQ(dialog.selectedNameFilter(), AddFileFilters().first());
    ASSERT_EQ(AddFileFilters().size(), 2);
    EXPECT_EQ(AddFileFilters().first().count(QLatin1String("*.")), 19);

    dialog.setDirectory(dir);
    dialog.show();
    auto *view = dialog.findChild<QListView *>(QStringLiteral("listView"));
    ASSERT_NE(view, nullptr);
    auto shown = [&] {
        QStringList names;
        const QModelIndex root = view->rootIndex();
        for (int r = 0; r < view->model()->rowCount(root); ++r)
            names << view->model()->index(r, 0, root).data().toString();
        names.sort();
        return names;
    };
    const QStringList videos = {"B.Mkv", "a.mp4", "d.3GPP", "e.rmvb", "f.MPG"};
    EXPECT_TRUE(WaitUntil([&] { return shown() == videos; }, 5000)) << shown().join(' ').toStdString();

    dialog.selectNameFilter(AddFileFilters().last());
    EXPECT_TRUE(WaitUntil([&] { return shown().size() == 7; }, 5000)) << shown().join(' ').toStdString();
}

} // namespace
