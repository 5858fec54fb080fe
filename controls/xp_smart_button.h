#pragma once

#include "controls/smart_button.h"

// Smart button with an XP-like face: a dark-blue rounded frame over vertical
// colour gradients whose colours follow the button's state (normal, focused or
// default, hovering, pressed, disabled).
class CXPSmartButton : public CSmartButton {
    Q_OBJECT
public:
    explicit CXPSmartButton(QWidget *parent = nullptr);

protected:
    int OnDrawBackground(QPainter &painter, const QRect &rect) override;
    int OnDrawBorder(QPainter &painter, const QRect &rect) override;
};
