// SPDX-License-Identifier: MIT
#include "app/programsettings.h"

namespace nubivu {

QSettings ProgramSettings() {
    return QSettings(QStringLiteral("Nubivu"), QStringLiteral("Nubivu"));
}

} // namespace nubivu
