#include "controls/flat_combo_box.h"

#include "controls/flat_combo_box_accessible.h"
#include "controls/pixel_drawing.h"

#include <QAbstractItemView>
#include <QCursor>
#include <QKeyEvent>
#include <QLineEdit>
#include <QMouseEvent>
#include <QPainter>
#include <QStyle>
#include <QTimerEvent>

CCJFlatComboBox::CCJFlatComboBox(QWidget *parent)
    : QComboBox(parent),
      m_thumbWidth(style()->pixelMetric(QStyle::PM_ScrollBarExtent, nullptr, this))
{
    InstallFlatComboBoxAccessibility();
    setMouseTracking(true);  // hot tracking starts on any move over the box
    readColours();
    m_lookTopLeft = m_lookBottomRight = m_face;
    // The drop-down list takes the mouse while it is open, so the release of
    // the button that opened it arrives there.
    m_popup = view()->parentWidget();
    if (m_popup)
        m_popup->installEventFilter(this);
}

void CCJFlatComboBox::readColours()
{
    m_highlight = palette().color(QPalette::Active, QPalette::Light);
    m_shadow = palette().color(QPalette::Active, QPalette::Dark);
    m_face = palette().color(QPalette::Active, QPalette::Button);
}

void CCJFlatComboBox::DrawCombo(FlatLook look, const QColor &topLeft, const QColor &bottomRight)
{
    m_look = look;
    m_lookTopLeft = topLeft;
    m_lookBottomRight = bottomRight;
    m_lookRequested = true;
    update();
}

void CCJFlatComboBox::paintEvent(QPaintEvent *event)
{
    QComboBox::paintEvent(event);
    if (!m_lookRequested) {
        // A paint of the box's own: Hot while the cursor is over it or it has
        // the focus, Normal otherwise.
        const bool inside = QRect(mapToGlobal(QPoint(0, 0)), size()).contains(QCursor::pos());
        if (inside || m_hasFocus) {
            m_look = Hot;
            m_lookTopLeft = m_shadow;
            m_lookBottomRight = m_highlight;
        } else {
            m_look = Normal;
            m_lookTopLeft = m_lookBottomRight = m_face;
        }
    }
    m_lookRequested = false;
    QPainter painter(this);
    drawLook(painter, m_look, m_lookTopLeft, m_lookBottomRight);
}

void CCJFlatComboBox::drawLook(QPainter &painter, FlatLook look, const QColor &c1, const QColor &c2)
{
    // Left, top, right, bottom with right and bottom exclusive.
    int l = 0, t = 0, r = width(), b = height();
    const auto frame = [&](const QColor &topLeft, const QColor &bottomRight) {
        Draw3dRect(painter, QRect(l, t, r - l, b - t), topLeft, bottomRight);
    };
    const auto shrink = [&] { ++l, ++t, --r, --b; };

    frame(c1, c2);
    shrink();
    if (isEnabled())
        frame(m_face, m_face);
    else
        frame(m_highlight, m_highlight);
    shrink();
    l = r - m_thumbWidth;  // the drop-button column
    frame(m_face, m_face);
    shrink();
    frame(m_face, m_face);
    if (!isEnabled())
        return;
    switch (look) {
    case Normal:
        --t, ++b;
        frame(m_highlight, m_highlight);
        --l;
        frame(m_highlight, m_highlight);
        break;
    case Hot:
        --t, ++b;
        frame(m_highlight, m_shadow);  // raised
        break;
    case Pressed:
        --t, ++b;
        ++l, ++t, ++r, ++b;
        frame(m_shadow, m_highlight);  // sunken
        break;
    }
}

void CCJFlatComboBox::startHotTracking()
{
    m_hotTimer.start(HotTrackingInterval, this);
    timerStep();
}

void CCJFlatComboBox::timerStep()
{
    const QPoint cursor = QCursor::pos();
    const QRect windowRect(mapToGlobal(QPoint(0, 0)), size());
    if (m_pressed) {
        m_hotTimer.stop();
        if (m_hot) {
            DrawCombo(Pressed, m_shadow, m_highlight);
            m_hot = false;
        }
        return;
    }
    if (windowRect.contains(cursor) || m_hasFocus) {
        if (!m_hot) {
            m_hot = true;
            DrawCombo(Hot, m_shadow, m_highlight);
        }
        return;  // keep polling
    }
    m_hotTimer.stop();
    if (m_hot) {
        DrawCombo(Normal, m_face, m_face);
        m_hot = false;
    }
}

void CCJFlatComboBox::timerEvent(QTimerEvent *event)
{
    if (event->timerId() == m_hotTimer.timerId())
        timerStep();
    else
        QComboBox::timerEvent(event);
}

void CCJFlatComboBox::mouseMoveEvent(QMouseEvent *event)
{
    startHotTracking();
    QComboBox::mouseMoveEvent(event);
}

void CCJFlatComboBox::mousePressEvent(QMouseEvent *event)
{
    if (event->button() == Qt::LeftButton)
        m_pressed = true;
    QComboBox::mousePressEvent(event);
}

