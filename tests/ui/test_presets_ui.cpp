// The four choice boxes of the main window: what each format choice puts into
// the boxes and the hidden mirrors.

#include "catalogue/output_presets.h"
#include "controls/flat_combo_box.h"
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

constexpr int kFormatBox = 1005;
constexpr int kResolutionBox = 1006;
constexpr int kFrameRateBox = 1007;
constexpr int kBitrateBox = 1008;

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
        EXPECT_EQ(current(kResolutionBox), resolution);
        EXPECT_EQ(current(kFrameRateBox), frameRate);
        EXPECT_EQ(current(kBitrateBox), bitrate);
        EXPECT_EQ(mirror(1023), resolution);
        EXPECT_EQ(mirror(1022), frameRate);
        EXPECT_EQ(mirror(1021), bitrate);
    }
};

TEST_F(PresetsUiTest, StartsOnMp4WithItsDefaults)
{
    EXPECT_EQ(items(kFormatBox), (QStringList{"3GP", "FLV", "MP4"}));
    EXPECT_EQ(current(kFormatBox), "MP4");
    EXPECT_EQ(items(kResolutionBox), (QStringList{"128x96", "160x120", "176x144", "220x176", "320x240", "352x288",
                                                  "480x320", "640x480", "720x480"}));
    EXPECT_EQ(items(kFrameRateBox), (QStringList{"10", "12", "15", "25", "30"}));
    EXPECT_EQ(items(kBitrateBox),
              (QStringList{"48", "64", "96", "112", "128", "192", "256", "384", "512", "1024", "1500", "2000"}));
    expectDefaults("320x240", "15", "512");
    // Initialisation never touches the texts the start command writes.
    EXPECT_EQ(OutputSettings.strBitrate, "128");
}

TEST_F(PresetsUiTest, FlvShowsItsChoices)
{
    choose(kFormatBox, "FLV");
    EXPECT_EQ(items(kResolutionBox), (QStringList{"176x144", "220x176", "320x240", "640x480", "720x480"}));
    EXPECT_EQ(items(kFrameRateBox), (QStringList{"10", "12", "15", "25"}));
    EXPECT_EQ(items(kBitrateBox), (QStringList{"192", "216", "256", "384", "512", "768", "1000", "1500"}));
    expectDefaults("320x240", "25", "384");
}

TEST_F(PresetsUiTest, ThreeGpShowsItsChoicesAndMp4TakesItsOwnBack)
{
    choose(kFormatBox, "3GP");
    EXPECT_EQ(items(kResolutionBox), (QStringList{"128x96", "176x144", "352x288", "704x576"}));
    EXPECT_EQ(items(kBitrateBox), (QStringList{"48", "64", "96", "112", "128", "160", "192", "256", "384", "512"}));
    expectDefaults("176x144", "15", "64");

    choose(kFormatBox, "MP4");
    expectDefaults("320x240", "15", "512");
}

TEST_F(PresetsUiTest, ChoosingTheSameFormatAgainResetsTheOtherBoxes)
{
    for (const char *format : {"FLV", "3GP", "MP4"}) {
        SCOPED_TRACE(format);
        choose(kFormatBox, format);
        const QString resolution = current(kResolutionBox);
        const QString frameRate = current(kFrameRateBox);
        const QString bitrate = current(kBitrateBox);

        choose(kResolutionBox, items(kResolutionBox).last());
        choose(kFrameRateBox, "10");
        choose(kBitrateBox, items(kBitrateBox).first());
        ASSERT_NE(mirror(1023), resolution);
        ASSERT_EQ(mirror(1022), "10");

        choose(kFormatBox, format);
        EXPECT_EQ(current(kResolutionBox), resolution);
        EXPECT_EQ(mirror(1023), resolution);
        EXPECT_EQ(mirror(1022), frameRate);
        EXPECT_EQ(mirror(1021), bitrate);
    }
}

TEST_F(PresetsUiTest, EachChoiceIsMirroredIntoItsOwnLabelOnly)
{
    choose(kResolutionBox, "720x480");
    EXPECT_EQ(mirror(1023), "720x480");
    EXPECT_EQ(mirror(1022), "15");
    EXPECT_EQ(mirror(1021), "512");

    choose(kFrameRateBox, "30");
    EXPECT_EQ(mirror(1022), "30");
    EXPECT_EQ(mirror(1023), "720x480");

    choose(kBitrateBox, "2000");
    EXPECT_EQ(mirror(1021), "2000");
    EXPECT_EQ(mirror(1022), "30");
}

TEST_F(PresetsUiTest, KeyboardChoiceInTheFormatBoxAppliesItsPresets)
{
    QComboBox *format = box(kFormatBox);
    format->setFocus();
    QTest::keyClick(format, Qt::Key_Up);  // MP4 -> FLV
    ASSERT_EQ(current(kFormatBox), "FLV");
    expectDefaults("320x240", "25", "384");
}

TEST_F(PresetsUiTest, RefillingTheBoxesRaisesNoChoiceOfTheirOwn)
{
    QSignalSpy resolution(box(kResolutionBox), &QComboBox::activated);
    QSignalSpy frameRate(box(kFrameRateBox), &QComboBox::activated);
    QSignalSpy bitrate(box(kBitrateBox), &QComboBox::activated);
    choose(kFormatBox, "3GP");
    m_dialog->ApplyFlvPresets();
    EXPECT_EQ(resolution.count(), 0);
    EXPECT_EQ(frameRate.count(), 0);
    EXPECT_EQ(bitrate.count(), 0);
    // The format box keeps showing 3GP; the presets applied from the program win.
    EXPECT_EQ(current(kFormatBox), "3GP");
    expectDefaults("320x240", "25", "384");
}

TEST_F(PresetsUiTest, TextTypedIntoTheFrameRateBoxIsNotTaken)
{
    QComboBox *frameRate = box(kFrameRateBox);
    ASSERT_TRUE(frameRate->isEditable());
    const int count = frameRate->count();
    frameRate->setFocus();
    frameRate->lineEdit()->selectAll();
    QTest::keyClicks(frameRate->lineEdit(), "99");
    QTest::keyClick(frameRate->lineEdit(), Qt::Key_Return);
    EXPECT_EQ(mirror(1022), "15");
    EXPECT_EQ(frameRate->count(), count) << "typed text never becomes an item";

    // Even when something reports the box as activated, the mirror takes the
    // chosen list item, not the edit field's text.
    emit frameRate->activated(frameRate->currentIndex());
    EXPECT_EQ(mirror(1022), "15");

    choose(kFrameRateBox, "25");
    EXPECT_EQ(mirror(1022), "25");
}

} // namespace
