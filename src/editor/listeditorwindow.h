#pragma once
// The data list editor window. It shows the lesson's rows, whether it is
// shown or not, and edits them in place.
#include "datalist/lesson.h"
#include "ui/scaling.h"

#include <QWidget>

class QAction;
class QFontMetrics;
class QGroupBox;
class QLabel;
class QMenu;
class QMenuBar;
class QPushButton;
class QTableView;

namespace nubivu {

// Width of the grid's number column for a list of rowCount data rows: the
// designed 17 pixels while the numbers shown (up to that of the empty row
// after the list) have two digits, else as wide as the widest number of
// their length needs in the metrics' font.
int numberColumnWidth(const QFontMetrics& metrics, int rowCount);

class DataListModel;
class ImageFileChooser;
class Prompter;

class ListEditorWindow : public QWidget {
    Q_OBJECT
public:
    // Its width is the screen's; the image file chooser runs modally through prompter.
    ListEditorWindow(Lesson& lesson, const ScreenMetrics& screen, Prompter& prompter,
                     QWidget* parent = nullptr);
    ~ListEditorWindow() override;

    // Wired by the application: the window disabled while the editor is open,
    // and the chooser that fills the current cell.
    void setMainWindow(QWidget* window) { mainWindow_ = window; }
    void setFileChooser(ImageFileChooser* chooser) { chooser_ = chooser; }

    int dataColumnWidth() const { return dataColWidth_; }

    // The operations on the current cell, each followed by the refresh step.
    void clearList();
    void insertCell();
    void insertRow();
    void clearCell();
    void deleteCell();
    void deleteRow();
    void deleteBlankRows();

    // Header row from the pane titles, number column width.
    void onActivated();
    // Label, column widths, menu enabling: run whenever the list or the current cell changes.
    void refresh();

public Q_SLOTS:
    void chooseImageFile();

Q_SIGNALS:
    // ファイル → フォルダから作成…: the application makes the lesson, as from
    // the main window's menu, and this window shows the new rows.
    void folderLessonRequested();

protected:
    bool event(QEvent* event) override;
    void showEvent(QShowEvent* event) override;
    void closeEvent(QCloseEvent* event) override;
    void keyPressEvent(QKeyEvent* event) override;

private:
    // The designed controls; each keeps its designed name as object name.
    QTableView* grid_;
    QGroupBox* fileNameBox_;
    QLabel* fileNameLabel_;
    QPushButton* chooseButton_;
    QPushButton* closeButton_;
    QMenuBar* menuBar_;
    QMenu* fileMenu_;
    QAction* chooseAction_;
    QAction* folderLessonAction_;
    QAction* closeAction_;
    QMenu* editMenu_;
    QAction* insertCellAction_;
    QAction* insertRowAction_;
    QAction* clearCellAction_;
    QAction* deleteCellAction_;
    QAction* deleteRowAction_;
    QAction* deleteBlankRowsAction_;

    void createControls(const ScreenMetrics& screen);
    void buildMenu();
    void showCurrentCell();

    Lesson& lesson_;
    DataList& list_;
    Prompter& prompter_;
    DataListModel* model_;
    QWidget* client_;
    QLabel* corner_;
    QWidget* mainWindow_ = nullptr;
    ImageFileChooser* chooser_ = nullptr;
    int dataColWidth_ = 0;
    bool syncing_ = false;
};

} // namespace nubivu
