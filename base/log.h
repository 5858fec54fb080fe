#pragma once

#include <QLoggingCategory>

// The program's one logging category, "q9plemo". Warnings and information go to
// stderr; debug output is off unless QT_LOGGING_RULES turns it on
// ("q9plemo.debug=true"), and "q9plemo.warning=false" silences the warnings.
// Every failure the program goes on after leaves a warning here.
Q_DECLARE_LOGGING_CATEGORY(lcQ9)
