#include "controls/pixel_drawing.h"
#include "controls/xp_smart_button.h"
#include "res/resources.h"
#include "tests/support/test_support.h"
#include "tests/support/window_support.h"

#include <QApplication>
#include <QIconEngine>
#include <QLineEdit>
#include <QMouseEvent>
#include <QPainter>
#include <QSignalSpy>
#include <QTest>
#include <functional>
#include <gtest/gtest.h>
#include <memory>

namespace {

const QColor kBackdrop(10, 200, 30);
const QColor kLight(255, 255, 255);
const QColor kDark(128, 128, 128);
const QColor kFace(212, 208, 200);
const QColor kMagenta(255, 0, 255);

// A parent whose own painting is one colour that a test can change behind the
// button's back.
class Backdrop : public QWidget {
public:
    QColor colour = kBackdrop;

protected:
    void paintEvent(QPaintEvent *) override { QPainter(this).fillRect(rect(), colour); }
};

// An icon that claims an image but yields none.
class BrokenIconEngine : public QIconEngine {
public:
    void paint(QPainter *, const QRect &, QIcon::Mode, QIcon::State) override {}
    QPixmap pixmap(const QSize &, QIcon::Mode, QIcon::State) override { return QPixmap(); }
    QIconEngine *clone() const override { return new BrokenIconEngine; }
    QList<QSize> availableSizes(QIcon::Mode, QIcon::State) override { return {QSize(16, 16)}; }
    bool isNull() override { return false; }
};

std::string Rgb(const QColor &c)
{
    return std::to_string(c.red()) + "," + std::to_string(c.green()) + "," + std::to_string(c.blue());
}

std::string PixelAt(const QImage &image, int x, int y)
{
    return Rgb(QColor(image.pixel(x, y)));
}

QImage Render(QWidget &widget)
{
    QImage image(widget.size(), QImage::Format_RGB32);
    image.fill(Qt::black);
    widget.render(&image);
    return image;
}

// Bounding box of the pixels of exactly `colour`.
QRect FindColour(const QImage &image, const QColor &colour)
{
    QRect box;
    for (int y = 0; y < image.height(); ++y)
        for (int x = 0; x < image.width(); ++x)
            if ((image.pixel(x, y) & 0xFFFFFF) == (colour.rgb() & 0xFFFFFF))
                box |= QRect(x, y, 1, 1);
    return box;
}

QPixmap Solid(const QSize &size, const QColor &colour)
{
    QPixmap pixmap(size);
    pixmap.fill(colour);
    return pixmap;
}

class SmartButtonTest : public ::testing::Test {
protected:
    static void SetUpTestSuite() { EnsureApp(); }

    void SetUp() override
    {
        m_host = std::make_unique<Backdrop>();
        QFont font(QStringLiteral("DejaVu Sans"));
        font.setPixelSize(12);
        font.setStyleStrategy(QFont::NoAntialias);  // text pixels in exact colours
        m_host->setFont(font);
        QPalette palette = m_host->palette();
        palette.setColor(QPalette::Light, kLight);
        palette.setColor(QPalette::Dark, kDark);
        palette.setColor(QPalette::Button, kFace);
        palette.setColor(QPalette::ButtonText, Qt::black);
        m_host->setPalette(palette);
        m_host->resize(300, 200);
        m_button = new CXPSmartButton(m_host.get());
        m_button->setGeometry(20, 30, 101, 27);
        m_second = new CXPSmartButton(m_host.get());
        m_second->setGeometry(20, 70, 101, 27);
        m_edit = new QLineEdit(m_host.get());
        m_edit->setGeometry(20, 110, 100, 20);
        m_host->show();
        m_host->activateWindow();
        ASSERT_TRUE(QTest::qWaitForWindowActive(m_host.get()));
    }

public:
    // A mouse move that the button receives, at a point given in `over`'s coordinates.
    void MoveMouse(CSmartButton *button, QWidget *over, QPoint at, Qt::MouseButtons buttons = Qt::NoButton)
    {
        const QPoint global = over->mapToGlobal(at);
        QMouseEvent move(QEvent::MouseMove, QPointF(button->mapFromGlobal(global)), QPointF(global), Qt::NoButton,
                         buttons, Qt::NoModifier);
        QApplication::sendEvent(button, &move);
    }
    void Hover(CSmartButton *button) { MoveMouse(button, button, button->rect().center()); }

