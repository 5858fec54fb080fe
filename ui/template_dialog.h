#pragma once

#include <QDialog>
#include <QHash>

struct DialogTemplate;

// A dialog laid out from one of the dialog templates: the constructor creates
// the template's controls, and the dialog finds them by id (res/control_ids.h).
class TemplateDialog : public QDialog {
    Q_OBJECT
public:
    // A control of the template by id (nullptr for an unknown id).
    QWidget *control(int id) const { return m_controls.value(id); }
    template <typename T> T *controlAs(int id) const { return qobject_cast<T *>(control(id)); }

protected:
    TemplateDialog(const DialogTemplate &tmpl, QWidget *parent, Qt::WindowFlags flags = {});

private:
    QHash<int, QWidget *> m_controls;
};
