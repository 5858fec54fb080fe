// The window in each language it speaks, and what a screen reader finds in it.
#include "engine/dialog_port.h"
#include "res/control_ids.h"
#include "res/dialog_templates.h"
#include "tests/support/test_support.h"
#include "tests/support/window_support.h"
#include "ui/file_list_view.h"
#include "ui/main_dialog.h"
#include "ui/settings_dialog.h"
#include "ui/status_texts.h"
#include "ui/ui_language.h"

#include <QAbstractButton>
#include <QAccessible>
#include <QComboBox>
#include <QLabel>
#include <QRegularExpression>
#include <gtest/gtest.h>
#include <memory>

namespace {

// Every text a user can see in a window: its title, labels, buttons, choice
// items and column headers.
QStringList ShownTexts(QWidget *window)
{
    QStringList texts{window->windowTitle()};
    for (QLabel *label : window->findChildren<QLabel *>())
        texts << label->text();
    for (QAbstractButton *button : window->findChildren<QAbstractButton *>())
        texts << button->text();
    for (QComboBox *box : window->findChildren<QComboBox *>()) {
        for (int i = 0; i < box->count(); ++i)
            texts << box->itemText(i);
    }
    for (FileListView *list : window->findChildren<FileListView *>()) {
        for (int c = 0; c < list->columnCount(); ++c)
            texts << list->model()->headerData(c, Qt::Horizontal).toString();
    }
    return texts;
}

// What the status line and the state column can show.
QStringList ReportedTexts()
{
    QStringList texts;
    for (RowPhase phase : {RowPhase::Waiting, RowPhase::Converting, RowPhase::Packaging, RowPhase::Done,
                           RowPhase::Stopped, RowPhase::Unreadable})
        texts << ShownRowState({phase, 50, FailReason::Unreadable});
    for (int why = int(FailReason::None); why <= int(FailReason::StillPicture); ++why)
        texts << ShownRowState({RowPhase::Failed, 0, FailReason(why)});
    for (BatchStatus status : {BatchStatus::Converting, BatchStatus::Exporting, BatchStatus::RowFinished,
                               BatchStatus::RowFailed, BatchStatus::Ended})
        texts << ShownStatus(status, BatchSummary{3, 1, false, false});
    for (const char *text : {StatusText::kAddFilesFirst, StatusText::kStarting, StatusText::kPaused,
                             StatusText::kResuming, StatusText::kStopped, StatusText::kDiskFullMessage})
        texts << StatusLineText(text);
    return texts;
}

bool HasChinese(const QString &text)
{
    static const QRegularExpression han(QStringLiteral("\\p{Han}"));
    return text.contains(han);
}

class WindowLanguageTest : public ::testing::TestWithParam<const char *> {
protected:
    static void SetUpTestSuite()
    {
        UseTemporaryHome();
        EnsureApp();
    }
    void TearDown() override { InstallTranslation(UiLanguage::Chinese); }
};

TEST_P(WindowLanguageTest, EveryTextSpeaksTheLocalesLanguage)
{
    const QString locale = QString::fromLatin1(GetParam());
    const UiLanguage language = LanguageForLocale({}, {}, {}, locale);
    ASSERT_TRUE(InstallTranslation(language));

    auto main = std::make_unique<MainDialog>();
    main->OnInitDialog();
    SettingsDialog settings;
    QStringList texts = ShownTexts(main.get()) + ShownTexts(&settings) + ReportedTexts();
    texts.removeAll(QString());

    if (language == UiLanguage::English) {
        for (const QString &text : texts)
            EXPECT_FALSE(HasChinese(text)) << "untranslated under " << GetParam() << ": " << text.toStdString();
    } else {
        // Exactly the source texts.
        EXPECT_EQ(main->windowTitle(), QStringLiteral("Q9Plemo 【免费绿色软件】"));
        for (const ControlTemplate &c : MainDialogTemplate().controls) {
            if (c.kind == ControlKind::PushButton) {
                EXPECT_EQ(main->controlAs<QAbstractButton>(c.id)->text(), QString::fromUtf8(c.caption));
            }
        }
        EXPECT_EQ(ShownRowState({RowPhase::Failed, 0, FailReason::DiskFull}), QStringLiteral("失败：磁盘已满"));
        EXPECT_EQ(settings.windowTitle(), QStringLiteral("Q9Plemo设置"));
    }
}

INSTANTIATE_TEST_SUITE_P(Locales, WindowLanguageTest, ::testing::Values("en_US.UTF-8", "zh_CN.UTF-8", "C.UTF-8"));

TEST(UiLanguage, FollowsTheLocaleVariablesInTheirOrder)
{
    struct Case {
        const char *language, *lcAll, *lcMessages, *lang;
        UiLanguage expected;
    };
    using L = UiLanguage;
    // clang-format off
    const Case cases[] = {
        {"",      "",           "",            "en_US.UTF-8", L::English},
        {"",      "",           "",            "zh_CN.UTF-8", L::Chinese},
        {"",      "",           "",            "C.UTF-8",     L::Chinese},
        {"",      "",           "",            "",            L::Chinese},
        {"",      "",           "",            "de_DE.UTF-8", L::English},   // no German: English
        {"",      "",           "zh_TW.UTF-8", "en_US.UTF-8", L::Chinese},   // LC_MESSAGES before LANG
        {"",      "en_GB.UTF-8", "zh_CN.UTF-8", "zh_CN.UTF-8", L::English},  // LC_ALL before both
        {"en",    "",           "",            "zh_CN.UTF-8", L::English},   // LANGUAGE first
        {"de:zh", "",           "",            "en_US.UTF-8", L::Chinese},   // its first entry we speak
        {"en",    "C",          "",            "en_US.UTF-8", L::Chinese},   // not under the C locale
        {"en",    "",           "",            "POSIX",       L::Chinese},
    };
    // clang-format on
    for (const Case &c : cases) {
        EXPECT_EQ(LanguageForLocale(QString::fromLatin1(c.language), QString::fromLatin1(c.lcAll),
                                    QString::fromLatin1(c.lcMessages), QString::fromLatin1(c.lang)),
                  c.expected)
            << c.language << " / " << c.lcAll << " / " << c.lcMessages << " / " << c.lang;
    }
}

// Walks the accessible tree below `iface`, calling `check` on every node.
template <typename Check>
void Walk(QAccessibleInterface *iface, const Check &check)
{
    for (int i = 0; i < iface->childCount(); ++i) {
        if (QAccessibleInterface *child = iface->child(i)) {
            check(child);
            Walk(child, check);
        }
    }
}

TEST(ScreenReader, EveryReachableControlHasANameAndTheListReadsAsATable)
{
    UseTemporaryHome();
    EnsureApp();
    MainDialog dialog;
    dialog.OnInitDialog();
    dialog.controlAs<FileListView>(IdFileList)->appendRow(QStringLiteral("/videos/a.avi"));
    dialog.show();
    QAccessibleInterface *window = QAccessible::queryAccessibleInterface(&dialog);
    ASSERT_NE(window, nullptr);

    // Hidden helpers are not in the tree at all.
    for (int i = 0; i < window->childCount(); ++i)
        EXPECT_FALSE(window->child(i)->state().invisible) << window->child(i)->text(QAccessible::Name).toStdString();

    int combos = 0;
    Walk(window, [&](QAccessibleInterface *node) {
        const QAccessible::Role role = node->role();
        const QString name = node->text(QAccessible::Name);
        if (node->state().invisible || node->object() == nullptr)
            return;
        if (role == QAccessible::PushButton || role == QAccessible::ComboBox || role == QAccessible::EditableText ||
            role == QAccessible::ProgressBar || role == QAccessible::Table) {
            if (qobject_cast<QWidget *>(node->object())->focusPolicy() == Qt::NoFocus && role != QAccessible::ProgressBar)
                return;  // parts of other controls (a scroll bar's buttons)
            EXPECT_FALSE(name.isEmpty()) << "role " << role << " of " << node->object()->metaObject()->className();
        }
        if (role == QAccessible::ComboBox && node->object()->parent() == &dialog) {
            ++combos;
            EXPECT_NE(name, node->text(QAccessible::Value)) << "a choice box named by its current item";
        }
    });
    EXPECT_EQ(combos, 5);
    EXPECT_EQ(QAccessible::queryAccessibleInterface(dialog.control(IdFormatBox))->text(QAccessible::Name),
              QStringLiteral("输出格式"));
    EXPECT_FALSE(QAccessible::queryAccessibleInterface(dialog.control(IdBanner))
                     ->text(QAccessible::Description)
                     .isEmpty());

    QAccessibleInterface *list = QAccessible::queryAccessibleInterface(dialog.control(IdFileList));
    ASSERT_NE(list->tableInterface(), nullptr);
    QAccessibleInterface *cell = list->tableInterface()->cellAt(0, ColPath);
    ASSERT_NE(cell, nullptr);
    EXPECT_EQ(cell->role(), QAccessible::Cell);
    EXPECT_EQ(cell->text(QAccessible::Name), QStringLiteral("a.avi")) << "the file's name, as the column shows it";
    const QList<QAccessibleInterface *> headers = cell->tableCellInterface()->columnHeaderCells();
    ASSERT_EQ(headers.size(), 1);
    EXPECT_EQ(headers[0]->text(QAccessible::Name), QStringLiteral("文件名"));
    const QList<QAccessibleInterface *> numberHeaders =
        list->tableInterface()->cellAt(0, ColNumber)->tableCellInterface()->columnHeaderCells();
    ASSERT_EQ(numberHeaders.size(), 1);
    EXPECT_FALSE(numberHeaders[0]->text(QAccessible::Name).isEmpty());
}

}  // namespace
