#pragma once

#include "engine/output_presets.h"

#include <QString>
#include <QtGlobal>
#include <optional>

struct BatchChoices;

// A size as a user writes it: "300k", "1M", "2.5MB", "700000" (bytes). k, M
// and G count in 1024s, with or without a trailing "B" or "iB", any case.
// Nothing for an empty, negative, zero or unreadable text.
std::optional<qint64> ParseSizeText(const QString &text);

// The rates one row is made at under a size limit, and whether it can be.
struct SizePlan {
    int videoKbits = 0;        // the video rate the encoder is asked for
    int soundKbits = 0;        // the sound's rate: the format's own, or lower when the limit is tight
    bool capped = false;       // the limit, not the chosen bitrate, set the video rate
    qint64 smallestBytes = 0;  // set when the limit cannot be held: the smallest limit that can

    bool fits() const { return smallestBytes == 0; }
};

// What a file of the format at these rates takes for `seconds` of play, by the
// format's measured facts (the video at the least it was seen to overshoot,
// the sound at the most it was seen to write).
qint64 EstimatedFileBytes(OutputFormat format, int videoKbits, int soundKbits, int frameRate, double seconds);

// The rates for a source of `seconds` under `choices.maxBytes`, from the
// format's facts: the chosen bitrate where the file holds it with a margin;
// otherwise what the limit leaves for the picture after the sound and the
// container. The sound steps down while the picture would get less than it.
// A limit that leaves the picture less than the format's floor even with the
// lowest sound cannot be held: the plan names the smallest limit that can.
// `choices.maxBytes` and `seconds` must be above 0.
SizePlan PlanSizeLimit(const BatchChoices &choices, double seconds);

// What one pass wrote: the final file's size and the video's bytes in it, at
// the video rate the encoder was asked for.
struct PassSize {
    qint64 fileBytes = 0;
    qint64 videoBytes = 0;
    int askedKbits = 0;
    double seconds = 0;  // the length the plan was made for
};

// What follows a pass under a size limit.
struct PassVerdict {
    enum Kind {
        Keep,         // the file is the row's result
        EncodeAgain,  // the video once more at `videoKbits`
        TooBig,       // the limit cannot be held: the row fails, `smallestBytes` is the least it makes
    } kind = Keep;
    int videoKbits = 0;
    qint64 smallestBytes = 0;
};

// Judges a pass made under `choices.maxBytes` (at the video rate `plan` set
// when `firstPass`). A file over the limit is encoded once more, its video
// scaled by how far it missed; a file far below a limit that set its rate,
// whose encoder spent what it was given (a source without sound, say), once
// more at a higher rate (at most the chosen one). After the second pass a file
// over the limit is too big, and so is one whose sound and container alone
// fill the limit, or whose video would have to go below the format's floor.
PassVerdict JudgePass(const BatchChoices &choices, const SizePlan &plan, const PassSize &pass, bool firstPass);
