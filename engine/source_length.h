#pragma once

#include "engine/dialog_port.h"

// How long the row's source can honestly play: its probed length, or, when
// that is unknown, what its size would hold at a very low bitrate.
double SourceSecondsBound(const RowEntry &row);
