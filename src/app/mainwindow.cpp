#include "app/mainwindow.h"

#include "app/aboutbox.h"
#include "app/activationrule.h"
#include "app/helpwindow.h"
#include "app/playback.h"
#include "app/playsettings.h"
#include "app/recentfiles.h"
#include "app/singleinstance.h"
#include "app/windowstatesounds.h"
#include "datalist/datalistfile.h"
#include "datalist/folderlesson.h"
#include "datalist/gridoperations.h"
#include "datalist/lesson.h"
#include "editor/listeditorwindow.h"
#include "sitephotos/skywindow.h"
#include "slideshow/lessonfile.h"
#include "slideshow/optionsdialog.h"
#include "slideshow/slideshow.h"
#include "ui/elidedlabel.h"
#include "ui/errorreport.h"
#include "ui/folderlessondialog.h"
#include "ui/fullscreenview.h"
#include "ui/glyphs.h"
#include "ui/menuaction.h"
#include "ui/picturepane.h"
#include "ui/pictureprobe.h"
#include "ui/prompter.h"
#include "ui/scaling.h"
#include "ui/titleeditor.h"
#include "ui/uifont.h"
#include "ui/windowframe.h"

#include <QApplication>
#include <QCloseEvent>
#include <QDir>
#include <QDragEnterEvent>
#include <QDropEvent>
#include <QFileInfo>
#include <QFontMetrics>
#include <QFrame>
#include <QGuiApplication>
#include <QLabel>
#include <QLineEdit>
#include <QMenuBar>
#include <QMimeData>
#include <QPushButton>
#include <QScreen>
#include <QSignalBlocker>
#include <QStandardPaths>
#include <QTimer>
#include <algorithm>

