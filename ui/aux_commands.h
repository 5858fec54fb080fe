#pragma once

#include <QString>

// The commands that lead out of the conversion workflow, as MainDialog's
// about, search, site link, open-folder and settings buttons run them. They
// keep no state: every press works from the settings store afresh.

// The about box's nine lines, joined with "\n".
QString AboutText();

// Shows the about box.
void ShowAbout();

// Opens the site-restricted web search for `text`, or asks for a text when it
// is shorter than 2 bytes (UTF-8).
void RunSearch(const QString &text);

// Opens the maker's home page.
void OpenSite();

// Opens the folder holding the dated output folders in the file manager, or
// says it cannot when there is none.
void OpenOutputFolder();

// Runs the settings dialog modally without a parent.
void RunSettingsDialog();
