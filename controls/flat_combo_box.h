#pragma once

#include <QBasicTimer>
#include <QColor>
#include <QComboBox>
#include <QPointer>

class QLineEdit;

// A combo box drawn flat: its frame is invisible at rest, becomes a sunken
// frame with a raised drop button while the mouse is over the box or the box
// has the focus, and shows the drop button pushed in while the left button is
// held on it. An editable box completes typed text from its list. Alt+key does
// nothing while the focus is in the box.
class CCJFlatComboBox : public QComboBox {
    Q_OBJECT
public:
    enum FlatLook { Normal = 1, Hot = 2, Pressed = 3 };

    explicit CCJFlatComboBox(QWidget *parent = nullptr);

    // Draws the frame in `look` with the outer frame in (topLeft, bottomRight).
    // The frame goes over the box at its next paint and stays until a repaint
    // of the box's own chooses the look afresh.
    void DrawCombo(FlatLook look, const QColor &topLeft, const QColor &bottomRight);

    FlatLook drawnLook() const { return m_look; }
    bool isHot() const { return m_hot; }
    // Whether hot tracking is polling the cursor.
    bool isTracking() const { return m_hotTimer.isActive(); }
    int thumbWidth() const { return m_thumbWidth; }

    static constexpr int HotTrackingInterval = 10;  // ms

    // An editable box whose typed text is a value of its own (a size, say)
    // keeps it when the user leaves the box; by default the text gives way
    // to the chosen item.
    void setKeepsTypedText(bool keep) { m_keepsTypedText = keep; }

    void hidePopup() override;

signals:
    // Completion of typed text made this item the box's choice.
    void completedToItem(int index);

protected:
    bool event(QEvent *event) override;
    bool eventFilter(QObject *watched, QEvent *event) override;
    void paintEvent(QPaintEvent *event) override;
    void mouseMoveEvent(QMouseEvent *event) override;
    void mousePressEvent(QMouseEvent *event) override;
    void mouseReleaseEvent(QMouseEvent *event) override;
    void keyPressEvent(QKeyEvent *event) override;
    void focusInEvent(QFocusEvent *event) override;
    void focusOutEvent(QFocusEvent *event) override;
    void timerEvent(QTimerEvent *event) override;
    void changeEvent(QEvent *event) override;

private:
    void timerStep();
    void startHotTracking();
    void drawLook(QPainter &painter, FlatLook look, const QColor &c1, const QColor &c2);
    void readColours();
    void hookLineEdit();
    void complete(const QString &text);
    static bool isAltCharacter(const QEvent *event);

    const int m_thumbWidth;
    bool m_pressed = false;
    bool m_hot = false;
    bool m_hasFocus = false;
    const bool m_autoComplete = true;
    bool m_keepsTypedText = false;
    QColor m_highlight;
    QColor m_shadow;
    QColor m_face;

    QBasicTimer m_hotTimer;
    // The look last drawn, and whether DrawCombo asked for it since the last paint.
    FlatLook m_look = Normal;
    QColor m_lookTopLeft;
    QColor m_lookBottomRight;
    bool m_lookRequested = false;
    QPointer<QLineEdit> m_hookedEdit;
    QPointer<QWidget> m_popup;  // the drop-down list's window
};
