#pragma once
// The data list editor window. It shows the lesson's rows, whether it is
// shown or not, and edits them in place.
#include "datalist/lesson.h"
#include "ui/scaling.h"

#include <QWidget>

class QAction;
class QGroupBox;
class QLabel;
class QMenu;
class QMenuBar;
class QPushButton;
class QTableView;

namespace nubivu {

class DataListModel;
class TfrmFileSelect;

class TfrmDataEdit : public QWidget {
    Q_OBJECT
public:
    // Its width is the screen's.
    TfrmDataEdit(Lesson& lesson, const ScreenMetrics& screen, QWidget* parent = nullptr);
    ~TfrmDataEdit() override;

    // Wired by the application: the window disabled while the editor is open,
    // and the chooser that fills the current cell.
    void SetMainWindow(QWidget* window) { mainWindow_ = window; }
    void SetFileSelect(TfrmFileSelect* chooser) { chooser_ = chooser; }

    int DataColWidth() const { return dataColWidth_; }

    QTableView* StringGrid1;
    QGroupBox* GroupBox1;
    QLabel* Label1;
    QPushButton* BitBtn1;
    QPushButton* BitBtn2;
    QMenuBar* MainMenu1;
    QMenu* File1;
    QAction* mnOpen;
    QAction* mnClose;
    QMenu* Edit1;
    QAction* mnInsert;
    QAction* mnGyoInsert;
    QAction* mnClear;
    QAction* mnDelete;
    QAction* mnGyoDelete;
    QAction* mnBrankGyoDelete;

    // The operations on the current cell, each followed by the refresh step.
    void NewStringGrid();
    void CellInsert();
    void GyoInsert();
    void CellClear();
    void CellDelete();
    void GyoDelete();
    void BrankGyoDelete();

    // Header row from the pane titles, row 1's number, number column width.
    void FormActivate();
    // Label, column widths, menu enabling: run whenever the list or the current cell changes.
    void FormPaint();

public Q_SLOTS:
    void BitBtn1Click();

protected:
    bool event(QEvent* event) override;
    void showEvent(QShowEvent* event) override;
    void closeEvent(QCloseEvent* event) override;
    void keyPressEvent(QKeyEvent* event) override;

private:
    void FormCreate(const ScreenMetrics& screen);
    void buildMenu();
    void showCurrentCell();

    Lesson& lesson_;
    DataList& list_;
    DataListModel* model_;
    QWidget* client_;
    QLabel* corner_;
    QWidget* mainWindow_ = nullptr;
    TfrmFileSelect* chooser_ = nullptr;
    int dataColWidth_ = 0;
    bool syncing_ = false;
};

} // namespace nubivu
