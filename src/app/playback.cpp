#include "app/playback.h"

#include "app/playmenu.h"
#include "app/screensaverinhibitor.h"
#include "core/logging.h"
#include "datalist/lesson.h"
#include "datalist/picturetime.h"
#include "slideshow/slideshow.h"
#include "ui/fullscreenview.h"
#include "ui/picturepane.h"

#include <QApplication>
#include <QLabel>
#include <QLineEdit>
#include <QPushButton>
#include <QTimer>

namespace nubivu {

Playback::Playback(const PlaybackParts& parts, const PlaySettings& settings, QObject* parent)
    : QObject(parent), p_(parts), settings_(settings) {
    menu_ = new PlayMenu(p_.menuBar, p_.menuBefore, p_.window);
    menu_->showSettings(settings_);
    connect(menu_, &PlayMenu::commandRequested, this, &Playback::command);
    connect(menu_, &PlayMenu::speedPicked, this, &Playback::setSpeed);
    connect(menu_, &PlayMenu::endOfListPicked, this, &Playback::setEndOfList);
    connect(menu_, &PlayMenu::holdPicked, this, &Playback::setHold);
    connect(menu_, &PlayMenu::keepAspectToggled, this, &Playback::setKeepAspect);

    p_.slides->setSpeed(settings_.speed);
    p_.slides->setEndOfList(settings_.endOfList);
    p_.slides->setHold(settings_.hold);
    for (PicturePane* pane : p_.panes) pane->setKeepAspect(settings_.keepAspect);

    // A window of its own, parented so that it goes with the main window.
    fullScreen_ = new FullScreenView(p_.window);
    fullScreen_->setWindowFlag(Qt::Window);
    connect(fullScreen_, &FullScreenView::commandRequested, this, &Playback::command);
    connect(p_.slides, &SlideShow::rowShown, this, [this] {
        if (isFullScreen()) showRowFullScreen();
    });

    connect(p_.slides, &SlideShow::playingChanged, this, [this](bool playing) {
        // The session bus is reached for the first play, not at every start.
        if (!inhibitor_) inhibitor_ = new ScreenSaverInhibitor(QDBusConnection::sessionBus(), this);
        if (playing)
            inhibitor_->inhibit();
        else
            inhibitor_->release();
    });

    noteTimer_ = new QTimer(this);
    noteTimer_->setSingleShot(true);
    noteTimer_->setInterval(1500);
    connect(noteTimer_, &QTimer::timeout, p_.speedNote, &QWidget::hide);
}

Playback::~Playback() = default;

bool Playback::mayAct() const {
    // A dialog or the editor holds the window; a title is being typed.
    if (QApplication::activeModalWidget() || !p_.window->isEnabled()) return false;
    return !qobject_cast<QLineEdit*>(QApplication::focusWidget());
}

void Playback::command(PlayCommand command) {
    if (!mayAct()) return;
    SlideShow& slides = *p_.slides;
    // While a play runs the step buttons are away, and so are their keys.
    const bool idle = !slides.playing();
    switch (command) {
    case PlayCommand::StepForward:
        if (idle) slides.stepForward();
        break;
    case PlayCommand::StepBack:
        if (idle) slides.stepBack();
        break;
    case PlayCommand::FirstRow:
        if (idle && slides.currentRow() >= 0) slides.returnToStart();
        break;
    case PlayCommand::LastRow:
        if (idle) slides.goToLastRow();
        break;
    case PlayCommand::PlayOrStop:
        if (!idle)
            slides.stop();
        else if (p_.window->findChild<QPushButton*>(QStringLiteral("BitBtnSaisei"))->isEnabled())
            slides.play();
        break;
    case PlayCommand::Faster: setSpeed(slides.speed().faster()); break;
    case PlayCommand::Slower: setSpeed(slides.speed().slower()); break;
    case PlayCommand::ToggleFullScreen:
        if (isFullScreen())
            leaveFullScreen();
        else
            enterFullScreen();
        break;
    case PlayCommand::LeaveFullScreen: leaveFullScreen(); break;
    }
}

void Playback::setSpeed(PlaySpeed speed) {
    settings_.speed = speed;
    p_.slides->setSpeed(speed);
    menu_->showSpeed(speed);
    noteSpeed();
    save();
}

void Playback::noteSpeed() {
    const QString text = QStringLiteral("速さ: ") + speedText(settings_.speed);
    p_.speedNote->setText(text);
    p_.speedNote->adjustSize();
    p_.speedNote->show();
    p_.speedNote->raise();
    noteTimer_->start();
    if (isFullScreen()) fullScreen_->showNote(text);
}

void Playback::setEndOfList(EndOfList mode) {
    settings_.endOfList = mode;
    p_.slides->setEndOfList(mode);
    save();
}

void Playback::setHold(std::chrono::milliseconds hold) {
    settings_.hold = hold;
    p_.slides->setHold(hold);
    save();
}

void Playback::setKeepAspect(bool keep) {
    settings_.keepAspect = keep;
    for (PicturePane* pane : p_.panes) pane->setKeepAspect(keep);
    save();
}

void Playback::rememberWindowPosition(QPoint position) {
    settings_.windowPosition = position;
    save();
}

void Playback::save() { writePlaySettings(settings_); }

bool Playback::isFullScreen() const { return fullScreen_->isVisible(); }

void Playback::enterFullScreen() {
    if (isFullScreen()) return;
    showRowFullScreen();
    fullScreen_->showOn(p_.window->screen());
    menu_->showFullScreen(true);
}

void Playback::leaveFullScreen() {
    if (!isFullScreen()) return;
    fullScreen_->hide();
    menu_->showFullScreen(false);
    // Back to the designed window on the same row.
    p_.window->raise();
    p_.window->activateWindow();
}

void Playback::showRowFullScreen() {
    std::array<FullScreenPane, FullScreenView::PaneCount> panes;
    for (int i = 0; i < MainSlotCount; ++i) {
        FullScreenPane& pane = panes[size_t(i)];
        try {
            pane.picture = pictureImage(p_.panes[size_t(i)]->picture().graphic());
        } catch (...) {
            // The designed pane reports a bad picture; here it stays black.
            logCaughtFailure(lcPlay(), p_.panes[size_t(i)]->picture().fileName(),
                             "full-screen pane left black");
        }
        pane.title = p_.lesson->titles()[size_t(i)];
        pane.fileName = p_.fileNames[size_t(i)]->text();
    }
    const int rows = p_.lesson->rows().count();
    // The counter as the main window's shows it, from 1.
    const std::optional<QDateTime> time = p_.lesson->rowTime(p_.slides->currentRow());
    fullScreen_->showRow(panes, rows > 0 ? p_.slides->currentRow() + 1 : 0, rows,
                         time ? rowTimeText(*time) : QString());
    // On screen before the row's slot starts, as the designed panes are.
    if (isFullScreen()) fullScreen_->repaint();
}

} // namespace nubivu
