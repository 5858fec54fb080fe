#include "engine/format_after_steps.h"

#include "engine/conversion_worker.h"
#include "engine/encoder_command_lines.h"
#include "engine/mp4_packaging.h"
#include "engine/output_naming.h"
#include "engine/tool_step.h"

RowResult PackageMp4Step(ConversionJob &job, const RowEntry &row, const BatchChoices &choices,
                         const QString &encoderOutput)
{
    return PackageMp4(encoderOutput, PackagingRun{job.toolDir, choices.frameRate, ConversionLimits(job, row),
                                                  &job.encoder, SoundKbits(OutputFormat::Mp4, choices)});
}

RowResult Export3gpStep(ConversionJob &job, const RowEntry &row, const BatchChoices &, const QString &encoderOutput)
{
    const QByteArray parameters = Export3gpParameters(encoderOutput);
    const QString stem = OutputStem(encoderOutput);
    const StepResult step = RunRowTool(job.toolDir + "pack3gp", parameters, ConversionLimits(job, row), job.encoder,
                                       stem, FailReason::ExportFailed);
    if (step.end)
        return *step.end;
    if (!FileHasContent(stem + QStringLiteral(".3gp")))
        return RowResult::failed(FailReason::ExportFailed);
    return RowResult::finished();
}
