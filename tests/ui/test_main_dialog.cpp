// The main window against its layout template, and its keyboard and banner behaviour.
#include "controls/flat_combo_box.h"
#include "controls/xp_smart_button.h"
#include "res/control_ids.h"
#include "res/dialog_templates.h"
#include "res/resources.h"
#include "tests/support/main_dialog_fixture.h"
#include "ui/dialog_builder.h"
#include "ui/file_list_view.h"
#include "ui/main_dialog.h"
#include "ui/status_texts.h"

#include <QFontMetrics>
#include <QHeaderView>
#include <QLabel>
#include <QLineEdit>
#include <QProgressBar>
#include <QTest>
#include <QScrollBar>
#include <gtest/gtest.h>
#include <utility>

namespace {

using MainDialogTest = MainDialogFixture;

TEST_F(MainDialogTest, MatchesTheTemplate)
{
    const DialogTemplate &tmpl = MainDialogTemplate();
    EXPECT_EQ(m_dialog->windowTitle(), QStringLiteral("Q9Plemo 【免费绿色软件】"));
    EXPECT_EQ(m_dialog->size(), m_dialog->minimumSize()) << "the template's size is the default and the smallest";
    ASSERT_EQ(tmpl.controls.size(), 37u);

    // The 32 shown controls are the window's own; the five hidden labels live
    // in a window of their own that is never shown.
    int childWidgets = 0;
    for (QWidget *child : m_dialog->findChildren<QWidget *>(Qt::FindDirectChildrenOnly))
        childWidgets += child->isWindow() ? 0 : 1;
    EXPECT_EQ(childWidgets, 32);

    const DialogUnits units = DialogUnits::forFont(m_dialog->font());
    for (const ControlTemplate &c : tmpl.controls) {
        if (c.id < 0)
            continue;
        QWidget *w = m_dialog->control(c.id);
        ASSERT_NE(w, nullptr) << c.id;
        const QRect expected(units.toX(c.x), units.toY(c.y), units.toX(c.cx), units.toY(c.cy));
        EXPECT_EQ(w->pos(), expected.topLeft()) << "control " << c.id;
        switch (c.kind) {
        case ControlKind::PushButton:
            EXPECT_NE(qobject_cast<CXPSmartButton *>(w), nullptr) << c.id;
            EXPECT_EQ(static_cast<QPushButton *>(w)->text(), QString::fromUtf8(c.caption));
            EXPECT_FALSE(static_cast<QPushButton *>(w)->isDefault()) << "no button is a default button";
            EXPECT_EQ(w->size(), expected.size()) << c.id;
            break;
        case ControlKind::ComboBox:
            EXPECT_NE(qobject_cast<CCJFlatComboBox *>(w), nullptr) << c.id;
            EXPECT_EQ(w->width(), expected.width());
            break;
        case ControlKind::ListView:
            EXPECT_NE(qobject_cast<FileListView *>(w), nullptr);
            EXPECT_EQ(w->size(), expected.size());
            break;
        case ControlKind::StaticPicture:
            EXPECT_EQ(w->size(), QSize(420, 60)) << "the banner takes its bitmap's size";
            break;
        default:
            EXPECT_EQ(w->size(), expected.size()) << c.id;
        }
        EXPECT_EQ(w->isHidden(), (c.id >= IdBitrateMirror && c.id <= IdSpareLabel) || c.id == IdSizeLimitMirror)
            << "only the mirrors and the spare label are hidden";
    }
    EXPECT_TRUE(qobject_cast<QComboBox *>(m_dialog->control(IdFrameRateBox))->isEditable());
    EXPECT_FALSE(qobject_cast<QComboBox *>(m_dialog->control(IdFormatBox))->isEditable());
}

TEST_F(MainDialogTest, GrowsWithTheListTakingTheRoomAndKeepsItsSize)
{
    const QSize base = m_dialog->size();
    m_dialog->show();
    auto geometry = [this](int id) { return m_dialog->control(id)->geometry(); };
    const QRect list = geometry(IdFileList), exit = geometry(IdExit), add = geometry(IdAddFile),
                status = geometry(IdStatusLine), progress = geometry(IdProgress), banner = geometry(IdBanner),
                start = geometry(IdStart), site = geometry(IdSiteLink);

    m_dialog->resize(1100, 800);
    ASSERT_EQ(m_dialog->size(), QSize(1100, 800));
    const int dx = 1100 - base.width(), dy = 800 - base.height();
    EXPECT_EQ(geometry(IdFileList), list.adjusted(0, 0, dx, dy));
    EXPECT_EQ(geometry(IdExit), exit.translated(dx, dy)) << "the right-hand column keeps to the corner";
    EXPECT_EQ(geometry(IdAddFile), add.translated(dx, 0));
    EXPECT_EQ(geometry(IdStatusLine), status.translated(0, dy).adjusted(0, 0, dx, 0));
    EXPECT_EQ(geometry(IdProgress), progress.translated(0, dy).adjusted(0, 0, dx, 0));
    EXPECT_EQ(geometry(IdSiteLink), site.translated(0, dy));
    EXPECT_EQ(geometry(IdBanner), banner);
    EXPECT_EQ(geometry(IdStart), start);
    auto *fileList = m_dialog->controlAs<FileListView>(IdFileList);
    EXPECT_GT(fileList->columnWidth(ColPath), 140 + dx / 2) << "the file name takes the width";

    // The next window opens at the size and column widths this one was left with.
    fileList->setColumnWidth(ColStatus, 150);
    m_dialog.reset();
    m_dialog = std::make_unique<MainDialog>();
    m_dialog->OnInitDialog();
    EXPECT_EQ(m_dialog->size(), QSize(1100, 800));
    EXPECT_EQ(m_dialog->controlAs<FileListView>(IdFileList)->columnWidth(ColStatus), 150);

    // Never smaller than the template; the next test starts from it again.
    m_dialog->show();
    m_dialog->resize(100, 100);
    EXPECT_EQ(m_dialog->size(), base);
    m_dialog->controlAs<FileListView>(IdFileList)->setColumnWidth(ColStatus, 76);
}

TEST_F(MainDialogTest, TabOrderFollowsTheTemplate)
{
    QList<int> expected;
    for (const ControlTemplate &c : MainDialogTemplate().controls) {
        if (c.id >= 0 && (c.style & StyleTabStop))
            expected << c.id;
    }
    QList<int> actual;
    QWidget *w = m_dialog->control(expected.first());
    for (int i = 0; i < expected.size(); ++i) {
        actual << w->objectName().mid(3).toInt();
        do {
            w = w->nextInFocusChain();
        } while (w->focusPolicy() != Qt::StrongFocus || !m_dialog->control(w->objectName().mid(3).toInt()));
    }
    EXPECT_EQ(actual, expected);
}

TEST_F(MainDialogTest, FileListColumns)
{
    auto *list = m_dialog->controlAs<FileListView>(IdFileList);
    ASSERT_EQ(list->columnCount(), 7);
    const QStringList headers{"", "文件名", "播放时间", "编码", "分辨率", "帧率", "状态"};
    const Qt::Alignment align[] = {Qt::AlignLeft,    Qt::AlignLeft, Qt::AlignHCenter, Qt::AlignRight,
                                   Qt::AlignHCenter, Qt::AlignLeft, Qt::AlignLeft};
    for (int c = 0; c < 7; ++c) {
        EXPECT_EQ(list->model()->headerData(c, Qt::Horizontal).toString(), headers[c]);
        EXPECT_EQ(list->model()->headerData(c, Qt::Horizontal, Qt::TextAlignmentRole).value<Qt::Alignment>() &
                      Qt::AlignHorizontal_Mask,
                  align[c]);
    }
    // Every column fits without a horizontal scroll bar: the name gives up the width.
    m_dialog->show();
    for (int i = 0; i < 40; ++i)
        list->appendRow(QStringLiteral("/v/%1.avi").arg(i));
    QApplication::processEvents();
    EXPECT_TRUE(list->verticalScrollBar()->isVisible());
    EXPECT_EQ(list->horizontalScrollBar()->maximum(), 0);
    while (list->rowCount() > 0)
        list->deleteRow(0);
    EXPECT_GE(list->columnWidth(ColPath), 60);
    EXPECT_EQ(list->columnWidth(ColStatus), 76);
    EXPECT_EQ(list->selectionMode(), QAbstractItemView::ExtendedSelection);
    EXPECT_EQ(list->selectionBehavior(), QAbstractItemView::SelectRows);
    EXPECT_TRUE(list->showGrid());
    EXPECT_FALSE(list->horizontalHeader()->sectionsClickable());

    const RowId first = list->appendRow("/v/a.avi");
    const RowId second = list->appendRow("/v/b.avi");
    EXPECT_EQ(list->rowText(1, ColNumber), "1");
    list->deleteRow(0);
    EXPECT_EQ(list->rowOf(first), -1);
    EXPECT_EQ(list->rowOf(second), 0);
    EXPECT_EQ(list->rowText(0, ColNumber), "1") << "numbers are not rewritten";
    EXPECT_FALSE(list->setRowState(first, {RowPhase::Waiting})) << "a deleted row takes no values";
}

TEST_F(MainDialogTest, InitialState)
{
    auto *status = m_dialog->controlAs<QLabel>(IdStatusLine);
    EXPECT_TRUE(status->text().endsWith("出品    [Q9Plemo  支持文件拖拽方式添加需要转换的文件]"));
    EXPECT_TRUE(status->text().contains("example")) << "the credit names only a reserved example domain";
    auto *progress = m_dialog->controlAs<QProgressBar>(IdProgress);
    EXPECT_EQ(progress->minimum(), 0);
    EXPECT_EQ(progress->maximum(), 100);
    EXPECT_FALSE(m_dialog->windowIcon().isNull());
    EXPECT_TRUE(m_dialog->acceptDrops());

    // The dialog font shows Chinese text with a real glyph, not a box.
    const QFontMetrics fm(m_dialog->font());
    for (QChar ch : QStringLiteral("开始转换帧速度编码率"))
        EXPECT_TRUE(fm.inFont(ch)) << int(ch.unicode());
}

TEST_F(MainDialogTest, BannerAlternatesWithoutNewPictures)
{
    auto *banner = m_dialog->controlAs<QLabel>(IdBanner);
    EXPECT_EQ(m_dialog->bannerBitmapId(), 130);
    const qint64 first130 = banner->pixmap().cacheKey();
    m_dialog->OnTimer();
    EXPECT_EQ(m_dialog->bannerBitmapId(), 143);
    EXPECT_EQ(banner->pixmap().cacheKey(), BannerBitmap(143).cacheKey());
    const qint64 first143 = banner->pixmap().cacheKey();
    for (int i = 0; i < 20; ++i)
        m_dialog->OnTimer();
    EXPECT_EQ(m_dialog->bannerBitmapId(), 143);
    EXPECT_EQ(banner->pixmap().cacheKey(), first143) << "the same picture is shown again, not a new copy";
    m_dialog->OnTimer();
    EXPECT_EQ(banner->pixmap().cacheKey(), first130);
    EXPECT_NE(first130, first143);
}

TEST_F(MainDialogTest, EnterPressesAFocusedButtonButNeverEndsTheWindowElsewhere)
{
    m_dialog->show();
    ASSERT_TRUE(QTest::qWaitForWindowExposed(m_dialog.get()));
    for (int id : {IdFileList, IdFormatBox, IdResolutionBox}) {
        QWidget *target = m_dialog->control(id);
        target->setFocus();
        QTest::keyClick(target, Qt::Key_Return);
        QTest::keyClick(target, Qt::Key_Enter);
        EXPECT_TRUE(m_dialog->isVisible()) << "Enter in control " << id;
    }
    // On the start button, Enter and Space press it (an empty list says so).
    auto *status = m_dialog->controlAs<QLabel>(IdStatusLine);
    auto *start = m_dialog->controlAs<QPushButton>(IdStart);
    for (Qt::Key key : {Qt::Key_Return, Qt::Key_Space}) {
        status->clear();
        start->setFocus();
        QTest::keyClick(start, key);
        EXPECT_FALSE(status->text().isEmpty()) << "key " << key;
    }
    // On the exit button, Enter ends the window as a click would.
    auto *exit = m_dialog->controlAs<QPushButton>(IdExit);
    exit->setFocus();
    QTest::keyClick(exit, Qt::Key_Enter);
    EXPECT_FALSE(m_dialog->isVisible());
    EXPECT_EQ(m_dialog->result(), QDialog::Accepted);
}

TEST_F(MainDialogTest, EscapeEndsTheWindow)
{
    m_dialog->show();
    ASSERT_TRUE(QTest::qWaitForWindowExposed(m_dialog.get()));
    QTest::keyClick(m_dialog->control(IdFileList), Qt::Key_Escape);
    EXPECT_FALSE(m_dialog->isVisible());
    EXPECT_EQ(m_dialog->result(), QDialog::Rejected);
}

TEST_F(MainDialogTest, ExitButtonEndsTheWindow)
{
    m_dialog->show();
    ASSERT_TRUE(QTest::qWaitForWindowExposed(m_dialog.get()));
    m_dialog->controlAs<QPushButton>(IdExit)->click();
    EXPECT_FALSE(m_dialog->isVisible());
    EXPECT_EQ(m_dialog->result(), QDialog::Accepted);
}

// How the window words what the core reports.
TEST(ShownTexts, RowStatesLengthsAndBatchEnds)
{
    const std::pair<RowState, const char *> states[] = {
        {RowState{}, ""},
        {RowState{RowPhase::Waiting}, "等待转换"},
        {RowState::converting(42), "转换中 42%"},
        {RowState{RowPhase::Packaging}, "导出中"},
        {RowState{RowPhase::Done}, "完成"},
        {RowState{RowPhase::Stopped}, "已停止"},
        {RowState::failed(FailReason::Stuck), "失败：转换停滞，已终止"},
        {RowState::unreadable(FailReason::Unreadable), "无法读取文件"},
        {RowState::unreadable(FailReason::ToolMissing), "缺少转换工具"},
    };
    for (const auto &[state, text] : states)
        EXPECT_EQ(ShownRowState(state), QString::fromUtf8(text));

    const std::pair<int, const char *> lengths[] = {
        {0, "00:00:00"}, {59, "00:00:59"}, {3599, "00:59:59"}, {5025, "01:23:45"}, {360000, "100:00:00"}};
    for (const auto &[seconds, text] : lengths)
        EXPECT_EQ(ShownLength(seconds), QString::fromUtf8(text));

    EXPECT_EQ(ShownStatus(BatchStatus::Ended, BatchSummary{3, 0, false, false}), QStringLiteral("转换完成"));
    EXPECT_EQ(ShownStatus(BatchStatus::Ended, BatchSummary{1, 2, false, false}),
              QStringLiteral("转换结束：成功 1 个，失败 2 个"));
    EXPECT_EQ(ShownStatus(BatchStatus::Ended, BatchSummary{2, 0, false, true}),
              QStringLiteral("转换结束：成功 2 个，失败 0 个"));
}

}  // namespace
