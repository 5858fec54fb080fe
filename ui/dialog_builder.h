#pragma once

#include "res/dialog_templates.h"

#include <QHash>
#include <QSize>

class QDialog;
class QFont;
class QWidget;

// Converts dialog units into pixels with a font's metrics: x = dlu * average
// character width / 4, y = dlu * character height / 8.
struct DialogUnits {
    double baseX = 0;  // average character width
    double baseY = 0;  // character height
    static DialogUnits forFont(const QFont &font);
    int toX(int dlu) const;
    int toY(int dlu) const;
};

// The dialog font of a template, falling back to an installed CJK face when
// the template's face is not on the system.
QFont DialogFont(const DialogTemplate &tmpl);

// Creates the template's controls on `dialog` at their rectangles, in template
// order (so tab order follows it), sets the caption, font and fixed size, and
// returns the controls by id. Push buttons become CXPSmartButton and combo boxes
// CCJFlatComboBox.
QHash<int, QWidget *> BuildDialog(QDialog *dialog, const DialogTemplate &tmpl);
