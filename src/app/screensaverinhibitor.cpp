#include "app/screensaverinhibitor.h"

#include <QDBusMessage>
#include <QDBusPendingCallWatcher>
#include <QDBusPendingReply>

namespace nubivu {

namespace {

const QString kService = QStringLiteral("org.freedesktop.ScreenSaver");
const QString kPath = QStringLiteral("/org/freedesktop/ScreenSaver");
const QString kInterface = QStringLiteral("org.freedesktop.ScreenSaver");
// A hung service must not keep a reply pending for long.
constexpr int kTimeoutMs = 2000;

} // namespace

ScreenSaverInhibitor::ScreenSaverInhibitor(QDBusConnection bus, QObject* parent)
    : QObject(parent), bus_(std::move(bus)) {}

ScreenSaverInhibitor::~ScreenSaverInhibitor() {
    if (cookie_) unInhibit(*cookie_);
}

void ScreenSaverInhibitor::inhibit() {
    wanted_ = true;
    if (cookie_ || asking_ || !bus_.isConnected()) return;
    QDBusMessage call =
        QDBusMessage::createMethodCall(kService, kPath, kInterface, QStringLiteral("Inhibit"));
    call << QStringLiteral("Nubivu") << QStringLiteral("スライドショーの再生中");
    // Asynchronous: starting a play never waits for the desktop.
    auto* watcher = new QDBusPendingCallWatcher(bus_.asyncCall(call, kTimeoutMs), this);
    asking_ = true;
    connect(watcher, &QDBusPendingCallWatcher::finished, this, [this](QDBusPendingCallWatcher* w) {
        w->deleteLater();
        asking_ = false;
        const QDBusPendingReply<uint> reply = *w;
        if (!reply.isError()) {
            if (wanted_)
                cookie_ = reply.value();
            else
                unInhibit(reply.value()); // the play ended meanwhile
        }
        Q_EMIT answered();
    });
}

void ScreenSaverInhibitor::release() {
    wanted_ = false;
    if (!cookie_) return;
    unInhibit(*cookie_);
    cookie_.reset();
}

void ScreenSaverInhibitor::unInhibit(uint cookie) {
    QDBusMessage call =
        QDBusMessage::createMethodCall(kService, kPath, kInterface, QStringLiteral("UnInhibit"));
    call << cookie;
    bus_.send(call);
}

} // namespace nubivu
