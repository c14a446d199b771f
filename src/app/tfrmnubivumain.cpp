#include "app/tfrmnubivumain.h"

#include "app/activationrule.h"
#include "app/helpwindow.h"
#include "app/recentfiles.h"
#include "app/tanimateform.h"
#include "app/tfrmnubivuabort.h"
#include "app/tsingleinstance.h"
#include "core/installdirs.h"
#include "datalist/datalistfile.h"
#include "datalist/gridoperations.h"
#include "datalist/lesson.h"
#include "editor/tfrmdataedit.h"
#include "sitephotos/tfrmkansokuti.h"
#include "slideshow/lessonfile.h"
#include "slideshow/slideshow.h"
#include "slideshow/tfrmoptiondlg.h"
#include "spi/tspis.h"
#include "spi/wine.h"
#include "ui/elidedlabel.h"
#include "ui/errorreport.h"
#include "ui/glyphs.h"
#include "ui/menuaction.h"
#include "ui/prompter.h"
#include "ui/scaling.h"
#include "ui/skippedpluginsreport.h"
#include "ui/timage.h"
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

namespace {
const QString kNewFileSuffix = QStringLiteral("  [ 新しいファイルです ]");
} // namespace

const QString TfrmNubivuMain::BaseCaption = QStringLiteral("Nubivu Ver.3.10");

TfrmNubivuMain::TfrmNubivuMain(Lesson& lesson, const ScreenMetrics& screen, QWidget* parent)
    : QMainWindow(parent, Qt::Window | Qt::CustomizeWindowHint | Qt::WindowTitleHint |
                              Qt::WindowSystemMenuHint | Qt::WindowMinimizeButtonHint |
                              Qt::WindowCloseButtonHint | Qt::MSWindowsFixedSizeDialogHint),
      lesson_(lesson), screen_(screen) {
    setObjectName(QStringLiteral("frmNubivuMain"));
    setWindowTitle(BaseCaption);
    setFont(DesignFont());
    setWindowIcon(ProgramIcon());
    client_ = new QWidget(this);
    client_->setObjectName(QStringLiteral("ClientArea"));
    setCentralWidget(client_);
    buildControls();
    buildMenu();
    buildDialogs();
    buildComponents();
    SlideShowControls controls;
    controls.window = this;
    controls.panes = {ImgKumo, ImgNubivuzu, ImgAme};
    controls.fileNames = {lblKUMO, lblNUBIVUZU, lblAME};
    controls.rowNumber = Label4;
    controls.rowCount = Label6;
    controls.play = BitBtnSaisei;
    controls.stepForward = BitBtnKomaOkuri;
    controls.stop = BitBtnTeisi;
    controls.stepBack = BitBtnKomaModosi;
    controls.back = BitBtnModoru;
    controls.skyPhotos = BitBtnKansokuti;
    controls.quit = BitBtnSyuryo;
    controls.edit = Edit1;
    slideShow_ = new SlideShow(controls, lesson_, this);
    new ActivationRule(this, [this] { FormActivate(); });
    FormCreate();
}

template <class W>
W* TfrmNubivuMain::place(W* widget, const char* name, QRect designed, ScaleKind kind) {
    return layout_.Place(widget, name, designed, kind);
}

