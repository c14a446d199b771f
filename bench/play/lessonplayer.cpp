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
    : windows_(std::make_unique<LessonWindows>(ScreenMetrics::forWidth(screenWidth))) {
    Window().show();
}

LessonPlayer::~LessonPlayer() = default;

MainWindow& LessonPlayer::Window() const { return windows_->mainWindow(); }
SlideShow& LessonPlayer::Show() const { return Window().Slides(); }

void LessonPlayer::SetRows(const std::vector<RowFiles>& files, int count) {
    DataList& list = windows_->lesson().rows();
    list.SetRowCount(2);
    std::vector<SlotPaths> rows(static_cast<size_t>(count));
    for (int r = 0; r < count; ++r)
        for (int s = 0; s < 3; ++s)
            rows[size_t(r)][size_t(s)] = files[size_t(r) % files.size()][size_t(s)];
    list.AppendDataRows(std::move(rows));
    // As after opening a list: row 1 on show.
    Window().onActivated();
    // On screen and painted before anything is timed, as a user sees the
    // window before pressing play: the first paint of a new window is not a
    // row's cost.
    QCoreApplication::processEvents();
    Window().repaint();
}

int LessonPlayer::RowCount() const { return windows_->lesson().rows().DataRowCount(); }

QSize LessonPlayer::PaneSize() const {
    const auto* pane = Window().findChild<QWidget*>(QStringLiteral("ImgKumo"));
    return pane ? pane->size() : QSize();
}

double LessonPlayer::PlayToEnd() {
    Show().setSpeed(PlaySpeed::AsFastAsLoaded());
    Show().setEndOfList(EndOfList::Stop);
    Window().returnToStart(); // row 1, outside the timing
    QElapsedTimer clock;
    clock.start();
    Window().play();
    while (Show().Playing()) QCoreApplication::processEvents(QEventLoop::WaitForMoreEvents);
    const double ms = double(clock.nsecsElapsed()) / 1e6;
    if (Show().currentRow() != RowCount()) {
        std::fprintf(stderr, "play ended on row %d of %d\n", Show().currentRow(), RowCount());
        std::exit(1);
    }
    return ms;
}

} // namespace playbench
