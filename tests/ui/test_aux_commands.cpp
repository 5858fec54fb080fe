#include "controls/xp_smart_button.h"
#include "res/control_ids.h"
#include "settings/app_config.h"
#include "settings/output_folder.h"
#include "settings/settings_store.h"
#include "settings/web_addresses.h"
#include "tests/support/test_support.h"
#include "tests/support/window_support.h"
#include "ui/aux_commands.h"
#include "ui/desktop_opener.h"
#include "ui/main_dialog.h"
#include "ui/message_box.h"
#include "ui/settings_dialog.h"

#include <QApplication>
#include <QDir>
#include <QFile>
#include <QLineEdit>
#include <QTest>
#include <QTimer>
#include <QUrlQuery>
#include <gtest/gtest.h>

namespace {

struct Message {
    QString caption;
    QString text;
};

// A fresh home and config folder; messages and opened addresses are recorded.
class AuxCommandsTest : public ::testing::Test {
protected:
    void SetUp() override
    {
        EnsureApp();
        m_home = MakeTempDir();
        qputenv("HOME", QFile::encodeName(m_home));
        qputenv("XDG_CONFIG_HOME", QFile::encodeName(m_home + QStringLiteral("/config")));
        SetMessageBoxHook([this](const QString &caption, const QString &text) { m_messages.push_back({caption, text}); });
        SetDesktopOpenerHook([this](const QUrl &url) {
            m_opened.push_back(url);
            return true;
        });
    }
    void TearDown() override
    {
        SetMessageBoxHook({});
        SetDesktopOpenerHook({});
    }
    void click(MainDialog &dialog, int id) { QTest::mouseClick(dialog.controlAs<CXPSmartButton>(id), Qt::LeftButton); }
    void search(MainDialog &dialog, const QString &text)
    {
        dialog.controlAs<QLineEdit>(IdSearchBox)->setText(text);
        click(dialog, IdSearch);
    }

