#include "pictures/icon.h"

#include "pictures/dib.h"
#include "pictures/graphicerrors.h"

#include <QIODevice>
#include <QPainter>
#include <QtEndian>

namespace nubivu {

NUBIVU_GRAPHIC_DEFINE(Icon, Graphic)

namespace {

[[noreturn]] void invalid() { throw EInvalidGraphic(QString::fromUtf8(msg::InvalidIcon)); }

const QByteArray PngSignature = QByteArrayLiteral("\x89PNG\r\n\x1a\n");

struct Entry {
    QByteArrayView data;
    int width = 0;
    int height = 0;
    int depth = 0;
};

// Size and depth as the image itself states them (the directory is often wrong).
bool describe(Entry& e) {
    const auto* p = reinterpret_cast<const uchar*>(e.data.data());
    if (e.data.startsWith(QByteArrayView(PngSignature))) {
        if (e.data.size() < 26) return false;
        e.width = int(qMin<quint32>(qFromBigEndian<quint32>(p + 16), 1u << 30));
        e.height = int(qMin<quint32>(qFromBigEndian<quint32>(p + 20), 1u << 30));
        const int channels[] = {1, 0, 3, 1, 2, 0, 4};
        const int type = p[25];
        e.depth = p[24] * (type < 7 ? channels[type] : 0);
        return true;
    }
    if (e.data.size() < 16 || qFromLittleEndian<quint32>(p) < 40) return false;
    e.width = qint32(qFromLittleEndian<quint32>(p + 4));
    e.height = qint32(qFromLittleEndian<quint32>(p + 8)) / 2;
    e.depth = qFromLittleEndian<quint16>(p + 14);
    return true;
}

QImage decodePng(const Entry& e) {
    if (e.width <= 0 || e.height <= 0 || e.width > MaxIconSide || e.height > MaxIconSide) invalid();
    const QByteArrayView data = e.data;
    QImage image = QImage::fromData(data, "PNG");
    if (image.isNull() || image.width() > MaxIconSide || image.height() > MaxIconSide) invalid();
    return image.convertToFormat(QImage::Format_ARGB32_Premultiplied);
}

QImage decodeDib(QByteArrayView data) {
    DibOptions options;
    options.halfHeight = true;
    options.alpha = DibAlpha::MasksOrFourthByte; // 32-bit icons keep their fourth byte
    options.maxPixels = MaxIconSide * MaxIconSide;
    std::optional<Dib> dib = readDib(data, options);
    if (!dib) invalid();
    QImage image = dib->image.convertToFormat(QImage::Format_ARGB32);
    const int w = image.width();
    const int h = image.height();

    // 32-bit images carry their own alpha; the older ones rely on the mask.
    bool hasAlpha = false;
    if (dib->bitsPerPixel == 32)
        for (int y = 0; y < h && !hasAlpha; ++y) {
            const auto* row = reinterpret_cast<const QRgb*>(image.constScanLine(y));
            for (int x = 0; x < w; ++x)
                if (qAlpha(row[x])) {
                    hasAlpha = true;
                    break;
                }
        }
    if (!hasAlpha) {
        for (int y = 0; y < h; ++y) {
            auto* row = reinterpret_cast<QRgb*>(image.scanLine(y));
            for (int x = 0; x < w; ++x) row[x] |= 0xFF000000u;
        }
        // The mask follows the colour rows; without it the icon is drawn opaque.
        const qint64 stride = ((qint64(w) + 31) / 32) * 4;
        if (dib->end + stride * h <= data.size()) {
            const auto* mask = reinterpret_cast<const uchar*>(data.data()) + dib->end;
            for (int y = 0; y < h; ++y) {
                const uchar* bits = mask + stride * (h - 1 - y);
                auto* row = reinterpret_cast<QRgb*>(image.scanLine(y));
                for (int x = 0; x < w; ++x)
                    if (bits[x >> 3] & (0x80 >> (x & 7))) row[x] = 0;
            }
        }
    }
    return image.convertToFormat(QImage::Format_ARGB32_Premultiplied);
}

} // namespace

void Icon::loadStream(QIODevice& stream) {
    QByteArray data = stream.readAll();
    const auto* p = reinterpret_cast<const uchar*>(data.constData());
    if (data.size() < 6 || qFromLittleEndian<quint16>(p) != 0 ||
        qFromLittleEndian<quint16>(p + 2) != 1)
        invalid();
    const int count = qFromLittleEndian<quint16>(p + 4);
    if (count == 0 || 6 + 16 * qint64(count) > data.size()) invalid();

    // A 32 x 32 image when there is one (the deepest of them), otherwise the first.
    std::optional<Entry> chosen;
    std::optional<Entry> first;
    for (int i = 0; i < count; ++i) {
        const uchar* d = p + 6 + 16 * i;
        const quint32 size = qFromLittleEndian<quint32>(d + 8);
        const quint32 offset = qFromLittleEndian<quint32>(d + 12);
        if (offset > quint64(data.size()) || size > quint64(data.size()) - offset) {
            if (i == 0) invalid();
            continue;
        }
        Entry e;
        e.data = QByteArrayView(data.constData() + offset, qsizetype(size));
        if (!describe(e)) {
            if (i == 0) invalid();
            continue;
        }
        if (!first) first = e;
        if (e.width == 32 && e.height == 32 && (!chosen || e.depth > chosen->depth)) chosen = e;
    }
    if (!chosen) chosen = first;
    if (!chosen) invalid();
    QImage image = chosen->data.startsWith(QByteArrayView(PngSignature)) ? decodePng(*chosen)
                                                                         : decodeDib(chosen->data);
    image_ = std::move(image);
    data_ = std::move(data);
    Q_EMIT changed();
}

void Icon::saveStream(QIODevice& stream) const { stream.write(data_); }

void Icon::drawInto(QPainter& p, const QRect& r) { p.drawImage(r.topLeft(), image_); }

} // namespace nubivu
