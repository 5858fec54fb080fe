// The four choice boxes of the main window: what each format choice puts into
// the boxes and the hidden mirrors.

#include "engine/output_presets.h"
#include "controls/flat_combo_box.h"
#include "res/control_ids.h"
#include "tests/support/main_dialog_fixture.h"
#include "ui/main_dialog.h"

#include <QLabel>
#include <QLineEdit>
#include <QSignalSpy>
#include <QTest>
#include <gtest/gtest.h>

#include <ostream>

#include <memory>

// Readable texts in failure messages.
void PrintTo(const QString &text, std::ostream *os) { *os << '"' << text.toStdString() << '"'; }

namespace {


class PresetsUiTest : public MainDialogFixture {
protected:
    QComboBox *box(int id) const { return m_dialog->controlAs<QComboBox>(id); }
    QString mirror(int id) const { return m_dialog->controlAs<QLabel>(id)->text(); }
    QStringList items(int id) const
    {
        QStringList result;
        for (int i = 0; i < box(id)->count(); ++i)
            result << box(id)->itemText(i);
        return result;
    }
    QString current(int id) const { return box(id)->itemText(box(id)->currentIndex()); }

    // What the user's choice from a box's list does: the box moves to the item
    // and reports it as activated.
    void choose(int id, const QString &text)
    {
        QComboBox *b = box(id);
        const int index = b->findText(text);
        ASSERT_GE(index, 0) << text.toStdString() << " is not in box " << id;
        b->setCurrentIndex(index);
        emit b->activated(index);
    }

