#include "app/systemsound.h"

#include <canberra.h>

namespace nubivu {

namespace {

// libcanberra: ca_context_play queues the sound and returns at once; a
// missing sound server or theme sound only makes it return an error code.
class CanberraSound : public SystemSound {
public:
    ~CanberraSound() override {
        if (context_) ca_context_destroy(context_);
    }
    void play(const QString& eventId) override {
        if (!open()) return;
        const QByteArray id = eventId.toUtf8();
        ca_context_play(context_, 0, CA_PROP_EVENT_ID, id.constData(), nullptr);
    }

private:
    bool open() {
        if (context_) return true;
        if (failed_) return false;
        if (ca_context_create(&context_) != CA_SUCCESS) {
            context_ = nullptr;
            failed_ = true;
            return false;
        }
        ca_context_change_props(context_, CA_PROP_APPLICATION_NAME, "Nubivu",
                                CA_PROP_APPLICATION_ID, "io.github.nubivu.Nubivu", nullptr);
        return true;
    }

    ca_context* context_ = nullptr;
    bool failed_ = false;
};

} // namespace

SystemSound& SystemSound::real() {
    static CanberraSound real;
    return real;
}

} // namespace nubivu
