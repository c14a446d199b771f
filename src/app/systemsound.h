#pragma once
// The desktop's event sounds, by freedesktop sound-theme event name. Playing
// never waits for the sound and is silent where the theme has no such sound.
// Tests install their own player that records the names asked for.
#include <QString>

namespace nubivu {

class SystemSound {
public:
    virtual ~SystemSound() = default;
    virtual void Play(const QString& eventId) = 0;

    static SystemSound& Current();
    // Installs a player (null restores the real one); returns the previous one.
    static SystemSound* Install(SystemSound* player);
};

} // namespace nubivu
