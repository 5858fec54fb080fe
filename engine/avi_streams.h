#pragma once

#include <QString>

// Whether the AVI file's header lists an audio stream ("auds" in a stream
// header). False when the file cannot be read or is no AVI.
bool AviHasAudioStream(const QString &path);
