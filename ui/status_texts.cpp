#include "ui/status_texts.h"

#include <QFile>

namespace {

QString Text(const char *source)
{
    return QCoreApplication::translate("RowStateText", source);
}

}  // namespace

QString ShownRowState(const RowState &state, std::optional<double> speed)
{
    if (state.phase == RowPhase::Converting && speed)
        return Text(RowStateText::kConverting).arg(state.percent) + Text(RowStateText::kSpeed).arg(*speed, 0, 'f', 1);
    switch (state.phase) {
    case RowPhase::Idle:
        break;
    case RowPhase::Waiting:
        return Text(RowStateText::kWaiting);
    case RowPhase::Converting:
        return Text(RowStateText::kConverting).arg(state.percent);
    case RowPhase::Packaging:
        return Text(RowStateText::kPackaging);
    case RowPhase::Done:
        return Text(RowStateText::kDone);
    case RowPhase::Stopped:
        return Text(RowStateText::kStopped);
    case RowPhase::Failed:
        if (state.reason == FailReason::OverSizeLimit)
            return Text(RowStateText::kFailedPrefix) +
                   Text(RowStateText::reason(state.reason)).arg(ShownSize(state.smallestBytes));
        return Text(RowStateText::kFailedPrefix) + Text(RowStateText::reason(state.reason));
    case RowPhase::Unreadable:
        return Text(RowStateText::reason(state.reason));
    }
    return QString();
}

QString StatusLineText(const char *source)
{
    return QCoreApplication::translate("StatusText", source);
}

QString ShownStatus(BatchStatus status, const BatchSummary &summary)
{
    switch (status) {
    case BatchStatus::Converting:
        return StatusLineText(StatusText::kConverting);
    case BatchStatus::Exporting:
        return StatusLineText(StatusText::kExporting);
    case BatchStatus::RowFinished:
        return StatusLineText(StatusText::kFinished);
    case BatchStatus::RowFailed:
        return StatusLineText(StatusText::kFailed);
    case BatchStatus::Ended:
        if (summary.failed == 0 && !summary.diskFull)
            return StatusLineText(StatusText::kFinished);
        return StatusLineText(StatusText::kBatchSummary).arg(summary.succeeded).arg(summary.failed);
    }
    return QString();
}

QString ShownBatchPlace(int place, int total, std::optional<int> secondsLeft)
{
    QString text = StatusLineText(StatusText::kBatchPlace).arg(place).arg(total);
    if (!secondsLeft)
        return text;
    const int left = qMax(1, *secondsLeft);
    QString time;
    if (left >= 3600)
        time = StatusLineText(StatusText::kHoursMinutes).arg(left / 3600).arg(left / 60 % 60);
    else if (left >= 60)
        time = StatusLineText(StatusText::kMinutesSeconds).arg(left / 60).arg(left % 60);
    else
        time = StatusLineText(StatusText::kSeconds).arg(left);
    return text + StatusLineText(StatusText::kTimeLeft).arg(time);
}

QString ShownSize(qint64 bytes)
{
    constexpr qint64 kKiB = 1024;
    constexpr qint64 kMiB = 1024 * kKiB;
    if (bytes < kMiB)
        return QStringLiteral("%1 KB").arg((bytes + kKiB - 1) / kKiB);
    const qint64 tenths = (bytes * 10 + kMiB - 1) / kMiB;
    return QStringLiteral("%1.%2 MB").arg(tenths / 10).arg(tenths % 10);
}

QString ShownLength(int seconds)
{
    return QString::asprintf("%02d:%02d:%02d", seconds / 3600, (seconds / 60) % 60, seconds % 60);
}

QString ShownFailureDetails(const FailureDetails &details)
{
    QString ending;
    if (!details.started)
        ending = QCoreApplication::translate("FailureDetails", "无法启动");
    else if (details.stuck)
        ending = QCoreApplication::translate("FailureDetails", "停滞，已被终止");
    else if (details.exitedNormally)
        ending = QCoreApplication::translate("FailureDetails", "退出码 %1").arg(details.exitCode);
    else
        ending = QCoreApplication::translate("FailureDetails", "被信号终止");
    return QCoreApplication::translate("FailureDetails", "命令行：\n%1\n\n退出状态：%2\n\n最后的输出：\n%3")
        .arg(details.commandLine, ending, details.lastLines);
}

QString ShownToolChoice(const ToolChoice &tools)
{
    switch (tools.source) {
    case ToolSource::Private:
        return StatusLineText(StatusText::kPrivateTools).arg(QFile::decodeName(tools.dir));
    case ToolSource::Installed:
        return StatusLineText(StatusText::kInstalledTools);
    case ToolSource::Usual:
        break;
    }
    return {};
}
