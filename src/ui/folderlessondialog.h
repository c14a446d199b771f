#pragma once
// ファイル → フォルダから作成…: a folder per slot and the lead slot chosen,
// the rows that would be made listed with their times and the files left
// out, before anything changes. Accepting it hands the caller the lesson to
// make; Cancel leaves everything as it was.
#include "datalist/folderlesson.h"

#include <QDialog>
#include <QFileDialog>
#include <array>

class QButtonGroup;
class QLabel;
class QLineEdit;
class QPushButton;
class QRadioButton;
class QTableWidget;

namespace nubivu {

class Prompter;

// The texts the dialog and its callers show for what went wrong.
QString skipReasonText(SkipReason reason);
QString folderProblemText(FolderProblem problem, const QString& folder);

class FolderLessonDialog : public QDialog {
    Q_OBJECT
public:
    // titles: the lesson's seven pane titles, naming the slots. The folder
    // chooser runs through prompter.
    FolderLessonDialog(const SlotPaths& titles, PictureProbe probe, Prompter& prompter,
                       QWidget* parent = nullptr);

    // The folders and lead slot chosen before, with one preview of them.
    void setChoice(const SlotPaths& folders, ImageSlot lead);
    void setFolder(ImageSlot slot, const QString& folder);
    QString folder(ImageSlot slot) const;
    ImageSlot lead() const;
    // The chooser of a slot's folder (tests fill it in as a user would).
    QFileDialog& folderDialog() { return folderDialog_; }

    // The lesson of the folders as they stand, made afresh on every change.
    const FolderLesson& preview() const { return made_; }

public Q_SLOTS:
    void updatePreview();

protected:
    void keyPressEvent(QKeyEvent* event) override;

private:
    void chooseFolder(int slot);
    void showPreview();

    PictureProbe probe_;
    Prompter& prompter_;
    SlotPaths titles_;
    std::array<QLineEdit*, SlotCount> folderEdits_{};
    std::array<QRadioButton*, SlotCount> leadButtons_{};
    QButtonGroup* leadGroup_;
    QTableWidget* rowsTable_;
    QTableWidget* skippedTable_;
    QLabel* summary_;
    QPushButton* makeButton_;
    QFileDialog folderDialog_;
    FolderLesson made_;
};

} // namespace nubivu
