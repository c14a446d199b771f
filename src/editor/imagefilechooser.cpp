#include "editor/imagefilechooser.h"

#include "datalist/datalist.h"
#include "datalist/datalistfile.h"
#include "datalist/lesson.h"
#include "pictures/formatregistry.h"
#include "ui/errorreport.h"
#include "ui/picturepane.h"
#include "ui/prompter.h"
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

ImageFileChooser::ImageFileChooser(Lesson& lesson, const FormatRegistry& formats,
                                   Prompter& prompter, const DecodeOptions& previewOptions,
                                   QWidget* parent)
    : QDialog(parent, Qt::Dialog | Qt::CustomizeWindowHint | Qt::WindowTitleHint |
                          Qt::WindowSystemMenuHint | Qt::WindowCloseButtonHint |
                          Qt::MSWindowsFixedSizeDialogHint),
      lesson_(lesson), formats_(formats), prompter_(prompter) {
    setObjectName(QStringLiteral("frmFileSelect"));
    setWindowTitle(QStringLiteral("データファイルの選択"));
    setFont(designFont());
    setFixedSize(632, 333);

    auto frame = [&](const char* name, const char* caption, QRect r) {
        auto* box = new QGroupBox(framed(caption), this);
        box->setObjectName(QLatin1String(name));
        box->setGeometry(r);
        return box;
    };
    driveBox_ = frame("GroupBox2", "ドライブ", {8, 8, 225, 41});
    folderBox_ = frame("GroupBox3", "ディレクトリ", {8, 64, 225, 257});
    typeBox_ = frame("GroupBox4", "ファイルの種類", {240, 8, 225, 41});
    fileBox_ = frame("GroupBox1", "ファイルリスト", {240, 64, 225, 257});

    driveCombo_ = new QComboBox(this);
    driveCombo_->setObjectName(QStringLiteral("DriveComboBox1"));
    driveCombo_->setGeometry(16, 24, 209, 18);

    folders_ = new QFileSystemModel(this);
    folders_->setFilter(QDir::AllDirs | QDir::NoDotAndDotDot);
    folderTree_ = new QTreeView(this);
    folderTree_->setObjectName(QStringLiteral("DirectoryOutline1"));
    folderTree_->setGeometry(16, 88, 209, 225);
    folderTree_->setModel(folders_);
    folderTree_->setHeaderHidden(true);
    for (int c = 1; c < folders_->columnCount(); ++c) folderTree_->hideColumn(c);

    typeCombo_ = new QComboBox(this);
    typeCombo_->setObjectName(QStringLiteral("FilterComboBox1"));
    typeCombo_->setGeometry(248, 24, 209, 20);
    for (const FileType& type : kFileTypes)
        typeCombo_->addItem(QString::fromUtf8(type.shown), QString::fromUtf8(type.mask));
    mask_ = QString::fromUtf8(kFileTypes[0].mask);

    fileList_ = new QListWidget(this);
    fileList_->setObjectName(QStringLiteral("FileListBox1"));
    fileList_->setGeometry(248, 88, 209, 225);
    fileList_->setSelectionMode(QAbstractItemView::SingleSelection);

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
    chooseButton_ =
        button("BitBtnYES", QStringLiteral("はい(&Y)"),
               QStringLiteral("選択したファイルだけを選びます。"), 16, QStyle::SP_DialogOkButton);
    chooseAllButton_ = button("BitBtnALL", QStringLiteral("すべて(&A)"),
                              QStringLiteral("ファイルリストにあるファイルをすべて選択します。"),
                              64, QStyle::SP_DialogApplyButton);
    closeButton_ =
        button("BitBtnClose", QStringLiteral("閉じる(&C)"),
               QStringLiteral("このウィンドウを閉じます。"), 112, QStyle::SP_DialogCloseButton);
    chooseButton_->setDefault(true);
    chooseButton_->setEnabled(false);

    previewCheck_ = new QCheckBox(QStringLiteral("画像を表示する"), this);
    previewCheck_->setObjectName(QStringLiteral("CheckBox_View"));
    previewCheck_->setGeometry(480, 160, 113, 17);

    previewPane_ = new PicturePane(this);
    previewPane_->setObjectName(QStringLiteral("ImgView"));
    previewPane_->setGeometry(472, 200, 153, 121);
    previewPane_->picture().setDecodeOptions(previewOptions);
    reportPaintFailures(*previewPane_, prompter_);

    QWidget* order[] = {driveCombo_,   folderTree_,      typeCombo_,   fileList_,
                        chooseButton_, chooseAllButton_, closeButton_, previewCheck_};
    for (size_t i = 1; i < std::size(order); ++i) setTabOrder(order[i - 1], order[i]);

    connect(driveCombo_, &QComboBox::activated, this, &ImageFileChooser::driveChanged);
    connect(folderTree_, &QTreeView::clicked, this,
            [this](const QModelIndex& index) { selectFolder(folders_->filePath(index)); });
    connect(typeCombo_, &QComboBox::activated, this, &ImageFileChooser::filterChanged);
    connect(fileList_, &QListWidget::currentRowChanged, this, &ImageFileChooser::fileChanged);
    connect(previewCheck_, &QCheckBox::clicked, this, &ImageFileChooser::fileChanged);
    connect(fileList_, &QListWidget::itemDoubleClicked, this, [this] {
        // Without a selected file there is nothing to take.
        if (fileList_->currentRow() >= 0) chooseFile();
    });
    connect(chooseButton_, &QPushButton::clicked, this, &ImageFileChooser::chooseFile);
    connect(chooseAllButton_, &QPushButton::clicked, this, &ImageFileChooser::chooseAllFiles);
    connect(closeButton_, &QPushButton::clicked, this, &QDialog::reject);
}

