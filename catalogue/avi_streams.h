#pragma once

#include <QString>

// Whether the AVI file's header lists an MP3 audio stream (wave format tag
// 0x55 in the stream's format). False when the file cannot be read or is no AVI.
bool AviHasMp3Audio(const QString &path);
