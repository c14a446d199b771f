// SPDX-License-Identifier: MIT
#include "app/programsettings.h"

namespace nubivu {

QSettings programSettings() {
    return QSettings(QStringLiteral("Nubivu"), QStringLiteral("Nubivu"));
}

} // namespace nubivu