void ImageFileChooser::setDrives(const QStringList& roots) {
    const QSignalBlocker block(driveCombo_);
    driveCombo_->clear();
    for (const QString& root : roots) driveCombo_->addItem(root, root);
}

void ImageFileChooser::prepare() {
    if (!started_) start();
}

void ImageFileChooser::start() {
    started_ = true;
    if (driveCombo_->count() == 0) setDrives(mountedVolumes());
    // The drive that holds the current folder (the deepest volume root above
    // it); its root becomes the folder.
    const QString current = QDir::currentPath();
    QString drive = QStorageInfo(current).rootPath();
    for (int i = 0; i < driveCombo_->count(); ++i) {
        const QString root = driveCombo_->itemData(i).toString();
        const bool holds =
            current == root || current.startsWith(root.endsWith(u'/') ? root : root + u'/');
        if (holds && (root.size() > drive.size() || driveCombo_->findData(drive) < 0)) drive = root;
    }
    showDriveInBox(drive);
    driveChanged();
}

void ImageFileChooser::showDriveInBox(const QString& root) {
    const QSignalBlocker block(driveCombo_);
    int i = driveCombo_->findData(root);
    if (i < 0) {
        driveCombo_->addItem(root, root);
        i = driveCombo_->count() - 1;
    }
    driveCombo_->setCurrentIndex(i);
}

void ImageFileChooser::driveChanged() {
    const QString d = driveCombo_->currentData().toString();
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
        prompter_.ask(request);
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

int ImageFileChooser::switchTreeTo(const QString& root) {
    // The tree takes the drive before it touches the disk.
    treeDrive_ = root;
    const QStorageInfo volume(root);
    if (!QFileInfo(root).isDir() || !volume.isValid() || !volume.isReady()) return kNotReady;
    if (!QFileInfo(root).isReadable() || !QDir::setCurrent(root)) return EACCES;
    const QModelIndex top = folders_->setRootPath(root);
    folderTree_->setRootIndex(top);
    selectFolder(QDir::currentPath());
    return 0;
}

void ImageFileChooser::selectFolder(const QString& folder) {
    if (!QDir::setCurrent(folder)) throw EInOutError(fileErrorMessage(EACCES));
    folder_ = QDir::currentPath();
    folderTree_->setCurrentIndex(folders_->index(folder_));
    folderChanged();
}

void ImageFileChooser::folderChanged() {
    folderTree_->viewport()->update();
    readFileList();
}

void ImageFileChooser::filterChanged(int index) {
    const QString mask = typeCombo_->itemData(index).toString();
    if (mask == mask_) return;
    mask_ = mask;
    readFileList();
}

void ImageFileChooser::readFileList() {
    const QFileInfo folder(folder_);
    if (!folder.isDir() || !folder.isReadable())
        throw EInOutError(fileErrorMessage(folder.exists() ? EACCES : ENOENT));
    // "*.*" is every file, as on the system the masks come from, dotless names included.
    const QString mask = mask_ == QStringLiteral("*.*") ? QStringLiteral("*") : mask_;
    const QStringList files =
        QDir(folder_).entryList({mask}, QDir::Files, QDir::Name | QDir::IgnoreCase);
    {
        const QSignalBlocker block(fileList_);
        fileList_->clear();
        fileList_->addItems(files);
        fileList_->setCurrentRow(-1);
    }
    fileChanged();
}

void ImageFileChooser::fileChanged() {
    const int i = fileList_->currentRow();
    chooseButton_->setEnabled(i >= 0);
    if (!previewing_) return;
    if (i >= 0 && previewCheck_->isChecked()) {
        // A failure goes to the default error report; the preview keeps its picture.
        formats_.loadPicture(previewPane_->picture(), selectedPath());
    } else {
        previewPane_->picture().clear();
    }
    previewPane_->update();
}

QString ImageFileChooser::selectedPath() const {
    const QListWidgetItem* item = fileList_->currentItem();
    if (!item || fileList_->currentRow() < 0) return QString();
    const QString folder = folder_.endsWith(u'/') ? folder_ : folder_ + u'/';
    return folder + item->text();
}

void ImageFileChooser::takeSelected() {
    DataList& list = lesson_.rows();
    const int r = list.currentRow();
    // Taken into the empty row after the last, the path makes a new row, an
    // empty one included.
    if (r == list.count()) list.appendRow();
    list.setCell(r, list.currentSlot(), selectedPath());
    lesson_.markUnsaved();
}

void ImageFileChooser::chooseFile() {
    takeSelected();
    accept();
}

void ImageFileChooser::chooseAllFiles() {
    DataList& list = lesson_.rows();
    previewing_ = false;
    const int n = fileList_->count();
    for (int i = 0; i < n; ++i) {
        fileList_->setCurrentRow(i);
        takeSelected();
        list.setCurrent(list.currentRow() + 1, list.currentSlot());
    }
    previewing_ = true;
    list.setCurrent(0, list.currentSlot());
    accept();
}

} // namespace nubivu
