#pragma once
// The image file chooser, modal over the editor: a drive (mounted volume), a
// folder and a file type; the chosen file, or every listed one, goes into
// the editor's list at its current cell.
#include "pictures/graphic.h"

#include <QDialog>
#include <QStringList>

class QCheckBox;
class QComboBox;
class QFileSystemModel;
class QGroupBox;
class QListWidget;
class QPushButton;
class QTreeView;

namespace nubivu {

class FormatRegistry;
class Lesson;
class PicturePane;
class Prompter;

class ImageFileChooser : public QDialog {
    Q_OBJECT
public:
    // Writes into the lesson's rows at their current cell. Previews through
    // formats, which must outlive it, decoding with previewOptions; asks and
    // reports through prompter.
    ImageFileChooser(Lesson& lesson, const FormatRegistry& formats, Prompter& prompter,
                     const DecodeOptions& previewOptions, QWidget* parent = nullptr);

    // Before the chooser is shown: the first time, drive, tree and file list
    // come to the root of the current drive.
    void prepare();
    // The volumes offered as drives (tests); by default the mounted volumes.
    void setDrives(const QStringList& roots);

    QString treeDrive() const { return treeDrive_; }
    QString folder() const { return folder_; }
    // Makes a folder the tree's current folder, as a click on it does.
    void selectFolder(const QString& folder);

public Q_SLOTS:
    void driveChanged();
    void folderChanged();
    void fileChanged();
    void chooseFile();
    void chooseAllFiles();

private:
    // The designed controls; each keeps its designed name as object name.
    QGroupBox* fileBox_;
    QGroupBox* driveBox_;
    QGroupBox* folderBox_;
    QGroupBox* typeBox_;
    QComboBox* driveCombo_;
    QTreeView* folderTree_;
    QComboBox* typeCombo_;
    QListWidget* fileList_;
    QPushButton* chooseButton_;
    QPushButton* chooseAllButton_;
    QPushButton* closeButton_;
    QCheckBox* previewCheck_;
    PicturePane* previewPane_;

    void start();
    // Points the tree at a drive's root; 0, or the error code of the failure
    // (21: the device is not ready).
    int switchTreeTo(const QString& root);
    void showDriveInBox(const QString& root);
    void readFileList();
    void filterChanged(int index);
    QString selectedPath() const;
    void takeSelected();

    Lesson& lesson_;
    const FormatRegistry& formats_;
    Prompter& prompter_;
    QFileSystemModel* folders_;
    QString treeDrive_;
    QString folder_;
    QString mask_;
    bool started_ = false;
    bool previewing_ = true;
};

} // namespace nubivu
