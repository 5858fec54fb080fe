#include "settings/output_folder.h"

#include "base/log.h"
#include "settings/settings_store.h"

#include <QDir>

QString g_strOutputDir;

QString ProductFolder(const QString &base)
{
    return base.endsWith(QLatin1Char('/')) ? base + QStringLiteral("Q9TBR") : base + QStringLiteral("/Q9TBR");
}

QString DateFolderName(const QDate &date)
{
    return QString::asprintf("%d-%02d-%02d", date.year(), date.month(), date.day());
}

QString DatedOutputFolder(const QString &base, const QDate &date)
{
    return ProductFolder(base) + QLatin1Char('/') + DateFolderName(date);
}

QString CreateDatedOutputFolder(const QString &base, const QDate &date)
{
    const QString folder = DatedOutputFolder(base, date);
    // The program goes on: a failure shows again when the tools cannot write.
    if (!QDir().mkpath(folder))
        qCWarning(lcQ9) << "cannot create the output folder" << folder;
    return folder;
}

QString GetOutputFolder()
{
    const QString base = SettingsStore::usablePath().value_or(QString());
    return DatedOutputFolder(base, QDate::currentDate()) + QLatin1Char('/');
}

void CreateOutputFolder()
{
    if (const std::optional<QString> base = SettingsStore::usablePath())
        g_strOutputDir = *base;
    g_strOutputDir = CreateDatedOutputFolder(g_strOutputDir, QDate::currentDate());
}
