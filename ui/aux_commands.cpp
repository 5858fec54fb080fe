#include "ui/aux_commands.h"

#include "res/control_ids.h"
#include "settings/app_config.h"
#include "settings/output_folder.h"
#include "settings/settings_store.h"
#include "settings/web_addresses.h"
#include "ui/desktop_opener.h"
#include "ui/message_box.h"
#include "ui/settings_dialog.h"

#include <QCoreApplication>
#include <QFileInfo>
#include <QLineEdit>
#include <QStringList>

namespace {
QString indented(int spaces, const QString &text)
{
    return QString(spaces, QLatin1Char(' ')) + text;
}
}  // namespace

QString AboutText()
{
    const QString site = QString::fromUtf8(AppConfig::kSiteAddress);
    const QString host = QString::fromUtf8(AppConfig::kSiteHost);
    const QString mail = QString::fromUtf8(AppConfig::kMakerMail);
    const QStringList lines = {
        QCoreApplication::translate(
            "MainDialog", "本软件是专为Q9手机操作系统设计的视频转换软件，完全兼容RM、RMVB、AVI等主流视频输入文件。"),
        QString(),
        indented(
            9, QCoreApplication::translate("MainDialog", "【支持Q9手机720X480分辨率2000比特率的高清晰视频输出要求】")),
        QString(),
        indented(26, site),
        QString(),
        indented(27, mail),
        QString(),
        indented(26, QCoreApplication::translate("MainDialog", "【%1 出品】").arg(host)),
    };
    return lines.join(QLatin1Char('\n'));
}

void ShowAbout()
{
    ShowMessageBox(AboutText());
}

void RunSearch(const QString &text)
{
    // Two bytes are one Chinese character's worth of text in the old code page;
    // in UTF-8 a Chinese character is three, so it is still enough.
    if (text.toUtf8().size() < 2) {
        ShowMessageBox(QCoreApplication::translate("MainDialog", "请先在左边方框中输入问题描述或关键字"));
        return;
    }
    OpenOnDesktop(SearchRequestUrl(text));
}

void OpenSite()
{
    OpenOnDesktop(SiteUrl());
}

void OpenOutputFolder()
{
    const QString missing = QCoreApplication::translate("MainDialog", "打开文件夹发声音外错误，请重新运行Q9Plemo");
    const std::optional<QString> base = SettingsStore::usablePath();
    if (!base) {
        ShowMessageBox(missing);
        return;
    }
    const QString folder = ProductFolder(*base);
    if (!QFileInfo(folder).isDir()) {
        ShowMessageBox(missing);
        return;
    }
    OpenOnDesktop(QUrl::fromLocalFile(folder));
}

void RunSettingsDialog()
{
    SettingsDialog dialog(nullptr);
    dialog.exec();
}
