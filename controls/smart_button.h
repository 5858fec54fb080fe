#pragma once

#include <QColor>
#include <QIcon>
#include <QImage>
#include <QPixmap>
#include <QPushButton>

class QPainter;

// The program's owner-drawn push button: flat, lit while the mouse is over it,
// with an icon left of a caption that it draws itself. It is never a dialog's
// automatic default button.
class CSmartButton : public QPushButton {
    Q_OBJECT
public:
    // As the second icon of LoadIcons and SetIcons: a grey copy of the first.
    static constexpr int GreyCopyOfFirst = -2;

    // Indices into the colour table.
    enum ColourIndex { BackHot, TextHot, BackNormal, TextNormal, BackFocus, TextFocus, ColourCount };

    explicit CSmartButton(QWidget *parent = nullptr);

    // Loads the program's icon `iconId` and, unless `secondIconId` is 0, icon
    // `secondIconId` (or a grey copy of the first for GreyCopyOfFirst), then
    // SetIcons. An id that names no icon leaves that slot empty.
    int LoadIcons(int iconId, int secondIconId);
    // Stores the icons, each drawn at its own size; a null first icon leaves the
    // button without icons. 0 on success, 1 (and no icons) when an icon holds no
    // image.
    int SetIcons(const QIcon &icon, const QIcon &secondIcon);
    int SetIcons(const QIcon &icon, int secondIcon = 0);
    // Lets go of both icons.
    void FreeIcons();
    // Backgrounds become the palette's button colour, texts its button-text
    // colour; repaints when `redraw`. Returns 0.
    int ResetColors(bool redraw = true);
    // Ends the hover state (repainting) if the button is lit.
    void CancelHover();

    QColor colour(ColourIndex index) const { return m_colours[index]; }
    bool isHovering() const { return m_hovering; }
    // Size of the icon in slot 1 or 2 (empty when the slot is empty).
    QSize iconSlotSize(int slot) const;

protected:
    // Runs on a click before the dialog's own handler; gives the button the focus.
    virtual void OnClicked();
    // Fills the button's background; returns 0.
    virtual int OnDrawBackground(QPainter &painter, const QRect &rect);
    // The border drawn while pressed or lit; returns 0.
    virtual int OnDrawBorder(QPainter &painter, const QRect &rect);
    // Draws the button: background, border, icon and caption.
    virtual void DrawItem(QPainter &painter, const QRect &itemRect);
    // Copies the parent's pixels under the button (taken once) to (0, 0).
    void PaintParentBackground(QPainter &painter);
    // The parent's pixels under the button, taken on first use.
    const QImage &ParentBackground();

    void paintEvent(QPaintEvent *event) override;
    void mouseMoveEvent(QMouseEvent *event) override;
    void mouseDoubleClickEvent(QMouseEvent *event) override;
    void leaveEvent(QEvent *event) override;
    void focusOutEvent(QFocusEvent *event) override;
    void changeEvent(QEvent *event) override;
    bool event(QEvent *event) override;

    // Copied from the button's state at each paint.
    bool m_pressed = false;
    bool m_focused = false;
    bool m_disabled = false;
    bool m_isDefault = false;
    // The mouse is over the button.
    bool m_hovering = false;

private:
    struct IconSlot {
        QPixmap pixmap;
        QSize size;
    };
    bool storeIcon(IconSlot &slot, const QIcon &icon);
    void drawIcon(QPainter &painter, const QRect &itemRect, QRect &captionRect);
    void drawCaption(QPainter &painter, const QRect &captionRect);
    void moveFocusOnFromDisabled();

    QColor m_colours[ColourCount];
    IconSlot m_icons[2];
    QImage m_backgroundCache;
    QRect m_backgroundGeometry;  // where the cache was taken
};