namespace nubivu {

const QString MainWindow::BaseCaption = QStringLiteral("Nubivu Ver.3.10");

namespace {
const QString kNewFileSuffix = QStringLiteral("  [ 新しいファイルです ]");

// The caption of a lesson that has a file: the base, then the file's full path.
QString captionFor(const QString& fileName) {
    return MainWindow::BaseCaption + QStringLiteral("  [ ") + fileName + QStringLiteral(" ]");
}
} // namespace

MainWindow::MainWindow(Lesson& lesson, const FormatRegistry& formats, const ScreenMetrics& screen,
                       const WindowServices& services, QWidget* parent)
    : QMainWindow(parent, Qt::Window | Qt::CustomizeWindowHint | Qt::WindowTitleHint |
                              Qt::WindowSystemMenuHint | Qt::WindowMinimizeButtonHint |
                              Qt::WindowCloseButtonHint | Qt::MSWindowsFixedSizeDialogHint),
      lesson_(lesson), formats_(formats), screen_(screen), prompter_(services.prompter) {
    setObjectName(QStringLiteral("frmNubivuMain"));
    setWindowTitle(BaseCaption);
    setFont(designFont());
    setWindowIcon(programIcon());
    client_ = new QWidget(this);
    client_->setObjectName(QStringLiteral("ClientArea"));
    setCentralWidget(client_);
    buildControls();
    buildMenu();
    buildDialogs();
    buildComponents(services);
    SlideShowControls controls;
    controls.window = this;
    controls.panes = {cloudPane_, weatherMapPane_, rainPane_};
    controls.fileNames = {cloudFileLabel_, weatherMapFileLabel_, rainFileLabel_};
    controls.rowNumber = rowNumberLabel_;
    controls.rowCount = rowCountLabel_;
    controls.rowTime = rowTimeLabel_;
    controls.play = playButton_;
    controls.stepForward = stepForwardButton_;
    controls.stop = stopButton_;
    controls.stepBack = stepBackButton_;
    controls.back = returnButton_;
    controls.skyPhotos = skyPhotosButton_;
    controls.quit = quitButton_;
    controls.edit = editAction_;
    slideShow_ = new SlideShow(controls, lesson_, formats_, prompter_, this);
    activationRule_ = new ActivationRule(this, [this] { onActivated(); });
    buildPlayback();
    createControls();
}

template <class W>
W* MainWindow::place(W* widget, const char* name, QRect designed, ScaleKind kind) {
    return layout_.place(widget, name, designed, kind);
}

void MainWindow::buildControls() {
    paneFrame_ = place(new QFrame(client_), "Bevel1", {0, 0, 632, 209}, ScaleKind::HeightOnly);
    paneFrame_->setFrameStyle(QFrame::Panel | QFrame::Raised);
    paneFrame_->setLineWidth(1);

    auto image = [&](const char* name, int left) {
        auto* pane = place(new PicturePane(client_), name, {left, 24, 200, 150}, ScaleKind::All);
        pane->picture().setDecodeOptions(screen_.decodeOptions());
        reportPaintFailures(*pane, prompter_);
        return pane;
    };
    cloudPane_ = image("ImgKumo", 8);
    weatherMapPane_ = image("ImgNubivuzu", 216);
    rainPane_ = image("ImgAme", 424);

    auto label = [&](const char* name, QRect r, const QString& text) {
        auto* l = place(new QLabel(text, client_), name, r, ScaleKind::KeepHeight);
        l->setTextFormat(Qt::PlainText);
        return l;
    };
    // Titles and file names may be longer than their places: cut with "…".
    auto elided = [&](const char* name, QRect r, const QString& text) -> QLabel* {
        return place(new ElidedLabel(text, client_), name, r, ScaleKind::KeepHeight);
    };
    cloudTitleLabel_ = elided("lblKumotitle", {16, 184, 72, 12}, QStringLiteral("雲の写真"));
    weatherMapTitleLabel_ =
        elided("lblNubivuzuTitle", {224, 184, 72, 12}, QStringLiteral("天気図"));
    rainTitleLabel_ = elided("lblAmeTitle", {432, 184, 72, 12}, QStringLiteral("雨の分布"));
    cloudFileLabel_ = elided("lblKUMO", {92, 184, 116, 12}, QString());
    weatherMapFileLabel_ = elided("lblNUBIVUZU", {300, 184, 116, 12}, QString());
    rainFileLabel_ = elided("lblAME", {508, 184, 116, 12}, QString());
    rowNumberLabel_ = label("Label4", {521, 8, 14, 12}, QStringLiteral("???"));
    rowNumberTextLabel_ = label("Label5", {536, 8, 30, 12}, QStringLiteral("枚目("));
    rowCountLabel_ = label("Label6", {568, 8, 14, 12}, QStringLiteral("???"));
    rowCountTextLabel_ = label("Label7", {584, 8, 30, 12}, QStringLiteral("枚中)"));
    rowNumberLabel_->setAlignment(Qt::AlignRight | Qt::AlignVCenter);
    rowCountLabel_->setAlignment(Qt::AlignRight | Qt::AlignVCenter);
    // Not designed: the moment of a row of a lesson made from folders, left of
    // the counter; fitCounter gives it its place.
    rowTimeLabel_ = label("lblRowTime", {420, 8, 96, 12}, QString());
    rowTimeLabel_->setAlignment(Qt::AlignRight | Qt::AlignVCenter);

    auto button = [&](const char* name, int left, int width, const QString& text,
                      const QString& hint) {
        auto* b =
            place(new QPushButton(text, client_), name, {left, 232, width, 25}, ScaleKind::All);
        b->setToolTip(hint);
        b->setFocusPolicy(Qt::StrongFocus);
        // Enter presses the focused button, as on a dialog.
        b->setAutoDefault(true);
        return b;
    };
    playButton_ = button("BitBtnSaisei", 16, 75, QStringLiteral("再生"),
                         QStringLiteral("はじめから連続で再生します。"));
    stepForwardButton_ = button("BitBtnKomaOkuri", 96, 75, QStringLiteral("コマ送り"),
                                QStringLiteral("次のデータを表示します。"));
    stopButton_ = button("BitBtnTeisi", 176, 75, QStringLiteral("停止"),
                         QStringLiteral("再生を停止します。"));
    stepBackButton_ = button("BitBtnKomaModosi", 256, 75, QStringLiteral("コマ戻し"),
                             QStringLiteral("前のデータを表示します。"));
    returnButton_ = button("BitBtnModoru", 336, 75, QStringLiteral("戻る"),
                           QStringLiteral("最初のデータに戻ります。"));
    skyPhotosButton_ = button("BitBtnKansokuti", 424, 105, QStringLiteral("観測地の写真"),
                              QStringLiteral("観察した雲の様子を表示します。"));
    quitButton_ = button("BitBtnSyuryo", 544, 75, QStringLiteral("終了(&C)"),
                         QStringLiteral("プログラムを終了します。"));
    playButton_->setIcon(buttonGlyph(Glyph::Play));
    stepForwardButton_->setIcon(buttonGlyph(Glyph::StepForward));
    stopButton_->setIcon(buttonGlyph(Glyph::Stop));
    stepBackButton_->setIcon(buttonGlyph(Glyph::StepBack));
    returnButton_->setIcon(buttonGlyph(Glyph::Return));
    connect(quitButton_, &QPushButton::clicked, this, &MainWindow::quit);
    connect(playButton_, &QPushButton::clicked, this, &MainWindow::play);
    connect(stopButton_, &QPushButton::clicked, this, &MainWindow::stop);
    connect(stepForwardButton_, &QPushButton::clicked, this, &MainWindow::stepForward);
    connect(stepBackButton_, &QPushButton::clicked, this, &MainWindow::stepBack);
    connect(returnButton_, &QPushButton::clicked, this, &MainWindow::returnToStart);
    connect(skyPhotosButton_, &QPushButton::clicked, this, &MainWindow::showSkyPhotos);

    auto edit = [&](const char* name, int left) {
        auto* e = place(new QLineEdit(client_), name, {left, 184, 80, 20}, ScaleKind::KeepHeight);
        e->hide();
        return e;
    };
    cloudTitleEdit_ = edit("edtKumoTitle", 16);
    weatherMapTitleEdit_ = edit("edtNubivuzuTitle", 224);
    rainTitleEdit_ = edit("edtAmetitle", 432);

    // Above the panes, left of the counter, where the design leaves room.
    speedNote_ = label("speedNote", {16, 8, 200, 12}, QString());
    speedNote_->hide();

    QWidget* order[] = {playButton_,          stepForwardButton_, stopButton_, stepBackButton_,
                        returnButton_,        skyPhotosButton_,   quitButton_, cloudTitleEdit_,
                        weatherMapTitleEdit_, rainTitleEdit_};
    for (size_t i = 1; i < std::size(order); ++i) setTabOrder(order[i - 1], order[i]);

    new TitleEditor(lesson_, slotIndex(ImageSlot::Cloud), cloudTitleLabel_, cloudTitleEdit_, this);
    new TitleEditor(lesson_, slotIndex(ImageSlot::WeatherMap), weatherMapTitleLabel_,
                    weatherMapTitleEdit_, this);
    new TitleEditor(lesson_, slotIndex(ImageSlot::Rain), rainTitleLabel_, rainTitleEdit_, this);
}

void MainWindow::buildMenu() {
    QMenuBar* bar = menuBar();
    bar->setObjectName(QStringLiteral("MainMenu1"));
    auto action = [&](QAction* a, const char* name, const QKeySequence& key, auto slot) {
        return wireAction(this, a, name, key, slot);
    };

    fileMenu_ = bar->addMenu(QStringLiteral("ファイル(&F)"));
    fileMenu_->setObjectName(QStringLiteral("K1"));
    connect(fileMenu_, &QMenu::aboutToShow, this, &MainWindow::fileMenuAboutToShow);
    newAction_ = action(fileMenu_->addAction(QStringLiteral("新規作成(&N)")), "mnNewFile",
                        QKeySequence(Qt::CTRL | Qt::Key_N), &MainWindow::newList);
    openAction_ = action(fileMenu_->addAction(QStringLiteral("開く   (&O)")), "mnFileOpen",
                         QKeySequence(Qt::CTRL | Qt::Key_O), &MainWindow::openList);
    saveAction_ = action(fileMenu_->addAction(QStringLiteral("保存  (&S)")), "mnFileSave",
                         QKeySequence(Qt::CTRL | Qt::Key_S), &MainWindow::saveList);
    // Added items come after the designed ones, which keep their places.
    folderLessonAction_ = action(fileMenu_->addAction(QStringLiteral("フォルダから作成…")),
                                 "mnFolderLesson", {}, &MainWindow::makeLessonFromFolders);
    // The last lessons come after the designed items that open and save them.
    recentFilesMenu_ = fileMenu_->addMenu(QStringLiteral("最近使ったファイル(&R)"));
    recentFiles_ = new RecentFiles(recentFilesMenu_, prompter_, this);
    connect(recentFiles_, &RecentFiles::picked, this, [this](const QString& path) {
        if (saveChangesQuery()) openDataListFile(path);
    });
    quitSeparator_ = fileMenu_->addSeparator();
    quitSeparator_->setObjectName(QStringLiteral("N1"));
    quitAction_ = action(fileMenu_->addAction(QStringLiteral("終了  (&C)")), "mnClose",
                         QKeySequence(Qt::CTRL | Qt::Key_Q), &MainWindow::quit);

    editAction_ = action(bar->addAction(QStringLiteral("編集(&E)")), "Edit1",
                         QKeySequence(Qt::CTRL | Qt::Key_E), &MainWindow::openEditor);
    optionsAction_ =
        action(bar->addAction(QStringLiteral("オプション")), "N2", {}, &MainWindow::openOptions);

    helpMenu_ = bar->addMenu(QStringLiteral("ヘルプ(&H)"));
    helpMenu_->setObjectName(QStringLiteral("Help1"));
    helpContentsAction_ = action(helpMenu_->addAction(QStringLiteral("目次(&C)")), "Contents1", {},
                                 &MainWindow::showHelpContents);
    helpSearchAction_ = action(helpMenu_->addAction(QStringLiteral("ﾄﾋﾟｯｸの検索(&S)...")),
                               "SearchforHelpOn1", {}, &MainWindow::searchHelp);
    helpOnHelpAction_ = action(helpMenu_->addAction(QStringLiteral("ﾍﾙﾌﾟの使い方(&H)")),
                               "HowtoUseHelp1", {}, &MainWindow::showHelpOnHelp);
    aboutAction_ = action(helpMenu_->addAction(QStringLiteral("ﾊﾞｰｼﾞｮﾝ情報(&A)...")), "About1", {},
                          &MainWindow::showAbout);

    // A shortcut of a File item first runs the File menu's own handler, so
    // that Save is judged on the list as it is now, not as it was at the last
    // opening of the menu.
    qApp->installEventFilter(this);
}

void MainWindow::buildPlayback() {
    PlaybackParts parts;
    parts.window = this;
    parts.lesson = &lesson_;
    parts.slides = slideShow_;
    parts.panes = {cloudPane_, weatherMapPane_, rainPane_};
    parts.fileNames = {cloudFileLabel_, weatherMapFileLabel_, rainFileLabel_};
    parts.speedNote = speedNote_;
    parts.menuBar = menuBar();
    parts.menuBefore = helpMenu_->menuAction();
    playback_ = new Playback(parts, readPlaySettings(), this);
    activationRule_->treatAsMainWindow(&playback_->fullScreen());
}

void MainWindow::buildDialogs() {
    // Qt's own dialogs: the same on every desktop, and answerable in tests.
    openDialog_.setOption(QFileDialog::DontUseNativeDialog);
    saveDialog_.setOption(QFileDialog::DontUseNativeDialog);
    openDialog_.setObjectName(QStringLiteral("OpenDialog1"));
    openDialog_.setWindowTitle(QStringLiteral("データリストファイルの読み込み"));
    openDialog_.setNameFilter(QStringLiteral("ﾃﾞｰﾀﾘｽﾄﾌｧｲﾙ (*.NVD *.NV2)"));
    openDialog_.setDefaultSuffix(QStringLiteral("NV2"));
    openDialog_.setAcceptMode(QFileDialog::AcceptOpen);
    openDialog_.setFileMode(QFileDialog::ExistingFile);

    saveDialog_.setObjectName(QStringLiteral("SaveDialog1"));
    saveDialog_.setWindowTitle(QStringLiteral("データリストファイルの保存"));
    saveDialog_.setNameFilters(
        {QStringLiteral("Ver2形式ﾃﾞｰﾀﾌｧｲﾙ (*.NV2)"), QStringLiteral("Ver1形式ﾃﾞｰﾀﾌｧｲﾙ (*.NVD)")});
    saveDialog_.setDefaultSuffix(QStringLiteral("NV2"));
    saveDialog_.setAcceptMode(QFileDialog::AcceptSave);
    saveDialog_.setFileMode(QFileDialog::AnyFile);
    saveDialog_.setOption(QFileDialog::DontConfirmOverwrite, false);
    saveDialog_.setOption(QFileDialog::ReadOnly, false);
    // A name typed without extension takes the one of the chosen file type.
    connect(&saveDialog_, &QFileDialog::filterSelected, this, [this](const QString& filter) {
        saveDialog_.setDefaultSuffix(filter.contains(QStringLiteral("*.NVD"))
                                         ? QStringLiteral("NVD")
                                         : QStringLiteral("NV2"));
    });
}

void MainWindow::buildComponents(const WindowServices& services) {
    windowSounds_ = new WindowStateSounds(this, services.sound);
    windowSounds_->setObjectName(QStringLiteral("AnimateForm1"));
    SingleInstance::Options guard;
    guard.uniqueName = QStringLiteral("Ident6490");
    guard.duplicateAction = ActivateFirst;
    guard.errorMessage = QStringLiteral("すでに起動されています");
    singleInstance_ = new SingleInstance(services.thisCopy, std::move(guard), this);
    singleInstance_->setObjectName(QStringLiteral("SingleInstance1"));
    connect(singleInstance_, &SingleInstance::fileHandedOver, this, &MainWindow::openHandedFile);
    setAcceptDrops(true);
}

void MainWindow::openHandedFile(const QString& path) {
    // While the editor or the options dialog holds the main window disabled,
    // or a modal window is up, Open is out of reach: the list is not swapped
    // under them.
    if (!isEnabled() || QApplication::activeModalWidget()) {
        prompter_.beep();
        return;
    }
    if (saveChangesQuery()) openDataListFile(path);
}

namespace {
// The data list file among dropped things: a local file of the type Open's
// dialog and the desktop's file type take, in any case; Open then reads it by
// its exact extension, as it reads a file chosen in the dialog.
QString droppedDataList(const QMimeData* data) {
    if (!data || !data->hasUrls()) return {};
    for (const QUrl& url : data->urls()) {
        if (!url.isLocalFile()) continue;
        const QString path = url.toLocalFile();
        if (isDataListFileName(path) && QFileInfo(path).isFile()) return path;
    }
    return {};
}
} // namespace

void MainWindow::dragEnterEvent(QDragEnterEvent* event) {
    if (!droppedDataList(event->mimeData()).isEmpty()) event->acceptProposedAction();
}

void MainWindow::dropEvent(QDropEvent* event) {
    const QString path = droppedDataList(event->mimeData());
    if (path.isEmpty()) return;
    event->acceptProposedAction();
    openHandedFile(path);
}

void MainWindow::createControls() {
    layOut();
    setWindowTitle(BaseCaption + kNewFileSuffix);
    // Qt paints every widget double-buffered already: the panes never flicker.
}

bool MainWindow::isDuplicateCopy() const { return singleInstance_->isDuplicate(); }

void MainWindow::layOut() {
    outerSize_ = mainWindowOuterSize(screen_.width, screen_.scaleFactor);
    layout_.apply(screen_.scaleFactor);
    fitCounter();
    // The outer size is the frame's; the window manager's frame, once known,
    // comes off it, and the menu bar lives inside what is left.
    delete outerSizeKeeper_;
    outerSizeKeeper_ = new OuterSizeKeeper(this, outerSize_, [this](QSize client) {
        clientSize_ = client;
        setFixedSize(clientSize_);
        // The bevel is aligned to the top: it spans the client width.
        paneFrame_->setGeometry(0, 0, clientSize_.width(), paneFrame_->height());
    });
    outerSizeKeeper_->setPlacement([this] { placeOnScreen(); });
}

void MainWindow::placeOnScreen() {
    if (const std::optional<QPoint> left = playback_->settings().windowPosition) {
        QList<QRect> screens;
        for (const QScreen* screen : QGuiApplication::screens())
            screens << screen->availableGeometry();
        const QSize frame = size().grownBy(frameMargins(*this));
        if (const std::optional<QPoint> reachable = reachablePosition(*left, frame, screens)) {
            move(*reachable);
            return;
        }
    }
    centreOnScreen(*this);
}

void MainWindow::fitCounter() {
    // "???" and row numbers up to 99999 are shown whole at every scale: the
    // four counter labels keep their places where their texts fit, and
    // otherwise move left from the right end of the last one.
    const QFontMetrics metrics(rowNumberLabel_->font());
    const int number = std::max(metrics.horizontalAdvance(QStringLiteral("99999")),
                                metrics.horizontalAdvance(QStringLiteral("???"))) +
                       2;
    QLabel* const labels[] = {rowNumberLabel_, rowNumberTextLabel_, rowCountLabel_,
                              rowCountTextLabel_};
    int gaps[3];
    for (int i = 0; i < 3; ++i)
        gaps[i] = std::max(1, labels[i + 1]->x() - labels[i]->geometry().right());
    int right = rowCountTextLabel_->geometry().right();
    for (int i = 3; i >= 0; --i) {
        QLabel* l = labels[i];
        const int needed = (l == rowNumberLabel_ || l == rowCountLabel_)
                               ? number
                               : metrics.horizontalAdvance(l->text()) + 2;
        const int width = std::max(l->width(), needed);
        const int placedRight = std::min(l->geometry().right(), right);
        l->setGeometry(placedRight - width + 1, l->y(), width, l->height());
        if (i > 0) right = l->x() - gaps[i - 1];
    }
    const int timeWidth = metrics.horizontalAdvance(QStringLiteral("12月31日 23:59")) + 2;
    rowTimeLabel_->setGeometry(rowNumberLabel_->x() - gaps[0] * 2 - timeWidth, rowTimeLabel_->y(),
                               timeWidth, rowTimeLabel_->height());
}

bool MainWindow::event(QEvent* e) {
    if (e->type() == QEvent::Show && !shownBefore_) {
        shownBefore_ = true;
        // The start state (buttons off on an empty list) also where no window
        // manager activates the window.
        onActivated();
    }
    return QMainWindow::event(e);
}

bool MainWindow::eventFilter(QObject* watched, QEvent* e) {
    if (e->type() == QEvent::ShortcutOverride) {
        const auto* key = static_cast<QKeyEvent*>(e);
        const QKeySequence pressed(key->keyCombination());
        for (const QAction* item : {newAction_, openAction_, saveAction_, quitAction_}) {
            if (item->shortcut() == pressed && QApplication::activeWindow() == this) {
                fileMenuAboutToShow();
                break;
            }
        }
    }
    return QMainWindow::eventFilter(watched, e);
}

void MainWindow::fileMenuAboutToShow() { saveAction_->setEnabled(!lesson_.rows().isEmpty()); }

void MainWindow::newList() {
    if (!saveChangesQuery()) return;
    setWindowTitle(BaseCaption + kNewFileSuffix);
    clearList(lesson_);
    forgetListPaths();
    listIsNew_ = true;
    // The empty list on show at once: no pictures, counters or sky photos of the list before.
    onActivated();
    if (peers_.editor) peers_.editor->show();
}

void MainWindow::makeLessonFromFolders() {
    QWidget* parent = QApplication::activeWindow() ? QApplication::activeWindow() : this;
    FolderLessonDialog dialog(lesson_.titles(), pictureProbe(formats_), prompter_, parent);
    dialog.setChoice(lessonFolders_, lessonLead_);
    const bool accepted = prompter_.runModal(dialog) == QDialog::Accepted;
    for (int slot = 0; slot < SlotCount; ++slot)
        lessonFolders_[size_t(slot)] = dialog.folder(ImageSlot(slot));
    lessonLead_ = dialog.lead();
    const FolderLesson& made = dialog.preview();
    if (!accepted || made.problem != FolderProblem::None) return;
    if (!saveChangesQuery()) return;
    applyFolderLesson(lesson_, made);
    setWindowTitle(BaseCaption + kNewFileSuffix);
    forgetListPaths();
    listIsNew_ = true;
    // The save dialog starts beside the folders, where the paths stay relative.
    lastFolder_ =
        QFileInfo(QDir::cleanPath(lessonFolders_[size_t(slotIndex(made.lead))])).absolutePath();
    onActivated();
}

void MainWindow::forgetListPaths() {
    // Paths of the list before would fill in this one's empty cells, be
    // written into its file and show its sky photos.
    slideShow_->setLoadedPaths({}, {});
}

void MainWindow::openList() {
    if (!saveChangesQuery()) return;
    if (!prompter_.runFileDialog(openDialog_)) return;
    const QStringList chosen = openDialog_.selectedFiles();
    if (chosen.isEmpty()) return;
    lastFolder_ = QFileInfo(chosen.first()).absolutePath();
    openDataListFile(chosen.first());
}

void MainWindow::openDataListFile(const QString& path) {
    // A file that cannot be read leaves the lesson on show, its file name and
    // saved flag as they were.
    openLessonFile(lesson_, path);
    lastFolder_ = QFileInfo(path).absolutePath();
    listIsNew_ = false;
    forgetListPaths();
    recentFiles_->add(path);
    setWindowTitle(captionFor(lesson_.filePath()));
    onActivated();
    lesson_.setSaved(true);
}

QString MainWindow::saveDialogFolder() const {
    auto usable = [](const QString& folder) {
        return !folder.isEmpty() && QFileInfo(folder).isDir();
    };
    if (!listIsNew_ && !lesson_.filePath().isEmpty()) {
        const QString listFolder = QFileInfo(lesson_.filePath()).absolutePath();
        if (usable(listFolder)) return listFolder;
    }
    if (usable(lastFolder_)) return lastFolder_;
    const QString documents = QStandardPaths::writableLocation(QStandardPaths::DocumentsLocation);
    return usable(documents) ? documents : QDir::homePath();
}

void MainWindow::saveList() {
    saveDialog_.setDirectory(saveDialogFolder());
    saveDialog_.selectFile(dataListBaseName(lesson_.filePath()));
    if (!prompter_.runFileDialog(saveDialog_)) return;
    const QStringList chosen = saveDialog_.selectedFiles();
    if (chosen.isEmpty()) return;
    const QString fileName = chosen.first();
    lastFolder_ = QFileInfo(fileName).absolutePath();
    // The row on show stays where it is, whether the save succeeds or not.
    const SavedLesson saved =
        saveLessonFile(lesson_, fileName, slideShow_->lastPaths(), slideShow_->fillOptions());
    listIsNew_ = false;
    recentFiles_->add(fileName);
    slideShow_->setLoadedPaths(saved.rebase(slideShow_->currentPaths()), saved.lastPaths);
    setWindowTitle(captionFor(fileName));
    onActivated();
    lesson_.setSaved(true);
}

void MainWindow::quit() { close(); }

void MainWindow::openEditor() {
    if (peers_.editor) peers_.editor->show();
}

void MainWindow::openOptions() {
    if (peers_.options) peers_.options->show();
}

void MainWindow::onActivated() { slideShow_->onActivated(); }
void MainWindow::showRow() { slideShow_->showRow(); }
void MainWindow::play() { slideShow_->play(); }
void MainWindow::stop() { slideShow_->stop(); }
void MainWindow::stepForward() { slideShow_->stepForward(); }
void MainWindow::stepBack() { slideShow_->stepBack(); }
void MainWindow::returnToStart() { slideShow_->returnToStart(); }

void MainWindow::showSkyPhotos() {
    if (!peers_.skyWindow) return;
    peers_.skyWindow->showSkyPhotos(slideShow_->currentPaths());
    slideShow_->keepRowOnNextActivation();
}

void MainWindow::showHelpContents() {
    if (peers_.help) peers_.help->showContents();
}
void MainWindow::searchHelp() {
    if (peers_.help) peers_.help->showIndex(QString());
}
void MainWindow::showHelpOnHelp() {
    if (peers_.help) peers_.help->showHelpOnHelp();
}

void MainWindow::showAbout() {
    if (peers_.aboutBox) prompter_.runModal(*peers_.aboutBox);
}

bool MainWindow::mayClose() { return saveChangesQuery(); }

bool MainWindow::saveChangesQuery() {
    if (lesson_.isSaved()) return true;
    prompter_.beep();
    MessageRequest request;
    request.caption = QStringLiteral("警告");
    request.text = QStringLiteral("データが保存されていません。\n保存しますか？");
    request.icon = MessageIcon::Warning;
    request.buttons = {QStringLiteral("はい(&Y)"), QStringLiteral("いいえ(&N)"),
                       QStringLiteral("キャンセル")};
    request.escapeButton = 2;
    switch (prompter_.ask(request)) {
    case 0:
        // A save that fails must not let the caller drop the list after all.
        try {
            saveList();
        } catch (const ENubivuError& e) {
            showErrorReport(prompter_, e.message(), e.fileName());
            return false;
        }
        return lesson_.isSaved();
    case 1: return true;
    default: return false;
    }
}

void MainWindow::closeEvent(QCloseEvent* event) {
    // The editor and the options dialog hold the window disabled while they
    // are open; its close box must not end the program under them. (A close
    // asked for by the program itself, as on a termination signal, still goes.)
    if (!isEnabled() && event->spontaneous()) {
        event->ignore();
        prompter_.beep();
        return;
    }
    if (mayClose()) {
        event->accept();
        playback_->leaveFullScreen();
        playback_->rememberWindowPosition(pos());
        QApplication::quit();
    } else {
        event->ignore();
    }
}

} // namespace nubivu
