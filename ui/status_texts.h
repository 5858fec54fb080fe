#pragma once

#include "engine/dialog_port.h"

#include <QString>
#include <optional>

// What the conversion and its commands write into the status line (UTF-8).
namespace StatusText {
inline constexpr char kAddFilesFirst[] = "请先添加需要转换的文件。";
inline constexpr char kStarting[] = "开始转换";
inline constexpr char kInstalledTools[] = "工具目录无法写入，正在使用系统中已安装的转换工具";
inline constexpr char kRestored[] = "已恢复上次未完成的 %1 个文件";
inline constexpr char kNothingToConvert[] = "列表中的文件都已转换完成，没有需要转换的文件。";
inline constexpr char kConverting[] = "转换中...";
inline constexpr char kExporting[] = "导出视频流";
inline constexpr char kFinished[] = "转换完成";
inline constexpr char kFailed[] = "转换失败";
inline constexpr char kPaused[] = "已经暂停";
inline constexpr char kResuming[] = "正在继续转换...";
inline constexpr char kStopped[] = "已经停止";
// The running batch: the place of the row being converted and the batch's size.
inline constexpr char kBatchPlace[] = "正在转换 %1/%2";
// … followed by the time left.
inline constexpr char kTimeLeft[] = "，剩余约 %1";
inline constexpr char kHoursMinutes[] = "%1 小时 %2 分";
inline constexpr char kMinutesSeconds[] = "%1 分 %2 秒";
inline constexpr char kSeconds[] = "%1 秒";
// A batch in which not every row succeeded: "%1" rows made, "%2" failed.
inline constexpr char kBatchSummary[] = "转换结束：成功 %1 个，失败 %2 个";
inline constexpr char kDiskFullMessage[] = "输出目录所在的磁盘已满，转换已停止。\n请腾出磁盘空间后重新开始转换。";
}  // namespace StatusText

// What the state column of the file list shows for a row (UTF-8).
namespace RowStateText {
inline constexpr char kWaiting[] = "等待转换";
inline constexpr char kConverting[] = "转换中 %1%";
// … followed by the speed, in seconds of the source per second.
inline constexpr char kSpeed[] = " · %1×";
inline constexpr char kPackaging[] = "导出中";
inline constexpr char kDone[] = "完成";
inline constexpr char kStopped[] = "已停止";
inline constexpr char kUnreadable[] = "无法读取文件";
inline constexpr char kFailedPrefix[] = "失败：";

// The reason a failed row shows, after the prefix.
inline const char *reason(FailReason why)
{
    switch (why) {
    case FailReason::Unreadable:
        return kUnreadable;
    case FailReason::NoVideo:
        return "文件中没有视频";
    case FailReason::Stuck:
        return "转换停滞，已终止";
    case FailReason::Damaged:
        return "文件已损坏";
    case FailReason::DiskFull:
        return "磁盘已满";
    case FailReason::FolderUnwritable:
        return "输出目录无法写入";
    case FailReason::ToolMissing:
        return "缺少转换工具";
    case FailReason::PackagingFailed:
        return "MP4封装失败";
    case FailReason::ExportFailed:
        return "3GP导出失败";
    case FailReason::StillPicture:
        return "画面静止";
    case FailReason::EncoderFailed:
    case FailReason::None:
        break;
    }
    return "编码失败";
}
}  // namespace RowStateText

// The state column's text for a row state, with a converting row's speed.
QString ShownRowState(const RowState &state, std::optional<double> speed = std::nullopt);
// A failed row's details: the command line, how the tool ended, its last lines.
QString ShownFailureDetails(const FailureDetails &details);
// The status line's text for the running batch.
QString ShownBatchPlace(int place, int total, std::optional<int> secondsLeft);
// The status line's text for what the batch reports.
QString ShownStatus(BatchStatus status, const BatchSummary &summary);
// Whole seconds as "%02d:%02d:%02d"; hours are not limited to two digits.
QString ShownLength(int seconds);
