#include "editor/tfrmfileselect.h"

#include "datalist/datalist.h"
#include "datalist/datalistfile.h"
#include "datalist/lesson.h"
#include "pictures/fileformats.h"
#include "ui/prompter.h"
#include "ui/timage.h"
#include "ui/uifont.h"
#include "ui/windowframe.h"

#include <QCheckBox>
#include <QComboBox>
#include <QDir>
#include <QFileSystemModel>
#include <QGroupBox>
#include <QHeaderView>
#include <QListWidget>
#include <QPushButton>
#include <QSignalBlocker>
#include <QStorageInfo>
#include <QStyle>
#include <QTreeView>
#include <cerrno>

namespace nubivu {

namespace {

constexpr int kNotReady = 21;

struct FileType {
    const char* shown;
    const char* mask;
};
const FileType kFileTypes[] = {
    {"BMPﾌｧｲﾙ(*.BMP)", "*.BMP"},
    {"JPEGﾌｧｲﾙ(*.JPG)", "*.JPG"},
    {"すべてのﾌｧｲﾙ (*.*)", "*.*"},
};

QString framed(const char* caption) {
    return QStringLiteral("\u3000") + QString::fromUtf8(caption) + QStringLiteral("\u3000");
}

QStringList mountedVolumes() {
    QStringList roots;
    for (const QStorageInfo& volume : QStorageInfo::mountedVolumes())
        if (volume.isValid() && volume.isReady() && !roots.contains(volume.rootPath()))
            roots << volume.rootPath();
    roots.sort();
    return roots;
}

} // namespace

TfrmFileSelect::TfrmFileSelect(Lesson& lesson, QWidget* parent)
    : QDialog(parent, Qt::Dialog | Qt::CustomizeWindowHint | Qt::WindowTitleHint |
                          Qt::WindowSystemMenuHint | Qt::WindowCloseButtonHint |
                          Qt::MSWindowsFixedSizeDialogHint),
      lesson_(lesson) {
    setObjectName(QStringLiteral("frmFileSelect"));
    setWindowTitle(QStringLiteral("データファイルの選択"));
    setFont(DesignFont());
    setFixedSize(632, 333);

    auto frame = [&](const char* name, const char* caption, QRect r) {
        auto* box = new QGroupBox(framed(caption), this);
        box->setObjectName(QLatin1String(name));
        box->setGeometry(r);
        return box;
    };
    GroupBox2 = frame("GroupBox2", "ドライブ", {8, 8, 225, 41});
    GroupBox3 = frame("GroupBox3", "ディレクトリ", {8, 64, 225, 257});
    GroupBox4 = frame("GroupBox4", "ファイルの種類", {240, 8, 225, 41});
    GroupBox1 = frame("GroupBox1", "ファイルリスト", {240, 64, 225, 257});

    DriveComboBox1 = new QComboBox(this);
    DriveComboBox1->setObjectName(QStringLiteral("DriveComboBox1"));
    DriveComboBox1->setGeometry(16, 24, 209, 18);

    folders_ = new QFileSystemModel(this);
    folders_->setFilter(QDir::AllDirs | QDir::NoDotAndDotDot);
    DirectoryOutline1 = new QTreeView(this);
    DirectoryOutline1->setObjectName(QStringLiteral("DirectoryOutline1"));
    DirectoryOutline1->setGeometry(16, 88, 209, 225);
    DirectoryOutline1->setModel(folders_);
    DirectoryOutline1->setHeaderHidden(true);
    for (int c = 1; c < folders_->columnCount(); ++c) DirectoryOutline1->hideColumn(c);

    FilterComboBox1 = new QComboBox(this);
    FilterComboBox1->setObjectName(QStringLiteral("FilterComboBox1"));
    FilterComboBox1->setGeometry(248, 24, 209, 20);
    for (const FileType& type : kFileTypes)
        FilterComboBox1->addItem(QString::fromUtf8(type.shown), QString::fromUtf8(type.mask));
    mask_ = QString::fromUtf8(kFileTypes[0].mask);

    FileListBox1 = new QListWidget(this);
    FileListBox1->setObjectName(QStringLiteral("FileListBox1"));
    FileListBox1->setGeometry(248, 88, 209, 225);
    FileListBox1->setSelectionMode(QAbstractItemView::SingleSelection);

    auto button = [&](const char* name, const QString& text, const QString& hint, int top,
                      QStyle::StandardPixmap icon) {
        auto* b = new QPushButton(text, this);
        b->setObjectName(QLatin1String(name));
        b->setToolTip(hint);
        b->setGeometry(472, top, 75, 25);
        b->setAutoDefault(false);
        b->setIcon(style()->standardIcon(icon));
        return b;
    };
    BitBtnYES =
        button("BitBtnYES", QStringLiteral("はい(&Y)"),
               QStringLiteral("選択したファイルだけを選びます。"), 16, QStyle::SP_DialogOkButton);
    BitBtnALL = button("BitBtnALL", QStringLiteral("すべて(&A)"),
                       QStringLiteral("ファイルリストにあるファイルをすべて選択します。"), 64,
                       QStyle::SP_DialogApplyButton);
    BitBtnClose =
        button("BitBtnClose", QStringLiteral("閉じる(&C)"),
               QStringLiteral("このウィンドウを閉じます。"), 112, QStyle::SP_DialogCloseButton);
    BitBtnYES->setDefault(true);
    BitBtnYES->setEnabled(false);

    CheckBox_View = new QCheckBox(QStringLiteral("画像を表示する"), this);
    CheckBox_View->setObjectName(QStringLiteral("CheckBox_View"));
    CheckBox_View->setGeometry(480, 160, 113, 17);

    ImgView = new TImage(this);
    ImgView->setObjectName(QStringLiteral("ImgView"));
    ImgView->setGeometry(472, 200, 153, 121);

    QWidget* order[] = {DriveComboBox1, DirectoryOutline1, FilterComboBox1, FileListBox1,
                        BitBtnYES,      BitBtnALL,         BitBtnClose,     CheckBox_View};
    for (size_t i = 1; i < std::size(order); ++i) setTabOrder(order[i - 1], order[i]);

    connect(DriveComboBox1, &QComboBox::activated, this, &TfrmFileSelect::DriveComboBox1Change);
    connect(DirectoryOutline1, &QTreeView::clicked, this,
            [this](const QModelIndex& index) { SelectFolder(folders_->filePath(index)); });
    connect(FilterComboBox1, &QComboBox::activated, this, &TfrmFileSelect::filterChanged);
    connect(FileListBox1, &QListWidget::currentRowChanged, this,
            &TfrmFileSelect::FileListBox1Change);
    connect(CheckBox_View, &QCheckBox::clicked, this, &TfrmFileSelect::FileListBox1Change);
    connect(FileListBox1, &QListWidget::itemDoubleClicked, this, [this] {
        // Without a selected file there is nothing to take.
        if (FileListBox1->currentRow() >= 0) BitBtnYESClick();
    });
    connect(BitBtnYES, &QPushButton::clicked, this, &TfrmFileSelect::BitBtnYESClick);
    connect(BitBtnALL, &QPushButton::clicked, this, &TfrmFileSelect::BitBtnALLClick);
    connect(BitBtnClose, &QPushButton::clicked, this, &QDialog::reject);
}

void TfrmFileSelect::SetDrives(const QStringList& roots) {
    const QSignalBlocker block(DriveComboBox1);
    DriveComboBox1->clear();
    for (const QString& root : roots) DriveComboBox1->addItem(root, root);
}

void TfrmFileSelect::prepare() {
    if (!started_) start();
}

void TfrmFileSelect::start() {
    started_ = true;
    if (DriveComboBox1->count() == 0) SetDrives(mountedVolumes());
    // The drive that holds the current folder (the deepest volume root above
    // it); its root becomes the folder.
    const QString current = QDir::currentPath();
    QString drive = QStorageInfo(current).rootPath();
    for (int i = 0; i < DriveComboBox1->count(); ++i) {
        const QString root = DriveComboBox1->itemData(i).toString();
        const bool holds =
            current == root || current.startsWith(root.endsWith(u'/') ? root : root + u'/');
        if (holds && (root.size() > drive.size() || DriveComboBox1->findData(drive) < 0))
            drive = root;
    }
    showDriveInBox(drive);
    DriveComboBox1Change();
}

void TfrmFileSelect::showDriveInBox(const QString& root) {
    const QSignalBlocker block(DriveComboBox1);
    int i = DriveComboBox1->findData(root);
    if (i < 0) {
        DriveComboBox1->addItem(root, root);
        i = DriveComboBox1->count() - 1;
    }
    DriveComboBox1->setCurrentIndex(i);
}

void TfrmFileSelect::DriveComboBox1Change() {
    const QString d = DriveComboBox1->currentData().toString();
    const QString p = treeDrive_;
    if (d == p) return;
    const int error = switchTreeTo(d);
    if (error == 0) return;
    if (error == kNotReady) {
        MessageRequest request;
        request.caption = QStringLiteral("情報");
        request.text =
            d + QStringLiteral("ドライブにアクセスできません。\nディスクを確かめて下さい。");
        request.icon = MessageIcon::Information;
        request.buttons = {QStringLiteral("OK")};
        Prompter::Current().Ask(request);
    }
    // Back to the previous drive; when that has gone too, settle on the root
    // folder rather than alternate between two failing drives.
    const QString fallback = p.isEmpty() ? QStringLiteral("/") : p;
    if (switchTreeTo(fallback) == 0) {
        showDriveInBox(fallback);
        return;
    }
    switchTreeTo(QStringLiteral("/"));
    showDriveInBox(QStringLiteral("/"));
}

int TfrmFileSelect::switchTreeTo(const QString& root) {
    // The tree takes the drive before it touches the disk.
    treeDrive_ = root;
    const QStorageInfo volume(root);
    if (!QFileInfo(root).isDir() || !volume.isValid() || !volume.isReady()) return kNotReady;
    if (!QFileInfo(root).isReadable() || !QDir::setCurrent(root)) return EACCES;
    const QModelIndex top = folders_->setRootPath(root);
    DirectoryOutline1->setRootIndex(top);
    SelectFolder(QDir::currentPath());
    return 0;
}

void TfrmFileSelect::SelectFolder(const QString& folder) {
    if (!QDir::setCurrent(folder)) throw EInOutError(FileErrorMessage(EACCES));
    folder_ = QDir::currentPath();
    DirectoryOutline1->setCurrentIndex(folders_->index(folder_));
    DirectoryOutline1Change();
}

void TfrmFileSelect::DirectoryOutline1Change() {
    DirectoryOutline1->viewport()->update();
    readFileList();
}

void TfrmFileSelect::filterChanged(int index) {
    const QString mask = FilterComboBox1->itemData(index).toString();
    if (mask == mask_) return;
    mask_ = mask;
    readFileList();
}

void TfrmFileSelect::readFileList() {
    const QFileInfo folder(folder_);
    if (!folder.isDir() || !folder.isReadable())
        throw EInOutError(FileErrorMessage(folder.exists() ? EACCES : ENOENT));
    // "*.*" is every file, as on the system the masks come from, dotless names included.
    const QString mask = mask_ == QStringLiteral("*.*") ? QStringLiteral("*") : mask_;
    const QStringList files =
        QDir(folder_).entryList({mask}, QDir::Files, QDir::Name | QDir::IgnoreCase);
    {
        const QSignalBlocker block(FileListBox1);
        FileListBox1->clear();
        FileListBox1->addItems(files);
        FileListBox1->setCurrentRow(-1);
    }
    FileListBox1Change();
}

void TfrmFileSelect::FileListBox1Change() {
    const int i = FileListBox1->currentRow();
    BitBtnYES->setEnabled(i >= 0);
    if (!previewing_) return;
    if (i >= 0 && CheckBox_View->isChecked()) {
        // A failure goes to the default error report; the preview keeps its picture.
        LoadPicture(ImgView->Picture(), selectedPath());
    } else {
        ImgView->Picture().Clear();
    }
    ImgView->update();
}

QString TfrmFileSelect::selectedPath() const {
    const QListWidgetItem* item = FileListBox1->currentItem();
    if (!item || FileListBox1->currentRow() < 0) return QString();
    const QString folder = folder_.endsWith(u'/') ? folder_ : folder_ + u'/';
    return folder + item->text();
}

void TfrmFileSelect::takeSelected() {
    DataList& list = lesson_.rows();
    const int c = list.Col();
    const int r = list.Row();
    list.SetCell(c, r, selectedPath());
    if (r == list.RowCount() - 1) list.AppendNumberedRow();
    lesson_.markUnsaved();
}

void TfrmFileSelect::BitBtnYESClick() {
    takeSelected();
    accept();
}

void TfrmFileSelect::BitBtnALLClick() {
    DataList& list = lesson_.rows();
    previewing_ = false;
    const int n = FileListBox1->count();
    for (int i = 0; i < n; ++i) {
        FileListBox1->setCurrentRow(i);
        takeSelected();
        list.SetCurrent(list.Col(), list.Row() + 1);
    }
    previewing_ = true;
    list.SetCurrent(list.Col(), 1);
    accept();
}

} // namespace nubivu
