#pragma once
// The main window: three picture panes, their titles and file names, the
// counter, the slide-show buttons and the menu.
#include "app/windowservices.h"
#include "datalist/imageslot.h"
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

class FormatRegistry;
class Lesson;
class RecentFiles;
class SlideShow;
class WindowStateSounds;
class PicturePane;
class SingleInstance;
class OuterSizeKeeper;
class ListEditorWindow;
class SkyWindow;
class AboutBox;
class OptionsDialog;
class HelpWindow;
class Playback;
class ActivationRule;

// The windows the main window opens, created after it.
struct MainWindowPeers {
    ListEditorWindow* editor = nullptr;
    SkyWindow* skyWindow = nullptr;
    AboutBox* aboutBox = nullptr;
    OptionsDialog* options = nullptr;
    HelpWindow* help = nullptr;
};

class MainWindow : public QMainWindow {
    Q_OBJECT
public:
    // The caption as designed, to which the file part is appended.
    static const QString BaseCaption;

    // Shows and edits the lesson; scaled once to the screen. Loads its
    // pictures through formats, which must outlive it; asks the user through
    // the services' prompter.
    MainWindow(Lesson& lesson, const FormatRegistry& formats, const ScreenMetrics& screen,
               const WindowServices& services, QWidget* parent = nullptr);

    void setPeers(const MainWindowPeers& peers) { peers_ = peers; }

    // The File menu's two dialogs (tests fill them in as a user would).
    QFileDialog& openDialog() { return openDialog_; }
    QFileDialog& saveDialog() { return saveDialog_; }
    // Another copy of the program was already running when this one started.
    bool isDuplicateCopy() const;

    // The client area the controls are placed in (below the menu bar).
    QWidget* clientArea() const { return client_; }
    // The outer size layOut chose.
    QSize designedOuterSize() const { return outerSize_; }

    // Activation: counters, row 1 (unless the sky window asked to keep the
    // row), then the row on show. Open and Save call it at their end too.
    void onActivated();
    // Shows the row on show and sets the slide-show buttons.
    void showRow();
    SlideShow& slides() const { return *slideShow_; }
    // The play menu, keys, full screen and the choices kept for playing.
    Playback& playback() const { return *playback_; }

    // Open as it runs once its dialog is confirmed: the list, titles, caption
    // and saved flag from the file (also for a file named on the command line).
    void openDataListFile(const QString& path);
    // The save question of closing: true when the caller may go on (nothing
    // unsaved, saved now, or the user chose not to save).
    bool saveChangesQuery();
    // The folder the save dialog starts in: the open list's, for a new list
    // the folder last used, else the user's documents folder.
    QString saveDialogFolder() const;
    // A list handed over by a later copy of the program or dropped on the
    // window: the save question first, then Open.
    void openHandedFile(const QString& path);

public Q_SLOTS:
    void fileMenuAboutToShow();
    void newList();
    void openList();
    // A new unsaved lesson from picture folders matched by time, after a preview.
    void makeLessonFromFolders();
    void saveList();
    void quit();
    void openEditor();
    void openOptions();
    void showHelpContents();
    void searchHelp();
    void showHelpOnHelp();
    void showAbout();
    void play();
    void stop();
    void stepForward();
    void stepBack();
    void returnToStart();
    void showSkyPhotos();

protected:
    void closeEvent(QCloseEvent* event) override;
    void dragEnterEvent(QDragEnterEvent* event) override;
    void dropEvent(QDropEvent* event) override;
    bool event(QEvent* event) override;
    bool eventFilter(QObject* watched, QEvent* event) override;
    void createControls();
    void layOut();
    // True when the window may close.
    bool mayClose();

private:
    // The designed controls; each keeps its designed name as object name.
    PicturePane* cloudPane_;
    PicturePane* weatherMapPane_;
    PicturePane* rainPane_;
    QFrame* paneFrame_;
    QLabel* cloudTitleLabel_;
    QLabel* weatherMapTitleLabel_;
    QLabel* rainTitleLabel_;
    QLabel* cloudFileLabel_;
    QLabel* weatherMapFileLabel_;
    QLabel* rainFileLabel_;
    QLabel* rowNumberLabel_;
    QLabel* rowNumberTextLabel_;
    QLabel* rowCountLabel_;
    QLabel* rowCountTextLabel_;
    // Not designed: the time of the row on show, for a lesson made from folders.
    QLabel* rowTimeLabel_;
    QPushButton* playButton_;
    QPushButton* stepForwardButton_;
    QPushButton* stopButton_;
    QPushButton* stepBackButton_;
    QPushButton* returnButton_;
    QPushButton* skyPhotosButton_;
    QPushButton* quitButton_;
    QLineEdit* cloudTitleEdit_;
    QLineEdit* weatherMapTitleEdit_;
    QLineEdit* rainTitleEdit_;
    // Not designed: the play speed, shown for a moment after it changes.
    QLabel* speedNote_;
    QMenu* fileMenu_;
    QAction* newAction_;
    QAction* openAction_;
    QAction* folderLessonAction_;
    QAction* saveAction_;
    QMenu* recentFilesMenu_;
    QAction* quitSeparator_;
    QAction* quitAction_;
    QAction* editAction_;
    QAction* optionsAction_;
    QMenu* helpMenu_;
    QAction* helpContentsAction_;
    QAction* helpSearchAction_;
    QAction* helpOnHelpAction_;
    QAction* aboutAction_;
    QFileDialog openDialog_;
    QFileDialog saveDialog_;
    WindowStateSounds* windowSounds_;
    SingleInstance* singleInstance_;

    template <class W> W* place(W* widget, const char* name, QRect designed, ScaleKind kind);
    void buildControls();
    void buildMenu();
    void buildDialogs();
    void buildComponents(const WindowServices& services);
    void forgetListPaths();
    void fitCounter();
    void buildPlayback();
    // Where the window goes when first shown: where it was left, if that is
    // still on a screen, else the centre of the screen.
    void placeOnScreen();

    Lesson& lesson_;
    const FormatRegistry& formats_;
    const ScreenMetrics screen_;
    Prompter& prompter_;
    MainWindowPeers peers_;
    QWidget* client_;
    SlideShow* slideShow_ = nullptr;
    Playback* playback_ = nullptr;
    ActivationRule* activationRule_ = nullptr;
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
    // The folders and lead slot last chosen for a lesson from folders.
    SlotPaths lessonFolders_;
    ImageSlot lessonLead_ = ImageSlot::Cloud;
};

} // namespace nubivu
