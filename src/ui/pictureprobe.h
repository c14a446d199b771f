#pragma once
// The probe a lesson from folders asks about each file: whether a reader of
// the registry (the program's own or a plug-in's) takes its extension, and
// the time its EXIF records.
#include "datalist/folderlesson.h"

namespace nubivu {

class FormatRegistry;

// formats must outlive the probe.
PictureProbe pictureProbe(const FormatRegistry& formats);

} // namespace nubivu
