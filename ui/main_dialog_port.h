#pragma once

#include "engine/dialog_port.h"
#include "ui/gui_bridge.h"

#include <functional>
#include <memory>

class BatchEstimate;
class BatchModel;
class FileListView;
class QLabel;
class QProgressBar;
class QWidget;

// The main window as the probe threads and the worker see it. The rows are the
// core's (BatchModel): reading and writing them waits for no window. The bar,
// the status line and the batch's measure are written on the GUI thread
// through the bridge. Once the window is closed every call does nothing.
class MainDialogPort : public DialogPort {
public:
    // The parts of the window the port writes to.
    struct Window {
        QWidget *window;
        FileListView *fileList;
        QProgressBar *progress;
        QLabel *status;
        std::function<void(const BatchSummary &)> batchEnded;
        BatchEstimate *batch = nullptr;  // the running batch's measure, owned by the window
    };
    MainDialogPort(Window window, GuiBridge bridge);

    RowId appendRow(const QByteArray &source, const QString &subfolder) override;
    void probeEnded(RowId row) override;
    void setRowFact(RowId row, ProbeFact fact, const QString &value) override;
    void setRowLength(RowId row, int seconds) override;
    void setRowState(RowId row, const RowState &state) override;
    void setRowOutput(RowId row, const OutputReport &report) override;
    void setRowWritten(RowId row, const QString &file) override;
    QList<RowEntry> rows() override;
    void waitForRowChange(std::chrono::milliseconds timeout) override;
    void focusFirstRow() override;
    void setStatus(BatchStatus status, const BatchSummary &summary) override;
    void setProgress(int percent) override;
    void setProgressAndStatusIf(std::optional<int> percent, BatchStatus status,
                                const std::function<bool()> &stillWanted, const BatchSummary &summary) override;
    void batchEnded(const BatchSummary &summary) override;
    void rowFilesReserved(RowId row, const QStringList &files) override;
    void setRowFailureDetails(RowId row, const FailureDetails &details) override;

private:
    // Runs on the GUI thread: the status line's text and the bar's value.
    QString statusText(BatchStatus status, const BatchSummary &summary) const;
    int barValue(int rowPercent) const;

    Window m_window;
    GuiBridge m_bridge;
    std::shared_ptr<BatchModel> m_rows;  // the list's rows, written from any thread
};
