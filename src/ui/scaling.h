#pragma once
// Layout scaling to the screen: every designed coordinate is multiplied by
// ScaleFactor and truncated toward zero, the product taken in extended
// precision (which is why 1920 wide gives 1919, not 1920).
#include <QRect>
#include <QSize>

namespace nubivu {

inline constexpr int DesignWidth = 639;
inline constexpr int DesignHeight = 313;
inline constexpr int ThresholdWidth = 640;

double ScaleFactorFor(int screenWidth);
int Scaled(int value, double scaleFactor);
// The main window's outer size.
QSize MainWindowOuterSize(int screenWidth, double scaleFactor);

// How a control of each kind scales: buttons and images all four values,
// labels and edit boxes all but the height, a top-aligned bevel its height only;
// the sky window's edit boxes all but the width.
enum class ScaleKind { All, KeepHeight, KeepWidth, HeightOnly, None };
QRect ScaledGeometry(const QRect& designed, ScaleKind kind, double scaleFactor);

} // namespace nubivu
