#pragma once

#include "engine/output_presets.h"

class TemplateDialog;

// The commands of the four choice boxes, as MainDialog runs them. Each box's
// choice is copied into its hidden mirror label, which the start command reads.

// Refills the resolution, bitrate and frame-rate boxes with the format's items,
// preselects its defaults and writes them into the mirrors.
void ApplyPresets(const TemplateDialog &dialog, OutputFormat format);

// The format box's current format (its item's data); false when it has none.
bool ChosenFormat(const TemplateDialog &dialog, OutputFormat *format);

// Choosing a format, the current one too, resets the other three boxes.
void ApplyChosenFormat(const TemplateDialog &dialog);

// Copies the chosen item of box `boxId` into the label `mirrorId`.
void MirrorChoice(const TemplateDialog &dialog, int boxId, int mirrorId);

// Fills the size limit box, the same for every format: no limit (chosen), then
// the sizes handsets take (a picture message, mail, messengers). The user may
// type another size into it.
void FillSizeLimitBox(const TemplateDialog &dialog);

// Copies the size limit box's text, a chosen item or typed text, into its
// mirror (empty for no limit). Typed text that is no size leaves the mirror
// alone, and the status line says what a size looks like: false then.
bool MirrorSizeLimit(const TemplateDialog &dialog);
