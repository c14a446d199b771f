#pragma once
// The main window: three picture panes, their titles and file names, the
// counter, the slide-show buttons and the menu.
#include "spi/tspis.h"
#include "ui/designedlayout.h"
#include "ui/scaling.h"

#include <QFileDialog>
#include <QMainWindow>
#include <vector>

class QAction;
class QFrame;
class QLabel;
class QLineEdit;
class QMenu;
class QPushButton;

namespace nubivu {

class Lesson;
class RecentFiles;
class SlideShow;
class TAnimateForm;
class TImage;
class TSingleInstance;
class OuterSizeKeeper;
class TfrmDataEdit;
class TfrmKansokuti;
class TfrmNubivuAbort;
class TfrmOptionDlg;

// The windows the main window opens, created after it.
struct MainWindowPeers {
    TfrmDataEdit* editor = nullptr;
    TfrmKansokuti* skyWindow = nullptr;
    TfrmNubivuAbort* aboutBox = nullptr;
    TfrmOptionDlg* options = nullptr;
};

class TfrmNubivuMain : public QMainWindow {
    Q_OBJECT
public:
    // The caption as designed, to which the file part is appended.
    static const QString BaseCaption;

    // Shows and edits the lesson; scaled once to the screen.
    TfrmNubivuMain(Lesson& lesson, const ScreenMetrics& screen, QWidget* parent = nullptr);

    void setPeers(const MainWindowPeers& peers) { peers_ = peers; }

    // Panes
    TImage* ImgKumo;
    TImage* ImgNubivuzu;
    TImage* ImgAme;
    QFrame* Bevel1;
    QLabel* lblKumotitle;
    QLabel* lblNubivuzuTitle;
    QLabel* lblAmeTitle;
    QLabel* lblKUMO;
    QLabel* lblNUBIVUZU;
    QLabel* lblAME;
    QLabel* Label4;
    QLabel* Label5;
    QLabel* Label6;
    QLabel* Label7;
    QPushButton* BitBtnSaisei;
    QPushButton* BitBtnKomaOkuri;
    QPushButton* BitBtnTeisi;
    QPushButton* BitBtnKomaModosi;
    QPushButton* BitBtnModoru;
    QPushButton* BitBtnKansokuti;
    QPushButton* BitBtnSyuryo;
    QLineEdit* edtKumoTitle;
    QLineEdit* edtNubivuzuTitle;
    QLineEdit* edtAmetitle;

    // Menu
    QMenu* K1;
    QAction* mnNewFile;
    QAction* mnFileOpen;
    QAction* mnFileSave;
    QMenu* mnRecentFiles;
    QAction* N1;
    QAction* mnClose;
    QAction* Edit1;
    QAction* N2;
    QMenu* Help1;
    QAction* Contents1;
    QAction* SearchforHelpOn1;
    QAction* HowtoUseHelp1;
    QAction* About1;

    QFileDialog OpenDialog1;
    QFileDialog SaveDialog1;
    TAnimateForm* AnimateForm1;
    TSingleInstance* SingleInstance1;

    // The plug-in manager: searches the Susie folder and the program's folder at start.
    TSPIs* SPIs1 = nullptr;
    // Where SPIs1 looks for plug-ins.
    static TSPISearchOptions PluginSearchOptions();

    // The client area the controls are placed in (below the menu bar).
    QWidget* ClientArea() const { return client_; }
    // The outer size FormSakusei chose.
    QSize DesignedOuterSize() const { return outerSize_; }

    // Activation: counters, row 1 (unless the sky window asked to keep the
    // row), then the row on show. Open and Save call it at their end too.
    void FormActivate();
    // Shows the row on show and sets the slide-show buttons.
    void GazoHyoji();
    SlideShow& Slides() const { return *slideShow_; }

    // Open as it runs once its dialog is confirmed: the list, titles, caption
    // and saved flag from the file (also for a file named on the command line).
    void OpenDataListFile(const QString& path);
    // The save question of closing: true when the caller may go on (nothing
    // unsaved, saved now, or the user chose not to save).
    bool SaveChangesQuery();
    // The folder the save dialog starts in: the open list's, for a new list
    // the folder last used, else the user's documents folder.
    QString SaveDialogFolder() const;
    // A list handed over by a later copy of the program or dropped on the
    // window: the save question first, then Open.
    void OpenHandedFile(const QString& path);

public Q_SLOTS:
    void K1Click();
    void mnNewFileClick();
    void mnFileOpenClick();
    void mnFileSaveClick();
    void mnCloseClick();
    void Edit1Click();
    void N2Click();
    void Contents1Click();
    void SearchforHelpOn1Click();
    void HowtoUseHelp1Click();
    void About1Click();
    void BitBtnSaiseiClick();
    void BitBtnTeisiClick();
    void BitBtnKomaOkuriClick();
    void BitBtnKomaModosiClick();
    void BitBtnModoruClick();
    void BitBtnKansokutiClick();

protected:
    void closeEvent(QCloseEvent* event) override;
    void dragEnterEvent(QDragEnterEvent* event) override;
    void dropEvent(QDropEvent* event) override;
    bool event(QEvent* event) override;
    bool eventFilter(QObject* watched, QEvent* event) override;
    void FormCreate();
    void createPluginManager();
    void FormSakusei();
    // True when the window may close.
    bool FormCloseQuery();

private:
    template <class W> W* place(W* widget, const char* name, QRect designed, ScaleKind kind);
    void buildControls();
    void buildMenu();
    void buildDialogs();
    void buildComponents();
    void forgetListPaths();
    void fitCounter();

    Lesson& lesson_;
    const ScreenMetrics screen_;
    MainWindowPeers peers_;
    QWidget* client_;
    SlideShow* slideShow_ = nullptr;
    RecentFiles* recentFiles_ = nullptr;
    DesignedLayout layout_;
    QSize outerSize_;
    QSize clientSize_;
    // The folder of the file last chosen in the Open or Save dialog, or opened.
    QString lastFolder_;
    // After New: the list has no file of its own yet.
    bool listIsNew_ = false;
    OuterSizeKeeper* outerSizeKeeper_ = nullptr;
    bool shownBefore_ = false;
};

} // namespace nubivu
