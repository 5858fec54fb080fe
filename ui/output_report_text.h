#pragma once

#include "engine/output_report.h"

#include <QString>

// The lines a row's tooltip shows about its written file: container, video,
// sound, length, size, whether the index comes first, and, when the handset
// would not take the file, why.
QString ShownOutputReport(const OutputReport &report);
