#pragma once
// Keeps the screensaver and screen blanking away while a play runs, through
// the desktop's org.freedesktop.ScreenSaver service. Where there is no
// session bus or no such service it does nothing, silently: the play runs
// all the same.
#include <QDBusConnection>
#include <QObject>
#include <QString>
#include <optional>

namespace nubivu {

class ScreenSaverInhibitor : public QObject {
    Q_OBJECT
public:
    explicit ScreenSaverInhibitor(QDBusConnection bus = QDBusConnection::sessionBus(),
                                  QObject* parent = nullptr);
    // Gives back an inhibition still held.
    ~ScreenSaverInhibitor() override;

    // Asks the service to hold the screensaver off; once while held.
    void inhibit();
    // Lets it run again; a reply still on its way is given back when it comes.
    void release();
    // The service granted the inhibition and it is still held.
    bool held() const { return cookie_.has_value(); }

Q_SIGNALS:
    // The service's answer came (granted or not); for tests.
    void answered();

private:
    void unInhibit(uint cookie);

    QDBusConnection bus_;
    bool wanted_ = false;
    bool asking_ = false;
    std::optional<uint> cookie_;
};

} // namespace nubivu
