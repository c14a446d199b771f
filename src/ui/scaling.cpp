#include "ui/scaling.h"

#include <QGuiApplication>
#include <QScreen>
#include <algorithm>
#include <cmath>

namespace nubivu {

double scaleFactorFor(int screenWidth) { return double(screenWidth) / DesignWidth; }

ScreenMetrics ScreenMetrics::forWidth(int width, QSize area) {
    if (!area.isValid()) area = QSize(width, width * 3 / 4);
    return {width, scaleFactorFor(width), area};
}

ScreenMetrics ScreenMetrics::ofPrimaryScreen() {
    const QScreen* screen = QGuiApplication::primaryScreen();
    if (!screen) return forWidth(1024);
    ScreenMetrics metrics =
        forWidth(screen->geometry().width(), screen->availableGeometry().size());
    metrics.lowColour = screen->depth() <= 8;
    return metrics;
}

int scaled(int value, double scaleFactor) {
    return static_cast<int>(
        std::trunc(static_cast<long double>(value) * static_cast<long double>(scaleFactor)));
}

QSize mainWindowOuterSize(int screenWidth, double scaleFactor) {
    if (screenWidth >= ThresholdWidth)
        return {scaled(DesignWidth, scaleFactor), scaled(DesignHeight, scaleFactor)};
    return {DesignWidth, DesignHeight};
}

SkyWindowScaling skyWindowScale(int screenWidth, double scaleFactor, QSize area) {
    constexpr QSize designed(640, 405);
    auto outerAt = [&](double f) {
        return screenWidth >= ThresholdWidth || f < scaleFactor
                   ? QSize(scaled(designed.width(), f), scaled(designed.height(), f))
                   : designed;
    };
    if (!area.isValid()) return {scaleFactor, outerAt(scaleFactor)};
    // The width factor is the designed one, taken from the free width (as
    // designed, the window is a pixel or two wider than the screen); the
    // height factor fits the window's outer height into the free height.
    const double fit = std::min({scaleFactor, double(area.width()) / DesignWidth,
                                 double(area.height()) / designed.height()});
    return {fit, outerAt(fit)};
}

QRect scaledGeometry(const QRect& d, ScaleKind kind, double f) {
    switch (kind) {
    case ScaleKind::All:
        return {scaled(d.left(), f), scaled(d.top(), f), scaled(d.width(), f),
                scaled(d.height(), f)};
    case ScaleKind::KeepHeight:
        return {scaled(d.left(), f), scaled(d.top(), f), scaled(d.width(), f), d.height()};
    case ScaleKind::KeepWidth:
        return {scaled(d.left(), f), scaled(d.top(), f), d.width(), scaled(d.height(), f)};
    case ScaleKind::HeightOnly: return {d.left(), d.top(), d.width(), scaled(d.height(), f)};
    case ScaleKind::None: break;
    }
    return d;
}

} // namespace nubivu
