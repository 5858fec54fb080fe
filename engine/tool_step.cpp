#include "engine/tool_step.h"

#include "engine/row_files.h"
#include "engine/tool_failure.h"
#include "process/command_line.h"

#include <QFileInfo>

StepResult RunRowTool(const QByteArray &tool, const QByteArray &parameters, const ToolWatchdog::Limits &limits,
                      EncoderControl &control, const QString &stem, FailReason otherwise)
{
    StepResult step;
    if (control.stopRequested()) {
        step.end = RowResult::stopped();
        return step;
    }
    ToolWatchdog watchdog(limits);
    watchdog.setActivity([files = AllRowFilePaths(stem)] { return RowFilesFingerprint(files); });
    // The row's thread names `control` as the owner of its tools: the runner
    // registers this one for pause, resume and stop.
    step.run = RunAndWait(tool, parameters, {}, &watchdog);
    if (control.stopRequested() || step.run.refused) {
        step.end = RowResult::stopped();
    } else if (!step.run.ok()) {
        const FailReason reason = ClassifyToolFailure(step.run, QFileInfo(stem).path(), otherwise);
        LogToolFailure(ToolPathArg(tool) + ' ' + parameters, step.run, reason);
        step.end = RowResult::failed(reason);
    }
    return step;
}
