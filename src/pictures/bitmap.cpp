#include "pictures/bitmap.h"

#include "pictures/graphicerrors.h"
#include "pictures/smoothscale.h"

#include <QIODevice>
#include <QPainter>
#include <QtEndian>

namespace nubivu {

NUBIVU_GRAPHIC_DEFINE(Bitmap, Graphic)

namespace {

constexpr qsizetype FileHeaderSize = 14;

[[noreturn]] void invalid() { throw EInvalidGraphic(QString::fromUtf8(msg::InvalidBitmap)); }

// The depth a palette picture is written with: the smallest that indexes its palette.
int savedDepth(qsizetype colours) { return colours <= 2 ? 1 : colours <= 16 ? 4 : 8; }

} // namespace

namespace {
bool allTransparent(const QImage& image) {
    for (int y = 0; y < image.height(); ++y) {
        const auto* line = reinterpret_cast<const QRgb*>(image.constScanLine(y));
        for (int x = 0; x < image.width(); ++x)
            if (qAlpha(line[x]) != 0) return false;
    }
    return true;
}
} // namespace

void Bitmap::loadStream(QIODevice& stream) {
    const QByteArray data = stream.readAll();
    const auto* p = reinterpret_cast<const uchar*>(data.constData());
    if (data.size() < FileHeaderSize || p[0] != 'B' || p[1] != 'M') invalid();
    // The sizes in the headers (bfSize, biSizeImage) are often wrong in files
    // every viewer shows; only the pixels themselves must be there.
    const quint32 bitsOffset = qFromLittleEndian<quint32>(p + 10);
    if (bitsOffset < FileHeaderSize || bitsOffset > quint64(data.size())) invalid();
    const QByteArrayView dibData(data.constData() + FileHeaderSize, data.size() - FileHeaderSize);
    DibOptions options;
    options.bitsOffset = qsizetype(bitsOffset) - FileHeaderSize;
    std::optional<Dib> dib = readDib(dibData, options);
    if (!dib) invalid();
    setDib(std::move(*dib));
}

void Bitmap::setDib(Dib dib) {
    if (dib.image.hasAlphaChannel() && allTransparent(dib.image))
        dib.image =
            dib.image.convertToFormat(QImage::Format_RGB32); // an alpha mask never filled in
    image_ = std::move(dib.image);
    stretched_ = QImage();
    palette_ = std::move(dib.palette);
    bitsPerPixel_ = dib.bitsPerPixel;
    Q_EMIT changed();
}

void Bitmap::saveStream(QIODevice& stream) const {
    if (image_.isNull()) return;
    const bool indexed = image_.format() == QImage::Format_Indexed8;
    // The colour table the pixels index is the one that is drawn, so it is the one written.
    const QVector<QRgb> table = indexed ? image_.colorTable().mid(0, 256) : QVector<QRgb>();
    const int depth = indexed ? savedDepth(table.size()) : 24;
    const QImage source = indexed ? image_ : image_.convertToFormat(QImage::Format_RGB32);
    const qint64 width = source.width();
    const qint64 height = source.height();
    const qint64 stride = ((width * depth + 31) / 32) * 4;
    const qint64 tableBytes = qint64(table.size()) * 4;
    const qint64 offset = FileHeaderSize + 40 + tableBytes;
    const qint64 fileSize = offset + stride * height;

    QByteArray out(qsizetype(offset), '\0');
    auto* h = reinterpret_cast<uchar*>(out.data());
    h[0] = 'B';
    h[1] = 'M';
    qToLittleEndian<quint32>(quint32(fileSize), h + 2);
    qToLittleEndian<quint32>(quint32(offset), h + 10);
    qToLittleEndian<quint32>(40, h + 14);
    qToLittleEndian<qint32>(qint32(width), h + 18);
    qToLittleEndian<qint32>(qint32(height), h + 22);
    qToLittleEndian<quint16>(1, h + 26);
    qToLittleEndian<quint16>(quint16(depth), h + 28);
    qToLittleEndian<quint32>(quint32(stride * height), h + 34);
    qToLittleEndian<qint32>(2835, h + 38); // 72 dpi
    qToLittleEndian<qint32>(2835, h + 42);
    qToLittleEndian<quint32>(quint32(table.size()), h + 46);
    for (qsizetype i = 0; i < table.size(); ++i) {
        uchar* e = h + FileHeaderSize + 40 + 4 * i;
        e[0] = uchar(qBlue(table[i]));
        e[1] = uchar(qGreen(table[i]));
        e[2] = uchar(qRed(table[i]));
    }
    stream.write(out);

    // Rows bottom-up, each padded to four bytes.
    QByteArray row(qsizetype(stride), '\0');
    auto* r = reinterpret_cast<uchar*>(row.data());
    for (qint64 y = height - 1; y >= 0; --y) {
        row.fill('\0');
        const uchar* in = source.constScanLine(int(y));
        if (depth == 24) {
            const auto* px = reinterpret_cast<const QRgb*>(in);
            for (qint64 x = 0; x < width; ++x) {
                r[3 * x] = uchar(qBlue(px[x]));
                r[3 * x + 1] = uchar(qGreen(px[x]));
                r[3 * x + 2] = uchar(qRed(px[x]));
            }
        } else {
            for (qint64 x = 0; x < width; ++x) {
                const qint64 bit = x * depth;
                r[bit >> 3] |= uchar((in[x] & ((1 << depth) - 1)) << (8 - depth - (bit & 7)));
            }
        }
        stream.write(row);
    }
}

void Bitmap::drawInto(QPainter& p, const QRect& r) { drawStretched(p, r, image_, &stretched_); }

void Bitmap::prepareDraw(QSize size) {
    if (canScaleSmoothly(image_) && !size.isEmpty() && size != image_.size() &&
        stretched_.size() != size)
        stretched_ = scaledBilinear(image_, size);
}

void Bitmap::copyFrom(const Graphic& source) {
    const auto* other = dynamic_cast<const Bitmap*>(&source);
    if (!other) {
        Graphic::copyFrom(source);
        return;
    }
    image_ = other->image_;
    stretched_ = QImage();
    palette_ = other->palette_;
    bitsPerPixel_ = other->bitsPerPixel_;
    Q_EMIT changed();
}

void Bitmap::setImage(QImage image, QVector<QRgb> palette) {
    image_ = std::move(image);
    stretched_ = QImage();
    palette_ = std::move(palette);
    bitsPerPixel_ = image_.isNull() ? 0 : image_.format() == QImage::Format_Indexed8 ? 8 : 24;
    Q_EMIT changed();
}

void Bitmap::setPalette(QVector<QRgb> palette) { palette_ = std::move(palette); }

} // namespace nubivu
