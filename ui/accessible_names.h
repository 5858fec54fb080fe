#pragma once

#include <QHash>

class QWidget;

// Gives the controls of a built dialog (template `templateId`) what a screen
// reader needs: the choice boxes, text boxes, progress bar and list are named
// after the labels beside them (which become their buddies), and the banner
// gets a name and a description.
void NameControlsForScreenReaders(int templateId, const QHash<int, QWidget *> &controls, QWidget *dialog);
