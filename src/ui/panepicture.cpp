#include "ui/panepicture.h"

#include "core/logging.h"
#include "datalist/datalistfile.h"
#include "pictures/formatregistry.h"
#include "ui/picturepane.h"

namespace nubivu {

void loadPaneOrClear(const FormatRegistry& formats, PicturePane& pane, const QString& path,
                     const QString& listFile) {
    if (path.isEmpty()) {
        pane.picture().clear();
        return;
    }
    const QString file = resolveListPath(path, listFile);
    try {
        formats.loadPicture(pane.picture(), file);
    } catch (...) {
        // Missing file, no decoder, bad data, out of memory: the pane goes
        // empty and the next one loads as usual.
        logCaughtFailure(lcPictures(), file, "pane left empty");
        pane.picture().clear();
    }
}

QString fileNamePart(const QString& path) {
    const qsizetype slash =
        std::max(path.lastIndexOf(QLatin1Char('/')), path.lastIndexOf(QLatin1Char('\\')));
    return path.mid(slash + 1);
}

} // namespace nubivu
