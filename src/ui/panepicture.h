#pragma once
// What a picture pane shows for a path: the picture, or nothing when it
// cannot be loaded for any reason (the show never stops for a bad file), and
// the name part of the path for the label under the pane.
#include <QString>

namespace nubivu {

class FormatRegistry;
class PicturePane;

// Loads the file into the pane through formats, a relative path from
// listFile's folder; any failure leaves the pane empty, silently.
void loadPaneOrClear(const FormatRegistry& formats, PicturePane& pane, const QString& path,
                     const QString& listFile);

// The name after the last folder separator; lists made on other systems
// carry "\", so both it and "/" count.
QString fileNamePart(const QString& path);

} // namespace nubivu