    void SendMouse(QWidget *w, QEvent::Type type)
    {
        const QPoint at = w->rect().center();
        const Qt::MouseButtons held = type == QEvent::MouseButtonRelease ? Qt::NoButton : Qt::LeftButton;
        QMouseEvent event(type, QPointF(at), QPointF(w->mapToGlobal(at)), Qt::LeftButton, held, Qt::NoModifier);
        QApplication::sendEvent(w, &event);
    }

protected:
    std::unique_ptr<Backdrop> m_host;
    CXPSmartButton *m_button = nullptr;
    CXPSmartButton *m_second = nullptr;
    QLineEdit *m_edit = nullptr;
};

struct FaceCase {
    const char *name;
    std::function<void(SmartButtonTest &, CSmartButton *)> setUp;
    QColor ringTop, ringBottom, faceTop, faceBottom;
    int faceInset;
};

TEST_F(SmartButtonTest, XpFaceFollowsTheStateTable)
{
    const QColor normalFaceTop(252, 252, 251), normalFaceBottom(236, 235, 230);
    const QColor focusTop(206, 231, 255), focusBottom(105, 130, 238);
    const QColor hoverTop(255, 240, 207), hoverBottom(229, 151, 0);
    const QColor pressed[] = {{209, 204, 193}, {242, 241, 238}, {229, 228, 221}, {226, 226, 218}};
    const QColor disabled(245, 244, 234);
    const auto focus = [](SmartButtonTest &, CSmartButton *b) { b->setFocus(); };
    const auto hover = [](SmartButtonTest &t, CSmartButton *b) { t.Hover(b); };
    const auto press = [](SmartButtonTest &, CSmartButton *b) { b->setDown(true); };
    const auto makeDefault = [](SmartButtonTest &, CSmartButton *b) { b->setDefault(true); };
    const FaceCase cases[] = {
        {"normal", [](SmartButtonTest &, CSmartButton *) {}, {255, 255, 255}, {226, 223, 214}, normalFaceTop,
         normalFaceBottom, 2},
        {"focused", focus, focusTop, focusBottom, normalFaceTop, normalFaceBottom, 4},
        {"default", makeDefault, focusTop, focusBottom, normalFaceTop, normalFaceBottom, 4},
        {"hovering", hover, hoverTop, hoverBottom, normalFaceTop, normalFaceBottom, 4},
        {"focused and hovering", [&](SmartButtonTest &t, CSmartButton *b) { focus(t, b), hover(t, b); }, hoverTop,
         hoverBottom, normalFaceTop, normalFaceBottom, 4},
        {"default and hovering", [&](SmartButtonTest &t, CSmartButton *b) { makeDefault(t, b), hover(t, b); },
         hoverTop, hoverBottom, normalFaceTop, normalFaceBottom, 4},
        {"pressed", press, pressed[0], pressed[1], pressed[2], pressed[3], 4},
        {"hovering and pressed", [&](SmartButtonTest &t, CSmartButton *b) { hover(t, b), press(t, b); }, pressed[0],
         pressed[1], pressed[2], pressed[3], 4},
        {"disabled", [](SmartButtonTest &, CSmartButton *b) { b->setEnabled(false); }, disabled, disabled,
         disabled, disabled, 4},
    };
    for (const FaceCase &c : cases) {
        SCOPED_TRACE(c.name);
        auto *button = new CXPSmartButton(m_host.get());
        button->setGeometry(150, 30, 101, 27);
        button->show();
        c.setUp(*this, button);
        const QImage image = Render(*button);
        const int w = image.width(), h = image.height();
        EXPECT_EQ(PixelAt(image, 50, 2), Rgb(c.ringTop));
        EXPECT_EQ(PixelAt(image, 50, h - 3), Rgb(c.ringBottom));
        EXPECT_EQ(PixelAt(image, 50, 4), Rgb(c.faceTop));
        EXPECT_EQ(PixelAt(image, 50, h - 5), Rgb(c.faceBottom));
        // Column 2 shows the face when it starts there, else the ring.
        const int y = h / 2;
        const QColor column2 = c.faceInset == 2 ? GradientRowColour(c.faceTop, c.faceBottom, y - 4, h - 8)
                                                : GradientRowColour(c.ringTop, c.ringBottom, y - 2, h - 4);
        EXPECT_EQ(PixelAt(image, 2, y), Rgb(column2));
        EXPECT_EQ(PixelAt(image, w - 3, y), Rgb(GradientRowColour(c.ringTop, c.ringBottom, y - 2, h - 4)));
        delete button;
    }
}

TEST_F(SmartButtonTest, XpFramesEdgesAndCornerPixel)
{
    for (const bool enabled : {true, false}) {
        SCOPED_TRACE(enabled ? "enabled" : "disabled");
        m_button->setEnabled(enabled);
        const QImage image = Render(*m_button);
        const int w = image.width(), h = image.height();
        const std::string hard = enabled ? "0,60,116" : "201,199,186";
        const std::string soft = enabled ? "122,149,168" : "216,213,199";
        // Hard frame along the edges and on the inner corner pixels.
        for (const QPoint p : {QPoint(50, 1), QPoint(1, 13), QPoint(w - 2, 13), QPoint(50, h - 2), QPoint(2, 2),
                               QPoint(w - 3, 2), QPoint(2, h - 3), QPoint(w - 3, h - 3)})
            EXPECT_EQ(PixelAt(image, p.x(), p.y()), hard) << p.x() << "," << p.y();
        // The soft frame shows where the hard one rounds off more.
        for (const QPoint p : {QPoint(2, 1), QPoint(1, 2), QPoint(w - 3, 1), QPoint(w - 2, 2), QPoint(2, h - 2),
                               QPoint(1, h - 3), QPoint(w - 3, h - 2), QPoint(w - 2, h - 3)})
            EXPECT_EQ(PixelAt(image, p.x(), p.y()), soft) << p.x() << "," << p.y();
        // Corners outside the frame show the parent; the top-right one is put back.
        for (const QPoint p : {QPoint(0, 0), QPoint(w - 1, 0), QPoint(0, h - 1), QPoint(1, h - 1), QPoint(w - 1, h - 1)})
            EXPECT_EQ(PixelAt(image, p.x(), p.y()), Rgb(kBackdrop)) << p.x() << "," << p.y();
        // Edge lines and the base gradient, left out when disabled.
        EXPECT_EQ(PixelAt(image, 0, 1), enabled ? "226,222,203" : Rgb(kBackdrop));
        EXPECT_EQ(PixelAt(image, 0, h - 2), enabled ? "226,222,203" : Rgb(kBackdrop));
        EXPECT_EQ(PixelAt(image, 2, h - 1), enabled ? "248,247,242" : Rgb(kBackdrop));
        EXPECT_EQ(PixelAt(image, w - 2, h - 1), enabled ? "248,247,242" : Rgb(kBackdrop));
        EXPECT_EQ(PixelAt(image, w - 2, 0), enabled ? "220,214,194" : Rgb(kBackdrop));
        EXPECT_EQ(PixelAt(image, w - 1, h - 2), enabled ? "245,244,235" : Rgb(kBackdrop));
    }
}

TEST_F(SmartButtonTest, FocusFrameInvertsEveryOtherPixel)
{
    const QColor ringTop(206, 231, 255), ringBottom(105, 130, 238);
    m_button->setFocus();
    ASSERT_TRUE(m_button->hasFocus());
    const QImage image = Render(*m_button);
    const int w = image.width(), h = image.height();
    const auto inverted = [](const QColor &c) { return QColor(255 - c.red(), 255 - c.green(), 255 - c.blue()); };
    const QColor row1 = GradientRowColour(ringTop, ringBottom, 1, h - 4);  // y = 3
    EXPECT_EQ(PixelAt(image, 3, 3), Rgb(inverted(row1)));
    EXPECT_EQ(PixelAt(image, 4, 3), Rgb(row1));
    EXPECT_EQ(PixelAt(image, 5, 3), Rgb(inverted(row1)));
    const QColor lastRow = GradientRowColour(ringTop, ringBottom, h - 6, h - 4);  // y = h - 4
    EXPECT_EQ(PixelAt(image, w - 4, h - 4), Rgb(inverted(lastRow)));  // (w - 4) + (h - 4) is even
    EXPECT_EQ(PixelAt(image, w - 5, h - 4), Rgb(lastRow));

    m_second->setFocus();
    const QColor normalRow1 = GradientRowColour(QColor(255, 255, 255), QColor(226, 223, 214), 1, h - 4);
    EXPECT_EQ(PixelAt(Render(*m_button), 3, 3), Rgb(normalRow1));  // no frame without the focus
}

struct IconCase {
    const char *name;
    QString caption;
    QSize icon;
    QSize button;
    bool pressed;
    QPoint expected;
};

TEST_F(SmartButtonTest, IconIsPlacedByCaption)
{
    const IconCase cases[] = {
        {"centred without caption", QString(), {16, 16}, {101, 27}, false, {42, 5}},
        {"odd sizes without caption", QString(), {20, 10}, {100, 31}, false, {40, 10}},
        {"left of caption", QStringLiteral("Go"), {16, 16}, {101, 27}, false, {3, 5}},
        {"left of caption, odd height", QStringLiteral("Go"), {20, 10}, {100, 31}, false, {3, 10}},
        {"not moved when pressed", QStringLiteral("Go"), {16, 16}, {101, 27}, true, {3, 5}},
    };
    for (const IconCase &c : cases) {
        SCOPED_TRACE(c.name);
        m_button->setText(c.caption);
        m_button->resize(c.button);
        m_button->setDown(c.pressed);
        ASSERT_EQ(m_button->SetIcons(QIcon(Solid(c.icon, kMagenta))), 0);
        EXPECT_EQ(m_button->iconSlotSize(1), c.icon);
        EXPECT_EQ(FindColour(Render(*m_button), kMagenta), QRect(c.expected, c.icon));
    }
}

TEST_F(SmartButtonTest, CaptionIsCentredRightOfTheIcon)
{
    m_button->setText(QStringLiteral("Go"));
    const QRect alone = FindColour(Render(*m_button), Qt::black);
    ASSERT_FALSE(alone.isEmpty());
    // Alone the text block is centred in 0..101; after a 16 pixel icon at 3 it
    // is centred in the 82 pixels that start at the icon's right edge, 19.
    const int width = m_button->fontMetrics().boundingRect(QRect(0, 0, 101, 27), Qt::TextWordWrap, "Go").width();
    const int shift = 19 + (82 - width) / 2 - (101 - width) / 2;
    m_button->SetIcons(QIcon(Solid({16, 16}, kMagenta)));
    EXPECT_EQ(FindColour(Render(*m_button), Qt::black), alone.translated(shift, 0));
    // Ten more rows of height move the centred text down by five.
    m_button->resize(101, 37);
    EXPECT_EQ(FindColour(Render(*m_button), Qt::black), alone.translated(shift, 5));
}

TEST_F(SmartButtonTest, LongCaptionWrapsAtWordBreaks)
{
    m_button->resize(70, 60);
    m_button->setText(QStringLiteral("one two three four"));
    const QRect ink = FindColour(Render(*m_button), Qt::black);
    EXPECT_GT(ink.height(), m_button->fontMetrics().height());
    EXPECT_GE(ink.left(), 0);
    EXPECT_LT(ink.right(), 70);
}

TEST_F(SmartButtonTest, DisabledCaptionIsEmbossedAndIconGreyed)
{
    m_button->setText(QStringLiteral("Go"));
    m_button->SetIcons(QIcon(Solid({16, 16}, kMagenta)));
    m_button->setEnabled(false);
    const QImage image = Render(*m_button);
    const QRect shadow = FindColour(image, kDark);
    ASSERT_FALSE(shadow.isEmpty());
    EXPECT_EQ(FindColour(image, kLight), shadow.translated(1, 1));
    EXPECT_TRUE(FindColour(image, Qt::black).isEmpty());
    EXPECT_TRUE(FindColour(image, kMagenta).isEmpty());
    EXPECT_NE(PixelAt(image, 10, 13), "245,244,234");  // something greyed is drawn there
}

TEST_F(SmartButtonTest, LoadIconsTakesTheProgramsIcons)
{
    const QPixmap icon = IconPixmap(144);
    ASSERT_FALSE(icon.isNull());
    EXPECT_EQ(m_button->LoadIcons(144, 0), 0);
    EXPECT_EQ(m_button->iconSlotSize(1), icon.deviceIndependentSize().toSize());
    EXPECT_TRUE(m_button->iconSlotSize(2).isEmpty());

    EXPECT_EQ(m_button->LoadIcons(144, CSmartButton::GreyCopyOfFirst), 0);
    EXPECT_EQ(m_button->iconSlotSize(2), m_button->iconSlotSize(1));

    // An id naming no icon leaves the button without one.
    EXPECT_EQ(m_button->LoadIcons(99999, 0), 0);
    EXPECT_TRUE(m_button->iconSlotSize(1).isEmpty());
    EXPECT_TRUE(m_button->iconSlotSize(2).isEmpty());
}

TEST_F(SmartButtonTest, IconWithoutImageIsRejected)
{
    ASSERT_EQ(m_button->SetIcons(QIcon(Solid({16, 16}, kMagenta))), 0);
    const QIcon broken(new BrokenIconEngine);
    EXPECT_EQ(m_button->SetIcons(broken, 0), 1);
    EXPECT_TRUE(m_button->iconSlotSize(1).isEmpty());
    EXPECT_EQ(m_button->SetIcons(QIcon(Solid({16, 16}, kMagenta)), broken), 1);
    EXPECT_TRUE(m_button->iconSlotSize(1).isEmpty());
    EXPECT_TRUE(FindColour(Render(*m_button), kMagenta).isEmpty());
}

TEST_F(SmartButtonTest, GreyCopyShowsAtRestAndColourWhenLit)
{
    m_button->SetIcons(QIcon(Solid({16, 16}, kMagenta)), CSmartButton::GreyCopyOfFirst);
    const QRect iconRect(42, 5, 16, 16);
    EXPECT_EQ(FindColour(Render(*m_button), QColor(105, 105, 105)), iconRect);  // 0.299 * 255 + 0.114 * 255
    Hover(m_button);
    EXPECT_EQ(FindColour(Render(*m_button), kMagenta), iconRect);
}

TEST_F(SmartButtonTest, HoverLightsUpOnlyWithoutTheLeftButtonHeld)
{
    MoveMouse(m_button, m_button, {5, 5}, Qt::LeftButton);
    EXPECT_FALSE(m_button->isHovering());
    MoveMouse(m_button, m_button, {5, 5});
    EXPECT_TRUE(m_button->isHovering());
    MoveMouse(m_button, m_button, {6, 5}, Qt::LeftButton);
    EXPECT_TRUE(m_button->isHovering());  // already lit stays lit
    EXPECT_EQ(PixelAt(Render(*m_button), 50, 2), "255,240,207");
}

TEST_F(SmartButtonTest, HoverEnds)
{
    const std::pair<const char *, std::function<void()>> endings[] = {
        {"move over another window", [&] { MoveMouse(m_button, m_edit, {5, 5}); }},
        {"leave", [&] { QEvent leave(QEvent::Leave); QApplication::sendEvent(m_button, &leave); }},
        {"focus lost", [&] { QFocusEvent out(QEvent::FocusOut); QApplication::sendEvent(m_button, &out); }},
        {"deactivation", [&] { QEvent off(QEvent::WindowDeactivate); QApplication::sendEvent(m_button, &off); }},
        {"disabled", [&] { m_button->setEnabled(false); }},
    };
    m_edit->setFocus();  // the unfocused ring shows whether the button is lit
    for (const auto &[name, end] : endings) {
        SCOPED_TRACE(name);
        m_button->setEnabled(true);
        Hover(m_button);
        ASSERT_TRUE(m_button->isHovering());
        end();
        EXPECT_FALSE(m_button->isHovering());
        EXPECT_EQ(PixelAt(Render(*m_button), 50, 2), m_button->isEnabled() ? "255,255,255" : "245,244,234");
    }
}

TEST_F(SmartButtonTest, DisablingMovesTheFocusOnEvenWithoutHavingIt)
{
    m_edit->setFocus();
    m_button->setEnabled(false);
    EXPECT_EQ(m_host->focusWidget(), m_second);
    m_second->setEnabled(false);  // had the focus: the next tab stop is the edit
    EXPECT_EQ(m_host->focusWidget(), m_edit);
    m_edit->setEnabled(false);
    m_second->setEnabled(true);
    m_second->setEnabled(false);  // no enabled tab stop left: the parent takes it
    EXPECT_EQ(m_host->focusWidget(), m_host.get());
}

TEST_F(SmartButtonTest, DisablingInAHiddenWindowLeavesTheFirstFocusAlone)
{
    QWidget hidden;
    auto *button = new CXPSmartButton(&hidden);
    new QLineEdit(&hidden);
    button->setEnabled(false);
    EXPECT_EQ(hidden.focusWidget(), nullptr);
}

TEST_F(SmartButtonTest, ButtonDisabledWithItsParentKeepsTheFocusWhereItIs)
{
    auto *panel = new QWidget(m_host.get());
    auto *inner = new CXPSmartButton(panel);
    panel->setGeometry(150, 100, 120, 40);
    panel->show();
    m_edit->setFocus();
    panel->setEnabled(false);
    EXPECT_FALSE(inner->isEnabled());
    EXPECT_EQ(m_host->focusWidget(), m_edit);
}

TEST_F(SmartButtonTest, DoubleClickGivesTwoClicks)
{
    QSignalSpy clicks(m_button, &QAbstractButton::clicked);
    SendMouse(m_button, QEvent::MouseButtonPress);
    SendMouse(m_button, QEvent::MouseButtonRelease);
    SendMouse(m_button, QEvent::MouseButtonDblClick);
    SendMouse(m_button, QEvent::MouseButtonRelease);
    EXPECT_EQ(clicks.count(), 2);
}

TEST_F(SmartButtonTest, ClickGivesTheButtonTheFocus)
{
    m_edit->setFocus();
    m_button->click();
    EXPECT_EQ(m_host->focusWidget(), m_button);
    EXPECT_FALSE(m_button->autoDefault());
}

TEST_F(SmartButtonTest, ParentBackgroundIsCopiedOnceUntilColoursChange)
{
    ASSERT_EQ(PixelAt(Render(*m_button), 100, 0), Rgb(kBackdrop));
    m_host->colour = QColor(200, 20, 20);
    m_host->repaint();
    EXPECT_EQ(PixelAt(Render(*m_button), 100, 0), Rgb(kBackdrop));  // the copy is kept
    m_host->setPalette(m_host->palette());                           // no change: still kept
    EXPECT_EQ(PixelAt(Render(*m_button), 100, 0), Rgb(kBackdrop));
    QPalette changed = m_host->palette();
    changed.setColor(QPalette::Window, QColor(1, 2, 3));
    m_host->setPalette(changed);
    EXPECT_EQ(PixelAt(Render(*m_button), 100, 0), "200,20,20");
}

TEST_F(SmartButtonTest, PlainButtonFillsAndDrawsA3dBorderWhenLitOrPressed)
{
    auto *button = new CSmartButton(m_host.get());
    button->setGeometry(150, 30, 60, 24);
    button->show();
    EXPECT_EQ(Rgb(button->colour(CSmartButton::BackNormal)), Rgb(kFace));
    EXPECT_EQ(Rgb(button->colour(CSmartButton::TextHot)), "0,0,0");
    QImage image = Render(*button);
    EXPECT_EQ(PixelAt(image, 0, 0), Rgb(kFace));  // no border at rest
    EXPECT_EQ(PixelAt(image, 59, 23), Rgb(kFace));
    Hover(button);
    image = Render(*button);
    EXPECT_EQ(PixelAt(image, 0, 0), Rgb(kLight));  // raised
    EXPECT_EQ(PixelAt(image, 59, 23), Rgb(kDark));
    button->setDown(true);
    image = Render(*button);
    EXPECT_EQ(PixelAt(image, 0, 0), Rgb(kDark));  // sunken
    EXPECT_EQ(PixelAt(image, 59, 23), Rgb(kLight));
}

} // namespace
