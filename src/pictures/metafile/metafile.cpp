#include "pictures/metafile/metafile.h"

#include "core/limits.h"
#include "pictures/graphicerrors.h"

#include <QIODevice>
#include <QPainter>
#include <QPicture>
#include <cmath>

namespace nubivu {

namespace {

constexpr double kScreenDpi = 96;
// A plain WMF says nothing of its size; its logical units may be anything
// from pixels to twips, so its natural size is kept within this.
constexpr double kMaxPlainSide = 1024;

int pixels(double v) { return int(std::clamp(std::lround(v), 0L, long(MaxPictureSide))); }

} // namespace

NUBIVU_GRAPHIC_DEFINE(Metafile, Graphic)

MetaBytes Metafile::bytes() const {
    return MetaBytes(reinterpret_cast<const uchar*>(data_.constData()), data_.size());
}

void Metafile::loadStream(QIODevice& stream) {
    const QByteArray data = stream.readAll();
    const MetaBytes bytes(reinterpret_cast<const uchar*>(data.constData()), data.size());
    std::optional<EmfInfo> emf = readEmfHeader(bytes);
    std::optional<WmfInfo> wmf = emf ? std::nullopt : readWmfHeader(bytes);
    if (!emf && !wmf) throw EInvalidGraphic(QString::fromUtf8(msg::InvalidMetafile));

    QRectF window;
    double width = 0;
    double height = 0;
    if (emf) {
        const QRectF& frame = emf->frame;
        if (frame.width() > 0 && frame.height() > 0) {
            width = frame.width() * kScreenDpi / 2540;
            height = frame.height() * kScreenDpi / 2540;
        } else {
            width = emf->bounds.width() + 1;
            height = emf->bounds.height() + 1;
        }
    } else if (wmf->placeable) {
        window = wmf->bounds.normalized();
        const int inch = wmf->inch ? wmf->inch : 1440;
        width = window.width() * kScreenDpi / inch;
        height = window.height() * kScreenDpi / inch;
    } else {
        window = wmf->window;
        if (window.isEmpty()) {
            // No window anywhere: the picture is what the records draw, in
            // their own units.
            QPicture picture;
            QPainter painter(&picture);
            const QRectF unit(0, 0, 1, 1);
            playWmf(bytes, *wmf, painter, unit, unit, false);
            painter.end();
            window = QRectF(picture.boundingRect());
        }
        width = std::abs(window.width());
        height = std::abs(window.height());
        const double largest = std::max(width, height);
        if (largest > kMaxPlainSide) {
            width = width * kMaxPlainSide / largest;
            height = height * kMaxPlainSide / largest;
        }
    }
    data_ = data;
    emf_ = std::move(emf);
    wmf_ = std::move(wmf);
    window_ = window;
    width_ = pixels(width);
    height_ = pixels(height);
    Q_EMIT changed();
}

void Metafile::saveStream(QIODevice& stream) const { stream.write(data_); }

void Metafile::drawInto(QPainter& painter, const QRect& rect) {
    if (data_.isEmpty() || rect.isEmpty()) return;
    if (emf_)
        playEmf(bytes(), *emf_, painter, QRectF(rect), true);
    else if (wmf_)
        playWmf(bytes(), *wmf_, painter, QRectF(rect), window_, true);
}

} // namespace nubivu
