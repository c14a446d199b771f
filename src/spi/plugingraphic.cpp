#include "spi/plugingraphic.h"

#include "core/logging.h"
#include "pictures/graphicerrors.h"
#include "spi/spimessages.h"

#include <QIODevice>
#include <QPainter>
#include <QtEndian>

namespace nubivu {

NUBIVU_GRAPHIC_DEFINE(PluginGraphic, Graphic)

namespace {
[[noreturn]] void couldNotDecode() {
    throw EInvalidGraphic(QString::fromUtf8(msg::SpiCouldNotDecode));
}

// The bitmap with the picture read, or the bitmap reader's failure.
std::unique_ptr<Bitmap> holding(std::unique_ptr<Bitmap> bitmap, std::optional<Dib> dib) {
    if (!dib) throw EInvalidGraphic(QString::fromUtf8(msg::InvalidBitmap));
    bitmap->setDib(std::move(*dib));
    return bitmap;
}
} // namespace

PluginGraphic::PluginGraphic(const PluginManager* plugins, ProgressHandler progress)
    : plugins_(plugins), progress_(std::move(progress)) {}

PluginGraphic::~PluginGraphic() { release(); }

void PluginGraphic::loadFile(const QString& fileName) {
    release();
    ableData_ = std::make_unique<FileDecodeJob>(this, fileName, plugins_, progress_);
    decodeByPlugins();
}

void PluginGraphic::loadStream(QIODevice& stream) { loadFromStreamWithName(stream, QString()); }

void PluginGraphic::loadFromStreamWithName(QIODevice& stream, const QString& fileName) {
    release();
    ableData_ = std::make_unique<StreamDecodeJob>(this, fileName, stream, plugins_, progress_);
    decodeByPlugins();
}

void PluginGraphic::decodeByPlugins() {
    try {
        ableData_->load();
        if (ableData_->isEmpty()) couldNotDecode();
    } catch (...) {
        release();
        throw;
    }
    Q_EMIT changed();
}

void PluginGraphic::release() {
    ableData_.reset();
    drawn_.reset();
    palette_.clear();
    layout_ = {};
    infoReady_ = false;
}

void PluginGraphic::updateInfo() const {
    if (infoReady_) return;
    layout_ = {};
    palette_.clear();
    if (!empty()) {
        // The job keeps only output that passed the checks, so this holds.
        const uchar* info = ableData_->bitmapInfo();
        const size_t infoSize = ableData_->bitmapInfoSize();
        layout_ = dibLayoutOf(info, infoSize).value_or(DibLayout{});
        palette_ =
            dibColourTable(QByteArrayView(info, qsizetype(infoSize)), layout_, pluginDibOptions());
    }
    infoReady_ = true;
}

const DibLayout& PluginGraphic::layout() const {
    updateInfo();
    return layout_;
}

QVector<QRgb> PluginGraphic::palette() const {
    updateInfo();
    return palette_;
}

void PluginGraphic::saveStream(QIODevice& stream) const {
    if (empty()) couldNotDecode();
    const DibLayout& dib = layout();
    uchar header[14] = {'B', 'M'};
    qToLittleEndian<quint32>(quint32(14 + dib.infoSize + dib.imageSize), header + 2);
    qToLittleEndian<quint32>(quint32(14 + dib.infoSize), header + 10);
    stream.write(reinterpret_cast<const char*>(header), sizeof header);
    stream.write(reinterpret_cast<const char*>(ableData_->bitmapInfo()), dib.infoSize);
    stream.write(reinterpret_cast<const char*>(ableData_->bits()), dib.imageSize);
}

std::unique_ptr<Bitmap> PluginGraphic::newBitmap(const GraphicClass& bitmapClass) {
    if (!bitmapClass.create || !bitmapClass.inheritsFrom(Bitmap::staticClass()))
        throw EInvalidGraphic(
            QStringLiteral("%1 is no bitmap class").arg(QLatin1String(bitmapClass.name)));
    return std::unique_ptr<Bitmap>(static_cast<Bitmap*>(bitmapClass.create().release()));
}

std::optional<Dib> PluginGraphic::readPixels() const {
    if (empty()) couldNotDecode();
    const DibLayout& dib = layout();
    const QByteArrayView info(ableData_->bitmapInfo(), qsizetype(ableData_->bitmapInfoSize()));
    // The job kept the pixel handle only with every row the header implies.
    const QByteArrayView bits(ableData_->bits(), qsizetype(dib.imageSize));
    return readDib(info, bits, pluginDibOptions());
}

std::unique_ptr<Bitmap> PluginGraphic::toBitmap(const GraphicClass& bitmapClass) const {
    std::unique_ptr<Bitmap> bitmap = newBitmap(bitmapClass);
    return holding(std::move(bitmap), readPixels());
}

std::unique_ptr<Bitmap> PluginGraphic::extractBitmap(const GraphicClass& bitmapClass) {
    std::unique_ptr<Bitmap> bitmap = newBitmap(bitmapClass);
    std::optional<Dib> dib = readPixels();
    release();
    return holding(std::move(bitmap), std::move(dib));
}

void PluginGraphic::drawInto(QPainter& painter, const QRect& rect) {
    if (!ableData_ || empty()) return;
    if (!drawn_) {
        try {
            drawn_ = toBitmap(Bitmap::staticClass());
        } catch (const ENubivuError&) {
            // A paint must not fail; the pane stays as it is.
            logCaughtFailure(lcPlugins(), ableData_->fileName(), "not drawn");
            return;
        }
    }
    const bool smooth = painter.testRenderHint(QPainter::SmoothPixmapTransform);
    painter.setRenderHint(QPainter::SmoothPixmapTransform, false); // colour on colour: no blending
    drawn_->drawInto(painter, rect);
    painter.setRenderHint(QPainter::SmoothPixmapTransform, smooth);
}

} // namespace nubivu
