#pragma once
// Plays nothing; remembers the sound events asked for. Handed to the windows
// in place of the desktop's sounds.
#include "app/systemsound.h"

#include <QStringList>

namespace nubivu::test {

class RecordingSound : public SystemSound {
public:
    void play(const QString& eventId) override { played << eventId; }
    QStringList played;
};

} // namespace nubivu::test
