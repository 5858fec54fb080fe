#pragma once

#include <QDate>
#include <QString>

// The folder created at start-up for the day's output (base + name rule, no
// final separator). Only CreateOutputFolder uses it.
extern QString g_strOutputDir;

// The folder that holds the dated folders: base + "Q9TBR" when base ends in a
// separator, else base + "/Q9TBR".
QString ProductFolder(const QString &base);

// The date as "%d-%02d-%02d" (year not padded): 2009-03-01.
QString DateFolderName(const QDate &date);

// Name rule: base + "Q9TBR/" or "/Q9TBR/" (by whether base ends in a
// separator) + the date as "%d-%02d-%02d". No final separator.
QString DatedOutputFolder(const QString &base, const QDate &date);

// Creates the day's folder under `base` with all missing parents; the name of
// the folder (whether or not it could be created).
QString CreateDatedOutputFolder(const QString &base, const QDate &date = QDate::currentDate());

// The day's output folder for the stored base (empty base when none is
// usable), always ending in a separator. Reads the store afresh; creates nothing.
QString GetOutputFolder();

// Start-up: takes the stored base into g_strOutputDir (when usable), applies
// the name rule and creates the folder with its parents.
void CreateOutputFolder();
