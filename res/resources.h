#pragma once

#include <QIcon>
#include <QPixmap>

// The program's pictures by the ids the windows use: icons 128, 131, 132 and
// 144-152, banner bitmaps 130 and 143. A null pixmap for an unknown id.
QPixmap IconPixmap(int id);
QIcon AppIcon();               // icon 128
QPixmap BannerBitmap(int id);  // 130 or 143, 420 x 60
// Whether the banners show their English words (the window speaks English).
void UseEnglishBanners(bool english);
