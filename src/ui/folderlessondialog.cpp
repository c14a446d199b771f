#include "ui/folderlessondialog.h"

#include "datalist/picturetime.h"
#include "ui/prompter.h"
#include "ui/uifont.h"

#include <QButtonGroup>
#include <QDialogButtonBox>
#include <QFileInfo>
#include <QGridLayout>
#include <QGroupBox>
#include <QGuiApplication>
#include <QHeaderView>
#include <QKeyEvent>
#include <QLabel>
#include <QLineEdit>
#include <QPushButton>
#include <QRadioButton>
#include <QScreen>
#include <QSignalBlocker>
#include <QTableWidget>
#include <QVBoxLayout>

namespace nubivu {

QString skipReasonText(SkipReason reason) {
    switch (reason) {
    case SkipReason::Unreadable: return QStringLiteral("読めない形式です");
    case SkipReason::Undated: return QStringLiteral("時刻がわかりません");
    }
    return {};
}

QString folderProblemText(FolderProblem problem, const QString& folder) {
    switch (problem) {
    case FolderProblem::None: return {};
    case FolderProblem::NoLeadFolder: return QStringLiteral("基準のフォルダを選んでください。");
    case FolderProblem::MissingFolder:
        return QStringLiteral("フォルダがありません: %1").arg(folder);
    case FolderProblem::NoDatedLeadPicture:
        return QStringLiteral("基準のフォルダに時刻のわかる画像がありません: %1").arg(folder);
    }
    return {};
}

namespace {
QTableWidget* makeTable(QWidget* parent, const char* name, const QStringList& headers) {
    auto* table = new QTableWidget(0, int(headers.size()), parent);
    table->setObjectName(QLatin1String(name));
    table->setHorizontalHeaderLabels(headers);
    table->setEditTriggers(QAbstractItemView::NoEditTriggers);
    table->setSelectionBehavior(QAbstractItemView::SelectRows);
    table->verticalHeader()->setDefaultSectionSize(table->fontMetrics().height() + 4);
    table->horizontalHeader()->setStretchLastSection(true);
    // Column widths from the first rows: a day of 10-minute pictures must not wait on measuring.
    table->horizontalHeader()->setResizeContentsPrecision(100);
    return table;
}

QTableWidgetItem* item(const QString& text, const QString& tip = {}) {
    auto* i = new QTableWidgetItem(text);
    if (!tip.isEmpty()) i->setToolTip(tip);
    return i;
}
} // namespace

FolderLessonDialog::FolderLessonDialog(const SlotPaths& titles, PictureProbe probe,
                                       Prompter& prompter, QWidget* parent)
    : QDialog(parent), probe_(std::move(probe)), prompter_(prompter), titles_(titles) {
    setObjectName(QStringLiteral("frmFolderLesson"));
    setWindowTitle(QStringLiteral("フォルダから作成"));
    setFont(designFont());
    setAttribute(Qt::WA_QuitOnClose, false);

    auto* layout = new QVBoxLayout(this);
    auto* intro = new QLabel(
        QStringLiteral("スロットごとに画像のフォルダを選んでください。基準の画像1枚が1行に"
                       "なり、ほかの欄にはその時刻に有効な画像が入ります。"),
        this);
    intro->setWordWrap(true);
    layout->addWidget(intro);

    auto* folders = new QGroupBox(QStringLiteral("フォルダ"), this);
    folders->setObjectName(QStringLiteral("folderBox"));
    auto* grid = new QGridLayout(folders);
    grid->addWidget(new QLabel(QStringLiteral("基準"), folders), 0, 0);
    leadGroup_ = new QButtonGroup(this);
    for (int slot = 0; slot < SlotCount; ++slot) {
        const QString key = slotKey(ImageSlot(slot));
        auto* lead = new QRadioButton(titles_[size_t(slot)], folders);
        lead->setObjectName(key + QStringLiteral("Lead"));
        leadGroup_->addButton(lead, slot);
        leadButtons_[size_t(slot)] = lead;
        auto* edit = new QLineEdit(folders);
        edit->setObjectName(key + QStringLiteral("Folder"));
        edit->setMinimumWidth(edit->fontMetrics().horizontalAdvance(QLatin1Char('M')) * 32);
        folderEdits_[size_t(slot)] = edit;
        auto* browse = new QPushButton(QStringLiteral("参照..."), folders);
        browse->setObjectName(key + QStringLiteral("Browse"));
        grid->addWidget(lead, slot + 1, 0);
        grid->addWidget(edit, slot + 1, 1);
        grid->addWidget(browse, slot + 1, 2);
        connect(edit, &QLineEdit::editingFinished, this, &FolderLessonDialog::updatePreview);
        connect(browse, &QPushButton::clicked, this, [this, slot] { chooseFolder(slot); });
    }
    grid->setColumnStretch(1, 1);
    // Folders are typed one after another; the browse and lead buttons come after them.
    QWidget* previous = folderEdits_[0];
    for (QWidget* next : folderEdits_) {
        if (next != previous) setTabOrder(previous, next);
        previous = next;
    }
    leadButtons_[0]->setChecked(true);
    connect(leadGroup_, &QButtonGroup::idToggled, this, [this](int, bool on) {
        if (on) updatePreview();
    });
    layout->addWidget(folders);

    QStringList headers{QStringLiteral("時刻")};
    for (const QString& title : titles_) headers << title;
    layout->addWidget(new QLabel(QStringLiteral("作られる行"), this));
    rowsTable_ = makeTable(this, "previewRows", headers);
    layout->addWidget(rowsTable_, 3);
    layout->addWidget(new QLabel(QStringLiteral("除外したファイル"), this));
    skippedTable_ =
        makeTable(this, "skippedFiles",
                  {QStringLiteral("欄"), QStringLiteral("ファイル"), QStringLiteral("理由")});
    layout->addWidget(skippedTable_, 1);
    summary_ = new QLabel(this);
    summary_->setObjectName(QStringLiteral("previewSummary"));
    summary_->setWordWrap(true);
    layout->addWidget(summary_);

    auto* buttons = new QDialogButtonBox(this);
    makeButton_ = buttons->addButton(QStringLiteral("作成"), QDialogButtonBox::AcceptRole);
    makeButton_->setObjectName(QStringLiteral("makeButton"));
    QPushButton* cancel =
        buttons->addButton(QStringLiteral("キャンセル"), QDialogButtonBox::RejectRole);
    cancel->setObjectName(QStringLiteral("cancelButton"));
    connect(buttons, &QDialogButtonBox::accepted, this, &QDialog::accept);
    connect(buttons, &QDialogButtonBox::rejected, this, &QDialog::reject);
    layout->addWidget(buttons);

    // Room for a day of rows at a glance, within the screen of the window it comes from.
    const QScreen* screen = parent ? parent->screen() : QGuiApplication::primaryScreen();
    if (screen) {
        const QRect room = screen->availableGeometry();
        resize(std::min(room.width() * 9 / 10, std::max(sizeHint().width(), 1100)),
               std::min(room.height() * 85 / 100, 800));
    }
    folderEdits_[0]->setFocus();

    folderDialog_.setOption(QFileDialog::DontUseNativeDialog);
    folderDialog_.setObjectName(QStringLiteral("folderDialog"));
    folderDialog_.setFileMode(QFileDialog::Directory);
    folderDialog_.setOption(QFileDialog::ShowDirsOnly);
    folderDialog_.setWindowTitle(QStringLiteral("フォルダの選択"));

    updatePreview();
}

void FolderLessonDialog::setChoice(const SlotPaths& folders, ImageSlot lead) {
    {
        const QSignalBlocker quiet(leadGroup_);
        leadButtons_[size_t(slotIndex(lead))]->setChecked(true);
    }
    for (int slot = 0; slot < SlotCount; ++slot)
        folderEdits_[size_t(slot)]->setText(folders[size_t(slot)]);
    updatePreview();
}

void FolderLessonDialog::setFolder(ImageSlot slot, const QString& folder) {
    folderEdits_[size_t(slotIndex(slot))]->setText(folder);
    updatePreview();
}

QString FolderLessonDialog::folder(ImageSlot slot) const {
    return folderEdits_[size_t(slotIndex(slot))]->text().trimmed();
}

ImageSlot FolderLessonDialog::lead() const {
    for (int slot = 0; slot < SlotCount; ++slot)
        if (leadButtons_[size_t(slot)]->isChecked()) return ImageSlot(slot);
    return ImageSlot::Cloud;
}

void FolderLessonDialog::keyPressEvent(QKeyEvent* event) {
    // Enter in a folder's field shows its preview and goes on to the next
    // field; only 作成 itself makes the rows, after they were seen.
    const bool enter = event->key() == Qt::Key_Return || event->key() == Qt::Key_Enter;
    if (enter &&
        std::find(folderEdits_.begin(), folderEdits_.end(), focusWidget()) != folderEdits_.end()) {
        focusNextChild();
        return;
    }
    QDialog::keyPressEvent(event);
}

void FolderLessonDialog::chooseFolder(int slot) {
    const QString current = folderEdits_[size_t(slot)]->text().trimmed();
    if (!current.isEmpty()) folderDialog_.setDirectory(current);
    if (!prompter_.runFileDialog(folderDialog_)) return;
    const QStringList chosen = folderDialog_.selectedFiles();
    if (chosen.isEmpty()) return;
    // The next slot's folder is most likely a sibling of this one.
    folderDialog_.setDirectory(QFileInfo(chosen.first()).absolutePath());
    setFolder(ImageSlot(slot), chosen.first());
}

void FolderLessonDialog::updatePreview() {
    SlotPaths folders;
    for (int slot = 0; slot < SlotCount; ++slot) folders[size_t(slot)] = folder(ImageSlot(slot));
    made_ = makeFolderLesson(folders, lead(), probe_);
    showPreview();
}

void FolderLessonDialog::showPreview() {
    rowsTable_->setUpdatesEnabled(false);
    rowsTable_->setRowCount(int(made_.rows.size()));
    for (int row = 0; row < int(made_.rows.size()); ++row) {
        const FolderLessonRow& r = made_.rows[size_t(row)];
        rowsTable_->setItem(row, 0, item(r.time.toString(QStringLiteral("yyyy-MM-dd HH:mm:ss"))));
        for (int slot = 0; slot < SlotCount; ++slot) {
            const QString& path = r.paths[size_t(slot)];
            rowsTable_->setItem(row, slot + 1, item(QFileInfo(path).fileName(), path));
        }
    }
    rowsTable_->resizeColumnsToContents();
    rowsTable_->setUpdatesEnabled(true);

    skippedTable_->setUpdatesEnabled(false);
    skippedTable_->setRowCount(int(made_.skipped.size()));
    for (int row = 0; row < int(made_.skipped.size()); ++row) {
        const SkippedPicture& s = made_.skipped[size_t(row)];
        skippedTable_->setItem(row, 0, item(titles_[size_t(slotIndex(s.slot))]));
        skippedTable_->setItem(row, 1, item(QFileInfo(s.path).fileName(), s.path));
        skippedTable_->setItem(row, 2, item(skipReasonText(s.reason)));
    }
    skippedTable_->resizeColumnsToContents();
    skippedTable_->setUpdatesEnabled(true);

    if (made_.problem != FolderProblem::None)
        summary_->setText(folderProblemText(made_.problem, made_.problemFolder));
    else
        summary_->setText(QStringLiteral("%1行を作ります（%2 から %3、除外 %4件）")
                              .arg(made_.rows.size())
                              .arg(rowTimeText(made_.rows.front().time))
                              .arg(rowTimeText(made_.rows.back().time))
                              .arg(made_.skipped.size()));
    makeButton_->setEnabled(made_.problem == FolderProblem::None);
}

} // namespace nubivu