void CCJFlatComboBox::mouseReleaseEvent(QMouseEvent *event)
{
    if (event->button() == Qt::LeftButton) {
        m_pressed = false;
        update();
    }
    QComboBox::mouseReleaseEvent(event);
}

void CCJFlatComboBox::hidePopup()
{
    QComboBox::hidePopup();
    if (m_pressed) {
        m_pressed = false;
        update();
    }
}

void CCJFlatComboBox::focusInEvent(QFocusEvent *event)
{
    QComboBox::focusInEvent(event);
    // The drop-down list taking and giving back the focus is no change for the box.
    if (event->reason() == Qt::PopupFocusReason)
        return;
    m_hasFocus = true;
    DrawCombo(Hot, m_shadow, m_highlight);
}

void CCJFlatComboBox::focusOutEvent(QFocusEvent *event)
{
    QComboBox::focusOutEvent(event);
    if (event->reason() == Qt::PopupFocusReason)
        return;
    m_hasFocus = false;
    // Typed text that is no item never becomes the choice; once the user
    // leaves the box it shows the choice that will be used again.
    if (!m_keepsTypedText && m_hookedEdit && currentIndex() >= 0 && m_hookedEdit->text() != itemText(currentIndex()))
        m_hookedEdit->setText(itemText(currentIndex()));
    DrawCombo(Normal, m_face, m_face);
}

void CCJFlatComboBox::keyPressEvent(QKeyEvent *event)
{
    // Enter in the edit field must not turn typed text into a choice: the box
    // leaves it to the window.
    if (isEditable() && (event->key() == Qt::Key_Return || event->key() == Qt::Key_Enter)) {
        event->ignore();
        return;
    }
    QComboBox::keyPressEvent(event);
}

void CCJFlatComboBox::changeEvent(QEvent *event)
{
    QComboBox::changeEvent(event);
    if (event->type() == QEvent::PaletteChange)
        readColours();  // the drop-button width stays as read at construction
}

bool CCJFlatComboBox::isAltCharacter(const QEvent *event)
{
    if (event->type() != QEvent::KeyPress && event->type() != QEvent::ShortcutOverride)
        return false;
    const auto *key = static_cast<const QKeyEvent *>(event);
    const Qt::KeyboardModifiers mods = key->modifiers();
    return (mods & Qt::AltModifier) && !(mods & (Qt::ControlModifier | Qt::MetaModifier)) && key->key() > 0 &&
           key->key() < Qt::Key_Escape;  // character keys only
}

bool CCJFlatComboBox::event(QEvent *event)
{
    hookLineEdit();
    if (isAltCharacter(event)) {
        event->accept();  // as handled: no shortcut, no mnemonic, no keyboard search
        return true;
    }
    return QComboBox::event(event);
}

bool CCJFlatComboBox::eventFilter(QObject *watched, QEvent *event)
{
    if (watched == m_hookedEdit) {
        if (isAltCharacter(event)) {
            event->accept();
            return true;
        }
        if (event->type() == QEvent::MouseMove)
            startHotTracking();  // the edit field is part of the box
    } else if (watched == m_popup && event->type() == QEvent::MouseButtonRelease) {
        if (static_cast<QMouseEvent *>(event)->button() == Qt::LeftButton && m_pressed) {
            m_pressed = false;
            update();
        }
    }
    return QComboBox::eventFilter(watched, event);
}

void CCJFlatComboBox::hookLineEdit()
{
    // The edit field may come with setEditable() at any time after
    // construction; it is taken over the first time the box hears of anything.
    QLineEdit *edit = lineEdit();
    if (edit != m_hookedEdit) {
        if (m_hookedEdit) {
            m_hookedEdit->removeEventFilter(this);
            disconnect(m_hookedEdit, nullptr, this, nullptr);
        }
        m_hookedEdit = edit;
        if (edit) {
            edit->installEventFilter(this);
            edit->setMouseTracking(true);
            connect(edit, &QLineEdit::textEdited, this, &CCJFlatComboBox::complete);
        }
    }
    // Our completion replaces the stock one that comes with the edit field.
    if (edit && edit->completer())
        setCompleter(nullptr);
}

void CCJFlatComboBox::complete(const QString &text)
{
    QLineEdit *edit = lineEdit();
    if (!m_autoComplete || !edit)
        return;
    const int len = int(text.size());
    const int start = edit->hasSelectedText() ? edit->selectionStart() : edit->cursorPosition();
    const int end = edit->hasSelectedText() ? edit->selectionEnd() : edit->cursorPosition();

    // The first item that begins with the text, case aside, becomes the
    // choice, and the window is told as it is of a choice from the list (but
    // not through `activated`: nothing was picked). Empty text begins no item.
    const int index = text.isEmpty() ? -1 : findText(text, Qt::MatchStartsWith);
    if (index >= 0) {
        setCurrentIndex(index);
        edit->setText(itemText(index));
        emit completedToItem(index);
    }
    if (end < len) {
        edit->setSelection(start, end - start);
    } else {
        // The completed tail, so the next keystroke replaces it; or nothing.
        edit->setSelection(len, int(edit->text().size()) - len);
    }
}
