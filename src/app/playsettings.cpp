#include "app/playsettings.h"

#include <algorithm>

namespace nubivu {

namespace {

const QString kSpeed = QStringLiteral("Play/RowsPerSecond");
const QString kEndOfList = QStringLiteral("Play/EndOfList");
const QString kHold = QStringLiteral("Play/HoldMilliseconds");
const QString kKeepAspect = QStringLiteral("MainWindow/KeepAspectRatio");
const QString kPosition = QStringLiteral("MainWindow/Position");

struct ModeName {
    EndOfList mode;
    QLatin1StringView name;
};
constexpr ModeName kModes[] = {{EndOfList::Stop, QLatin1StringView("stop")},
                               {EndOfList::Loop, QLatin1StringView("loop")},
                               {EndOfList::Rock, QLatin1StringView("rock")}};

} // namespace

PlaySettings readPlaySettings(const QSettings& settings) {
    PlaySettings play;
    bool ok = false;
    const double rate = settings.value(kSpeed).toDouble(&ok);
    if (ok) play.speed = PlaySpeed::fromRowsPerSecond(rate).value_or(PlaySpeed());

    const QString mode = settings.value(kEndOfList).toString();
    for (const ModeName& m : kModes)
        if (mode == m.name) play.endOfList = m.mode;

    const qlonglong hold = settings.value(kHold).toLongLong(&ok);
    if (ok && std::ranges::find(PlayOrder::Holds, std::chrono::milliseconds(hold)) !=
                  PlayOrder::Holds.end())
        play.hold = std::chrono::milliseconds(hold);

    play.keepAspect = settings.value(kKeepAspect, false).toBool();
    const QVariant position = settings.value(kPosition);
    if (position.typeId() == QMetaType::QPoint) play.windowPosition = position.toPoint();
    return play;
}

void writePlaySettings(QSettings& settings, const PlaySettings& play) {
    settings.setValue(kSpeed, play.speed.rowsPerSecond());
    for (const ModeName& m : kModes)
        if (play.endOfList == m.mode) settings.setValue(kEndOfList, QString(m.name));
    settings.setValue(kHold, qlonglong(play.hold.count()));
    settings.setValue(kKeepAspect, play.keepAspect);
    if (play.windowPosition)
        settings.setValue(kPosition, *play.windowPosition);
    else
        settings.remove(kPosition);
}

PlaySettings readPlaySettings() { return readPlaySettings(programSettings()); }

void writePlaySettings(const PlaySettings& play) {
    QSettings settings = programSettings();
    writePlaySettings(settings, play);
}

std::optional<QPoint> reachablePosition(QPoint position, QSize frameSize,
                                        const QList<QRect>& screens) {
    // The title bar's strip, less a margin at each end, must meet a screen.
    const int grab = std::min(frameSize.width(), 100);
    const QRect titleBar(position.x() + (frameSize.width() - grab) / 2, position.y(), grab, 20);
    for (const QRect& screen : screens) {
        if (!screen.contains(titleBar)) continue;
        // Then the whole frame is brought onto that screen, as far as it fits:
        // the window may be larger now than when it was left there.
        const int x =
            std::max(screen.left(), std::min(position.x(), screen.right() + 1 - frameSize.width()));
        const int y = std::max(screen.top(),
                               std::min(position.y(), screen.bottom() + 1 - frameSize.height()));
        return QPoint(x, y);
    }
    return std::nullopt;
}

} // namespace nubivu
