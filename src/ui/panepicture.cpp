#include "ui/panepicture.h"

#include "datalist/datalistfile.h"
#include "pictures/fileformats.h"
#include "ui/picturepane.h"

namespace nubivu {

void LoadPaneOrClear(PicturePane& pane, const QString& path, const QString& listFile) {
    if (path.isEmpty()) {
        pane.Picture().Clear();
        return;
    }
    try {
        LoadPicture(pane.Picture(), ResolveListPath(path, listFile));
    } catch (...) {
        // Missing file, no decoder, bad data, out of memory: the pane goes
        // empty and the next one loads as usual.
        pane.Picture().Clear();
    }
}

QString FileNamePart(const QString& path) {
    const qsizetype slash =
        std::max(path.lastIndexOf(QLatin1Char('/')), path.lastIndexOf(QLatin1Char('\\')));
    return path.mid(slash + 1);
}

} // namespace nubivu
