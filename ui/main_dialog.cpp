#include "ui/main_dialog.h"

#include "base/log.h"
#include "catalogue/source_name.h"
#include "controls/flat_combo_box.h"
#include "controls/xp_smart_button.h"
#include "engine/conversion_batch.h"
#include "engine/output_presets.h"
#include "engine/saved_queue.h"
#include "install/tool_dir.h"
#include "install/tool_fallback.h"
#include "install/tool_installer.h"
#include "process/child_registry.h"
#include "res/control_ids.h"
#include "res/dialog_templates.h"
#include "res/resources.h"
#include "settings/output_folder.h"
#include "settings/settings_store.h"
#include "settings/window_state.h"
#include "ui/aux_commands.h"
#include "ui/conversion_commands.h"
#include "ui/file_list_commands.h"
#include "ui/file_list_view.h"
#include "ui/gui_bridge.h"
#include "ui/instance_marker.h"
#include "ui/main_dialog_port.h"
#include "ui/preset_commands.h"
#include "ui/question_box.h"
#include "ui/queue_keeper.h"
#include "ui/row_menu.h"
#include "ui/status_texts.h"

#include <QAbstractButton>
#include <QCoreApplication>
#include <QDragEnterEvent>
#include <QDropEvent>
#include <QFile>
#include <QFileInfo>
#include <QFrame>
#include <QKeyEvent>
#include <QLabel>
#include <QLineEdit>
#include <QMimeData>
#include <QProgressBar>
#include <QResizeEvent>
#include <QTimerEvent>
#include <algorithm>

namespace {

constexpr int kBannerPeriodMs = 3500;

// Button pictures, in the order they are given.
constexpr struct {
    int buttonId;
    int iconId;
} kButtonIcons[] = {{IdDeleteFile, 150}, {IdAddFile, 151},  {IdSearch, 152},     {IdExit, 147},
                    {IdAbout, 145},      {IdSiteLink, 146}, {IdOpenFolder, 144}, {IdStart, 132},
                    {IdStop, 150},       {IdPause, 149},    {IdSettings, 148}};

}  // namespace

MainDialog::MainDialog(QWidget *parent)
    : TemplateDialog(MainDialogTemplate(), parent,
                     Qt::Window | Qt::WindowTitleHint | Qt::WindowSystemMenuHint | Qt::WindowMinimizeButtonHint |
                         Qt::WindowMaximizeButtonHint | Qt::WindowCloseButtonHint),
      m_bridge(std::make_unique<GuiBridge>(this)),
      m_batch(std::make_unique<ConversionBatch>())
{
    // Bind the members to their controls, in the order of the member list.
    m_btnOpenFolder = controlAs<CXPSmartButton>(IdOpenFolder);
    m_btnSearch = controlAs<CXPSmartButton>(IdSearch);
    m_banner = controlAs<QLabel>(IdBanner);
    m_progress = controlAs<QProgressBar>(IdProgress);
    m_btnDelete = controlAs<CXPSmartButton>(IdDeleteFile);
    m_btnAdd = controlAs<CXPSmartButton>(IdAddFile);
    m_fileList = controlAs<FileListView>(IdFileList);
    m_bitrateBox = controlAs<CCJFlatComboBox>(IdBitrateBox);
    m_resolutionBox = controlAs<CCJFlatComboBox>(IdResolutionBox);
    m_frameRateBox = controlAs<CCJFlatComboBox>(IdFrameRateBox);
    m_formatBox = controlAs<CCJFlatComboBox>(IdFormatBox);
    m_sizeLimitBox = controlAs<CCJFlatComboBox>(IdSizeLimitBox);
    m_btnStop = controlAs<CXPSmartButton>(IdStop);
    m_btnStart = controlAs<CXPSmartButton>(IdStart);
    m_btnSettings = controlAs<CXPSmartButton>(IdSettings);
    m_btnSite = controlAs<CXPSmartButton>(IdSiteLink);
    m_btnPause = controlAs<CXPSmartButton>(IdPause);
    m_btnAbout = controlAs<CXPSmartButton>(IdAbout);
    m_btnExit = controlAs<CXPSmartButton>(IdExit);
    m_hIcon = AppIcon();

    controlAs<QLabel>(IdStatusLine)->setText(CreditLine());
    m_port = std::make_shared<MainDialogPort>(
        MainDialogPort::Window{this, m_fileList, m_progress, controlAs<QLabel>(IdStatusLine),
                               [this](const BatchSummary &summary) { OnBatchEnded(summary); }, &m_batchProgress},
        *m_bridge);
    connectCommands();
    setupStretch();
}

