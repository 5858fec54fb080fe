#include "res/resources.h"

#include <QFile>

static void ensureArt()
{
    // The pictures are compiled into a static library: register them once.
    static const bool registered = [] {
        Q_INIT_RESOURCE(art);
        return true;
    }();
    (void)registered;
}

QPixmap IconPixmap(int id)
{
    ensureArt();
    const QString path = QStringLiteral(":/res/icons/icon_%1.png").arg(id);
    if (!QFile::exists(path))
        return QPixmap();
    return QPixmap(path);
}

QIcon AppIcon()
{
    return QIcon(IconPixmap(128));
}

namespace {
bool g_bEnglishBanners = false;
}  // namespace

void UseEnglishBanners(bool english)
{
    g_bEnglishBanners = english;
}

QPixmap BannerBitmap(int id)
{
    ensureArt();
    const QString path = QStringLiteral(":/res/bitmaps/bitmap_%1%2.png")
                             .arg(id)
                             .arg(g_bEnglishBanners ? QLatin1String("_en") : QLatin1String());
    if (!QFile::exists(path))
        return QPixmap();
    return QPixmap(path);
}
