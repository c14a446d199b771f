#include "pictures/graphic.h"

#include "pictures/graphicerrors.h"

#include <QFile>

namespace nubivu {

const GraphicClass& Graphic::staticClass() {
    static const GraphicClass cls{"Graphic", nullptr, nullptr};
    return cls;
}

void Graphic::loadFile(const QString& fileName) {
    QFile file(fileName);
    if (!file.open(QIODevice::ReadOnly))
        throw EFOpenError(QString::fromUtf8(msg::CannotOpenFile).arg(fileName));
    loadStream(file);
}

void Graphic::copyFrom(const Graphic& source) {
    throw EInvalidGraphic(
        QStringLiteral("Cannot assign a %1 to a %2")
            .arg(QLatin1String(source.classType().name), QLatin1String(classType().name)));
}

} // namespace nubivu
