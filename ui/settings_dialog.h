#pragma once

#include "settings/volumes.h"
#include "ui/template_dialog.h"

#include <functional>

class CXPSmartButton;
class QComboBox;
class QLabel;
class QLineEdit;

// The output-path dialog (template 129): shows the stored base folder or
// proposes one, shows the free space of whatever path is typed, and stores the
// path on saving. Runs modally without a parent.
class SettingsDialog : public TemplateDialog {
    Q_OBJECT
public:
    explicit SettingsDialog(QWidget *parent = nullptr);
    ~SettingsDialog() override;

    // Button pictures and the initial path; run once by the constructor.
    bool OnInitDialog();
    // Proposes the local fixed volume with the most free space.
    void PickDefaultDrive();
    // Shows the free space of the path box's volume in IdFreeSpace.
    void OnPathChange();
    // Checks, stores the path and creates the day's folder, then closes.
    // Stores the path and closes the dialog; a path that would not be used as
    // it stands, or a store that cannot be written, is refused with a message
    // and the dialog stays open (false).
    bool OnSaveSettings();
    // Why `path` cannot be stored, or an empty text.
    static QString refusalOf(const QString &path);
    // Closes; stores the proposed folder first when no usable path is stored.
    void OnCancelSettings();
    // "重新选择": asks the desktop's folder chooser for a folder, starting at
    // the path in the box, and puts the choice into the box.
    void OnReselect();

    // Asks for a folder starting at `start`; an empty text when cancelled.
    using FolderChooser = std::function<QString(QWidget *parent, const QString &start)>;
    // Replaces the desktop's chooser (tests answer without a window); an empty
    // function restores it.
    static void SetFolderChooser(FolderChooser chooser);

    // Where PickDefaultDrive gets the mounted volumes from (the mount table
    // unless a test installs a source); an empty source restores it.
    using VolumeSource = std::function<QList<MountedVolume>()>;
    static void SetVolumeSource(VolumeSource source);

protected:
    void keyPressEvent(QKeyEvent *event) override;

private:
    QString pathText() const;
    void setPathText(const QString &text);

    CXPSmartButton *m_btnReselect = nullptr;
    CXPSmartButton *m_btnSave = nullptr;
    CXPSmartButton *m_btnCancel = nullptr;
    QLineEdit *m_pathBox = nullptr;
    QLabel *m_freeSpace = nullptr;
    QComboBox *m_naming = nullptr;
    QComboBox *m_shape = nullptr;
};
