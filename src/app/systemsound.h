#pragma once
// The desktop's event sounds, by freedesktop sound-theme event name. Playing
// never waits for the sound and is silent where the theme has no such sound.
// The application owns the real player and hands it to the main window;
// tests hand it one that records the names asked for.
#include <QString>

struct ca_context;

namespace nubivu {

class SystemSound {
public:
    virtual ~SystemSound() = default;
    virtual void play(const QString& eventId) = 0;
};

// The real one, through libcanberra.
class CanberraSound : public SystemSound {
public:
    CanberraSound() = default;
    ~CanberraSound() override;
    CanberraSound(const CanberraSound&) = delete;
    CanberraSound& operator=(const CanberraSound&) = delete;

    void play(const QString& eventId) override;

private:
    // Opened at the first sound; false when there is no sound server to open.
    bool open();

    ca_context* context_ = nullptr;
    bool failed_ = false;
};

} // namespace nubivu
