#include "app/systemsound.h"

#include <canberra.h>

namespace nubivu {

// libcanberra: ca_context_play queues the sound and returns at once; a
// missing sound server or theme sound only makes it return an error code.

CanberraSound::~CanberraSound() {
    if (context_) ca_context_destroy(context_);
}

void CanberraSound::play(const QString& eventId) {
    if (!open()) return;
    const QByteArray id = eventId.toUtf8();
    ca_context_play(context_, 0, CA_PROP_EVENT_ID, id.constData(), nullptr);
}

bool CanberraSound::open() {
    if (context_) return true;
    if (failed_) return false;
    if (ca_context_create(&context_) != CA_SUCCESS) {
        context_ = nullptr;
        failed_ = true;
        return false;
    }
    ca_context_change_props(context_, CA_PROP_APPLICATION_NAME, "Nubivu", CA_PROP_APPLICATION_ID,
                            "io.github.nubivu.Nubivu", nullptr);
    return true;
}

} // namespace nubivu
