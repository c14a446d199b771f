#include "app/helpwindow.h"

#include "ui/glyphs.h"
#include "ui/uifont.h"

#include <QApplication>
#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QHBoxLayout>
#include <QLineEdit>
#include <QListWidget>
#include <QRegularExpression>
#include <QScreen>
#include <QTextBrowser>
#include <QVBoxLayout>

namespace nubivu {

namespace {
const QString kContents = QStringLiteral("contents.html");
const QString kHowTo = QStringLiteral("howto.html");
// The keyword index: lines "keyword<TAB>page#anchor".
const QString kIndex = QStringLiteral("keywords.txt");
} // namespace

HelpWindow::HelpWindow(const QString& folder) : QWidget(nullptr, Qt::Window), folder_(folder) {
    setObjectName(QStringLiteral("HelpWindow"));
    setWindowTitle(QStringLiteral("Nubivu ヘルプ"));
    setWindowIcon(programIcon());
    setFont(designFont(14));

    search_ = new QLineEdit(this);
    search_->setObjectName(QStringLiteral("HelpSearch"));
    search_->setPlaceholderText(QStringLiteral("キーワードを入力してください"));
    index_ = new QListWidget(this);
    index_->setObjectName(QStringLiteral("HelpIndex"));
    browser_ = new QTextBrowser(this);
    browser_->setObjectName(QStringLiteral("HelpBrowser"));
    browser_->setOpenLinks(true);

    auto* side = new QVBoxLayout;
    side->addWidget(search_);
    side->addWidget(index_);
    auto* layout = new QHBoxLayout(this);
    layout->addLayout(side, 1);
    layout->addWidget(browser_, 3);

    connect(search_, &QLineEdit::textChanged, this, &HelpWindow::filterIndex);
    connect(index_, &QListWidget::itemActivated, this,
            [this](QListWidgetItem* item) { showPage(item->data(Qt::UserRole).toString()); });
    connect(index_, &QListWidget::itemClicked, this,
            [this](QListWidgetItem* item) { showPage(item->data(Qt::UserRole).toString()); });
}

void HelpWindow::placeOnScreen() {
    // The first time only: later the window stays where the user put it.
    if (placed_) return;
    placed_ = true;
    const QWidget* active = QApplication::activeWindow();
    QScreen* screen = active ? active->screen() : QGuiApplication::primaryScreen();
    if (!screen) return;
    const QRect available = screen->availableGeometry();
    const QSize wanted(760, 520);
    // Room for the window manager's frame on small screens.
    const QSize size = wanted.boundedTo(available.size() * 9 / 10);
    resize(size);
    move(available.center() - QPoint(size.width() / 2, size.height() / 2));
}

bool HelpWindow::showPage(const QString& page) {
    // The keyword list is there whichever command opened the window.
    if (index_->count() == 0) loadIndex();
    placeOnScreen();
    const QString file = page.section(QLatin1Char('#'), 0, 0);
    const QString path = QDir(folder_).filePath(file);
    if (!QFileInfo::exists(path)) {
        browser_->setHtml(QStringLiteral("<h2>ヘルプが見つかりません</h2><p>ヘルプ ファイル %1 "
                                         "が見つかりません。プログラムと同じフォルダに help "
                                         "フォルダがあるか確かめてください。</p>")
                              .arg(path.toHtmlEscaped()));
        show();
        raise();
        return false;
    }
    browser_->setSearchPaths({folder_});
    browser_->setSource(QUrl::fromLocalFile(path));
    const QString anchor = page.section(QLatin1Char('#'), 1);
    if (!anchor.isEmpty()) browser_->scrollToAnchor(anchor);
    show();
    raise();
    activateWindow();
    return true;
}

void HelpWindow::loadIndex() {
    index_->clear();
    QFile file(QDir(folder_).filePath(kIndex));
    if (!file.open(QIODevice::ReadOnly | QIODevice::Text)) return;
    const QStringList lines = QString::fromUtf8(file.readAll()).split(QLatin1Char('\n'));
    for (const QString& line : lines) {
        const QStringList parts = line.split(QLatin1Char('\t'));
        if (parts.size() != 2 || parts[0].trimmed().isEmpty()) continue;
        auto* item = new QListWidgetItem(parts[0].trimmed(), index_);
        item->setData(Qt::UserRole, parts[1].trimmed());
    }
}

void HelpWindow::filterIndex(const QString& key) {
    for (int i = 0; i < index_->count(); ++i) {
        QListWidgetItem* item = index_->item(i);
        item->setHidden(!item->text().contains(key, Qt::CaseInsensitive));
    }
    for (int i = 0; i < index_->count(); ++i) {
        if (!index_->item(i)->isHidden()) {
            index_->setCurrentRow(i);
            break;
        }
    }
}

void HelpWindow::showContents() { showPage(kContents); }

void HelpWindow::showIndex(const QString& key) {
    loadIndex();
    search_->setText(key);
    filterIndex(key);
    if (showPage(kContents)) search_->setFocus();
}

void HelpWindow::showHelpOnHelp() { showPage(kHowTo); }

} // namespace nubivu
