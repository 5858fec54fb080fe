#include "ui/template_dialog.h"

#include "ui/dialog_builder.h"

TemplateDialog::TemplateDialog(const DialogTemplate &tmpl, QWidget *parent, Qt::WindowFlags flags)
    : QDialog(parent, flags),
      m_controls(BuildDialog(this, tmpl))
{
}
