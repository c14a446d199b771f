#pragma once
// What the user picked for playing, kept between runs in the program's own
// settings file: the speed, what happens at the end of the list, the hold
// on the last row, whether the panes keep the pictures' aspect ratio, and
// where the main window was. The defaults are the program as designed. The
// two fill-in options are not among them: every start begins with them off.
#include "app/programsettings.h"
#include "slideshow/playorder.h"
#include "slideshow/playpacing.h"

#include <QList>
#include <QPoint>
#include <QRect>
#include <QSettings>
#include <optional>

namespace nubivu {

struct PlaySettings {
    PlaySpeed speed;
    EndOfList endOfList = EndOfList::Stop;
    std::chrono::milliseconds hold{0};
    bool keepAspect = false; // "縦横比を保つ"
    // Where the main window's frame was; none: centred as designed.
    std::optional<QPoint> windowPosition;

    bool operator==(const PlaySettings&) const = default;
};

// A value that is missing or not one the program offers reads as its default.
PlaySettings readPlaySettings(const QSettings& settings);
void writePlaySettings(QSettings& settings, const PlaySettings& play);
PlaySettings readPlaySettings();
void writePlaySettings(const PlaySettings& play);

// Where a window of frameSize left at position goes: when the top of its
// frame (where it is grabbed) is on one of the screens, position moved as
// little as needed to bring the whole frame onto that screen; otherwise
// none, so a position remembered from a screen since unplugged is not used.
std::optional<QPoint> reachablePosition(QPoint position, QSize frameSize,
                                        const QList<QRect>& screens);

} // namespace nubivu
