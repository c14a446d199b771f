#pragma once
// The desktop's event sounds, by freedesktop sound-theme event name. Playing
// never waits for the sound and is silent where the theme has no such sound.
// Tests install their own player that records the names asked for.
#include "core/replaceable.h"

#include <QString>

namespace nubivu {

class SystemSound : public Replaceable<SystemSound> {
public:
    virtual ~SystemSound() = default;
    virtual void play(const QString& eventId) = 0;

private:
    friend class Replaceable<SystemSound>;
    static SystemSound& real();
};

} // namespace nubivu