void TfrmNubivuMain::buildControls() {
    Bevel1 = place(new QFrame(client_), "Bevel1", {0, 0, 632, 209}, ScaleKind::HeightOnly);
    Bevel1->setFrameStyle(QFrame::Panel | QFrame::Raised);
    Bevel1->setLineWidth(1);

    auto image = [&](const char* name, int left) {
        return place(new TImage(client_), name, {left, 24, 200, 150}, ScaleKind::All);
    };
    ImgKumo = image("ImgKumo", 8);
    ImgNubivuzu = image("ImgNubivuzu", 216);
    ImgAme = image("ImgAme", 424);

    auto label = [&](const char* name, QRect r, const QString& text) {
        auto* l = place(new QLabel(text, client_), name, r, ScaleKind::KeepHeight);
        l->setTextFormat(Qt::PlainText);
        return l;
    };
    // Titles and file names may be longer than their places: cut with "…".
    auto elided = [&](const char* name, QRect r, const QString& text) -> QLabel* {
        return place(new ElidedLabel(text, client_), name, r, ScaleKind::KeepHeight);
    };
    lblKumotitle = elided("lblKumotitle", {16, 184, 72, 12}, QStringLiteral("雲の写真"));
    lblNubivuzuTitle = elided("lblNubivuzuTitle", {224, 184, 72, 12}, QStringLiteral("天気図"));
    lblAmeTitle = elided("lblAmeTitle", {432, 184, 72, 12}, QStringLiteral("雨の分布"));
    lblKUMO = elided("lblKUMO", {92, 184, 116, 12}, QString());
    lblNUBIVUZU = elided("lblNUBIVUZU", {300, 184, 116, 12}, QString());
    lblAME = elided("lblAME", {508, 184, 116, 12}, QString());
    Label4 = label("Label4", {521, 8, 14, 12}, QStringLiteral("???"));
    Label5 = label("Label5", {536, 8, 30, 12}, QStringLiteral("枚目("));
    Label6 = label("Label6", {568, 8, 14, 12}, QStringLiteral("???"));
    Label7 = label("Label7", {584, 8, 30, 12}, QStringLiteral("枚中)"));
    Label4->setAlignment(Qt::AlignRight | Qt::AlignVCenter);
    Label6->setAlignment(Qt::AlignRight | Qt::AlignVCenter);

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
    BitBtnSaisei = button("BitBtnSaisei", 16, 75, QStringLiteral("再生"),
                          QStringLiteral("はじめから連続で再生します。"));
    BitBtnKomaOkuri = button("BitBtnKomaOkuri", 96, 75, QStringLiteral("コマ送り"),
                             QStringLiteral("次のデータを表示します。"));
    BitBtnTeisi = button("BitBtnTeisi", 176, 75, QStringLiteral("停止"),
                         QStringLiteral("再生を停止します。"));
    BitBtnKomaModosi = button("BitBtnKomaModosi", 256, 75, QStringLiteral("コマ戻し"),
                              QStringLiteral("前のデータを表示します。"));
    BitBtnModoru = button("BitBtnModoru", 336, 75, QStringLiteral("戻る"),
                          QStringLiteral("最初のデータに戻ります。"));
    BitBtnKansokuti = button("BitBtnKansokuti", 424, 105, QStringLiteral("観測地の写真"),
                             QStringLiteral("観察した雲の様子を表示します。"));
    BitBtnSyuryo = button("BitBtnSyuryo", 544, 75, QStringLiteral("終了(&C)"),
                          QStringLiteral("プログラムを終了します。"));
    BitBtnSaisei->setIcon(ButtonGlyph(Glyph::Play));
    BitBtnKomaOkuri->setIcon(ButtonGlyph(Glyph::StepForward));
    BitBtnTeisi->setIcon(ButtonGlyph(Glyph::Stop));
    BitBtnKomaModosi->setIcon(ButtonGlyph(Glyph::StepBack));
    BitBtnModoru->setIcon(ButtonGlyph(Glyph::Return));
    connect(BitBtnSyuryo, &QPushButton::clicked, this, &TfrmNubivuMain::mnCloseClick);
    connect(BitBtnSaisei, &QPushButton::clicked, this, &TfrmNubivuMain::BitBtnSaiseiClick);
    connect(BitBtnTeisi, &QPushButton::clicked, this, &TfrmNubivuMain::BitBtnTeisiClick);
    connect(BitBtnKomaOkuri, &QPushButton::clicked, this, &TfrmNubivuMain::BitBtnKomaOkuriClick);
    connect(BitBtnKomaModosi, &QPushButton::clicked, this, &TfrmNubivuMain::BitBtnKomaModosiClick);
    connect(BitBtnModoru, &QPushButton::clicked, this, &TfrmNubivuMain::BitBtnModoruClick);
    connect(BitBtnKansokuti, &QPushButton::clicked, this, &TfrmNubivuMain::BitBtnKansokutiClick);

    auto edit = [&](const char* name, int left) {
        auto* e = place(new QLineEdit(client_), name, {left, 184, 80, 20}, ScaleKind::KeepHeight);
        e->hide();
        return e;
    };
    edtKumoTitle = edit("edtKumoTitle", 16);
    edtNubivuzuTitle = edit("edtNubivuzuTitle", 224);
    edtAmetitle = edit("edtAmetitle", 432);

    QWidget* order[] = {BitBtnSaisei,     BitBtnKomaOkuri, BitBtnTeisi,  BitBtnKomaModosi,
                        BitBtnModoru,     BitBtnKansokuti, BitBtnSyuryo, edtKumoTitle,
                        edtNubivuzuTitle, edtAmetitle};
    for (size_t i = 1; i < std::size(order); ++i) setTabOrder(order[i - 1], order[i]);

    new TitleEditor(lesson_, slotIndex(ImageSlot::Kumo), lblKumotitle, edtKumoTitle, this);
    new TitleEditor(lesson_, slotIndex(ImageSlot::Nubivuzu), lblNubivuzuTitle, edtNubivuzuTitle,
                    this);
    new TitleEditor(lesson_, slotIndex(ImageSlot::Ame), lblAmeTitle, edtAmetitle, this);
}

