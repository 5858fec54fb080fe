#pragma once

#include <QString>

// The languages the window speaks. Chinese is the language of the source
// texts; every other one comes from a translation built into the program.
enum class UiLanguage { Chinese, English };

// The language for the locale variables, read as the C library reads them:
// LC_ALL, then LC_MESSAGES, then LANG name the locale; unless that locale is
// C/POSIX, LANGUAGE (a colon-separated list) comes first, its first entry we
// have a translation for winning. Chinese and C/POSIX locales get Chinese,
// every other locale English.
UiLanguage LanguageForLocale(const QString &language, const QString &lcAll, const QString &lcMessages,
                             const QString &lang);
// The same for this process's environment.
UiLanguage DesktopLanguage();
// Makes every text of the window speak `language` (removes an earlier one).
// Returns false when the translation could not be loaded.
bool InstallTranslation(UiLanguage language);