    // The boxes and mirrors hold one format's defaults.
    void expectDefaults(const char *resolution, const char *frameRate, const char *bitrate)
    {
        EXPECT_EQ(current(IdResolutionBox), resolution);
        EXPECT_EQ(current(IdFrameRateBox), frameRate);
        EXPECT_EQ(current(IdBitrateBox), bitrate);
        EXPECT_EQ(mirror(IdResolutionMirror), resolution);
        EXPECT_EQ(mirror(IdFrameRateMirror), frameRate);
        EXPECT_EQ(mirror(IdBitrateMirror), bitrate);
    }
};

TEST_F(PresetsUiTest, StartsOnMp4WithItsDefaults)
{
    EXPECT_EQ(items(IdFormatBox), (QStringList{"3GP", "FLV", "MP4"}));
    EXPECT_EQ(current(IdFormatBox), "MP4");
    EXPECT_EQ(items(IdResolutionBox), (QStringList{"128x96", "160x120", "176x144", "220x176", "320x240", "352x288",
                                                  "480x320", "640x480", "720x480"}));
    EXPECT_EQ(items(IdFrameRateBox), (QStringList{"10", "12", "15", "25", "30"}));
    EXPECT_EQ(items(IdBitrateBox),
              (QStringList{"48", "64", "96", "112", "128", "192", "256", "384", "512", "1024", "1500", "2000"}));
    expectDefaults("320x240", "15", "512");
}

TEST_F(PresetsUiTest, FlvShowsItsChoices)
{
    choose(IdFormatBox, "FLV");
    EXPECT_EQ(items(IdResolutionBox), (QStringList{"176x144", "220x176", "320x240", "640x480", "720x480"}));
    EXPECT_EQ(items(IdFrameRateBox), (QStringList{"10", "12", "15", "25"}));
    EXPECT_EQ(items(IdBitrateBox), (QStringList{"192", "216", "256", "384", "512", "768", "1000", "1500"}));
    expectDefaults("320x240", "25", "384");
}

TEST_F(PresetsUiTest, ThreeGpShowsItsChoicesAndMp4TakesItsOwnBack)
{
    choose(IdFormatBox, "3GP");
    EXPECT_EQ(items(IdResolutionBox), (QStringList{"128x96", "176x144", "352x288", "704x576"}));
    EXPECT_EQ(items(IdBitrateBox), (QStringList{"48", "64", "96", "112", "128", "160", "192", "256", "384", "512"}));
    expectDefaults("176x144", "15", "64");

    choose(IdFormatBox, "MP4");
    expectDefaults("320x240", "15", "512");
}

TEST_F(PresetsUiTest, ChoosingTheSameFormatAgainResetsTheOtherBoxes)
{
    for (const char *format : {"FLV", "3GP", "MP4"}) {
        SCOPED_TRACE(format);
        choose(IdFormatBox, format);
        const QString resolution = current(IdResolutionBox);
        const QString frameRate = current(IdFrameRateBox);
        const QString bitrate = current(IdBitrateBox);

        choose(IdResolutionBox, items(IdResolutionBox).last());
        choose(IdFrameRateBox, "10");
        choose(IdBitrateBox, items(IdBitrateBox).first());
        ASSERT_NE(mirror(IdResolutionMirror), resolution);
        ASSERT_EQ(mirror(IdFrameRateMirror), "10");

        choose(IdFormatBox, format);
        EXPECT_EQ(current(IdResolutionBox), resolution);
        EXPECT_EQ(mirror(IdResolutionMirror), resolution);
        EXPECT_EQ(mirror(IdFrameRateMirror), frameRate);
        EXPECT_EQ(mirror(IdBitrateMirror), bitrate);
    }
}

TEST_F(PresetsUiTest, EachChoiceIsMirroredIntoItsOwnLabelOnly)
{
    choose(IdResolutionBox, "720x480");
    EXPECT_EQ(mirror(IdResolutionMirror), "720x480");
    EXPECT_EQ(mirror(IdFrameRateMirror), "15");
    EXPECT_EQ(mirror(IdBitrateMirror), "512");

    choose(IdFrameRateBox, "30");
    EXPECT_EQ(mirror(IdFrameRateMirror), "30");
    EXPECT_EQ(mirror(IdResolutionMirror), "720x480");

    choose(IdBitrateBox, "2000");
    EXPECT_EQ(mirror(IdBitrateMirror), "2000");
    EXPECT_EQ(mirror(IdFrameRateMirror), "30");
}

TEST_F(PresetsUiTest, KeyboardChoiceInTheFormatBoxAppliesItsPresets)
{
    QComboBox *format = box(IdFormatBox);
    format->setFocus();
    QTest::keyClick(format, Qt::Key_Up);  // MP4 -> FLV
    ASSERT_EQ(current(IdFormatBox), "FLV");
    expectDefaults("320x240", "25", "384");
}

TEST_F(PresetsUiTest, RefillingTheBoxesRaisesNoChoiceOfTheirOwn)
{
    QSignalSpy resolution(box(IdResolutionBox), &QComboBox::activated);
    QSignalSpy frameRate(box(IdFrameRateBox), &QComboBox::activated);
    QSignalSpy bitrate(box(IdBitrateBox), &QComboBox::activated);
    choose(IdFormatBox, "3GP");
    m_dialog->ApplyFlvPresets();
    EXPECT_EQ(resolution.count(), 0);
    EXPECT_EQ(frameRate.count(), 0);
    EXPECT_EQ(bitrate.count(), 0);
    // The format box keeps showing 3GP; the presets applied from the program win.
    EXPECT_EQ(current(IdFormatBox), "3GP");
    expectDefaults("320x240", "25", "384");
}

TEST_F(PresetsUiTest, TextTypedIntoTheFrameRateBoxIsNotTaken)
{
    QComboBox *frameRate = box(IdFrameRateBox);
    ASSERT_TRUE(frameRate->isEditable());
    const int count = frameRate->count();
    frameRate->setFocus();
    frameRate->lineEdit()->selectAll();
    QTest::keyClicks(frameRate->lineEdit(), "99");
    QTest::keyClick(frameRate->lineEdit(), Qt::Key_Return);
    EXPECT_EQ(mirror(IdFrameRateMirror), "15");
    EXPECT_EQ(frameRate->count(), count) << "typed text never becomes an item";

    // Even when something reports the box as activated, the mirror takes the
    // chosen list item, not the edit field's text.
    emit frameRate->activated(frameRate->currentIndex());
    EXPECT_EQ(mirror(IdFrameRateMirror), "15");

    choose(IdFrameRateBox, "25");
    EXPECT_EQ(mirror(IdFrameRateMirror), "25");
}

// Typing the start of an item completes to it: the batch then uses exactly
// the rate the box shows.
TEST_F(PresetsUiTest, CompletionInTheFrameRateBoxIsAChoice)
{
    QComboBox *frameRate = box(IdFrameRateBox);
    frameRate->setFocus();
    frameRate->lineEdit()->selectAll();
    QTest::keyClicks(frameRate->lineEdit(), "2");
    EXPECT_EQ(frameRate->currentText(), "25");
    EXPECT_EQ(mirror(IdFrameRateMirror), "25");
}

} // namespace