void TfrmNubivuMain::buildMenu() {
    QMenuBar* bar = menuBar();
    bar->setObjectName(QStringLiteral("MainMenu1"));
    auto action = [&](QAction* a, const char* name, const QKeySequence& key, auto slot) {
        return WireAction(this, a, name, key, slot);
    };

    K1 = bar->addMenu(QStringLiteral("ファイル(&F)"));
    K1->setObjectName(QStringLiteral("K1"));
    connect(K1, &QMenu::aboutToShow, this, &TfrmNubivuMain::K1Click);
    mnNewFile = action(K1->addAction(QStringLiteral("新規作成(&N)")), "mnNewFile",
                       QKeySequence(Qt::CTRL | Qt::Key_N), &TfrmNubivuMain::mnNewFileClick);
    mnFileOpen = action(K1->addAction(QStringLiteral("開く   (&O)")), "mnFileOpen",
                        QKeySequence(Qt::CTRL | Qt::Key_O), &TfrmNubivuMain::mnFileOpenClick);
    mnFileSave = action(K1->addAction(QStringLiteral("保存  (&S)")), "mnFileSave",
                        QKeySequence(Qt::CTRL | Qt::Key_S), &TfrmNubivuMain::mnFileSaveClick);
    // The last lessons come after the designed items that open and save them.
    mnRecentFiles = K1->addMenu(QStringLiteral("最近使ったファイル(&R)"));
    recentFiles_ = new RecentFiles(mnRecentFiles, this);
    connect(recentFiles_, &RecentFiles::Picked, this, [this](const QString& path) {
        if (SaveChangesQuery()) OpenDataListFile(path);
    });
    N1 = K1->addSeparator();
    N1->setObjectName(QStringLiteral("N1"));
    mnClose = action(K1->addAction(QStringLiteral("終了  (&C)")), "mnClose",
                     QKeySequence(Qt::CTRL | Qt::Key_Q), &TfrmNubivuMain::mnCloseClick);

    Edit1 = action(bar->addAction(QStringLiteral("編集(&E)")), "Edit1",
                   QKeySequence(Qt::CTRL | Qt::Key_E), &TfrmNubivuMain::Edit1Click);
    N2 = action(bar->addAction(QStringLiteral("オプション")), "N2", {}, &TfrmNubivuMain::N2Click);

    Help1 = bar->addMenu(QStringLiteral("ヘルプ(&H)"));
    Help1->setObjectName(QStringLiteral("Help1"));
    Contents1 = action(Help1->addAction(QStringLiteral("目次(&C)")), "Contents1", {},
                       &TfrmNubivuMain::Contents1Click);
    SearchforHelpOn1 = action(Help1->addAction(QStringLiteral("ﾄﾋﾟｯｸの検索(&S)...")),
                              "SearchforHelpOn1", {}, &TfrmNubivuMain::SearchforHelpOn1Click);
    HowtoUseHelp1 = action(Help1->addAction(QStringLiteral("ﾍﾙﾌﾟの使い方(&H)")), "HowtoUseHelp1",
                           {}, &TfrmNubivuMain::HowtoUseHelp1Click);
    About1 = action(Help1->addAction(QStringLiteral("ﾊﾞｰｼﾞｮﾝ情報(&A)...")), "About1", {},
                    &TfrmNubivuMain::About1Click);

    // A shortcut of a File item first runs the File menu's own handler, so
    // that Save is judged on the list as it is now, not as it was at the last
    // opening of the menu.
    qApp->installEventFilter(this);
}

