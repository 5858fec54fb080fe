#include "controls/flat_combo_box.h"
#include "tests/support/test_support.h"
#include "tests/support/window_support.h"

#include <QAbstractItemView>
#include <QApplication>
#include <QLineEdit>
#include <QMouseEvent>
#include <QShortcut>
#include <QSignalSpy>
#include <QTest>
#include <gtest/gtest.h>
#include <memory>

namespace {

const QColor kLight(255, 255, 255);
const QColor kDark(128, 128, 128);
const QColor kFace(212, 208, 200);
const QPoint kFarAway(5, 5);  // outside the host window

std::string Rgb(const QColor &c)
{
    return std::to_string(c.red()) + "," + std::to_string(c.green()) + "," + std::to_string(c.blue());
}

QImage Render(QWidget &widget)
{
    QImage image(widget.size(), QImage::Format_RGB32);
    image.fill(Qt::black);
    widget.render(&image);
    return image;
}

class FlatComboBoxTest : public ::testing::Test {
protected:
    static void SetUpTestSuite() { EnsureApp(); }

    void SetUp() override
    {
        QCursor::setPos(kFarAway);
        m_host = std::make_unique<QWidget>();
        QPalette palette = m_host->palette();
        palette.setColor(QPalette::Light, kLight);
        palette.setColor(QPalette::Dark, kDark);
        palette.setColor(QPalette::Button, kFace);
        m_host->setPalette(palette);
        m_host->setGeometry(100, 100, 400, 200);
        m_edit = new QLineEdit(m_host.get());
        m_edit->setGeometry(10, 10, 100, 22);
        m_list = new CCJFlatComboBox(m_host.get());
        m_list->setGeometry(10, 50, 100, 22);
        m_list->addItems(kItems);
        // Made editable after construction, as the dialog builder does.
        m_rate = new CCJFlatComboBox(m_host.get());
        m_rate->addItems(kItems);
        m_rate->setEditable(true);
        m_rate->setInsertPolicy(QComboBox::NoInsert);
        m_rate->setGeometry(10, 90, 100, 22);
        m_host->show();
        m_host->activateWindow();
        ASSERT_TRUE(QTest::qWaitForWindowActive(m_host.get()));
        m_edit->setFocus();
    }

    void TearDown() override { QCursor::setPos(kFarAway); }

public:
    // Points into `w`, never twice at the same spot: a move to where the
    // pointer last was seen is not reported as a move on X11.
    void PointAt(QWidget *w)
    {
        static int nudge = 0;
        nudge = (nudge + 1) % 8;
        QCursor::setPos(w->mapToGlobal(w->rect().center() + QPoint(nudge, 0)));
    }

