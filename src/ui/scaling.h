#pragma once
// Layout scaling to the screen: every designed coordinate is multiplied by
// ScaleFactor and truncated toward zero, the product taken in extended
// precision (which is why 1920 wide gives 1919, not 1920).
#include "pictures/graphic.h"

#include <QRect>
#include <QSize>

namespace nubivu {

inline constexpr int DesignWidth = 639;
inline constexpr int DesignHeight = 313;
inline constexpr int ThresholdWidth = 640;

double scaleFactorFor(int screenWidth);

// The screen the windows lay themselves out on, read once at start-up.
struct ScreenMetrics {
    int width = 0;            // logical width of the primary screen
    double scaleFactor = 1.0; // width / DesignWidth
    QSize area;               // the part of the screen free for windows
    bool lowColour = false;   // 256 colours or fewer

    // A screen this wide; without a valid area, that of a 4:3 screen of that width.
    static ScreenMetrics forWidth(int width, QSize area = {});
    // The primary screen (1024 wide where there is none).
    static ScreenMetrics ofPrimaryScreen();

    // How the pictures of the windows on this screen decode.
    DecodeOptions decodeOptions() const { return {lowColour}; }
};
int scaled(int value, double scaleFactor);
// The main window's outer size.
QSize mainWindowOuterSize(int screenWidth, double scaleFactor);

// The sky window: designed at 640 x 405 outer, scaled as the main window
// when the screen is 640 or more wide. Where that would not fit the screen's
// free area (wide screens are too low for it), the window and its controls
// take the smaller of the width and the height factor of that area.
struct SkyWindowScaling {
    double scaleFactor; // for the controls
    QSize outer;
};
SkyWindowScaling skyWindowScale(int screenWidth, double scaleFactor, QSize screenArea);

// How a control of each kind scales: buttons and images all four values,
// labels and edit boxes all but the height, a top-aligned bevel its height only;
// the sky window's edit boxes all but the width.
enum class ScaleKind { All, KeepHeight, KeepWidth, HeightOnly, None };
QRect scaledGeometry(const QRect& designed, ScaleKind kind, double scaleFactor);

} // namespace nubivu
