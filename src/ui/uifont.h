#pragma once
#include <QFont>

namespace nubivu {

// The designed face first; IPA P Gothic stands in where it is missing, since
// fontconfig would otherwise fall back to a face without Japanese glyphs.
QFont designFont(int pixelSize = 12, bool bold = false);

} // namespace nubivu
