#pragma once

#include "catalogue/source_files.h"
#include "engine/dialog_port.h"
#include "ui/batch_estimate.h"
#include "ui/template_dialog.h"
#include "ui/window_stretch.h"

#include <QIcon>
#include <QStringList>
#include <memory>

class CXPSmartButton;
class CCJFlatComboBox;
class ConversionBatch;
class FileListView;
class GuiBridge;
class QLabel;
class QLineEdit;
class QProgressBar;
class QueueKeeper;

// The program's main window, laid out from dialog template 102.
class MainDialog : public TemplateDialog {
    Q_OBJECT
public:
    explicit MainDialog(QWidget *parent = nullptr);
    ~MainDialog() override;

    // Initialisation, run once before the window is first shown.
    bool OnInitDialog();

    // What the probe threads and the worker use to reach this window.
    std::shared_ptr<DialogPort> port() const { return m_port; }

    // Tool installation.
    int ExtractTool(int selector);
    int ExtractCodec(int selector);

    // Output presets.
    void ApplyMp4Presets();
    void ApplyFlvPresets();

    // Commands. Each but OnExit is a one-line member calling the free function
    // that does the work, kept in the command file of its group: aux_commands,
    // conversion_commands, file_list_commands and preset_commands. The command
    // files know the window only as a TemplateDialog, its batch and its port.
    void OnExit();
    void OnSettings();
    void OnSiteLink();
    void OnAbout();
    void OnStart();
    void OnAddFile();
    void OnDeleteFile();
    void OnPauseResume();
    void OnStop();
    void OnSearch();
    void OnOpenOutputFolder();
    void OnDropFiles(const QStringList &paths);
    void OnFormatChanged();
    void OnResolutionChanged();
    void OnFrameRateChanged();
    void OnBitrateChanged();
    void OnSizeLimitChanged();
    void OnRowMenu(const QPoint &pos);

    // The worker's batch has ended: tells the user what needs telling.
    void OnBatchEnded(const BatchSummary &summary);

    // Starts a probe for one file (what add and drop do).
    void addFile(const QString &path);
    // Adds files in the given order, each probed (the add dialog, drops, the
    // command line and files handed over by a second start).
    void addFiles(const QStringList &paths);
    // Files named by their bytes, each with where its output goes.
    void addSources(const QList<AddedFile> &files);

    // The banner swap of each timer tick.
    void OnTimer();
    // The banner's current bitmap id (130 or 143).
    int bannerBitmapId() const { return m_bannerId; }
    // The conversion batch of this window.
    ConversionBatch &batch() { return *m_batch; }

protected:
    void keyPressEvent(QKeyEvent *event) override;
    void dragEnterEvent(QDragEnterEvent *event) override;
    void dropEvent(QDropEvent *event) override;
    void timerEvent(QTimerEvent *event) override;
    void done(int result) override;
    void resizeEvent(QResizeEvent *event) override;

private:
    void connectCommands();
    void setupFileList();
    void setupStretch();
    void shutDown();

    // Members in the order the controls are bound.
    CXPSmartButton *m_btnOpenFolder = nullptr;
    CXPSmartButton *m_btnSearch = nullptr;
    QLabel *m_banner = nullptr;
    QProgressBar *m_progress = nullptr;
    CXPSmartButton *m_btnDelete = nullptr;
    CXPSmartButton *m_btnAdd = nullptr;
    QIcon m_imageList;
    FileListView *m_fileList = nullptr;
    CCJFlatComboBox *m_bitrateBox = nullptr;
    CCJFlatComboBox *m_resolutionBox = nullptr;
    CCJFlatComboBox *m_frameRateBox = nullptr;
    CCJFlatComboBox *m_formatBox = nullptr;
    CCJFlatComboBox *m_sizeLimitBox = nullptr;
    CXPSmartButton *m_btnStop = nullptr;
    CXPSmartButton *m_btnStart = nullptr;
    CXPSmartButton *m_btnSettings = nullptr;
    CXPSmartButton *m_btnSite = nullptr;
    CXPSmartButton *m_btnPause = nullptr;
    CXPSmartButton *m_btnAbout = nullptr;
    CXPSmartButton *m_btnExit = nullptr;
    QIcon m_hIcon;

    int m_bannerTimer = 0;
    int m_bannerId = 130;
    bool m_shutDown = false;
    std::unique_ptr<GuiBridge> m_bridge;  // shared with the port
    std::shared_ptr<DialogPort> m_port;
    std::unique_ptr<ConversionBatch> m_batch;
    QueueKeeper *m_queue = nullptr;  // a child of the window
    WindowStretch m_stretch;
    BatchEstimate m_batchProgress;
};
