#include "lessonplayer.h"

#include "app/lessonwindows.h"
#include "app/mainwindow.h"
#include "slideshow/slideshow.h"

#include <QCoreApplication>
#include <QElapsedTimer>
#include <QWidget>
#include <cstdio>
#include <cstdlib>

using namespace nubivu;

namespace playbench {

LessonPlayer::LessonPlayer(int screenWidth)
    : windows_(std::make_unique<LessonWindows>(ScreenMetrics::forWidth(screenWidth),
                                               WindowServices{prompter_, sound_, thisCopy_})) {
    window().show();
}

LessonPlayer::~LessonPlayer() = default;

MainWindow& LessonPlayer::window() const { return windows_->mainWindow(); }
SlideShow& LessonPlayer::show() const { return window().slides(); }

void LessonPlayer::setRows(const std::vector<RowFiles>& files, int count) {
    DataList& list = windows_->lesson().rows();
    list.clear();
    std::vector<SlotPaths> rows(static_cast<size_t>(count));
    for (int r = 0; r < count; ++r)
        for (int s = 0; s < 3; ++s)
            rows[size_t(r)][size_t(s)] = files[size_t(r) % files.size()][size_t(s)];
    list.appendRows(std::move(rows));
    // As after opening a list: the first row on show.
    window().onActivated();
    // On screen and painted before anything is timed, as a user sees the
    // window before pressing play: the first paint of a new window is not a
    // row's cost.
    QCoreApplication::processEvents();
    window().repaint();
}

int LessonPlayer::rowCount() const { return windows_->lesson().rows().count(); }

QSize LessonPlayer::paneSize() const {
    const auto* pane = window().findChild<QWidget*>(QStringLiteral("ImgKumo"));
    return pane ? pane->size() : QSize();
}

double LessonPlayer::playToEnd() {
    show().setSpeed(PlaySpeed::asFastAsLoaded());
    show().setEndOfList(EndOfList::Stop);
    window().returnToStart(); // the first row, outside the timing
    QElapsedTimer clock;
    clock.start();
    window().play();
    while (show().playing()) QCoreApplication::processEvents(QEventLoop::WaitForMoreEvents);
    const double ms = double(clock.nsecsElapsed()) / 1e6;
    if (show().currentRow() != rowCount() - 1) {
        std::fprintf(stderr, "play ended on row %d of %d\n", show().currentRow() + 1, rowCount());
        std::exit(1);
    }
    return ms;
}

} // namespace playbench
