#include "ui/settings_dialog.h"

#include "base/log.h"
#include "controls/xp_smart_button.h"
#include "res/control_ids.h"
#include "res/dialog_templates.h"
#include "settings/home_path.h"
#include "settings/output_folder.h"
#include "settings/output_style.h"
#include "settings/settings_store.h"
#include "ui/message_box.h"

#include <QAbstractButton>
#include <QComboBox>
#include <QCoreApplication>
#include <QDir>
#include <QFileDialog>
#include <QFileInfo>
#include <QKeyEvent>
#include <QLabel>
#include <QLineEdit>

namespace {
// The settings dialog names the key in capitals when it writes it.
constexpr const char *kWriteKeyName = "SOFTWARE\\Q9TBR";

SettingsDialog::VolumeSource &volumeSource()
{
    static SettingsDialog::VolumeSource source;
    return source;
}

SettingsDialog::FolderChooser &folderChooser()
{
    static SettingsDialog::FolderChooser chooser;
    return chooser;
}

// Fills a choice box with its items, each holding its choice as data, and
// selects `current`.
template <typename Choice>
void FillChoices(QComboBox *box, std::initializer_list<std::pair<const char *, Choice>> items, Choice current)
{
    if (!box)
        return;
    for (const auto &[text, choice] : items) {
        box->addItem(QCoreApplication::translate("SettingsDialog", text), int(choice));
        if (choice == current)
            box->setCurrentIndex(box->count() - 1);
    }
}

template <typename Choice> Choice ChosenIn(const QComboBox *box, Choice fallback)
{
    return box && box->currentIndex() >= 0 ? Choice(box->currentData().toInt()) : fallback;
}

QString ChooseWithDesktop(QWidget *parent, const QString &start)
{
    // The platform's own folder chooser where the desktop offers one.
    return QFileDialog::getExistingDirectory(parent,
                                             QCoreApplication::translate("SettingsDialog", "选择转换后文件的保存路径"),
                                             start, QFileDialog::ShowDirsOnly);
}
}  // namespace

void SettingsDialog::SetFolderChooser(FolderChooser chooser)
{
    folderChooser() = std::move(chooser);
}

void SettingsDialog::SetVolumeSource(VolumeSource source)
{
    volumeSource() = std::move(source);
}

SettingsDialog::SettingsDialog(QWidget *parent) : TemplateDialog(SettingsDialogTemplate(), parent)
{
    m_btnReselect = controlAs<CXPSmartButton>(IdReselect);
    m_btnSave = controlAs<CXPSmartButton>(IdSave);
    m_btnCancel = controlAs<CXPSmartButton>(IdCancel);
    m_pathBox = controlAs<QLineEdit>(IdPath);
    m_freeSpace = controlAs<QLabel>(IdFreeSpace);
    m_naming = controlAs<QComboBox>(IdNaming);
    m_shape = controlAs<QComboBox>(IdShape);
    FillChoices(m_naming,
                {{QT_TRANSLATE_NOOP("SettingsDialog", "按原文件名"), OutputNaming::SourceName},
                 {QT_TRANSLATE_NOOP("SettingsDialog", "按时间"), OutputNaming::TimeOfDay}},
                OutputStyle::readNaming());
    FillChoices(m_shape,
                {{QT_TRANSLATE_NOOP("SettingsDialog", "保持比例（加黑边）"), PictureShape::Fit},
                 {QT_TRANSLATE_NOOP("SettingsDialog", "裁剪填满"), PictureShape::Fill},
                 {QT_TRANSLATE_NOOP("SettingsDialog", "拉伸"), PictureShape::Stretch}},
                OutputStyle::readShape());

    // No button is a default button: Enter must not press any of them.
    for (CXPSmartButton *button : {m_btnReselect, m_btnSave, m_btnCancel}) {
        if (button) {
            button->setAutoDefault(false);
            button->setDefault(false);
        }
    }
    if (m_btnCancel)
        connect(m_btnCancel, &QPushButton::clicked, this, &SettingsDialog::OnCancelSettings);
    if (m_btnSave)
        connect(m_btnSave, &QPushButton::clicked, this, &SettingsDialog::OnSaveSettings);
    if (m_pathBox)
        connect(m_pathBox, &QLineEdit::textChanged, this, &SettingsDialog::OnPathChange);
    if (m_btnReselect)
        connect(m_btnReselect, &QPushButton::clicked, this, &SettingsDialog::OnReselect);

    OnInitDialog();
}

SettingsDialog::~SettingsDialog() = default;

