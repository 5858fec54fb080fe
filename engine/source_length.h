#pragma once

#include "engine/dialog_port.h"

#include <optional>

// Seconds of a "hh:mm:ss" duration as the probe writes it; nothing for an
// empty, malformed or zero text.
std::optional<double> DurationSeconds(const QString &text);

// How long the row's source can honestly play: its probed length, or, when
// that is unknown, what its size would hold at a very low bitrate.
double SourceSecondsBound(const RowEntry &row);
