#include "ui/playkeys.h"

#include <Qt>

namespace nubivu {

namespace {

struct KeyBinding {
    Qt::Key key;
    PlayCommand command;
};

constexpr KeyBinding kBindings[] = {
    {Qt::Key_Right, PlayCommand::StepForward},
    {Qt::Key_PageDown, PlayCommand::StepForward},
    {Qt::Key_Left, PlayCommand::StepBack},
    {Qt::Key_PageUp, PlayCommand::StepBack},
    {Qt::Key_Home, PlayCommand::FirstRow},
    {Qt::Key_End, PlayCommand::LastRow},
    {Qt::Key_F5, PlayCommand::PlayOrStop},
    {Qt::Key_Plus, PlayCommand::Faster},
    // "+" without Shift on keyboards that put it above "=".
    {Qt::Key_Equal, PlayCommand::Faster},
    {Qt::Key_Minus, PlayCommand::Slower},
    {Qt::Key_F11, PlayCommand::ToggleFullScreen},
    {Qt::Key_Escape, PlayCommand::LeaveFullScreen},
};

} // namespace

QList<int> keysForPlayCommand(PlayCommand command) {
    QList<int> keys;
    for (const KeyBinding& b : kBindings)
        if (b.command == command) keys << b.key;
    return keys;
}

std::optional<PlayCommand> playCommandForKey(int key) {
    for (const KeyBinding& b : kBindings)
        if (b.key == key) return b.command;
    return std::nullopt;
}

} // namespace nubivu
