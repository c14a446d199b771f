#pragma once
// The image file chooser, modal over the editor: a drive (mounted volume), a
// folder and a file type; the chosen file, or every listed one, goes into
// the editor's list at its current cell.
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

class Lesson;
class TImage;

class TfrmFileSelect : public QDialog {
    Q_OBJECT
public:
    // Writes into the lesson's rows at their current cell.
    explicit TfrmFileSelect(Lesson& lesson, QWidget* parent = nullptr);

    // Before the chooser is shown: the first time, drive, tree and file list
    // come to the root of the current drive.
    void prepare();
    // The volumes offered as drives (tests); by default the mounted volumes.
    void SetDrives(const QStringList& roots);

    QString TreeDrive() const { return treeDrive_; }
    QString Folder() const { return folder_; }
    // Makes a folder the tree's current folder, as a click on it does.
    void SelectFolder(const QString& folder);

    QGroupBox* GroupBox1;
    QGroupBox* GroupBox2;
    QGroupBox* GroupBox3;
    QGroupBox* GroupBox4;
    QComboBox* DriveComboBox1;
    QTreeView* DirectoryOutline1;
    QComboBox* FilterComboBox1;
    QListWidget* FileListBox1;
    QPushButton* BitBtnYES;
    QPushButton* BitBtnALL;
    QPushButton* BitBtnClose;
    QCheckBox* CheckBox_View;
    TImage* ImgView;

public Q_SLOTS:
    void DriveComboBox1Change();
    void DirectoryOutline1Change();
    void FileListBox1Change();
    void BitBtnYESClick();
    void BitBtnALLClick();

private:
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
    QFileSystemModel* folders_;
    QString treeDrive_;
    QString folder_;
    QString mask_;
    bool started_ = false;
    bool previewing_ = true;
};

} // namespace nubivu
