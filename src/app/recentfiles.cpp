// SPDX-License-Identifier: MIT
#include "app/recentfiles.h"

#include "app/programsettings.h"
#include "ui/prompter.h"

#include <QApplication>
#include <QDir>
#include <QFileInfo>
#include <QMenu>
#include <QSettings>

namespace nubivu {

namespace {
const QString kKey = QStringLiteral("RecentFiles/Files");

QString shownPath(const QString& path) {
    const QString home = QDir::homePath();
    QString shown = path.startsWith(home + u'/') ? u'~' + path.mid(home.size()) : path;
    // A long path keeps its ends, which tell lessons apart.
    constexpr int kMaxChars = 70;
    if (shown.size() > kMaxChars)
        shown = shown.left(20) + QStringLiteral("…") + shown.right(kMaxChars - 21);
    // An ampersand in a name is shown as it is, not taken for an accelerator.
    return shown.replace(u'&', QStringLiteral("&&"));
}
} // namespace

RecentFiles::RecentFiles(QMenu* menu, Prompter& prompter, QObject* parent)
    : QObject(parent), menu_(menu), prompter_(prompter) {
    menu_->setObjectName(QStringLiteral("mnRecentFiles"));
    menu_->setToolTipsVisible(true);
    for (const QString& path : programSettings().value(kKey).toStringList()) {
        if (!path.isEmpty() && !files_.contains(path) && files_.size() < Capacity) files_ << path;
    }
    rebuild();
}

void RecentFiles::add(const QString& path) {
    if (path.isEmpty()) return;
    const QString absolute = QFileInfo(path).absoluteFilePath();
    files_.removeAll(absolute);
    files_.prepend(absolute);
    while (files_.size() > Capacity) files_.removeLast();
    save();
    rebuild();
}

void RecentFiles::remove(const QString& path) {
    if (files_.removeAll(path) == 0) return;
    save();
    rebuild();
}

void RecentFiles::pick(const QString& path) {
    if (QFileInfo(path).isFile()) {
        Q_EMIT picked(path);
        return;
    }
    remove(path);
    MessageRequest request;
    request.caption = QApplication::applicationName();
    request.text =
        QStringLiteral("ファイルが見つかりません。\n最近使ったファイルの一覧から外しました。");
    request.detail = path;
    request.icon = MessageIcon::Warning;
    request.buttons = {QStringLiteral("OK")};
    prompter_.ask(request);
}

void RecentFiles::save() const {
    QSettings settings = programSettings();
    settings.setValue(kKey, files_);
}

void RecentFiles::rebuild() {
    menu_->clear();
    for (int i = 0; i < files_.size(); ++i) {
        const QString path = files_[i];
        QAction* item = menu_->addAction(QStringLiteral("&%1 %2").arg(i + 1).arg(shownPath(path)));
        item->setObjectName(QStringLiteral("mnRecentFile%1").arg(i + 1));
        item->setToolTip(path);
        item->setData(path);
        // Queued: picking rebuilds this menu, which must not happen inside the item's own signal.
        connect(
            item, &QAction::triggered, this, [this, path] { pick(path); }, Qt::QueuedConnection);
    }
    menu_->setEnabled(!files_.isEmpty());
}

} // namespace nubivu
