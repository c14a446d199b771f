#pragma once
// Classroom playback on the main window: the play menu and keys, the speed,
// the end of the list and the hold, the panes' aspect ratio, full screen on
// the projector, and the screensaver held off while a play runs. The choices
// are kept in the program's settings file; with none made, the window plays
// and looks as it always did.
#include "app/playsettings.h"
#include "datalist/imageslot.h"
#include "ui/playkeys.h"

#include <QObject>
#include <array>

class QAction;
class QLabel;
class QMenuBar;
class QTimer;
class QWidget;

namespace nubivu {

class FullScreenView;
class Lesson;
class PicturePane;
class PlayMenu;
class ScreenSaverInhibitor;
class SlideShow;

struct PlaybackParts {
    QWidget* window = nullptr; // the main window
    Lesson* lesson = nullptr;
    SlideShow* slides = nullptr;
    std::array<PicturePane*, MainSlotCount> panes{};
    std::array<QLabel*, MainSlotCount> fileNames{};
    QLabel* speedNote = nullptr; // shows the speed for a moment after a change
    QMenuBar* menuBar = nullptr;
    QAction* menuBefore = nullptr; // the play menu goes in front of it
};

class Playback : public QObject {
    Q_OBJECT
public:
    Playback(const PlaybackParts& parts, const PlaySettings& settings, QObject* parent = nullptr);
    ~Playback() override;

    // What a key or menu item asks; ignored while a title is being edited or
    // another window of the program holds the main window.
    void command(PlayCommand command);

    const PlaySettings& settings() const { return settings_; }
    // Kept in the settings file at once.
    void setSpeed(PlaySpeed speed);
    void setEndOfList(EndOfList mode);
    void setHold(std::chrono::milliseconds hold);
    void setKeepAspect(bool keep);
    // Where the main window's frame is, kept for the next start.
    void rememberWindowPosition(QPoint position);

    void enterFullScreen();
    void leaveFullScreen();
    bool isFullScreen() const;
    FullScreenView& fullScreen() const { return *fullScreen_; }
    PlayMenu& menu() const { return *menu_; }

private:
    bool mayAct() const;
    void showRowFullScreen();
    void noteSpeed();
    void save();

    PlaybackParts p_;
    PlaySettings settings_;
    PlayMenu* menu_;
    FullScreenView* fullScreen_;
    ScreenSaverInhibitor* inhibitor_ = nullptr;
    QTimer* noteTimer_;
};

} // namespace nubivu