void TfrmNubivuMain::buildDialogs() {
    // Qt's own dialogs: the same on every desktop, and answerable in tests.
    OpenDialog1.setOption(QFileDialog::DontUseNativeDialog);
    SaveDialog1.setOption(QFileDialog::DontUseNativeDialog);
    OpenDialog1.setObjectName(QStringLiteral("OpenDialog1"));
    OpenDialog1.setWindowTitle(QStringLiteral("データリストファイルの読み込み"));
    OpenDialog1.setNameFilter(QStringLiteral("ﾃﾞｰﾀﾘｽﾄﾌｧｲﾙ (*.NVD *.NV2)"));
    OpenDialog1.setDefaultSuffix(QStringLiteral("NV2"));
    OpenDialog1.setAcceptMode(QFileDialog::AcceptOpen);
    OpenDialog1.setFileMode(QFileDialog::ExistingFile);

    SaveDialog1.setObjectName(QStringLiteral("SaveDialog1"));
    SaveDialog1.setWindowTitle(QStringLiteral("データリストファイルの保存"));
    SaveDialog1.setNameFilters(
        {QStringLiteral("Ver2形式ﾃﾞｰﾀﾌｧｲﾙ (*.NV2)"), QStringLiteral("Ver1形式ﾃﾞｰﾀﾌｧｲﾙ (*.NVD)")});
    SaveDialog1.setDefaultSuffix(QStringLiteral("NV2"));
    SaveDialog1.setAcceptMode(QFileDialog::AcceptSave);
    SaveDialog1.setFileMode(QFileDialog::AnyFile);
    SaveDialog1.setOption(QFileDialog::DontConfirmOverwrite, false);
    SaveDialog1.setOption(QFileDialog::ReadOnly, false);
    // A name typed without extension takes the one of the chosen file type.
    connect(&SaveDialog1, &QFileDialog::filterSelected, this, [this](const QString& filter) {
        SaveDialog1.setDefaultSuffix(filter.contains(QStringLiteral("*.NVD"))
                                         ? QStringLiteral("NVD")
                                         : QStringLiteral("NV2"));
    });
}

void TfrmNubivuMain::buildComponents() {
    AnimateForm1 = new TAnimateForm(this);
    AnimateForm1->setObjectName(QStringLiteral("AnimateForm1"));
    SingleInstance1 = new TSingleInstance(this);
    SingleInstance1->setObjectName(QStringLiteral("SingleInstance1"));
    SingleInstance1->DupInstAction = diActivateFirst;
    SingleInstance1->ErrorMessage = QStringLiteral("すでに起動されています");
    SingleInstance1->UniqueName = QStringLiteral("Ident6490");
    SingleInstance1->Loaded();
    connect(SingleInstance1, &TSingleInstance::FileHandedOver, this,
            &TfrmNubivuMain::OpenHandedFile);
    setAcceptDrops(true);
}

void TfrmNubivuMain::OpenHandedFile(const QString& path) {
    // While the editor or the options dialog holds the main window disabled,
    // or a modal window is up, Open is out of reach: the list is not swapped
    // under them.
    if (!isEnabled() || QApplication::activeModalWidget()) {
        Prompter::Current().Beep();
        return;
    }
    if (SaveChangesQuery()) OpenDataListFile(path);
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
        if (IsDataListFileName(path) && QFileInfo(path).isFile()) return path;
    }
    return {};
}
} // namespace

void TfrmNubivuMain::dragEnterEvent(QDragEnterEvent* event) {
    if (!droppedDataList(event->mimeData()).isEmpty()) event->acceptProposedAction();
}

void TfrmNubivuMain::dropEvent(QDropEvent* event) {
    const QString path = droppedDataList(event->mimeData());
    if (path.isEmpty()) return;
    event->acceptProposedAction();
    OpenHandedFile(path);
}

void TfrmNubivuMain::FormCreate() {
    FormSakusei();
    setWindowTitle(BaseCaption + kNewFileSuffix);
    HelpWindow::SetHelpFolder(FindHelpFolder());
    createPluginManager();
    // Qt paints every widget double-buffered already: the panes never flicker.
}

TSPISearchOptions TfrmNubivuMain::PluginSearchOptions() {
    // The Susie folder and the program's folder, as designed; the program's
    // folder of an installed copy takes in <prefix>/lib/nubivu/plugins.
    return {TSPISearchOption::spsSusieDir, TSPISearchOption::spsAppDir};
}

void TfrmNubivuMain::createPluginManager() {
    // Wine makes its prefix while the rest starts, not when the first Windows plug-in loads.
    PrepareWineInBackground();
    SPIs1 = new TSPIs(this);
    SPIs1->setObjectName(QStringLiteral("SPIs1"));
    SPIs1->GraphicPreview = false;
    SPIs1->SearchOptions = PluginSearchOptions();
    // A broken library is passed over and named once the window is up.
    SPIs1->SkipFaultyLibraries = true;
    SPIs1->AfterLoad();
    ReportSkippedPluginsWhenShown(*this, *SPIs1);
    ReportSetAsidePlugins();
}