    // Keys go where the keyboard focus is.
    void Type(const QString &keys) { QTest::keyClicks(QApplication::focusWidget(), keys); }
    void Key(Qt::Key key, Qt::KeyboardModifiers mods = Qt::NoModifier)
    {
        QTest::keyClick(QApplication::focusWidget(), key, mods);
    }

protected:
    const QStringList kItems{"10", "12", "15", "25", "30"};
    std::unique_ptr<QWidget> m_host;
    QLineEdit *m_edit = nullptr;
    CCJFlatComboBox *m_list = nullptr;
    CCJFlatComboBox *m_rate = nullptr;
};

struct Expect {
    int x, y;
    QColor colour;
};

struct LookCase {
    const char *name;
    CCJFlatComboBox::FlatLook look;
    bool enabled;
    std::vector<Expect> pixels;  // x < 0 counts from the drop-button column
};

TEST_F(FlatComboBoxTest, DrawComboDrawsEachLook)
{
    const int col = 98 - m_list->thumbWidth();  // left edge of the drop-button column, 100 x 22 box
    const auto c = [col](int dx) { return col + dx; };
    const LookCase cases[] = {
        {"normal", CCJFlatComboBox::Normal, true,
         {{0, 0, kFace}, {99, 21, kFace}, {1, 1, kFace}, {c(1), 5, kLight}, {96, 5, kLight}, {c(5), 2, kLight},
          {c(5), 19, kLight}, {c(0), 5, kLight}}},
        {"hot", CCJFlatComboBox::Hot, true,
         {{0, 0, kDark}, {98, 0, kDark}, {0, 20, kDark}, {99, 0, kLight}, {0, 21, kLight}, {99, 21, kLight},
          {1, 1, kFace}, {c(1), 5, kLight}, {c(5), 2, kLight}, {96, 5, kDark}, {c(5), 19, kDark}, {c(0), 5, kFace}}},
        {"pressed", CCJFlatComboBox::Pressed, true,
         {{0, 0, kDark}, {99, 21, kLight}, {c(2), 5, kDark}, {c(5), 3, kDark}, {97, 5, kLight}, {c(5), 20, kLight},
          {c(1), 5, kFace}, {c(0), 5, kFace}}},
        {"disabled", CCJFlatComboBox::Normal, false,
         {{0, 0, kFace}, {1, 1, kLight}, {98, 20, kLight}, {c(0), 5, kFace}, {c(1), 5, kFace}, {96, 5, kFace}}},
    };
    for (const LookCase &lc : cases) {
        SCOPED_TRACE(lc.name);
        m_list->setEnabled(lc.enabled);
        const QColor outer = lc.look == CCJFlatComboBox::Normal ? kFace : kDark;
        m_list->DrawCombo(lc.look, outer, lc.look == CCJFlatComboBox::Normal ? kFace : kLight);
        EXPECT_EQ(m_list->drawnLook(), lc.look);
        const QImage image = Render(*m_list);
        for (const Expect &e : lc.pixels)
            EXPECT_EQ(Rgb(QColor(image.pixel(e.x, e.y))), Rgb(e.colour)) << e.x << "," << e.y;
    }
}

TEST_F(FlatComboBoxTest, OwnPaintChoosesHotForFocusElseNormal)
{
    EXPECT_EQ(Rgb(QColor(Render(*m_list).pixel(0, 0))), Rgb(kFace));
    m_list->setFocus();
    m_list->repaint();  // takes up the look drawn on gaining the focus
    EXPECT_EQ(Rgb(QColor(Render(*m_list).pixel(0, 0))), Rgb(kDark));
    EXPECT_EQ(m_list->drawnLook(), CCJFlatComboBox::Hot);
}

TEST_F(FlatComboBoxTest, HotTrackingRunsOnlyAfterAMouseMoveAndStopsOutside)
{
    EXPECT_FALSE(m_list->isTracking());
    PointAt(m_list);
    ASSERT_TRUE(WaitUntil([&] { return m_list->isHot(); }, 2000));
    EXPECT_TRUE(m_list->isTracking());
    EXPECT_EQ(m_list->drawnLook(), CCJFlatComboBox::Hot);
    QCursor::setPos(kFarAway);
    EXPECT_TRUE(WaitUntil([&] { return !m_list->isTracking(); }, 2000));
    EXPECT_FALSE(m_list->isHot());
    EXPECT_FALSE(m_list->isTracking());
    EXPECT_EQ(m_list->drawnLook(), CCJFlatComboBox::Normal);
}

TEST_F(FlatComboBoxTest, FocusAloneStartsNoTrackingButKeepsItHot)
{
    m_list->setFocus();
    QTest::qWait(20);
    EXPECT_FALSE(m_list->isTracking());
    EXPECT_EQ(m_list->drawnLook(), CCJFlatComboBox::Hot);

    PointAt(m_list);
    ASSERT_TRUE(WaitUntil([&] { return m_list->isTracking(); }, 2000));
    QCursor::setPos(kFarAway);
    QTest::qWait(50);
    EXPECT_TRUE(m_list->isHot());  // focused: still hot, still polling
    EXPECT_TRUE(m_list->isTracking());

    m_edit->setFocus();
    EXPECT_EQ(m_list->drawnLook(), CCJFlatComboBox::Normal);  // at once
    EXPECT_TRUE(WaitUntil([&] { return !m_list->isTracking(); }, 2000));
    EXPECT_FALSE(m_list->isHot());
    EXPECT_FALSE(m_list->isTracking());
    EXPECT_EQ(m_list->drawnLook(), CCJFlatComboBox::Normal);
}

TEST_F(FlatComboBoxTest, LosingFocusUnderTheMouseDrawsNormalUntilTheMouseComesBack)
{
    m_list->setFocus();
    PointAt(m_list);
    ASSERT_TRUE(WaitUntil([&] { return m_list->isTracking(); }, 2000));
    ASSERT_TRUE(m_list->isHot());
    m_edit->setFocus();
    QTest::qWait(50);
    EXPECT_EQ(m_list->drawnLook(), CCJFlatComboBox::Normal);
    EXPECT_TRUE(m_list->isTracking());
}

TEST_F(FlatComboBoxTest, HoldingTheLeftButtonDrawsPressedAndStopsPolling)
{
    PointAt(m_list);
    ASSERT_TRUE(WaitUntil([&] { return m_list->isHot(); }, 2000));
    const QPoint at = m_list->rect().center();
    QMouseEvent press(QEvent::MouseButtonPress, QPointF(at), QPointF(m_list->mapToGlobal(at)), Qt::LeftButton,
                      Qt::LeftButton, Qt::NoModifier);
    QApplication::sendEvent(m_list, &press);
    EXPECT_TRUE(WaitUntil([&] { return m_list->drawnLook() == CCJFlatComboBox::Pressed; }, 2000));
    EXPECT_FALSE(m_list->isTracking());
    EXPECT_FALSE(m_list->isHot());
    m_list->hidePopup();
    // Repainted with the cursor over it.
    EXPECT_TRUE(WaitUntil([&] { return m_list->drawnLook() == CCJFlatComboBox::Hot; }, 2000));
}

struct CompletionCase {
    const char *name;
    std::function<void(FlatComboBoxTest &)> keys;
    QString text;
    QString selected;
    int cursor;
};

TEST_F(FlatComboBoxTest, TypedTextCompletesFromTheList)
{
    QSignalSpy activated(m_rate, &QComboBox::activated);
    const CompletionCase cases[] = {
        {"first item beginning with the text", [](auto &t) { t.Type("1"); }, "10", "0", 2},
        {"backspace over the tail completes again", [](auto &t) { t.Type("1"), t.Key(Qt::Key_Backspace); }, "10",
         "0", 2},
        {"the tail is replaced by the next key", [](auto &t) { t.Type("2"); }, "25", "5", 2},
        {"whole item typed", [](auto &t) { t.Type("25"); }, "25", "", 2},
        {"text beginning no item stays", [](auto &t) { t.Type("7"); }, "7", "", 1},
        {"completed then no longer matching", [](auto &t) { t.Type("17"); }, "17", "", 2},
        {"typed before the end keeps the caret",
         [](auto &t) { t.Type("7"), t.Key(Qt::Key_Home), t.Type("1"); }, "17", "", 1},
    };
    for (const CompletionCase &c : cases) {
        SCOPED_TRACE(c.name);
        m_rate->setFocus();
        m_rate->lineEdit()->clear();
        c.keys(*this);
        EXPECT_EQ(m_rate->lineEdit()->text(), c.text);
        EXPECT_EQ(m_rate->lineEdit()->selectedText(), c.selected);
        EXPECT_EQ(m_rate->lineEdit()->cursorPosition(), c.cursor);
    }
    EXPECT_EQ(activated.count(), 0);
    EXPECT_EQ(m_rate->count(), 5);
}

TEST_F(FlatComboBoxTest, CompletionIgnoresCase)
{
    m_rate->addItem(QStringLiteral("Auto"));
    m_rate->setFocus();
    m_rate->lineEdit()->clear();
    Type("a");
    EXPECT_EQ(m_rate->lineEdit()->text(), "Auto");
    EXPECT_EQ(m_rate->lineEdit()->selectedText(), "uto");
}

TEST_F(FlatComboBoxTest, EnterNeverTurnsTypedTextIntoAChoice)
{
    QSignalSpy activated(m_rate, &QComboBox::activated);
    m_rate->setFocus();
    for (const QString typed : {"1", "7", "12"}) {
        m_rate->lineEdit()->clear();
        Type(typed);
        Key(Qt::Key_Return);
        Key(Qt::Key_Enter);
    }
    EXPECT_EQ(activated.count(), 0);
    EXPECT_EQ(m_rate->count(), 5);
}

// Leaving the box, typed text gives way to the chosen item, except in a box
// whose typed text is a value of its own (the size limit).
TEST_F(FlatComboBoxTest, TypedTextGivesWayOnLeavingUnlessKept)
{
    for (const bool keep : {false, true}) {
        m_rate->setKeepsTypedText(keep);
        m_rate->setFocus();
        m_rate->lineEdit()->clear();
        Type("7");
        m_edit->setFocus();
        EXPECT_EQ(m_rate->lineEdit()->text(), keep ? "7" : m_rate->itemText(m_rate->currentIndex()));
    }
}

TEST_F(FlatComboBoxTest, ChoosingFromTheListStillReportsActivated)
{
    for (CCJFlatComboBox *box : {m_list, m_rate}) {
        QSignalSpy activated(box, &QComboBox::activated);
        box->setFocus();
        box->setCurrentIndex(0);
        box->showPopup();
        QTest::qWait(20);
        QWidget *list = box->view();
        QTest::keyClick(list, Qt::Key_Down);
        QTest::keyClick(list, Qt::Key_Return);
        ASSERT_EQ(activated.count(), 1);
        EXPECT_EQ(activated.at(0).at(0).toInt(), 1);
        EXPECT_EQ(box->currentText(), "12");
    }
}

TEST_F(FlatComboBoxTest, AltKeyDoesNothingWhileTheFocusIsInTheBox)
{
    int shortcuts = 0;
    auto *shortcut = new QShortcut(QKeySequence(Qt::ALT | Qt::Key_A), m_host.get());
    QObject::connect(shortcut, &QShortcut::activated, [&] { ++shortcuts; });
    auto *digit = new QShortcut(QKeySequence(Qt::ALT | Qt::Key_2), m_host.get());
    QObject::connect(digit, &QShortcut::activated, [&] { ++shortcuts; });

    Key(Qt::Key_A, Qt::AltModifier);  // the edit field outside the boxes: the shortcut works
    ASSERT_EQ(shortcuts, 1);

    m_list->setFocus();
    m_list->setCurrentIndex(0);
    Key(Qt::Key_A, Qt::AltModifier);
    Key(Qt::Key_2, Qt::AltModifier);
    EXPECT_EQ(m_list->currentIndex(), 0);

    m_rate->setFocus();
    m_rate->lineEdit()->setText("1");
    Key(Qt::Key_A, Qt::AltModifier);
    Key(Qt::Key_2, Qt::AltModifier);
    QKeyEvent direct(QEvent::KeyPress, Qt::Key_3, Qt::AltModifier, "3");
    QApplication::sendEvent(m_rate->lineEdit(), &direct);
    EXPECT_EQ(m_rate->lineEdit()->text(), "1");
    EXPECT_EQ(shortcuts, 1);
}

TEST_F(FlatComboBoxTest, ColourChangeIsPickedUpButTheThumbWidthIsNot)
{
    const int thumb = m_list->thumbWidth();
    QPalette palette = m_list->palette();
    palette.setColor(QPalette::Button, QColor(1, 2, 3));
    m_list->setPalette(palette);
    EXPECT_EQ(Rgb(QColor(Render(*m_list).pixel(0, 0))), "1,2,3");
    EXPECT_EQ(m_list->thumbWidth(), thumb);
}

} // namespace
