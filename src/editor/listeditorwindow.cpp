#include "editor/listeditorwindow.h"

#include "datalist/gridoperations.h"
#include "editor/datalistmodel.h"
#include "editor/imagefilechooser.h"
#include "ui/menuaction.h"
#include "ui/prompter.h"
#include "ui/uifont.h"
#include "ui/windowframe.h"

#include <QAction>
#include <QCloseEvent>
#include <QFontMetrics>
#include <QGroupBox>
#include <QHeaderView>
#include <QKeyEvent>
#include <QLabel>
#include <QMenuBar>
#include <QPushButton>
#include <QStyle>
#include <QTableView>
#include <algorithm>
#include <cmath>

namespace nubivu {

namespace {
constexpr int kClientHeight = 348;
constexpr int kNumberColumnWidth = 17;
// The number sections' left padding and right border (kFixedStyle).
constexpr int kNumberSectionPadding = 2;
constexpr int kNumberSectionBorder = 1;
const QString kFixedStyle = QStringLiteral(
    "QHeaderView::section { background-color: #008080; color: white; border: 0;"
    " border-right: 1px solid #004040; border-bottom: 1px solid #004040; padding-left: 2px; }");
} // namespace

int numberColumnWidth(const QFontMetrics& metrics, int rowCount) {
    // The designed width holds two digits. From three on, the widest number
    // of that many digits must fit whole between the padding and the border.
    const int digits = int(QString::number(rowCount + 1).size());
    if (digits <= 2) return kNumberColumnWidth;
    QChar widest = u'0';
    for (char16_t d = u'1'; d <= u'9'; ++d)
        if (metrics.boundingRect(QChar(d)).right() > metrics.boundingRect(widest).right())
            widest = QChar(d);
    const QRect ink = metrics.boundingRect(QString(digits, widest));
    const int needed =
        kNumberSectionPadding +
        std::max(ink.right() + 1, metrics.horizontalAdvance(QString(digits, widest))) +
        kNumberSectionBorder + 1;
    return std::max(kNumberColumnWidth, needed);
}

ListEditorWindow::ListEditorWindow(Lesson& lesson, const ScreenMetrics& screen, Prompter& prompter,
                                   QWidget* parent)
    // A dialog-type window: one that the window manager keeps above the main
    // window, which it disables while it is open.
    : QWidget(parent, Qt::Dialog | Qt::CustomizeWindowHint | Qt::WindowTitleHint |
                          Qt::WindowSystemMenuHint | Qt::WindowCloseButtonHint |
                          Qt::MSWindowsFixedSizeDialogHint),
      lesson_(lesson), list_(lesson.rows()), prompter_(prompter) {
    setObjectName(QStringLiteral("frmDataEdit"));
    setWindowTitle(QStringLiteral("編集"));
    setFont(designFont());

    menuBar_ = new QMenuBar(this);
    menuBar_->setObjectName(QStringLiteral("MainMenu1"));
    client_ = new QWidget(this);

    model_ = new DataListModel(list_, this);
    grid_ = new QTableView(client_);
    grid_->setObjectName(QStringLiteral("StringGrid1"));
    grid_->setModel(model_);
    grid_->setEditTriggers(QAbstractItemView::NoEditTriggers);
    grid_->setSelectionMode(QAbstractItemView::SingleSelection);
    grid_->setSelectionBehavior(QAbstractItemView::SelectItems);
    grid_->setHorizontalScrollBarPolicy(Qt::ScrollBarAlwaysOff);
    grid_->setVerticalScrollBarPolicy(Qt::ScrollBarAlwaysOn);
    grid_->setTabKeyNavigation(false);
    grid_->setWordWrap(false);
    grid_->setCornerButtonEnabled(false);
    grid_->horizontalHeader()->setSectionResizeMode(QHeaderView::Fixed);
    grid_->horizontalHeader()->setSectionsClickable(false);
    grid_->horizontalHeader()->setHighlightSections(false);
    grid_->verticalHeader()->setSectionResizeMode(QHeaderView::Fixed);
    grid_->verticalHeader()->setSectionsClickable(false);
    grid_->verticalHeader()->setHighlightSections(false);
    grid_->verticalHeader()->setDefaultSectionSize(20);
    grid_->verticalHeader()->setFixedWidth(kNumberColumnWidth);
    grid_->setStyleSheet(kFixedStyle);
    grid_->setGeometry(8, 0, 616, 281);
    // Cell (0, 0) of the grid sits in the corner between the two headers.
    corner_ = new QLabel(grid_);
    corner_->setAutoFillBackground(true);
    corner_->setStyleSheet(QStringLiteral("background-color: #008080; color: white;"));

    fileNameBox_ = new QGroupBox(QStringLiteral("\u3000ファイル名\u3000"), client_);
    fileNameBox_->setObjectName(QStringLiteral("GroupBox1"));
    fileNameBox_->setGeometry(16, 296, 377, 41);
    fileNameLabel_ = new QLabel(fileNameBox_);
    fileNameLabel_->setObjectName(QStringLiteral("Label1"));
    fileNameLabel_->setTextFormat(Qt::PlainText);
    fileNameLabel_->setGeometry(8, 16, 377 - 16, 14);

    chooseButton_ = new QPushButton(QStringLiteral("読み込み(&O)"), client_);
    chooseButton_->setObjectName(QStringLiteral("BitBtn1"));
    chooseButton_->setToolTip(QStringLiteral("データファイルを指定します。"));
    chooseButton_->setIcon(style()->standardIcon(QStyle::SP_DialogOpenButton));
    closeButton_ = new QPushButton(QStringLiteral("閉じる(&C)"), client_);
    closeButton_->setObjectName(QStringLiteral("BitBtn2"));
    closeButton_->setToolTip(QStringLiteral("このウィンドウを閉じます。"));
    closeButton_->setIcon(style()->standardIcon(QStyle::SP_DialogCloseButton));
    connect(chooseButton_, &QPushButton::clicked, this, &ListEditorWindow::chooseImageFile);
    connect(closeButton_, &QPushButton::clicked, this, &QWidget::close);
    // Enter presses the focused button; elsewhere it goes to chooseButton_, the
    // window's default button (keyPressEvent).
    chooseButton_->setAutoDefault(true);
    closeButton_->setAutoDefault(true);
    connect(grid_, &QAbstractItemView::doubleClicked, this, &ListEditorWindow::chooseImageFile);

    buildMenu();

    // The list's current cell and the view's follow each other.
    connect(grid_->selectionModel(), &QItemSelectionModel::currentChanged, this,
            [this](const QModelIndex& current) {
                if (syncing_ || !current.isValid()) return;
                list_.setCurrent(current.row(), current.column());
            });
    connect(&list_, &DataList::currentChanged, this, [this] { showCurrentCell(); });
    connect(model_, &QAbstractItemModel::modelReset, this, [this] { showCurrentCell(); });
    connect(&list_, &DataList::cellChanged, this, [this] { refresh(); });

    createControls(screen);
    refresh();
}

ListEditorWindow::~ListEditorWindow() {
    // Hidden while the list still exists: hiding lays out the grid's
    // headers, which read the list through the model.
    hide();
}

void ListEditorWindow::buildMenu() {
    auto item = [&](QMenu* menu, const char* name, const QString& text, const QKeySequence& key,
                    auto slot) { return wireAction(this, menu->addAction(text), name, key, slot); };
    fileMenu_ = menuBar_->addMenu(QStringLiteral("ファイル(&F)"));
    fileMenu_->setObjectName(QStringLiteral("File1"));
    chooseAction_ = item(fileMenu_, "mnOpen", QStringLiteral("読み込み(&O)"),
                         QKeySequence(Qt::CTRL | Qt::Key_O), &ListEditorWindow::chooseImageFile);
    folderLessonAction_ = item(fileMenu_, "mnFolderLesson", QStringLiteral("フォルダから作成…"), {},
                               &ListEditorWindow::folderLessonRequested);
    fileMenu_->addSeparator();
    closeAction_ = item(fileMenu_, "mnClose", QStringLiteral("閉じる(&C)"), {}, &QWidget::close);

    editMenu_ = menuBar_->addMenu(QStringLiteral("編集(&E)"));
    editMenu_->setObjectName(QStringLiteral("Edit1"));
    insertCellAction_ = item(editMenu_, "mnInsert", QStringLiteral("挿入"),
                             QKeySequence(Qt::Key_Insert), &ListEditorWindow::insertCell);
    insertRowAction_ = item(editMenu_, "mnGyoInsert", QStringLiteral("１行挿入"),
                            QKeySequence(Qt::SHIFT | Qt::Key_Insert), &ListEditorWindow::insertRow);
    editMenu_->addSeparator();
    clearCellAction_ = item(editMenu_, "mnClear", QStringLiteral("消去"),
                            QKeySequence(Qt::CTRL | Qt::Key_Delete), &ListEditorWindow::clearCell);
    deleteCellAction_ = item(editMenu_, "mnDelete", QStringLiteral("削除"),
                             QKeySequence(Qt::Key_Delete), &ListEditorWindow::deleteCell);
    deleteRowAction_ = item(editMenu_, "mnGyoDelete", QStringLiteral("１行削除"),
                            QKeySequence(Qt::SHIFT | Qt::Key_Delete), &ListEditorWindow::deleteRow);
    editMenu_->addSeparator();
    deleteBlankRowsAction_ = item(editMenu_, "mnBrankGyoDelete", QStringLiteral("空行削除"), {},
                                  &ListEditorWindow::deleteBlankRows);
}

void ListEditorWindow::createControls(const ScreenMetrics& screen) {
    const int width = screen.width > 0 ? screen.width : 640;
    dataColWidth_ = static_cast<int>(std::trunc((width - 41) / 7.0));
    const int menuHeight = menuBar_->sizeHint().height();
    menuBar_->setGeometry(0, 0, width, menuHeight);
    client_->setGeometry(0, menuHeight, width, kClientHeight);
    grid_->setGeometry(8, 0, width - 24, 281);
    chooseButton_->setGeometry(width - 128 - 97, 304, 97, 33);
    closeButton_->setGeometry(width - 16 - 97, 304, 97, 33);
    setFixedSize(width, menuHeight + kClientHeight);
}

void ListEditorWindow::clearList() { nubivu::clearList(lesson_); }
void ListEditorWindow::insertCell() { nubivu::insertCell(lesson_); }
void ListEditorWindow::insertRow() { nubivu::insertRow(lesson_); }
void ListEditorWindow::clearCell() { nubivu::clearCell(lesson_); }
void ListEditorWindow::deleteCell() { nubivu::deleteCell(lesson_); }
void ListEditorWindow::deleteRow() { nubivu::deleteRow(lesson_); }
void ListEditorWindow::deleteBlankRows() { nubivu::deleteBlankRows(lesson_); }

void ListEditorWindow::showCurrentCell() {
    syncing_ = true;
    grid_->setCurrentIndex(model_->indexOf(list_.currentRow(), list_.currentSlot()));
    syncing_ = false;
    refresh();
}

void ListEditorWindow::onActivated() {
    corner_->setText(QStringLiteral("No"));
    model_->setTitles(lesson_.titles());
    refresh();
}

void ListEditorWindow::refresh() {
    fileNameLabel_->setText(list_.cell(list_.currentRow(), list_.currentSlot()));
    const int width = list_.count() >= 10 ? dataColWidth_ - 3 : dataColWidth_;
    QHeaderView* header = grid_->horizontalHeader();
    header->setDefaultSectionSize(width);
    for (int c = 0; c < header->count(); ++c) header->resizeSection(c, width);
    const bool rows = !list_.isEmpty();
    for (QAction* a :
         {clearCellAction_, deleteCellAction_, deleteRowAction_, deleteBlankRowsAction_})
        a->setEnabled(rows);
    // A long list widens the number column; the data columns keep their
    // widths, and the grid then scrolls sideways to reach them.
    const int numbers = numberColumnWidth(grid_->verticalHeader()->fontMetrics(), list_.count());
    grid_->setHorizontalScrollBarPolicy(numbers > kNumberColumnWidth ? Qt::ScrollBarAsNeeded
                                                                     : Qt::ScrollBarAlwaysOff);
    grid_->verticalHeader()->setFixedWidth(numbers);
    corner_->setGeometry(grid_->frameWidth(), grid_->frameWidth(), numbers,
                         grid_->horizontalHeader()->height());
}

void ListEditorWindow::chooseImageFile() {
    if (!chooser_) return;
    chooser_->prepare();
    prompter_.runModal(*chooser_);
    // Back from the modal chooser the editor is active again.
    onActivated();
}

bool ListEditorWindow::event(QEvent* e) {
    if (e->type() == QEvent::WindowActivate) onActivated();
    return QWidget::event(e);
}

void ListEditorWindow::showEvent(QShowEvent* e) {
    makeTransientFor(*this, mainWindow_);
    if (mainWindow_) mainWindow_->setEnabled(false);
    onActivated();
    QWidget::showEvent(e);
    if (!e->spontaneous()) centreOnScreen(*this);
}

void ListEditorWindow::closeEvent(QCloseEvent* e) {
    // The main window never sees the blank rows made here.
    deleteBlankRows();
    e->accept();
    if (mainWindow_) mainWindow_->setEnabled(true);
}

void ListEditorWindow::keyPressEvent(QKeyEvent* e) {
    // chooseButton_ is the window's default button.
    if (e->key() == Qt::Key_Return || e->key() == Qt::Key_Enter) {
        chooseImageFile();
        return;
    }
    QWidget::keyPressEvent(e);
}

} // namespace nubivu
