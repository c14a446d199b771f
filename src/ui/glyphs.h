#pragma once
// The program's own small pictures, drawn in code so that nothing binary is kept.
#include <QIcon>

namespace nubivu {

enum class Glyph { Play, StepForward, Stop, StepBack, Return };

// A 16 x 16 button glyph with a greyed image for the disabled state.
QIcon buttonGlyph(Glyph glyph);
// The program's icon: a cloud before the sun, 32 x 32 and larger.
QIcon programIcon();

} // namespace nubivu
