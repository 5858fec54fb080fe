#include "ui/accessible_names.h"

#include "res/control_ids.h"

#include <QComboBox>
#include <QCoreApplication>
#include <QLabel>
#include <QLineEdit>
#include <iterator>

namespace {

struct AccessibleName {
    int id;
    const char *name;  // a source text of the "DialogTemplate" context
    bool fromLabel;    // a label of the dialog shows this text
};

// clang-format off
const AccessibleName kMainNames[] = {
    {IdFormatBox,     QT_TRANSLATE_NOOP("DialogTemplate", "输出格式"), true},
    {IdResolutionBox, QT_TRANSLATE_NOOP("DialogTemplate", "分辨率"), true},
    {IdFrameRateBox,  QT_TRANSLATE_NOOP("DialogTemplate", "帧速度"), true},
    {IdBitrateBox,    QT_TRANSLATE_NOOP("DialogTemplate", "编码率"), true},
    {IdSizeLimitBox,  QT_TRANSLATE_NOOP("DialogTemplate", "大小限制"), true},
    {IdProgress,      QT_TRANSLATE_NOOP("DialogTemplate", "转换进度"), true},
    {IdSearchBox,     QT_TRANSLATE_NOOP("DialogTemplate", "Q9搜索"), true},
    {IdFileList,      QT_TRANSLATE_NOOP("DialogTemplate", "文件列表"), false},
};
const AccessibleName kSettingsNames[] = {
    {IdPath,          QT_TRANSLATE_NOOP("DialogTemplate", "转换后文件的保存路径"), true},
};
// clang-format on

constexpr int kMainTemplate = 102;
constexpr int kSettingsTemplate = 129;

QString Translated(const char *source)
{
    return QCoreApplication::translate("DialogTemplate", source);
}

QLabel *LabelShowing(QWidget *dialog, const QString &text)
{
    for (QLabel *label : dialog->findChildren<QLabel *>(Qt::FindDirectChildrenOnly)) {
        if (label->text() == text)
            return label;
    }
    return nullptr;
}

template <std::size_t N>
void Name(const AccessibleName (&names)[N], const QHash<int, QWidget *> &controls, QWidget *dialog)
{
    for (const AccessibleName &entry : names) {
        QWidget *control = controls.value(entry.id);
        if (!control)
            continue;
        const QString name = Translated(entry.name);
        control->setAccessibleName(name);
        // The text field of an editable choice box is read on its own.
        if (auto *box = qobject_cast<QComboBox *>(control); box && box->lineEdit())
            box->lineEdit()->setAccessibleName(name);
        if (QLabel *label = entry.fromLabel ? LabelShowing(dialog, name) : nullptr)
            label->setBuddy(control);
    }
}

}  // namespace

void NameControlsForScreenReaders(int templateId, const QHash<int, QWidget *> &controls, QWidget *dialog)
{
    if (templateId == kMainTemplate) {
        Name(kMainNames, controls, dialog);
        if (QWidget *banner = controls.value(IdBanner)) {
            banner->setAccessibleName(QStringLiteral("Q9Plemo"));
            banner->setAccessibleDescription(
                Translated(QT_TRANSLATE_NOOP("DialogTemplate", "横幅：Q9Plemo 手机视频转换")));
        }
    } else if (templateId == kSettingsTemplate) {
        Name(kSettingsNames, controls, dialog);
    }
}
