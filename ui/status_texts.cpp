#include "ui/status_texts.h"

namespace {

QString Text(const char *source)
{
    return QCoreApplication::translate("RowStateText", source);
}

}  // namespace

QString ShownRowState(const RowState &state)
{
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

QString ShownLength(int seconds)
{
    return QString::asprintf("%02d:%02d:%02d", seconds / 3600, (seconds / 60) % 60, seconds % 60);
}