void TfrmNubivuMain::FormSakusei() {
    outerSize_ = MainWindowOuterSize(screen_.width, screen_.scaleFactor);
    layout_.Apply(screen_.scaleFactor);
    fitCounter();
    // The outer size is the frame's; the window manager's frame, once known,
    // comes off it, and the menu bar lives inside what is left.
    delete outerSizeKeeper_;
    outerSizeKeeper_ = new OuterSizeKeeper(this, outerSize_, [this](QSize client) {
        clientSize_ = client;
        setFixedSize(clientSize_);
        // The bevel is aligned to the top: it spans the client width.
        Bevel1->setGeometry(0, 0, clientSize_.width(), Bevel1->height());
    });
}

void TfrmNubivuMain::fitCounter() {
    // "???" and row numbers up to 99999 are shown whole at every scale: the
    // four counter labels keep their places where their texts fit, and
    // otherwise move left from the right end of the last one.
    const QFontMetrics metrics(Label4->font());
    const int number = std::max(metrics.horizontalAdvance(QStringLiteral("99999")),
                                metrics.horizontalAdvance(QStringLiteral("???"))) +
                       2;
    QLabel* const labels[] = {Label4, Label5, Label6, Label7};
    int gaps[3];
    for (int i = 0; i < 3; ++i)
        gaps[i] = std::max(1, labels[i + 1]->x() - labels[i]->geometry().right());
    int right = Label7->geometry().right();
    for (int i = 3; i >= 0; --i) {
        QLabel* l = labels[i];
        const int needed =
            (l == Label4 || l == Label6) ? number : metrics.horizontalAdvance(l->text()) + 2;
        const int width = std::max(l->width(), needed);
        const int placedRight = std::min(l->geometry().right(), right);
        l->setGeometry(placedRight - width + 1, l->y(), width, l->height());
        if (i > 0) right = l->x() - gaps[i - 1];
    }
}

bool TfrmNubivuMain::event(QEvent* e) {
    if (e->type() == QEvent::Show && !shownBefore_) {
        shownBefore_ = true;
        // The start state (buttons off on an empty list) also where no window
        // manager activates the window.
        FormActivate();
    }
    return QMainWindow::event(e);
}

bool TfrmNubivuMain::eventFilter(QObject* watched, QEvent* e) {
    if (e->type() == QEvent::ShortcutOverride) {
        const auto* key = static_cast<QKeyEvent*>(e);
        const QKeySequence pressed(key->keyCombination());
        for (const QAction* item : {mnNewFile, mnFileOpen, mnFileSave, mnClose}) {
            if (item->shortcut() == pressed && QApplication::activeWindow() == this) {
                K1Click();
                break;
            }
        }
    }
    return QMainWindow::eventFilter(watched, e);
}

void TfrmNubivuMain::K1Click() { mnFileSave->setEnabled(lesson_.rows().RowCount() >= 3); }

void TfrmNubivuMain::mnNewFileClick() {
    if (!SaveChangesQuery()) return;
    setWindowTitle(BaseCaption + kNewFileSuffix);
    NewStringGrid(lesson_);
    forgetListPaths();
    listIsNew_ = true;
    // The empty list on show at once: no pictures, counters or sky photos of the list before.
    FormActivate();
    if (peers_.editor) peers_.editor->show();
}

void TfrmNubivuMain::forgetListPaths() {
    // Paths of the list before would fill in this one's empty cells, be
    // written into its file and show its sky photos.
    slideShow_->setLoadedPaths({}, {});
}

void TfrmNubivuMain::mnFileOpenClick() {
    if (!SaveChangesQuery()) return;
    if (!Prompter::Current().RunFileDialog(OpenDialog1)) return;
    const QStringList chosen = OpenDialog1.selectedFiles();
    if (chosen.isEmpty()) return;
    lastFolder_ = QFileInfo(chosen.first()).absolutePath();
    OpenDataListFile(chosen.first());
}

void TfrmNubivuMain::OpenDataListFile(const QString& path) {
    // A file that cannot be read leaves the lesson on show, its file name and
    // saved flag as they were.
    OpenLessonFile(lesson_, path);
    lastFolder_ = QFileInfo(path).absolutePath();
    listIsNew_ = false;
    forgetListPaths();
    recentFiles_->Add(path);
    setWindowTitle(BaseCaption + QStringLiteral("  [ ") + lesson_.filePath() +
                   QStringLiteral(" ]"));
    FormActivate();
    lesson_.setSaved(true);
}

