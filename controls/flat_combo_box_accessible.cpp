#include "controls/flat_combo_box_accessible.h"

#include <QAbstractItemView>
#include <QAccessibleWidget>
#include <QComboBox>
#include <QLineEdit>

namespace {

// A choice box as a screen reader sees it: named by its label (its accessible
// name, else its buddy label), its value the current choice, expandable, and
// opened by the "show menu" action. (The toolkit's own reading names a box by
// its current choice.)
class FlatComboBoxAccessible : public QAccessibleWidget {
public:
    explicit FlatComboBoxAccessible(QWidget *widget) : QAccessibleWidget(widget, QAccessible::ComboBox) {}

    QString text(QAccessible::Text t) const override
    {
        if (t == QAccessible::Value)
            return box()->isEditable() && box()->lineEdit() ? box()->lineEdit()->text() : box()->currentText();
        return QAccessibleWidget::text(t);
    }

    QAccessible::State state() const override
    {
        QAccessible::State s = QAccessibleWidget::state();
        s.expandable = true;
        s.expanded = box()->view() && box()->view()->isVisible();
        s.editable = box()->isEditable();
        s.hasPopup = true;
        return s;
    }

    QStringList actionNames() const override
    {
        return QStringList{showMenuAction()} + QAccessibleWidget::actionNames();
    }

    void doAction(const QString &actionName) override
    {
        if (actionName == showMenuAction() || actionName == pressAction())
            box()->showPopup();
        else
            QAccessibleWidget::doAction(actionName);
    }

private:
    QComboBox *box() const { return static_cast<QComboBox *>(widget()); }
};

QAccessibleInterface *FlatComboBoxFactory(const QString &className, QObject *object)
{
    if (className == QLatin1String("CCJFlatComboBox") && object && object->isWidgetType())
        return new FlatComboBoxAccessible(static_cast<QWidget *>(object));
    return nullptr;
}

}  // namespace

void InstallFlatComboBoxAccessibility()
{
    static const bool installed = [] {
        QAccessible::installFactory(FlatComboBoxFactory);
        return true;
    }();
    (void)installed;
}
