#pragma once
// What the application hands its windows besides the lesson: its own real
// prompter, sounds and standing towards other copies, or a test's fakes.
// Each outlives the windows.
namespace nubivu {

class Prompter;
class SystemSound;
class ThisCopy;

struct WindowServices {
    Prompter& prompter;
    SystemSound& sound;
    ThisCopy& thisCopy;
};

} // namespace nubivu