bool SettingsDialog::OnInitDialog()
{
    if (m_btnCancel)
        m_btnCancel->LoadIcons(150, 0);
    if (m_btnSave)
        m_btnSave->LoadIcons(151, 0);
    if (m_btnReselect)
        m_btnReselect->LoadIcons(144, 0);

    if (const std::optional<QString> stored = SettingsStore::usablePath())
        setPathText(*stored);
    else
        PickDefaultDrive();

    // The first tab stop of the template takes the focus.
    if (m_btnCancel)
        m_btnCancel->setFocus();
    return true;
}

QString SettingsDialog::pathText() const
{
    return m_pathBox ? ExpandHome(m_pathBox->text()) : QString();
}

void SettingsDialog::setPathText(const QString &text)
{
    if (!m_pathBox)
        return;
    // Setting the same text raises no change signal; the free space must
    // still be shown, as it is for every text the program puts in the box.
    if (m_pathBox->text() == text)
        OnPathChange();
    else
        m_pathBox->setText(text);
}

void SettingsDialog::PickDefaultDrive()
{
    const QList<MountedVolume> volumes = volumeSource() ? volumeSource()() : ListMountedVolumes();
    const QString home = QFileInfo(QDir::homePath()).canonicalFilePath();
    setPathText(::PickDefaultDrive(volumes, home.isEmpty() ? QDir::homePath() : home));
}

void SettingsDialog::OnPathChange()
{
    if (m_freeSpace)
        m_freeSpace->setText(QString::number(GetFreeSpaceMB(pathText())));
}

QString SettingsDialog::refusalOf(const QString &path)
{
    // Every reader of the store drops a text of 256 bytes or more: such a path
    // would look saved and never be used.
    if (path.toUtf8().size() >= SettingsStore::kMaxValueBytes)
        return QCoreApplication::translate("SettingsDialog", "目录路径太长，请选择一个路径较短的目录");
    if (!path.isEmpty() && QDir::isRelativePath(path))
        return QCoreApplication::translate("SettingsDialog", "请输入完整的目录路径（以 / 开头）");
    // Only an existing folder can hold the output; a file's path is refused too.
    if (path.isEmpty() || !QFileInfo(path).isDir())
        return QCoreApplication::translate("SettingsDialog", "您选择的目录无效，请重试");
    return {};
}

bool SettingsDialog::OnSaveSettings()
{
    const QString path = pathText();
    if (const QString refusal = refusalOf(path); !refusal.isEmpty()) {
        ShowMessageBox(refusal, QStringLiteral("Plemo TBR"));
        return false;
    }
    if (!SettingsStore::writePath(path, QLatin1String(kWriteKeyName))) {
        qCWarning(lcQ9) << "cannot write the settings store" << SettingsStore::filePath();
        ShowMessageBox(
            QCoreApplication::translate("SettingsDialog", "无法保存设置：%1 无法写入").arg(SettingsStore::filePath()),
            QStringLiteral("Plemo TBR"));
        return false;
    }
    if (!OutputStyle::write(ChosenIn(m_naming, OutputStyle::kDefaultNaming),
                            ChosenIn(m_shape, OutputStyle::kDefaultShape)))
        qCWarning(lcQ9) << "cannot store the naming and picture shape in" << SettingsStore::filePath();
    CreateDatedOutputFolder(path);
    accept();
    return true;
}

void SettingsDialog::OnCancelSettings()
{
    // Never leave without a stored output path when one can be proposed.
    if (!SettingsStore::usablePath()) {
        PickDefaultDrive();
        if (OnSaveSettings())
            return;
    }
    accept();
}

void SettingsDialog::OnReselect()
{
    QString start = pathText();
    if (!QFileInfo(start).isDir())
        start = QDir::homePath();
    const QString chosen = folderChooser() ? folderChooser()(this, start) : ChooseWithDesktop(this, start);
    if (!chosen.isEmpty())
        setPathText(QDir::toNativeSeparators(chosen));
}

void SettingsDialog::keyPressEvent(QKeyEvent *event)
{
    // Enter closes nothing here (there is no default button) but presses a
    // button that has the focus; Escape still closes the dialog without
    // storing, through QDialog.
    if (event->key() == Qt::Key_Return || event->key() == Qt::Key_Enter) {
        if (auto *button = qobject_cast<QAbstractButton *>(focusWidget()); button && button->isEnabled())
            button->click();
        event->accept();
        return;
    }
    QDialog::keyPressEvent(event);
}
