#pragma once

// What the conversion and its commands write into the status line (UTF-8).
namespace StatusText {
inline constexpr char kAddFilesFirst[] = "请先添加需要转换的文件。";
inline constexpr char kStarting[] = "开始转换";
inline constexpr char kConverting[] = "转换中...";
inline constexpr char kExporting[] = "导出视频流";
inline constexpr char kFinished[] = "转换完成";
inline constexpr char kFailed[] = "转换失败";
inline constexpr char kPaused[] = "已经暂停";
inline constexpr char kResuming[] = "正在继续转换...";
inline constexpr char kStopped[] = "已经停止";
} // namespace StatusText
