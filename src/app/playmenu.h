#pragma once
// The play menu of the main window ("再生(P)", before the help menu): play
// and stop, the speed, what happens at the end of the list and the hold
// there, keeping the pictures' aspect ratio, and full screen. Its items and
// the keys of the play table (the arrows, Page Up/Down, Home, End, F5, + and
// -, F11) are the window's shortcuts; the menu only reports what was picked.
#include "app/playsettings.h"
#include "ui/playkeys.h"

#include <QObject>
#include <vector>

class QAction;
class QActionGroup;
class QMenu;
class QMenuBar;
class QWidget;

namespace nubivu {

// "4 枚/秒", or "読み込みの速さ" for as fast as the pictures load.
QString speedText(PlaySpeed speed);

class PlayMenu : public QObject {
    Q_OBJECT
public:
    // Inserts the menu into bar before the item before; the shortcuts go to window.
    PlayMenu(QMenuBar* bar, QAction* before, QWidget* window);

    QMenu* menu() const { return menu_; }
    // Checks the items that match.
    void showSettings(const PlaySettings& settings);
    void showSpeed(PlaySpeed speed);
    void showFullScreen(bool on);

Q_SIGNALS:
    void commandRequested(nubivu::PlayCommand command);
    void speedPicked(nubivu::PlaySpeed speed);
    void endOfListPicked(nubivu::EndOfList mode);
    void holdPicked(std::chrono::milliseconds hold);
    void keepAspectToggled(bool keep);

private:
    QAction* commandItem(const QString& text, const char* name, PlayCommand command);
    void addHiddenKeys(PlayCommand command, QAction* item);
    QActionGroup* choices(QMenu* submenu);

    QWidget* window_;
    QMenu* menu_;
    QActionGroup* speeds_;
    QActionGroup* endings_;
    QActionGroup* holds_;
    QAction* keepAspect_;
    QAction* fullScreen_;
};

} // namespace nubivu
