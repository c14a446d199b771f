#pragma once
// The keys of classroom playback, as one table: what viewers and presentation
// remotes send (Page Up/Down, F5, Esc, B) and the arrows, Home, End, + and -.
// The main window and the full-screen view read the same table.
#include <QList>
#include <optional>

namespace nubivu {

enum class PlayCommand {
    StepForward,
    StepBack,
    FirstRow,
    LastRow,
    PlayOrStop,
    Faster,
    Slower,
    ToggleFullScreen,
    LeaveFullScreen,
};

// The command a key stands for (a Qt::Key), or none.
std::optional<PlayCommand> playCommandForKey(int key);
// The keys (Qt::Key) that stand for command, first the one a menu names.
QList<int> keysForPlayCommand(PlayCommand command);

} // namespace nubivu
