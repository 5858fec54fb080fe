#include "ui/main_window_loop.h"

#include "base/timeline.h"
#include "ui/main_dialog.h"

#include <QEventLoop>

int RunMainWindow(MainDialog &dialog)
{
    QEventLoop loop;
    int result = QDialog::Rejected;
    QObject::connect(&dialog, &QDialog::finished, &loop, [&](int code) {
        result = code;
        loop.quit();
    });
    dialog.setWindowModality(Qt::NonModal);
    dialog.show();
    Timeline::note(0, "window shown");
    loop.exec(QEventLoop::DialogExec);
    return result;
}
