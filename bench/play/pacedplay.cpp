#include "pacedplay.h"

#include "app/mainwindow.h"
#include "lessonplayer.h"
#include "processprobe.h"
#include "slideshow/slideshow.h"

#include <QCoreApplication>
#include <QMetaObject>
#include <algorithm>
#include <cstdio>
#include <cstdlib>

using namespace nubivu;

namespace playbench {

PacedPlayResult playPaced(LessonPlayer& player, double rowsPerSecond, int playedRows,
                          const std::vector<int>& samplePoints) {
    SlideShow& show = player.show();
    const std::optional<PlaySpeed> speed = PlaySpeed::fromRowsPerSecond(rowsPerSecond);
    if (!speed) {
        std::fprintf(stderr, "%g rows a second is not a speed the program offers\n", rowsPerSecond);
        std::exit(2);
    }
    show.setSpeed(*speed);
    // Looping keeps a row decoded ahead at the last sample as at the others.
    show.setEndOfList(EndOfList::Loop);
    show.setHold({});

    PacedPlayResult result;
    result.slotMs = double(speed->slot().count()) / 1e6;
    int shown = 0;
    QObject context;
    QObject::connect(&show, &SlideShow::rowShown, &context, [&] {
        if (!show.playing()) return;
        ++shown;
        if (std::find(samplePoints.begin(), samplePoints.end(), shown) != samplePoints.end()) {
            result.residentMb.push_back(residentMegabytes());
            result.peakMb.push_back(peakResidentMegabytes());
        }
        // The show takes the row's time once it is painted in full, after
        // this signal: read it at the next pass of the event loop, which
        // comes before the next row's timer.
        QMetaObject::invokeMethod(
            &context,
            [&] {
                result.latenessMs.push_back(double(show.lastLateness().count()) / 1e6);
                if (int(result.latenessMs.size()) == playedRows) show.stop();
            },
            Qt::QueuedConnection);
    });

    player.window().returnToStart();
    player.window().play();
    while (show.playing()) QCoreApplication::processEvents(QEventLoop::WaitForMoreEvents);
    QCoreApplication::processEvents(); // a reading still queued
    show.setSpeed(PlaySpeed::asFastAsLoaded());
    show.setEndOfList(EndOfList::Stop);
    return result;
}

} // namespace playbench
