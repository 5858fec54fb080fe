#pragma once

#include "engine/dialog_port.h"
#include "ui/gui_bridge.h"

class MainDialog;

// The main window as the probe threads and the worker see it: every call runs
// on the GUI thread through the bridge, and does nothing once it is closed.
class MainDialogPort : public DialogPort {
public:
    MainDialogPort(MainDialog *dialog, GuiBridge bridge) : m_dialog(dialog), m_bridge(bridge) {}

    RowId appendRow(const QString &path) override;
    void setRowText(RowId row, int column, const QString &text) override;
    QList<RowEntry> rows() override;
    void focusFirstRow() override;
    void setStatusText(const QString &text) override;
    void setProgress(int percent) override;
    void setProgressAndStatusIf(std::optional<int> percent, const QString &text,
                                const std::function<bool()> &stillWanted) override;
    void batchEnded(const BatchSummary &summary) override;

private:
    MainDialog *m_dialog;
    GuiBridge m_bridge;
};