    QString m_home;
    std::vector<Message> m_messages;
    std::vector<QUrl> m_opened;
};

TEST_F(AuxCommandsTest, AboutBoxHasNineLines)
{
    MainDialog dialog;
    click(dialog, IdAbout);
    ASSERT_EQ(m_messages.size(), 1u);
    EXPECT_EQ(m_messages[0].caption, QStringLiteral("Q9Plemo"));
    EXPECT_TRUE(m_opened.empty());

    const QStringList lines = m_messages[0].text.split(QLatin1Char('\n'));
    ASSERT_EQ(lines.size(), 9);
    for (int i : {1, 3, 5, 7})
        EXPECT_EQ(lines[i], QString()) << "line " << i + 1;
    const QString &first = lines[0];
    EXPECT_FALSE(first.startsWith(QLatin1Char(' ')));
    for (const char *kind : {"RM", "RMVB", "AVI"})
        EXPECT_TRUE(first.contains(QLatin1String(kind))) << kind;
    EXPECT_EQ(lines[2], QStringLiteral("         【支持Q9手机720X480分辨率2000比特率的高清晰视频输出要求】"));
    EXPECT_EQ(lines[4], QString(26, QLatin1Char(' ')) + QString::fromUtf8(AppConfig::kSiteAddress));
    EXPECT_EQ(lines[6], QString(27, QLatin1Char(' ')) + QString::fromUtf8(AppConfig::kMakerMail));
    const QString credit = lines[8].mid(26);
    EXPECT_EQ(lines[8].left(26), QString(26, QLatin1Char(' ')));
    EXPECT_TRUE(credit.startsWith(QStringLiteral("【")) && credit.endsWith(QStringLiteral("】"))) << credit.toStdString();
    EXPECT_TRUE(credit.contains(QString::fromUtf8(AppConfig::kSiteHost)));
}

TEST_F(AuxCommandsTest, SearchNeedsTwoBytes)
{
    MainDialog dialog;
    for (const char *text : {"", "a", " "}) {
        m_messages.clear();
        search(dialog, QString::fromUtf8(text));
        ASSERT_EQ(m_messages.size(), 1u) << text;
        EXPECT_EQ(m_messages[0].caption, QStringLiteral("Q9Plemo"));
        EXPECT_EQ(m_messages[0].text, QStringLiteral("请先在左边方框中输入问题描述或关键字"));
    }
    EXPECT_TRUE(m_opened.empty());
    // One Chinese character is enough.
    m_messages.clear();
    search(dialog, QStringLiteral("中"));
    EXPECT_TRUE(m_messages.empty());
    EXPECT_EQ(m_opened.size(), 1u);
}

TEST_F(AuxCommandsTest, SearchOpensTheSiteRestrictedQuery)
{
    const QByteArray endpoint = AppConfig::kSearchEndpoint;
    const QByteArray host = AppConfig::kSiteHost;
    const QByteArray tail = "&ie=UTF-8&oe=UTF-8&hl=zh-cn&domains=" + host + "&sitesearch=" + host;
    struct Case {
        const char *typed;
        QByteArray query;
    } const cases[] = {
        {"ab", "ab"},
        {"a&b c", "a%26b%20c"},
        {"#1 x=y+z", "%231%20x%3Dy%2Bz"},
        {"无法转换", "%E6%97%A0%E6%B3%95%E8%BD%AC%E6%8D%A2"},
    };
    MainDialog dialog;
    for (const Case &c : cases) {
        m_opened.clear();
        search(dialog, QString::fromUtf8(c.typed));
        ASSERT_EQ(m_opened.size(), 1u) << c.typed;
        const QUrl &url = m_opened[0];
        EXPECT_EQ(url.toEncoded(), endpoint + "?q=" + c.query + tail) << c.typed;
        // Every key stays in its place and the text arrives whole.
        const QUrlQuery query(url);
        QStringList keys;
        for (const auto &item : query.queryItems())
            keys << item.first;
        EXPECT_EQ(keys, (QStringList{"q", "ie", "oe", "hl", "domains", "sitesearch"})) << c.typed;
        EXPECT_EQ(query.queryItemValue(QStringLiteral("q"), QUrl::FullyDecoded), QString::fromUtf8(c.typed));
        EXPECT_EQ(url.fragment(), QString());
    }
    EXPECT_TRUE(m_messages.empty());
}

TEST_F(AuxCommandsTest, EnterInTheSearchBoxSearches)
{
    MainDialog dialog;
    dialog.show();
    auto *box = dialog.controlAs<QLineEdit>(IdSearchBox);
    box->setFocus();
    QTest::keyClicks(box, QStringLiteral("ab"));
    QTest::keyClick(box, Qt::Key_Return);
    ASSERT_EQ(m_opened.size(), 1u);
    EXPECT_EQ(m_opened[0], SearchRequestUrl(QStringLiteral("ab")));
    EXPECT_TRUE(dialog.isVisible());
}

TEST_F(AuxCommandsTest, SiteLinkOpensTheHomePage)
{
    MainDialog dialog;
    click(dialog, IdSiteLink);
    ASSERT_EQ(m_opened.size(), 1u);
    EXPECT_EQ(m_opened[0], QUrl(QString::fromUtf8(AppConfig::kSiteAddress)));
    EXPECT_EQ(m_opened[0].path(), QString());
    EXPECT_TRUE(m_messages.empty());
}

TEST_F(AuxCommandsTest, OpenFolderShowsTheProductFolder)
{
    const QString base = m_home + QStringLiteral("/输出 videos");
    ASSERT_TRUE(QDir().mkpath(base + QStringLiteral("/Q9TBR/2009-03-11")));
    MainDialog dialog;
    for (const QString &stored : {base, base + QLatin1Char('/')}) {
        m_opened.clear();
        ASSERT_TRUE(SettingsStore::writePath(stored));
        click(dialog, IdOpenFolder);
        ASSERT_EQ(m_opened.size(), 1u) << stored.toStdString();
        EXPECT_EQ(m_opened[0], QUrl::fromLocalFile(base + QStringLiteral("/Q9TBR")));
        EXPECT_EQ(m_opened[0].toLocalFile(), base + QStringLiteral("/Q9TBR"));
    }
    EXPECT_TRUE(m_messages.empty());
}

TEST_F(AuxCommandsTest, OpenFolderWithoutFolderSaysSo)
{
    const QString base = m_home + QStringLiteral("/out");
    ASSERT_TRUE(QDir().mkpath(base + QStringLiteral("/Q9TBR")));
    const QString file = m_home + QStringLiteral("/file");
    QFile f(file);
    ASSERT_TRUE(f.open(QIODevice::WriteOnly));
    f.close();

    MainDialog dialog;
    // Nothing stored; then the product folder removed; then the base itself; then a file.
    std::vector<std::function<void()>> steps = {
        [] {},
        [&] {
            ASSERT_TRUE(SettingsStore::writePath(base));
            ASSERT_TRUE(QDir(base + QStringLiteral("/Q9TBR")).removeRecursively());
        },
        [&] { ASSERT_TRUE(QDir(base).removeRecursively()); },
        [&] { ASSERT_TRUE(SettingsStore::writePath(file)); },
    };
    for (size_t i = 0; i < steps.size(); ++i) {
        steps[i]();
        m_messages.clear();
        click(dialog, IdOpenFolder);
        ASSERT_EQ(m_messages.size(), 1u) << "step " << i;
        EXPECT_EQ(m_messages[0].caption, QStringLiteral("Q9Plemo"));
        EXPECT_EQ(m_messages[0].text, QStringLiteral("打开文件夹发声音外错误，请重新运行Q9Plemo"));
    }
    EXPECT_TRUE(m_opened.empty());
}

TEST_F(AuxCommandsTest, SettingsRunsModallyWithoutParent)
{
    const QString stored = m_home + QStringLiteral("/kept");
    ASSERT_TRUE(QDir().mkpath(stored));
    ASSERT_TRUE(SettingsStore::writePath(stored));

    MainDialog dialog;
    QString title;
    bool parentless = false;
    bool modal = false;
    QTimer::singleShot(0, [&] {
        auto *settings = qobject_cast<SettingsDialog *>(QApplication::activeModalWidget());
        ASSERT_NE(settings, nullptr);
        title = settings->windowTitle();
        parentless = settings->parentWidget() == nullptr;
        modal = settings->isModal();
        settings->reject();
    });
    dialog.OnSettings();
    EXPECT_EQ(title, QStringLiteral("Q9Plemo设置"));
    EXPECT_TRUE(parentless);
    EXPECT_TRUE(modal);
    EXPECT_EQ(SettingsStore::readPath().value_or(QString()), stored);
}

} // namespace
