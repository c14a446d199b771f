// SPDX-License-Identifier: MIT
#pragma once
// The program's own settings file (~/.config/Nubivu/Nubivu.conf): recent
// lessons and playback. The Susie plug-in folder's file belongs to the
// plug-ins and is not this one.
#include <QSettings>

namespace nubivu {

QSettings programSettings();

} // namespace nubivu
