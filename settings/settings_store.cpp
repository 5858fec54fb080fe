#include "settings/settings_store.h"

#include "base/log.h"

#include <QFileInfo>
#include <QRegularExpression>
#include <QSettings>
#include <QStandardPaths>
#include <QStringList>

namespace SettingsStore {

QString filePath()
{
    // Resolved at every call, so a changed XDG_CONFIG_HOME is followed (QSettings'
    // own user path is fixed at its first use).
    return QStandardPaths::writableLocation(QStandardPaths::GenericConfigLocation) +
           QStringLiteral("/Q9TBR/settings.ini");
}

QString keyGroup(const QString &keyName)
{
    QStringList parts;
    for (const QString &part : keyName.split(QRegularExpression(QStringLiteral("[\\\\/]")), Qt::SkipEmptyParts))
        parts << part.toLower();
    return parts.join(QLatin1Char('/'));
}

static QString valueKey(const QString &keyName)
{
    return keyGroup(keyName) + QLatin1Char('/') + QLatin1String(kValueName);
}

std::optional<QString> readPath(const QString &keyName)
{
    QSettings store(filePath(), QSettings::IniFormat);
    if (store.status() != QSettings::NoError)
        qCWarning(lcQ9) << "cannot read the settings file" << store.fileName() << "status" << store.status();
    const QVariant value = store.value(valueKey(keyName));
    if (!value.isValid())
        return std::nullopt;
    const QString text = value.toString();
    // The reader's buffer holds 256 bytes including the terminating zero.
    if (text.toUtf8().size() >= kMaxValueBytes) {
        qCWarning(lcQ9) << "stored output folder ignored: longer than" << kMaxValueBytes - 1 << "bytes";
        return std::nullopt;
    }
    return text;
}

std::optional<QString> readPath()
{
    return readPath(QLatin1String(kKeyName));
}

std::optional<QString> usablePath()
{
    std::optional<QString> path = readPath();
    if (!path || !QFileInfo(*path).isDir())
        return std::nullopt;
    return path;
}

bool writePath(const QString &path, const QString &keyName)
{
    QSettings store(filePath(), QSettings::IniFormat);
    if (!store.isWritable()) {
        qCWarning(lcQ9) << "cannot write the settings file" << store.fileName();
        return false;
    }
    // The file is replaced through a save file and a rename (atomic sync is
    // QSettings' default), so a crash while writing keeps the old content.
    store.setAtomicSyncRequired(true);
    store.setValue(valueKey(keyName), path);
    store.sync();
    if (store.status() != QSettings::NoError) {
        qCWarning(lcQ9) << "cannot write the settings file" << store.fileName() << "status" << store.status();
        return false;
    }
    return true;
}

bool writePath(const QString &path)
{
    return writePath(path, QLatin1String(kKeyName));
}

}  // namespace SettingsStore
