#include "res/dialog_templates.h"

#include "res/control_ids.h"
#include "settings/app_config.h"

#include <QCoreApplication>

namespace {

using K = ControlKind;

// The main window, in template (tab) order. Rectangles are x, y, width, height
// in dialog units of the dialog font.
// clang-format off
constexpr ControlTemplate kMainControls[] = {
    {IdFileList, K::ListView, "", 4, 77, 281, 130, StyleSunkenEdge | StyleTabStop | StyleNoSortHeader},
    {IdBanner, K::StaticPicture, "130", 3, 5, 281, 43, StyleNone},
    {IdStart, K::PushButton, QT_TRANSLATE_NOOP("DialogTemplate", "开始转换"), 3, 50, 61, 22, StyleTabStop},
    {IdStop, K::PushButton, QT_TRANSLATE_NOOP("DialogTemplate", "停止转换"), 149, 50, 61, 22, StyleTabStop},
    {IdExit, K::PushButton, QT_TRANSLATE_NOOP("DialogTemplate", "退出"), 297, 272, 74, 23, StyleTabStop},
    {IdSiteLink, K::PushButton, QT_TRANSLATE_NOOP("DialogTemplate", "Q9软件、游戏、高清晰电影、壁纸下载"), 4, 239, 196, 26, StyleTabStop},
    {kNoControlId, K::EtchedLine, "", 292, 6, 1, 293, StyleNone},
    {IdFormatBox, K::ComboBox, "", 297, 103, 71, 86, StyleSorted | StyleVScroll | StyleTabStop},
    {IdResolutionBox, K::ComboBox, "", 297, 133, 71, 68, StyleSorted | StyleVScroll | StyleTabStop},
    {IdFrameRateBox, K::ComboBox, "", 297, 159, 71, 61, StyleSorted | StyleEditable | StyleVScroll | StyleTabStop},
    {IdBitrateBox, K::ComboBox, "", 297, 187, 71, 76, StyleVScroll | StyleTabStop},
    {IdSizeLimitBox, K::ComboBox, "", 297, 213, 71, 80, StyleEditable | StyleVScroll | StyleTabStop},
    {IdPause, K::PushButton, QT_TRANSLATE_NOOP("DialogTemplate", "暂停转换"), 76, 50, 61, 22, StyleTabStop},
    {IdSettings, K::PushButton, QT_TRANSLATE_NOOP("DialogTemplate", "常规设置"), 222, 50, 61, 22, StyleTabStop},
    {IdStatusLine, K::Static, "", 4, 302, 366, 10, StyleSunkenEdge},
    {IdAbout, K::PushButton, QT_TRANSLATE_NOOP("DialogTemplate", "关于"), 297, 243, 74, 23, StyleTabStop},
    {kNoControlId, K::Static, QT_TRANSLATE_NOOP("DialogTemplate", "输出格式"), 298, 91, 33, 8, StyleNone},
    {kNoControlId, K::Static, QT_TRANSLATE_NOOP("DialogTemplate", "分辨率"), 297, 121, 33, 8, StyleNone},
    {kNoControlId, K::Static, QT_TRANSLATE_NOOP("DialogTemplate", "帧速度"), 298, 149, 33, 8, StyleNone},
    {kNoControlId, K::Static, QT_TRANSLATE_NOOP("DialogTemplate", "编码率"), 297, 177, 33, 8, StyleNone},
    {kNoControlId, K::Static, QT_TRANSLATE_NOOP("DialogTemplate", "大小限制"), 297, 203, 45, 8, StyleNone},
    {IdAddFile, K::PushButton, QT_TRANSLATE_NOOP("DialogTemplate", "添加文件"), 298, 6, 68, 22, StyleTabStop},
    {IdDeleteFile, K::PushButton, QT_TRANSLATE_NOOP("DialogTemplate", "删除文件"), 298, 31, 68, 22, StyleTabStop},
    {IdSavePath, K::Static, "", 43, 225, 242, 9, StyleSunkenEdge},
    {IdProgress, K::ProgressBar, "", 43, 212, 242, 10, StyleNone},
    {IdBitrateMirror, K::Static, "", 298, 223, 34, 11, StyleHidden},
    {IdFrameRateMirror, K::Static, "", 337, 205, 34, 11, StyleHidden},
    {IdResolutionMirror, K::Static, "", 337, 223, 34, 11, StyleHidden},
    {IdSpareLabel, K::Static, "", 297, 205, 34, 11, StyleHidden},
    {IdSizeLimitMirror, K::Static, "", 337, 187, 34, 11, StyleHidden},
    {IdSearchBox, K::Edit, "", 36, 280, 158, 12, StyleSunkenEdge | StyleAutoHScroll | StyleTabStop},
    {IdSearch, K::PushButton, QT_TRANSLATE_NOOP("DialogTemplate", "Q9疑难搜索"), 204, 274, 84, 24, StyleTabStop},
    {kNoControlId, K::Static, QT_TRANSLATE_NOOP("DialogTemplate", "可选参数调整"), 309, 63, 49, 8, StyleNone},
    {kNoControlId, K::Static, QT_TRANSLATE_NOOP("DialogTemplate", "保存路径"), 4, 226, 33, 8, StyleNone},
    {IdOpenFolder, K::PushButton, QT_TRANSLATE_NOOP("DialogTemplate", "打开完成的文件"), 204, 239, 84, 26, StyleTabStop},
    {kNoControlId, K::Static, QT_TRANSLATE_NOOP("DialogTemplate", "转换进度"), 4, 213, 33, 8, StyleNone},
    {kNoControlId, K::Static, QT_TRANSLATE_NOOP("DialogTemplate", "Q9搜索"), 5, 281, 25, 8, StyleNone},
};

constexpr ControlTemplate kSettingsControls[] = {
    {IdCancel, K::PushButton, QT_TRANSLATE_NOOP("DialogTemplate", "取消"), 173, 83, 80, 26, StyleTabStop},
    {kNoControlId, K::Static, QT_TRANSLATE_NOOP("DialogTemplate", "转换后文件的保存路径"), 7, 5, 81, 8, StyleNone},
    {IdPath, K::Edit, "", 7, 19, 258, 12, StyleSunkenEdge | StyleAutoHScroll | StyleTabStop},
    {IdSave, K::PushButton, QT_TRANSLATE_NOOP("DialogTemplate", "保存设置"), 71, 83, 73, 26, StyleTabStop},
    {IdReselect, K::PushButton, QT_TRANSLATE_NOOP("DialogTemplate", "重新选择"), 273, 14, 59, 23, StyleTabStop},
    {IdFreeSpace, K::Static, "0", 67, 38, 41, 8, StyleCentred},
    {kNoControlId, K::Static, "MB", 117, 38, 9, 8, StyleNone},
    {kNoControlId, K::Static, QT_TRANSLATE_NOOP("DialogTemplate", "该分区剩余空间"), 7, 38, 57, 8, StyleNone},
    {kNoControlId, K::Static, QT_TRANSLATE_NOOP("DialogTemplate", "输出文件命名"), 7, 58, 50, 8, StyleNone},
    {IdNaming, K::ComboBox, "", 60, 56, 100, 40, StyleVScroll | StyleTabStop},
    {kNoControlId, K::Static, QT_TRANSLATE_NOOP("DialogTemplate", "画面比例"), 173, 58, 33, 8, StyleNone},
    {IdShape, K::ComboBox, "", 210, 56, 122, 50, StyleVScroll | StyleTabStop},
};
// clang-format on

}  // namespace

const DialogTemplate &MainDialogTemplate()
{
    static const DialogTemplate tmpl{
        102, QT_TRANSLATE_NOOP("DialogTemplate", "Q9Plemo 【免费绿色软件】"), "宋体", 9, 376, 316, true, kMainControls};
    return tmpl;
}

const DialogTemplate &SettingsDialogTemplate()
{
    static const DialogTemplate tmpl{
        129, QT_TRANSLATE_NOOP("DialogTemplate", "Q9Plemo设置"), "宋体", 9, 339, 116, false, kSettingsControls};
    return tmpl;
}

QString CreditLine()
{
    return QCoreApplication::translate("DialogTemplate", "[%1 %2]出品    [Q9Plemo  支持文件拖拽方式添加需要转换的文件]")
        .arg(QString::fromUtf8(AppConfig::kMakerName), QString::fromUtf8(AppConfig::kSiteHost));
}
