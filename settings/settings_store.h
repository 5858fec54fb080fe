#pragma once

#include <QString>
#include <optional>

// The per-user settings store: key "Software\Q9TBR" (key names compared
// without regard to case), string value "Path" holding the output base folder.
// It is an INI file in the user's config folder ($XDG_CONFIG_HOME, by default
// ~/.config), Q9TBR/settings.ini, looked up afresh at every access.
namespace SettingsStore {

// The key every reader opens; the settings dialog writes it as "SOFTWARE\Q9TBR".
inline constexpr const char *kKeyName = "Software\\Q9TBR";
inline constexpr const char *kValueName = "Path";
// A stored text must fit 256 bytes with its terminating zero.
inline constexpr int kMaxValueBytes = 256;

// The stored text, or nothing when there is none or it is 256 bytes or longer.
std::optional<QString> readPath();

// The stored text when it names an existing folder.
std::optional<QString> usablePath();

// Stores the text; false when the store cannot be written.
bool writePath(const QString &path);
// The same under the key spelt `keyName` (any case, '\' or '/' between parts).
bool writePath(const QString &path, const QString &keyName);
// Reads "Path" of the key spelt `keyName`, with the same rule as readPath().
std::optional<QString> readPath(const QString &keyName);

// The settings file as it would be used now.
QString filePath();

// The group a key name maps to: parts split at '\' or '/', empty parts
// dropped, lower case (so "SOFTWARE\Q9TBR" and "Software\Q9TBR" meet).
QString keyGroup(const QString &keyName);

}  // namespace SettingsStore