void MainDialog::setupStretch()
{
    // The template's size is the smallest the window gets; above it the list
    // takes the room (see WindowStretch).
    QWidget *columnLine = nullptr;
    for (QFrame *frame : findChildren<QFrame *>(Qt::FindDirectChildrenOnly)) {
        if (frame->frameShape() == QFrame::VLine)
            columnLine = frame;
    }
    m_stretch.capture(this, m_fileList, columnLine, {m_progress, control(IdSavePath), control(IdStatusLine)});
    setMinimumSize(m_stretch.baseSize());
    setMaximumSize(QWIDGETSIZE_MAX, QWIDGETSIZE_MAX);
}

void MainDialog::resizeEvent(QResizeEvent *event)
{
    TemplateDialog::resizeEvent(event);
    m_stretch.apply(event->size());
}

MainDialog::~MainDialog()
{
    shutDown();
}

void MainDialog::connectCommands()
{
    auto onClick = [this](QAbstractButton *button, void (MainDialog::*handler)()) {
        connect(button, &QAbstractButton::clicked, this, handler);
    };
    onClick(m_btnExit, &MainDialog::OnExit);
    onClick(m_btnSettings, &MainDialog::OnSettings);
    onClick(m_btnSite, &MainDialog::OnSiteLink);
    onClick(m_btnAbout, &MainDialog::OnAbout);
    onClick(m_btnStart, &MainDialog::OnStart);
    onClick(m_btnAdd, &MainDialog::OnAddFile);
    onClick(m_btnDelete, &MainDialog::OnDeleteFile);
    onClick(m_btnPause, &MainDialog::OnPauseResume);
    onClick(m_btnStop, &MainDialog::OnStop);
    // Only a choice the user makes in a box counts; filling a box does not.
    connect(m_bitrateBox, &QComboBox::activated, this, &MainDialog::OnBitrateChanged);
    connect(m_frameRateBox, &QComboBox::activated, this, &MainDialog::OnFrameRateChanged);
    connect(m_resolutionBox, &QComboBox::activated, this, &MainDialog::OnResolutionChanged);
    connect(m_formatBox, &QComboBox::activated, this, &MainDialog::OnFormatChanged);
    // Completion of typed text makes a choice too.
    connect(m_frameRateBox, &CCJFlatComboBox::completedToItem, this, &MainDialog::OnFrameRateChanged);
    // A size limit is chosen from the list or typed.
    m_sizeLimitBox->setKeepsTypedText(true);
    connect(m_sizeLimitBox, &QComboBox::activated, this, &MainDialog::OnSizeLimitChanged);
    connect(m_sizeLimitBox->lineEdit(), &QLineEdit::editingFinished, this, &MainDialog::OnSizeLimitChanged);
    onClick(m_btnSearch, &MainDialog::OnSearch);
    onClick(m_btnOpenFolder, &MainDialog::OnOpenOutputFolder);
    m_fileList->setContextMenuPolicy(Qt::CustomContextMenu);
    connect(m_fileList, &QWidget::customContextMenuRequested, this, &MainDialog::OnRowMenu);
}

