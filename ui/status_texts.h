#pragma once

#include "engine/dialog_port.h"
#include "install/tool_fallback.h"

#include <QCoreApplication>
#include <QString>
#include <optional>

// What the conversion and its commands write into the status line: source
// texts of the "StatusText" context, shown through StatusLineText().
namespace StatusText {
inline constexpr char kAddFilesFirst[] = QT_TRANSLATE_NOOP("StatusText", "请先添加需要转换的文件。");
inline constexpr char kStarting[] = QT_TRANSLATE_NOOP("StatusText", "开始转换");
inline constexpr char kInstalledTools[] =
    QT_TRANSLATE_NOOP("StatusText", "工具目录无法写入，正在使用系统中已安装的转换工具");
// The tools run from the private folder "%1", as the tools folder cannot take them.
inline constexpr char kPrivateTools[] = QT_TRANSLATE_NOOP("StatusText", "工具目录不可用，转换工具已写入 %1");
inline constexpr char kRestored[] = QT_TRANSLATE_NOOP("StatusText", "已恢复上次未完成的 %1 个文件");
inline constexpr char kQueueHeldElsewhere[] =
    QT_TRANSLATE_NOOP("StatusText", "另一个窗口正在使用转换列表，本窗口的列表不会保存");
inline constexpr char kNothingToConvert[] =
    QT_TRANSLATE_NOOP("StatusText", "列表中的文件都已转换完成，没有需要转换的文件。");
inline constexpr char kConverting[] = QT_TRANSLATE_NOOP("StatusText", "转换中...");
inline constexpr char kExporting[] = QT_TRANSLATE_NOOP("StatusText", "导出视频流");
inline constexpr char kFinished[] = QT_TRANSLATE_NOOP("StatusText", "转换完成");
inline constexpr char kFailed[] = QT_TRANSLATE_NOOP("StatusText", "转换失败");
inline constexpr char kPaused[] = QT_TRANSLATE_NOOP("StatusText", "已经暂停");
inline constexpr char kResuming[] = QT_TRANSLATE_NOOP("StatusText", "正在继续转换...");
inline constexpr char kStopped[] = QT_TRANSLATE_NOOP("StatusText", "已经停止");
// Start pressed while a stopped batch still ends its rows.
inline constexpr char kStillStopping[] = QT_TRANSLATE_NOOP("StatusText", "正在停止上一批转换，请稍后再开始。");
// The running batch: the place of the row being converted and the batch's size.
inline constexpr char kBatchPlace[] = QT_TRANSLATE_NOOP("StatusText", "正在转换 %1/%2");
// … followed by the time left.
inline constexpr char kTimeLeft[] = QT_TRANSLATE_NOOP("StatusText", "，剩余约 %1");
inline constexpr char kHoursMinutes[] = QT_TRANSLATE_NOOP("StatusText", "%1 小时 %2 分");
inline constexpr char kMinutesSeconds[] = QT_TRANSLATE_NOOP("StatusText", "%1 分 %2 秒");
inline constexpr char kSeconds[] = QT_TRANSLATE_NOOP("StatusText", "%1 秒");
// A batch in which not every row succeeded: "%1" rows made, "%2" failed.
inline constexpr char kBatchSummary[] = QT_TRANSLATE_NOOP("StatusText", "转换结束：成功 %1 个，失败 %2 个");
// The size limit box holds text "%1" that is no size.
inline constexpr char kBadSizeLimit[] =
    QT_TRANSLATE_NOOP("StatusText", "无法识别大小限制“%1”，请输入如 300K、1.5M 的大小");
inline constexpr char kDiskFullMessage[] =
    QT_TRANSLATE_NOOP("StatusText", "输出目录所在的磁盘已满，转换已停止。\n请腾出磁盘空间后重新开始转换。");
}  // namespace StatusText

