#include "editor/tfrmdataedit.h"

#include "datalist/gridoperations.h"
#include "editor/datalistmodel.h"
#include "editor/tfrmfileselect.h"
#include "ui/menuaction.h"
#include "ui/prompter.h"
#include "ui/uifont.h"
#include "ui/windowframe.h"

#include <QAction>
#include <QCloseEvent>
#include <QGroupBox>
#include <QHeaderView>
#include <QKeyEvent>
#include <QLabel>
#include <QMenuBar>
#include <QPushButton>
#include <QStyle>
#include <QTableView>
#include <cmath>

namespace nubivu {

namespace {
constexpr int kClientHeight = 348;
constexpr int kNumberColumnWidth = 17;
const QString kFixedStyle = QStringLiteral(
    "QHeaderView::section { background-color: #008080; color: white; border: 0;"
    " border-right: 1px solid #004040; border-bottom: 1px solid #004040; padding-left: 2px; }");
} // namespace

TfrmDataEdit::TfrmDataEdit(Lesson& lesson, const ScreenMetrics& screen, QWidget* parent)
    // A dialog-type window: one that the window manager keeps above the main
    // window, which it disables while it is open.
    : QWidget(parent, Qt::Dialog | Qt::CustomizeWindowHint | Qt::WindowTitleHint |
                          Qt::WindowSystemMenuHint | Qt::WindowCloseButtonHint |
                          Qt::MSWindowsFixedSizeDialogHint),
      lesson_(lesson), list_(lesson.rows()) {
    setObjectName(QStringLiteral("frmDataEdit"));
    setWindowTitle(QStringLiteral("編集"));
    setFont(DesignFont());

    MainMenu1 = new QMenuBar(this);
    MainMenu1->setObjectName(QStringLiteral("MainMenu1"));
    client_ = new QWidget(this);

    model_ = new DataListModel(list_, this);
    StringGrid1 = new QTableView(client_);
    StringGrid1->setObjectName(QStringLiteral("StringGrid1"));
    StringGrid1->setModel(model_);
    StringGrid1->setEditTriggers(QAbstractItemView::NoEditTriggers);
    StringGrid1->setSelectionMode(QAbstractItemView::SingleSelection);
    StringGrid1->setSelectionBehavior(QAbstractItemView::SelectItems);
    StringGrid1->setHorizontalScrollBarPolicy(Qt::ScrollBarAlwaysOff);
    StringGrid1->setVerticalScrollBarPolicy(Qt::ScrollBarAlwaysOn);
    StringGrid1->setTabKeyNavigation(false);
    StringGrid1->setWordWrap(false);
    StringGrid1->setCornerButtonEnabled(false);
    StringGrid1->horizontalHeader()->setSectionResizeMode(QHeaderView::Fixed);
    StringGrid1->horizontalHeader()->setSectionsClickable(false);
    StringGrid1->horizontalHeader()->setHighlightSections(false);
    StringGrid1->verticalHeader()->setSectionResizeMode(QHeaderView::Fixed);
    StringGrid1->verticalHeader()->setSectionsClickable(false);
    StringGrid1->verticalHeader()->setHighlightSections(false);
    StringGrid1->verticalHeader()->setDefaultSectionSize(20);
    StringGrid1->verticalHeader()->setFixedWidth(kNumberColumnWidth);
    StringGrid1->setStyleSheet(kFixedStyle);
    StringGrid1->setGeometry(8, 0, 616, 281);
    // Cell (0, 0) of the grid sits in the corner between the two headers.
    corner_ = new QLabel(StringGrid1);
    corner_->setAutoFillBackground(true);
    corner_->setStyleSheet(QStringLiteral("background-color: #008080; color: white;"));

    GroupBox1 = new QGroupBox(QStringLiteral("\u3000ファイル名\u3000"), client_);
    GroupBox1->setObjectName(QStringLiteral("GroupBox1"));
    GroupBox1->setGeometry(16, 296, 377, 41);
    Label1 = new QLabel(GroupBox1);
    Label1->setObjectName(QStringLiteral("Label1"));
    Label1->setTextFormat(Qt::PlainText);
    Label1->setGeometry(8, 16, 377 - 16, 14);

    BitBtn1 = new QPushButton(QStringLiteral("読み込み(&O)"), client_);
    BitBtn1->setObjectName(QStringLiteral("BitBtn1"));
    BitBtn1->setToolTip(QStringLiteral("データファイルを指定します。"));
    BitBtn1->setIcon(style()->standardIcon(QStyle::SP_DialogOpenButton));
    BitBtn2 = new QPushButton(QStringLiteral("閉じる(&C)"), client_);
    BitBtn2->setObjectName(QStringLiteral("BitBtn2"));
    BitBtn2->setToolTip(QStringLiteral("このウィンドウを閉じます。"));
    BitBtn2->setIcon(style()->standardIcon(QStyle::SP_DialogCloseButton));
    connect(BitBtn1, &QPushButton::clicked, this, &TfrmDataEdit::BitBtn1Click);
    connect(BitBtn2, &QPushButton::clicked, this, &QWidget::close);
    // Enter presses the focused button; elsewhere it goes to BitBtn1, the
    // window's default button (keyPressEvent).
    BitBtn1->setAutoDefault(true);
    BitBtn2->setAutoDefault(true);
    connect(StringGrid1, &QAbstractItemView::doubleClicked, this, &TfrmDataEdit::BitBtn1Click);

    buildMenu();

    // The list's current cell and the view's follow each other.
    connect(StringGrid1->selectionModel(), &QItemSelectionModel::currentChanged, this,
            [this](const QModelIndex& current) {
                if (syncing_ || !current.isValid()) return;
                list_.SetCurrent(current.column() + 1, current.row() + 1);
            });
    connect(&list_, &DataList::currentChanged, this, [this] { showCurrentCell(); });
    connect(model_, &QAbstractItemModel::modelReset, this, [this] { showCurrentCell(); });
    connect(&list_, &DataList::cellChanged, this, [this] { FormPaint(); });

    FormCreate(screen);
    FormPaint();
}

TfrmDataEdit::~TfrmDataEdit() {
    // Hidden while the list still exists: hiding lays out the grid's
    // headers, which read the list through the model.
    hide();
}

void TfrmDataEdit::buildMenu() {
    auto item = [&](QMenu* menu, const char* name, const QString& text, const QKeySequence& key,
                    auto slot) { return WireAction(this, menu->addAction(text), name, key, slot); };
    File1 = MainMenu1->addMenu(QStringLiteral("ファイル(&F)"));
    File1->setObjectName(QStringLiteral("File1"));
    mnOpen = item(File1, "mnOpen", QStringLiteral("読み込み(&O)"),
                  QKeySequence(Qt::CTRL | Qt::Key_O), &TfrmDataEdit::BitBtn1Click);
    File1->addSeparator();
    mnClose = item(File1, "mnClose", QStringLiteral("閉じる(&C)"), {}, &QWidget::close);

    Edit1 = MainMenu1->addMenu(QStringLiteral("編集(&E)"));
    Edit1->setObjectName(QStringLiteral("Edit1"));
    mnInsert = item(Edit1, "mnInsert", QStringLiteral("挿入"), QKeySequence(Qt::Key_Insert),
                    &TfrmDataEdit::CellInsert);
    mnGyoInsert = item(Edit1, "mnGyoInsert", QStringLiteral("１行挿入"),
                       QKeySequence(Qt::SHIFT | Qt::Key_Insert), &TfrmDataEdit::GyoInsert);
    Edit1->addSeparator();
    mnClear = item(Edit1, "mnClear", QStringLiteral("消去"),
                   QKeySequence(Qt::CTRL | Qt::Key_Delete), &TfrmDataEdit::CellClear);
    mnDelete = item(Edit1, "mnDelete", QStringLiteral("削除"), QKeySequence(Qt::Key_Delete),
                    &TfrmDataEdit::CellDelete);
    mnGyoDelete = item(Edit1, "mnGyoDelete", QStringLiteral("１行削除"),
                       QKeySequence(Qt::SHIFT | Qt::Key_Delete), &TfrmDataEdit::GyoDelete);
    Edit1->addSeparator();
    mnBrankGyoDelete = item(Edit1, "mnBrankGyoDelete", QStringLiteral("空行削除"), {},
                            &TfrmDataEdit::BrankGyoDelete);
}

void TfrmDataEdit::FormCreate(const ScreenMetrics& screen) {
    const int width = screen.width > 0 ? screen.width : 640;
    dataColWidth_ = static_cast<int>(std::trunc((width - 41) / 7.0));
    const int menuHeight = MainMenu1->sizeHint().height();
    MainMenu1->setGeometry(0, 0, width, menuHeight);
    client_->setGeometry(0, menuHeight, width, kClientHeight);
    StringGrid1->setGeometry(8, 0, width - 24, 281);
    BitBtn1->setGeometry(width - 128 - 97, 304, 97, 33);
    BitBtn2->setGeometry(width - 16 - 97, 304, 97, 33);
    setFixedSize(width, menuHeight + kClientHeight);
}

void TfrmDataEdit::NewStringGrid() { nubivu::NewStringGrid(lesson_); }
void TfrmDataEdit::CellInsert() { nubivu::CellInsert(lesson_); }
void TfrmDataEdit::GyoInsert() { nubivu::GyoInsert(lesson_); }
void TfrmDataEdit::CellClear() { nubivu::CellClear(lesson_); }
void TfrmDataEdit::CellDelete() { nubivu::CellDelete(lesson_); }
void TfrmDataEdit::GyoDelete() { nubivu::GyoDelete(lesson_); }
void TfrmDataEdit::BrankGyoDelete() { nubivu::BrankGyoDelete(lesson_); }

void TfrmDataEdit::showCurrentCell() {
    syncing_ = true;
    StringGrid1->setCurrentIndex(model_->IndexOf(list_.Col(), list_.Row()));
    syncing_ = false;
    FormPaint();
}

void TfrmDataEdit::FormActivate() {
    list_.SetCell(0, 0, QStringLiteral("No"));
    const SlotPaths& titles = lesson_.titles();
    for (int s = 0; s < SlotCount; ++s) list_.SetCell(s + 1, 0, titles[static_cast<size_t>(s)]);
    list_.SetCell(0, 1, QStringLiteral("1"));
    StringGrid1->verticalHeader()->setFixedWidth(kNumberColumnWidth);
    FormPaint();
}

void TfrmDataEdit::FormPaint() {
    Label1->setText(list_.Cell(list_.Col(), list_.Row()));
    const int width = list_.RowCount() >= 12 ? dataColWidth_ - 3 : dataColWidth_;
    QHeaderView* header = StringGrid1->horizontalHeader();
    header->setDefaultSectionSize(width);
    for (int c = 0; c < header->count(); ++c) header->resizeSection(c, width);
    const bool rows = list_.RowCount() >= 3;
    for (QAction* a : {mnClear, mnDelete, mnGyoDelete, mnBrankGyoDelete}) a->setEnabled(rows);
    StringGrid1->verticalHeader()->setFixedWidth(kNumberColumnWidth);
    corner_->setText(list_.Cell(0, 0));
    corner_->setGeometry(StringGrid1->frameWidth(), StringGrid1->frameWidth(), kNumberColumnWidth,
                         StringGrid1->horizontalHeader()->height());
}

void TfrmDataEdit::BitBtn1Click() {
    if (!chooser_) return;
    chooser_->prepare();
    Prompter::Current().RunModal(*chooser_);
    // Back from the modal chooser the editor is active again.
    FormActivate();
}

bool TfrmDataEdit::event(QEvent* e) {
    if (e->type() == QEvent::WindowActivate) FormActivate();
    return QWidget::event(e);
}

void TfrmDataEdit::showEvent(QShowEvent* e) {
    MakeTransientFor(*this, mainWindow_);
    if (mainWindow_) mainWindow_->setEnabled(false);
    FormActivate();
    QWidget::showEvent(e);
    if (!e->spontaneous()) CentreOnScreen(*this);
}

void TfrmDataEdit::closeEvent(QCloseEvent* e) {
    // The main window never sees the blank rows made here.
    BrankGyoDelete();
    e->accept();
    if (mainWindow_) mainWindow_->setEnabled(true);
}

void TfrmDataEdit::keyPressEvent(QKeyEvent* e) {
    // BitBtn1 is the window's default button.
    if (e->key() == Qt::Key_Return || e->key() == Qt::Key_Enter) {
        BitBtn1Click();
        return;
    }
    QWidget::keyPressEvent(e);
}

} // namespace nubivu
