#pragma once

#include <QString>
#include <QUrl>

// The web pages the program opens, built from the addresses of app_config.h.

// The maker's home page.
QUrl SiteUrl();

// The site-restricted web search for `text`: endpoint "?q=" + text (UTF-8,
// percent-encoded, so '&', ' ' and '#' stay part of the query) +
// "&ie=UTF-8&oe=UTF-8&hl=zh-cn&domains=" + host + "&sitesearch=" + host.
QUrl SearchRequestUrl(const QString &text);