// What the state column of the file list shows for a row: source texts of the
// "RowStateText" context, shown through ShownRowState().
namespace RowStateText {
inline constexpr char kWaiting[] = QT_TRANSLATE_NOOP("RowStateText", "等待转换");
inline constexpr char kConverting[] = QT_TRANSLATE_NOOP("RowStateText", "转换中 %1%");
// … followed by the speed, in seconds of the source per second.
inline constexpr char kSpeed[] = QT_TRANSLATE_NOOP("RowStateText", " · %1×");
inline constexpr char kPackaging[] = QT_TRANSLATE_NOOP("RowStateText", "导出中");
inline constexpr char kDone[] = QT_TRANSLATE_NOOP("RowStateText", "完成");
inline constexpr char kStopped[] = QT_TRANSLATE_NOOP("RowStateText", "已停止");
inline constexpr char kUnreadable[] = QT_TRANSLATE_NOOP("RowStateText", "无法读取文件");
inline constexpr char kFailedPrefix[] = QT_TRANSLATE_NOOP("RowStateText", "失败：");

// The reason a failed row shows, after the prefix.
inline const char *reason(FailReason why)
{
    switch (why) {
    case FailReason::Unreadable:
        return kUnreadable;
    case FailReason::NoVideo:
        return QT_TRANSLATE_NOOP("RowStateText", "文件中没有视频");
    case FailReason::Stuck:
        return QT_TRANSLATE_NOOP("RowStateText", "转换停滞，已终止");
    case FailReason::Damaged:
        return QT_TRANSLATE_NOOP("RowStateText", "文件已损坏");
    case FailReason::DiskFull:
        return QT_TRANSLATE_NOOP("RowStateText", "磁盘已满");
    case FailReason::FolderUnwritable:
        return QT_TRANSLATE_NOOP("RowStateText", "输出目录无法写入");
    case FailReason::ToolMissing:
        return QT_TRANSLATE_NOOP("RowStateText", "缺少转换工具");
    case FailReason::PackagingFailed:
        return QT_TRANSLATE_NOOP("RowStateText", "MP4封装失败");
    case FailReason::ExportFailed:
        return QT_TRANSLATE_NOOP("RowStateText", "3GP导出失败");
    case FailReason::StillPicture:
        return QT_TRANSLATE_NOOP("RowStateText", "画面静止");
    case FailReason::NotForHandset:
        return QT_TRANSLATE_NOOP("RowStateText", "输出文件不符合手机要求");
    case FailReason::OverSizeLimit:
        // "%1": the smallest file the row can be made into ("1.2 MB").
        return QT_TRANSLATE_NOOP("RowStateText", "大小限制过小，最小约 %1");
    case FailReason::LengthUnknown:
        return QT_TRANSLATE_NOOP("RowStateText", "时长未知，无法限制大小");
    case FailReason::EncoderFailed:
    case FailReason::None:
        break;
    }
    return QT_TRANSLATE_NOOP("RowStateText", "编码失败");
}
}  // namespace RowStateText

// A StatusText source text in the user's language.
QString StatusLineText(const char *source);
// The state column's text for a row state, with a converting row's speed.
QString ShownRowState(const RowState &state, std::optional<double> speed = std::nullopt);
// A failed row's details: the command line, how the tool ended, its last lines.
QString ShownFailureDetails(const FailureDetails &details);
// The status line's text for the running batch.
QString ShownBatchPlace(int place, int total, std::optional<int> secondsLeft);
// The status line's text for what the batch reports.
QString ShownStatus(BatchStatus status, const BatchSummary &summary);
// What the user hears of where the tools run from: nothing for the usual folder.
QString ShownToolChoice(const ToolChoice &tools);
// A file size as the size limit box words it, rounded up: "350 KB", "1.3 MB".
QString ShownSize(qint64 bytes);
// Whole seconds as "%02d:%02d:%02d"; hours are not limited to two digits.
QString ShownLength(int seconds);
