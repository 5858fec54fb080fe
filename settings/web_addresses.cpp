#include "settings/web_addresses.h"

#include "settings/app_config.h"

QUrl SiteUrl()
{
    return QUrl(QString::fromUtf8(AppConfig::kSiteAddress));
}

QUrl SearchRequestUrl(const QString &text)
{
    const QByteArray host = QUrl::toPercentEncoding(QString::fromUtf8(AppConfig::kSiteHost));
    const QByteArray address = QByteArray(AppConfig::kSearchEndpoint) + "?q=" + QUrl::toPercentEncoding(text) +
                               "&ie=UTF-8&oe=UTF-8&hl=zh-cn&domains=" + host + "&sitesearch=" + host;
    return QUrl::fromEncoded(address, QUrl::StrictMode);
}