bool MainDialog::OnInitDialog()
{
    // 1. The controls were created and bound by the constructor.
    // 2. Mark the window as the running instance before anything slow happens.
    InstanceMarker::mark(this);
    InstanceMarker::acceptHandOver(this, [this](const QStringList &files) { addFiles(files); });
    // 3. Accept dropped files.
    setAcceptDrops(true);
    // 4-6. The file list: columns, row picture, look.
    setupFileList();
    // 7. Progress range.
    m_progress->setRange(0, 100);
    m_progress->setValue(0);
    // 8. The banner keeps its place; each swap repaints only it.
    // 9. Button pictures.
    for (const auto &entry : kButtonIcons)
        controlAs<CXPSmartButton>(entry.buttonId)->LoadIcons(entry.iconId, 0);
    // 10. Window icon.
    setWindowIcon(m_hIcon);
    // 11. Without a usable output folder, ask for one before the window shows.
    if (!SettingsStore::usablePath())
        OnSettings();
    // 12. The day's output folder.
    CreateOutputFolder();
    // 13-14. The tools.
    g_szToolDir = DefaultToolDir();
    for (int selector = 2; selector <= 5; ++selector) {
        // A tool that cannot be written is left as it was; the window opens anyway.
        if (!ExtractTool(selector))
            qCWarning(lcQ9, "tool %d was not written into %s", selector, g_szToolDir.constData());
    }
    for (int selector = 1; selector <= 6; ++selector)
        ExtractCodec(selector);  // writes no library by design: nothing to check
    // A tools folder that cannot take the tools (a read-only home) and holds no
    // earlier copies: they run from a private folder, or else the installed
    // tools do, and the user hears of it.
    const ToolChoice tools = ChooseToolDir(g_szToolDir);
    g_szToolDir = tools.dir;
    QString startNote = ShownToolChoice(tools);
    // 15. The MP4 choices and their mirrors.
    ApplyMp4Presets();
    FillSizeLimitBox(*this);
    // 16. The format box lists its items sorted and starts on MP4.
    m_formatBox->clear();
    QList<OutputFormat> formats = Formats();
    std::stable_sort(formats.begin(), formats.end(), [](OutputFormat a, OutputFormat b) {
        return FormatName(a).compare(FormatName(b), Qt::CaseInsensitive) < 0;
    });
    for (const OutputFormat format : formats)
        m_formatBox->addItem(FormatName(format), int(format));
    m_formatBox->setCurrentIndex(m_formatBox->findData(int(OutputFormat::Mp4)));
    // 17. The banner swaps every 3.5 s.
    m_bannerTimer = startTimer(kBannerPeriodMs);
    // The size and column widths the user left the window with.
    const WindowState state = ReadWindowState();
    m_fileList->setUserColumnWidths(state.columns);
    if (state.size.isValid())
        resize(state.size.expandedTo(minimumSize()));
    // The list a run that never closed its window left behind comes back.
    m_queue = new QueueKeeper(
        m_fileList->rows(), [this] { return CurrentChoices(*this); }, QueueFilePath(), this);
    const auto addBack = [this](const QList<SavedRow> &rows) {
        QList<AddedFile> files;
        for (const SavedRow &row : rows)
            files.append({row.source, row.subfolder});
        AddFiles(m_port, files);
    };
    const int restored = m_queue->restore(addBack);
    if (restored || m_queue->heldElsewhere()) {
        const QString note = restored ? StatusLineText(StatusText::kRestored).arg(restored)
                                      : StatusLineText(StatusText::kQueueHeldElsewhere);
        startNote = startNote.isEmpty() ? note : startNote + QStringLiteral("；") + note;
    }
    if (!startNote.isEmpty())
        controlAs<QLabel>(IdStatusLine)->setText(startNote);
    return true;
}

void MainDialog::setupFileList()
{
    m_fileList->setupColumns();
    m_imageList = QIcon(IconPixmap(149));
    m_fileList->setRowIcon(m_imageList);
    m_fileList->tableModel()->setSpeedSource([this](RowId row) { return m_batchProgress.rowSpeed(row); });
}

int MainDialog::ExtractTool(int selector)
{
    return ::ExtractTool(g_szToolDir, selector);
}

int MainDialog::ExtractCodec(int selector)
{
    return ::ExtractCodec(g_szToolDir, selector);
}

void MainDialog::OnTimer()
{
    // 130 is shown first; the ticks alternate 143, 130, 143 ... The pictures
    // are cached by the pixmap cache, so swapping allocates nothing new.
    m_bannerId = m_bannerId == 130 ? 143 : 130;
    m_banner->setPixmap(BannerBitmap(m_bannerId));
    m_banner->update();
}

void MainDialog::timerEvent(QTimerEvent *event)
{
    if (event->timerId() == m_bannerTimer)
        OnTimer();
    else
        QDialog::timerEvent(event);
}

void MainDialog::OnExit()
{
    accept();
}

