#include "settings/output_style.h"

#include "base/log.h"
#include "settings/settings_store.h"

#include <QSettings>
#include <algorithm>
#include <array>
#include <utility>

namespace {

constexpr std::array<std::pair<OutputNaming, const char *>, 2> kNamingTexts{{
    {OutputNaming::SourceName, "source"},
    {OutputNaming::TimeOfDay, "time"},
}};
constexpr std::array<std::pair<PictureShape, const char *>, 3> kShapeTexts{{
    {PictureShape::Fit, "fit"},
    {PictureShape::Fill, "fill"},
    {PictureShape::Stretch, "stretch"},
}};

QString ValueKey(const char *valueName)
{
    return SettingsStore::keyGroup(QLatin1String(SettingsStore::kKeyName)) + QLatin1Char('/') +
           QLatin1String(valueName);
}

template <typename Choice, std::size_t N>
Choice ReadChoice(const char *valueName, const std::array<std::pair<Choice, const char *>, N> &texts, Choice fallback)
{
    const QSettings store(SettingsStore::filePath(), QSettings::IniFormat);
    const QVariant value = store.value(ValueKey(valueName));
    if (!value.isValid())
        return fallback;
    const QString text = value.toString().trimmed().toLower();
    for (const auto &[choice, known] : texts) {
        if (text == QLatin1String(known))
            return choice;
    }
    const auto fallbackText =
        std::find_if(texts.begin(), texts.end(), [&](const auto &t) { return t.first == fallback; });
    qCWarning(lcQ9).nospace() << "the stored " << valueName << " " << value.toString()
                              << " is unknown: " << fallbackText->second << " is used";
    return fallback;
}

template <typename Choice, std::size_t N>
const char *TextOf(Choice choice, const std::array<std::pair<Choice, const char *>, N> &texts)
{
    for (const auto &[known, text] : texts) {
        if (known == choice)
            return text;
    }
    return texts.front().second;
}

}  // namespace

namespace OutputStyle {

OutputNaming readNaming()
{
    return ReadChoice("Naming", kNamingTexts, kDefaultNaming);
}

PictureShape readShape()
{
    return ReadChoice("Shape", kShapeTexts, kDefaultShape);
}

bool write(OutputNaming naming, PictureShape shape)
{
    QSettings store(SettingsStore::filePath(), QSettings::IniFormat);
    if (!store.isWritable()) {
        qCWarning(lcQ9) << "cannot write the settings file" << store.fileName();
        return false;
    }
    store.setAtomicSyncRequired(true);
    store.setValue(ValueKey("Naming"), QLatin1String(TextOf(naming, kNamingTexts)));
    store.setValue(ValueKey("Shape"), QLatin1String(TextOf(shape, kShapeTexts)));
    store.sync();
    return store.status() == QSettings::NoError;
}

}  // namespace OutputStyle
