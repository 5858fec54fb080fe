#include "ui/ui_language.h"

#include "res/resources.h"

#include <QCoreApplication>
#include <QStringList>
#include <QTranslator>
#include <optional>

namespace {

// A locale or language name ("zh_CN.UTF-8", "en", "C") mapped to a language
// we speak, or nothing for a language we have no translation for.
std::optional<UiLanguage> Known(const QString &name)
{
    if (name.startsWith(QLatin1String("zh")))
        return UiLanguage::Chinese;
    if (name.startsWith(QLatin1String("en")))
        return UiLanguage::English;
    return std::nullopt;
}

bool IsCLocale(const QString &locale)
{
    return locale.isEmpty() || locale == QLatin1String("C") || locale.startsWith(QLatin1String("C.")) ||
           locale == QLatin1String("POSIX");
}

QTranslator *&InstalledTranslator()
{
    static QTranslator *translator = nullptr;
    return translator;
}

}  // namespace

UiLanguage LanguageForLocale(const QString &language, const QString &lcAll, const QString &lcMessages,
                             const QString &lang)
{
    QString locale = lcAll;
    if (locale.isEmpty())
        locale = lcMessages;
    if (locale.isEmpty())
        locale = lang;
    if (IsCLocale(locale))
        return UiLanguage::Chinese;
    for (const QString &entry : language.split(QLatin1Char(':'), Qt::SkipEmptyParts)) {
        if (const std::optional<UiLanguage> known = Known(entry))
            return *known;
    }
    // A reader of any other language is better served by English.
    return Known(locale).value_or(UiLanguage::English);
}

UiLanguage DesktopLanguage()
{
    return LanguageForLocale(qEnvironmentVariable("LANGUAGE"), qEnvironmentVariable("LC_ALL"),
                             qEnvironmentVariable("LC_MESSAGES"), qEnvironmentVariable("LANG"));
}

bool InstallTranslation(UiLanguage language)
{
    QTranslator *&installed = InstalledTranslator();
    if (installed) {
        QCoreApplication::removeTranslator(installed);
        delete installed;
        installed = nullptr;
    }
    UseEnglishBanners(language == UiLanguage::English);
    if (language == UiLanguage::Chinese)
        return true;
    auto *translator = new QTranslator(QCoreApplication::instance());
    if (!translator->load(QStringLiteral(":/i18n/q9plemo_en.qm"))) {
        delete translator;
        return false;
    }
    QCoreApplication::installTranslator(translator);
    installed = translator;
    return true;
}
