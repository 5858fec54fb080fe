// The file list's context menu: what it offers for each kind of row, and what
// its actions do.
#include "engine/dialog_port.h"
#include "tests/support/window_support.h"
#include "ui/file_list_view.h"
#include "ui/row_menu.h"
#include "ui/status_texts.h"

#include <gtest/gtest.h>

namespace {

TEST(RowMenu, OffersWhatEachRowAllowsAndCarriesItOut)
{
    EnsureApp();
    FileListView list;
    list.setupColumns();
    const RowId done = list.appendRow("/v/done.avi");
    const RowId failed = list.appendRow("/v/failed.avi");
    const RowId waiting = list.appendRow("/v/waiting.avi");
    list.rows()->update(done, [](BatchRow &row) { row.outputFile = "/out/2026-01-01/10-00-00.mp4"; });
    list.setRowState(done, {RowPhase::Done});
    list.setRowState(failed, RowState::failed(FailReason::Unreadable));
    list.rows()->update(failed, [](BatchRow &row) {
        row.failure = FailureDetails{"mencoder -o out.avi in.avi", true, false, true, 1, "Cannot open demuxer."};
    });
    list.setRowState(waiting, {RowPhase::Waiting});

    EXPECT_EQ(RowMenuActions(list, 0), (QStringList{"打开所在文件夹", "重新转换", "移除"}));
    EXPECT_EQ(RowMenuActions(list, 1), (QStringList{"重新转换", "移除", "查看详情"}));
    EXPECT_EQ(RowMenuActions(list, 2), QStringList{"移除"});
    EXPECT_EQ(list.rowText(1, ColStatus), QStringLiteral("失败：无法读取文件"));
    const QString details = list.rowDetails(1);
    EXPECT_TRUE(details.contains("mencoder -o out.avi in.avi"));
    EXPECT_TRUE(details.contains(QStringLiteral("退出码 1")));
    EXPECT_TRUE(details.contains("Cannot open demuxer."));

    RunRowAction(list, 0, "重新转换");
    EXPECT_EQ(list.rowPhase(0), RowPhase::Waiting);
    EXPECT_EQ(list.rowText(0, ColStatus), QStringLiteral("等待转换"));
    RunRowAction(list, 1, "移除");
    ASSERT_EQ(list.rowCount(), 2);
    EXPECT_EQ(list.rowPath(1), "/v/waiting.avi");
}

}  // namespace
