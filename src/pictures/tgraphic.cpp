#include "pictures/tgraphic.h"

#include "pictures/graphicerrors.h"

#include <QFile>

namespace nubivu {

const TGraphicClass& TGraphic::StaticClass() {
    static const TGraphicClass cls{"TGraphic", nullptr, nullptr};
    return cls;
}

void TGraphic::LoadFile(const QString& fileName) {
    QFile file(fileName);
    if (!file.open(QIODevice::ReadOnly))
        throw EFOpenError(QString::fromUtf8(msg::CannotOpenFile).arg(fileName));
    LoadStream(file);
}

void TGraphic::CopyFrom(const TGraphic& source) {
    throw EInvalidGraphic(
        QStringLiteral("Cannot assign a %1 to a %2")
            .arg(QLatin1String(source.ClassType().name), QLatin1String(ClassType().name)));
}

void TGraphic::Changed() {
    if (onChange_) onChange_(this);
}

void TGraphic::Progress(TGraphic* sender, TProgressStage stage, quint8 percentDone, bool redrawNow,
                        const QRect& r, const QString& msg) {
    if (onProgress_) onProgress_(sender, stage, percentDone, redrawNow, r, msg);
}

} // namespace nubivu