void MainDialog::keyPressEvent(QKeyEvent *event)
{
    if (event->key() == Qt::Key_Return || event->key() == Qt::Key_Enter) {
        // Enter never ends the window (the user's list would be lost); in the
        // search box it runs the search, on a button it presses the button.
        if (focusWidget() == control(IdSearchBox))
            OnSearch();
        else if (auto *button = qobject_cast<QAbstractButton *>(focusWidget()); button && button->isEnabled())
            button->click();
        event->accept();
        return;
    }
    if (event->key() == Qt::Key_Delete && event->modifiers() == Qt::NoModifier && focusWidget() == m_fileList) {
        OnDeleteFile();
        event->accept();
        return;
    }
    QDialog::keyPressEvent(event);
}

void MainDialog::dragEnterEvent(QDragEnterEvent *event)
{
    if (event->mimeData()->hasUrls())
        event->acceptProposedAction();
}

void MainDialog::dropEvent(QDropEvent *event)
{
    AddDroppedFiles(*this, m_port, DroppedNames(*event->mimeData()));
    event->acceptProposedAction();
}

void MainDialog::shutDown()
{
    if (m_shutDown)
        return;
    m_shutDown = true;
    if (m_bannerTimer)
        killTimer(m_bannerTimer);
    m_bannerTimer = 0;
    // From here on no thread reaches the controls, and nothing we started
    // keeps running invisibly.
    m_bridge->close();
    m_batch->stop();
    WriteWindowState({size(), m_fileList->userColumnWidths()});
    if (m_queue)
        m_queue->forget();
    ChildRegistry::killAll();
}

void MainDialog::done(int result)
{
    // Escape, the close box and the exit button all end here: a running batch
    // is an hour of work that one stray key must not throw away.
    if (!m_shutDown && m_batch->isRunning() &&
        !AskYesNo(this, QCoreApplication::translate(
                            "MainDialog", "正在转换文件。退出将停止转换，未完成的文件会被删除。\n确定要退出吗？")))
        return;
    shutDown();
    QDialog::done(result);
}

// The commands: each calls the free function of its command file.

void MainDialog::OnAbout()
{
    ShowAbout();
}

void MainDialog::OnSearch()
{
    RunSearch(controlAs<QLineEdit>(IdSearchBox)->text());
}

void MainDialog::OnSiteLink()
{
    OpenSite();
}

void MainDialog::OnOpenOutputFolder()
{
    OpenOutputFolder();
}

void MainDialog::OnSettings()
{
    RunSettingsDialog();
}

void MainDialog::OnStart()
{
    StartConversion(*this, *m_batch, m_port);
}

void MainDialog::OnPauseResume()
{
    PauseOrResumeConversion(*this, *m_batch);
}

void MainDialog::OnStop()
{
    StopConversion(*this, *m_batch);
}

void MainDialog::OnBatchEnded(const BatchSummary &summary)
{
    ReportBatchEnd(this, summary);
}

void MainDialog::OnRowMenu(const QPoint &pos)
{
    ShowRowMenu(*m_fileList, pos);
}

void MainDialog::OnAddFile()
{
    addFiles(ChooseFilesToAdd(this));
}

void MainDialog::OnDropFiles(const QStringList &paths)
{
    QList<QByteArray> names;
    for (const QString &path : paths)
        names << NameBytes(path);
    AddDroppedFiles(*this, m_port, names);
}

void MainDialog::OnDeleteFile()
{
    DeleteMarkedRow(*this);
}

void MainDialog::addFile(const QString &path)
{
    AddFiles(m_port, {path});
}

void MainDialog::addFiles(const QStringList &paths)
{
    AddFiles(m_port, paths);
}

void MainDialog::addSources(const QList<AddedFile> &files)
{
    AddFiles(m_port, files);
}

void MainDialog::ApplyMp4Presets()
{
    ApplyPresets(*this, OutputFormat::Mp4);
}

void MainDialog::ApplyFlvPresets()
{
    ApplyPresets(*this, OutputFormat::Flv);
}

void MainDialog::OnFormatChanged()
{
    ApplyChosenFormat(*this);
}

void MainDialog::OnResolutionChanged()
{
    MirrorChoice(*this, IdResolutionBox, IdResolutionMirror);
}

void MainDialog::OnFrameRateChanged()
{
    MirrorChoice(*this, IdFrameRateBox, IdFrameRateMirror);
}

void MainDialog::OnBitrateChanged()
{
    MirrorChoice(*this, IdBitrateBox, IdBitrateMirror);
}

void MainDialog::OnSizeLimitChanged()
{
    MirrorSizeLimit(*this);
}