QString TfrmNubivuMain::SaveDialogFolder() const {
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

void TfrmNubivuMain::mnFileSaveClick() {
    SaveDialog1.setDirectory(SaveDialogFolder());
    SaveDialog1.selectFile(DataListBaseName(lesson_.filePath()));
    if (!Prompter::Current().RunFileDialog(SaveDialog1)) return;
    const QStringList chosen = SaveDialog1.selectedFiles();
    if (chosen.isEmpty()) return;
    const QString fileName = chosen.first();
    lastFolder_ = QFileInfo(fileName).absolutePath();
    // The row on show stays where it is, whether the save succeeds or not.
    const SavedLesson saved =
        SaveLessonFile(lesson_, fileName, slideShow_->lastPaths(), slideShow_->fillOptions());
    listIsNew_ = false;
    recentFiles_->Add(fileName);
    slideShow_->setLoadedPaths(saved.rebase(slideShow_->currentPaths()), saved.lastPaths);
    setWindowTitle(BaseCaption + QStringLiteral("  [ ") + fileName + QStringLiteral(" ]"));
    FormActivate();
    lesson_.setSaved(true);
}

void TfrmNubivuMain::mnCloseClick() { close(); }

void TfrmNubivuMain::Edit1Click() {
    if (peers_.editor) peers_.editor->show();
}

void TfrmNubivuMain::N2Click() {
    if (peers_.options) peers_.options->show();
}

void TfrmNubivuMain::FormActivate() { slideShow_->FormActivate(); }
void TfrmNubivuMain::GazoHyoji() { slideShow_->GazoHyoji(); }
void TfrmNubivuMain::BitBtnSaiseiClick() { slideShow_->Play(); }
void TfrmNubivuMain::BitBtnTeisiClick() { slideShow_->Stop(); }
void TfrmNubivuMain::BitBtnKomaOkuriClick() { slideShow_->StepForward(); }
void TfrmNubivuMain::BitBtnKomaModosiClick() { slideShow_->StepBack(); }
void TfrmNubivuMain::BitBtnModoruClick() { slideShow_->Return(); }

void TfrmNubivuMain::BitBtnKansokutiClick() {
    if (!peers_.skyWindow) return;
    peers_.skyWindow->ShowSkyPhotos(slideShow_->currentPaths());
    slideShow_->keepRowOnNextActivation();
}

void TfrmNubivuMain::Contents1Click() { HelpWindow::Instance().ShowContents(); }
void TfrmNubivuMain::SearchforHelpOn1Click() { HelpWindow::Instance().ShowIndex(QString()); }
void TfrmNubivuMain::HowtoUseHelp1Click() { HelpWindow::Instance().ShowHelpOnHelp(); }

void TfrmNubivuMain::About1Click() {
    if (peers_.aboutBox) Prompter::Current().RunModal(*peers_.aboutBox);
}

bool TfrmNubivuMain::FormCloseQuery() { return SaveChangesQuery(); }

bool TfrmNubivuMain::SaveChangesQuery() {
    if (lesson_.isSaved()) return true;
    Prompter& prompter = Prompter::Current();
    prompter.Beep();
    MessageRequest request;
    request.caption = QStringLiteral("警告");
    request.text = QStringLiteral("データが保存されていません。\n保存しますか？");
    request.icon = MessageIcon::Warning;
    request.buttons = {QStringLiteral("はい(&Y)"), QStringLiteral("いいえ(&N)"),
                       QStringLiteral("キャンセル")};
    request.escapeButton = 2;
    switch (prompter.Ask(request)) {
    case 0:
        // A save that fails must not let the caller drop the list after all.
        try {
            mnFileSaveClick();
        } catch (const ENubivuError& e) {
            ShowErrorReport(e.message(), e.fileName());
            return false;
        }
        return lesson_.isSaved();
    case 1: return true;
    default: return false;
    }
}

void TfrmNubivuMain::closeEvent(QCloseEvent* event) {
    // The editor and the options dialog hold the window disabled while they
    // are open; its close box must not end the program under them. (A close
    // asked for by the program itself, as on a termination signal, still goes.)
    if (!isEnabled() && event->spontaneous()) {
        event->ignore();
        Prompter::Current().Beep();
        return;
    }
    if (FormCloseQuery()) {
        event->accept();
        QApplication::quit();
    } else {
        event->ignore();
    }
}

} // namespace nubivu
