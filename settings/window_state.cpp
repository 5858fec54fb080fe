#include "settings/window_state.h"

#include "settings/settings_store.h"

#include <QSettings>
#include <QStringList>

WindowState ReadWindowState()
{
    const QSettings store(SettingsStore::filePath(), QSettings::IniFormat);
    WindowState state;
    state.size = store.value(QStringLiteral("window/size")).toSize();
    for (const QString &width : store.value(QStringLiteral("window/columns")).toString().split(',', Qt::SkipEmptyParts))
        state.columns << width.toInt();
    return state;
}

void WriteWindowState(const WindowState &state)
{
    QSettings store(SettingsStore::filePath(), QSettings::IniFormat);
    store.setAtomicSyncRequired(true);
    store.setValue(QStringLiteral("window/size"), state.size);
    QStringList widths;
    for (const int width : state.columns)
        widths << QString::number(width);
    store.setValue(QStringLiteral("window/columns"), widths.join(','));
}
