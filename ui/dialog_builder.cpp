#include "ui/dialog_builder.h"

#include "controls/flat_combo_box.h"
#include "controls/xp_smart_button.h"
#include "res/resources.h"
#include "ui/accessible_names.h"
#include "ui/file_list_view.h"

#include <QCoreApplication>
#include <QDialog>
#include <QFontDatabase>
#include <QFontMetrics>
#include <QFrame>
#include <QLabel>
#include <QLineEdit>
#include <QProgressBar>
#include <cmath>

namespace {

// Song/Ming faces that can stand in for the template's face, best first.
// clang-format off
const char *const kCjkFallbacks[] = {"AR PL UMing CN", "AR PL UMing TW", "AR PL SungtiL GB",
                                     "WenQuanYi Zen Hei", "Noto Sans CJK SC", "Droid Sans Fallback"};
// clang-format on

QString TemplateText(const char *source)
{
    return *source ? QCoreApplication::translate("DialogTemplate", source) : QString();
}

QWidget *createControl(const ControlTemplate &c, QWidget *parent)
{
    // Captions are source texts of the "DialogTemplate" context; a picture's
    // caption is its bitmap number.
    const QString caption =
        c.kind == ControlKind::StaticPicture ? QString::fromUtf8(c.caption) : TemplateText(c.caption);
    switch (c.kind) {
    case ControlKind::PushButton: {
        auto *button = new CXPSmartButton(parent);
        button->setText(caption);
        return button;
    }
    case ControlKind::Static: {
        auto *label = new QLabel(caption, parent);
        label->setAlignment((c.style & StyleCentred ? Qt::AlignHCenter : Qt::AlignLeft) | Qt::AlignVCenter);
        if (c.style & StyleSunkenEdge) {
            label->setFrameStyle(QFrame::Panel | QFrame::Sunken);
            label->setLineWidth(1);
        }
        return label;
    }
    case ControlKind::StaticPicture: {
        auto *label = new QLabel(parent);
        label->setPixmap(BannerBitmap(caption.toInt()));
        return label;
    }
    case ControlKind::EtchedLine: {
        auto *line = new QFrame(parent);
        line->setFrameStyle(QFrame::VLine | QFrame::Sunken);
        return line;
    }
    case ControlKind::ListView: {
        auto *list = new FileListView(parent);
        list->setFrameStyle(QFrame::StyledPanel | QFrame::Sunken);
        return list;
    }
    case ControlKind::ComboBox: {
        auto *box = new CCJFlatComboBox(parent);
        if (c.style & StyleEditable) {
            box->setEditable(true);
            box->setInsertPolicy(QComboBox::NoInsert);
        }
        box->setMaxVisibleItems(12);
        return box;
    }
    case ControlKind::Edit: {
        auto *edit = new QLineEdit(caption, parent);
        return edit;
    }
    case ControlKind::ProgressBar: {
        auto *bar = new QProgressBar(parent);
        bar->setTextVisible(false);
        return bar;
    }
    }
    return nullptr;
}

}  // namespace

DialogUnits DialogUnits::forFont(const QFont &font)
{
    // Like the dialog manager: the average width of the Latin letters, and the
    // character cell height.
    const QFontMetrics fm(font);
    static const QString letters = QStringLiteral("ABCDEFGHIJKLMNOPQRSTUVWXYZabcdefghijklmnopqrstuvwxyz");
    DialogUnits units;
    units.baseX = std::floor((fm.horizontalAdvance(letters) / 26.0 + 1) / 2);
    units.baseY = fm.height();
    return units;
}

int DialogUnits::toX(int dlu) const
{
    return int(dlu * baseX / 4);
}

int DialogUnits::toY(int dlu) const
{
    return int(dlu * baseY / 8);
}

QFont DialogFont(const DialogTemplate &tmpl)
{
    const QString family = QString::fromUtf8(tmpl.fontFamily);
    const QStringList installed = QFontDatabase::families();
    if (!installed.contains(family)) {
        QStringList substitutes;
        for (const char *name : kCjkFallbacks) {
            if (installed.contains(QString::fromUtf8(name)))
                substitutes << QString::fromUtf8(name);
        }
        QFont::insertSubstitutions(family, substitutes);
    }
    QFont font(family);
    font.setPointSize(tmpl.fontPointSize);
    return font;
}

QHash<int, QWidget *> BuildDialog(QDialog *dialog, const DialogTemplate &tmpl)
{
    const QFont font = DialogFont(tmpl);
    dialog->setFont(font);
    dialog->setWindowTitle(TemplateText(tmpl.caption));
    const DialogUnits units = DialogUnits::forFont(font);

    QHash<int, QWidget *> controls;
    // Hidden helper controls (the choice mirrors) live in a window that is
    // never shown, so that a screen reader walking the dialog does not find them.
    QWidget *hiddenControls = nullptr;
    for (const ControlTemplate &c : tmpl.controls) {
        QWidget *widget = createControl(c, dialog);
        if (c.style & StyleHidden) {
            if (!hiddenControls) {
                hiddenControls = new QWidget(dialog, Qt::Window);
                hiddenControls->setObjectName(QStringLiteral("hiddenControls"));
            }
            widget->setParent(hiddenControls);
        }
        const int x = units.toX(c.x);
        const int y = units.toY(c.y);
        int w = units.toX(c.cx);
        int h = units.toY(c.cy);
        if (c.kind == ControlKind::ComboBox) {
            // The template's height is that of the dropped list; the closed box
            // is as tall as its text needs.
            h = widget->sizeHint().height();
        } else if (c.kind == ControlKind::StaticPicture) {
            // A picture control takes the size of its bitmap.
            const QPixmap picture = static_cast<QLabel *>(widget)->pixmap();
            if (!picture.isNull()) {
                w = picture.width();
                h = picture.height();
            }
        } else if (c.kind == ControlKind::EtchedLine) {
            w = qMax(w, 2);
        }
        widget->setGeometry(x, y, w, h);
        widget->setFocusPolicy(c.style & StyleTabStop ? Qt::StrongFocus : Qt::NoFocus);
        if (c.style & StyleHidden)
            widget->hide();
        widget->setObjectName(c.id >= 0 ? QStringLiteral("ctl%1").arg(c.id) : QString());
        if (c.id >= 0)
            controls.insert(c.id, widget);
    }
    dialog->setFixedSize(units.toX(tmpl.cx), units.toY(tmpl.cy));
    NameControlsForScreenReaders(tmpl.id, controls, dialog);
    return controls;
}
