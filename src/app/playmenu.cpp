#include "app/playmenu.h"

#include <QActionGroup>
#include <QMenu>
#include <QMenuBar>
#include <QWidget>

namespace nubivu {

namespace {

const char* const kChoice = "choice"; // the value a choice item stands for

struct Ending {
    EndOfList mode;
    const char* text;
};
constexpr Ending kEndings[] = {{EndOfList::Stop, "止まる"},
                               {EndOfList::Loop, "最初から繰り返す"},
                               {EndOfList::Rock, "折り返して往復する"}};

QString holdText(std::chrono::milliseconds hold) {
    if (hold.count() == 0) return QStringLiteral("待たない");
    return QStringLiteral("%1 秒").arg(double(hold.count()) / 1000.0);
}

void checkChoice(QActionGroup* group, const QVariant& value) {
    for (QAction* item : group->actions())
        if (item->property(kChoice) == value) item->setChecked(true);
}

} // namespace

QString speedText(PlaySpeed speed) {
    if (!speed.paced()) return QStringLiteral("読み込みの速さ");
    return QStringLiteral("%1 枚/秒").arg(speed.rowsPerSecond());
}

PlayMenu::PlayMenu(QMenuBar* bar, QAction* before, QWidget* window)
    : QObject(window), window_(window) {
    menu_ = new QMenu(QStringLiteral("再生(&P)"), bar);
    menu_->setObjectName(QStringLiteral("playMenu"));
    bar->insertMenu(before, menu_);

    commandItem(QStringLiteral("再生／停止"), "playOrStopItem", PlayCommand::PlayOrStop);
    menu_->addSeparator();

    QMenu* speedMenu = menu_->addMenu(QStringLiteral("速さ"));
    speedMenu->setObjectName(QStringLiteral("speedMenu"));
    speeds_ = choices(speedMenu);
    std::vector<PlaySpeed> speeds{PlaySpeed::asFastAsLoaded()};
    for (double rate : PlaySpeed::Rates) speeds.push_back(*PlaySpeed::fromRowsPerSecond(rate));
    for (const PlaySpeed& speed : speeds) {
        QAction* item = speedMenu->addAction(speedText(speed));
        item->setProperty(kChoice, speed.rowsPerSecond());
        speeds_->addAction(item)->setCheckable(true);
        connect(item, &QAction::triggered, this, [this, speed] { Q_EMIT speedPicked(speed); });
    }
    commandItem(QStringLiteral("速く"), "fasterItem", PlayCommand::Faster);
    commandItem(QStringLiteral("遅く"), "slowerItem", PlayCommand::Slower);

    QMenu* endMenu = menu_->addMenu(QStringLiteral("最後まで来たら"));
    endMenu->setObjectName(QStringLiteral("endOfListMenu"));
    endings_ = choices(endMenu);
    for (const Ending& ending : kEndings) {
        QAction* item = endMenu->addAction(QString::fromUtf8(ending.text));
        item->setProperty(kChoice, int(ending.mode));
        endings_->addAction(item)->setCheckable(true);
        connect(item, &QAction::triggered, this,
                [this, mode = ending.mode] { Q_EMIT endOfListPicked(mode); });
    }

    QMenu* holdMenu = menu_->addMenu(QStringLiteral("最後の画像で待つ"));
    holdMenu->setObjectName(QStringLiteral("holdMenu"));
    holds_ = choices(holdMenu);
    for (std::chrono::milliseconds hold : PlayOrder::Holds) {
        QAction* item = holdMenu->addAction(holdText(hold));
        item->setProperty(kChoice, qlonglong(hold.count()));
        holds_->addAction(item)->setCheckable(true);
        connect(item, &QAction::triggered, this, [this, hold] { Q_EMIT holdPicked(hold); });
    }
    menu_->addSeparator();

    keepAspect_ = menu_->addAction(QStringLiteral("縦横比を保つ"));
    keepAspect_->setObjectName(QStringLiteral("keepAspectItem"));
    keepAspect_->setCheckable(true);
    connect(keepAspect_, &QAction::triggered, this, &PlayMenu::keepAspectToggled);
    fullScreen_ =
        commandItem(QStringLiteral("全画面表示"), "fullScreenItem", PlayCommand::ToggleFullScreen);
    fullScreen_->setCheckable(true);

    // Keys of the table that have no item of their own.
    for (PlayCommand command : {PlayCommand::StepForward, PlayCommand::StepBack,
                                PlayCommand::FirstRow, PlayCommand::LastRow})
        addHiddenKeys(command, nullptr);
}

QActionGroup* PlayMenu::choices(QMenu* submenu) {
    auto* group = new QActionGroup(submenu);
    group->setExclusive(true);
    return group;
}

QAction* PlayMenu::commandItem(const QString& text, const char* name, PlayCommand command) {
    QAction* item = menu_->addAction(text);
    item->setObjectName(QLatin1String(name));
    connect(item, &QAction::triggered, this, [this, command] { Q_EMIT commandRequested(command); });
    addHiddenKeys(command, item);
    return item;
}

void PlayMenu::addHiddenKeys(PlayCommand command, QAction* item) {
    QList<int> keys = keysForPlayCommand(command);
    if (item && !keys.isEmpty()) {
        // The menu names the first key; it works while the menu is closed too.
        item->setShortcut(QKeySequence(keys.takeFirst()));
        item->setShortcutContext(Qt::WindowShortcut);
        window_->addAction(item);
    }
    if (keys.isEmpty()) return;
    auto* hidden = new QAction(window_);
    QList<QKeySequence> sequences;
    for (int key : keys) sequences << QKeySequence(key);
    hidden->setShortcuts(sequences);
    hidden->setShortcutContext(Qt::WindowShortcut);
    connect(hidden, &QAction::triggered, this,
            [this, command] { Q_EMIT commandRequested(command); });
    window_->addAction(hidden);
}

void PlayMenu::showSettings(const PlaySettings& settings) {
    showSpeed(settings.speed);
    checkChoice(endings_, int(settings.endOfList));
    checkChoice(holds_, qlonglong(settings.hold.count()));
    keepAspect_->setChecked(settings.keepAspect);
}

void PlayMenu::showSpeed(PlaySpeed speed) { checkChoice(speeds_, speed.rowsPerSecond()); }

void PlayMenu::showFullScreen(bool on) { fullScreen_->setChecked(on); }

} // namespace nubivu
