#include "spi/tspigraphic.h"

#include "pictures/graphicerrors.h"
#include "spi/spimessages.h"

#include <QBuffer>
#include <QPainter>
#include <QtEndian>

namespace nubivu {

NUBIVU_GRAPHIC_DEFINE(TSPIGraphic, TGraphic)

namespace {
[[noreturn]] void couldNotDecode() {
    throw EInvalidGraphic(QString::fromUtf8(msg::SpiCouldNotDecode));
}
} // namespace

TSPIGraphic::~TSPIGraphic() { Release(); }

void TSPIGraphic::LoadFile(const QString& fileName) {
    Release();
    ableData_ = std::make_unique<TInSPIAbleFromFile>(this, fileName);
    DecodeByPlugins();
}

void TSPIGraphic::LoadStream(QIODevice& stream) { LoadFromStreamWithName(stream, QString()); }

void TSPIGraphic::LoadFromStreamWithName(QIODevice& stream, const QString& fileName) {
    Release();
    ableData_ = std::make_unique<TInSPIAbleFromStream>(this, fileName, stream);
    DecodeByPlugins();
}

void TSPIGraphic::DecodeByPlugins() {
    ableData_->OnProgress = OnProgress();
    try {
        ableData_->Load();
        if (ableData_->IsEmpty()) couldNotDecode();
    } catch (...) {
        Release();
        throw;
    }
    Changed();
}

void TSPIGraphic::Release() {
    ableData_.reset();
    drawn_.reset();
    palette_.clear();
    layout_ = {};
    infoReady_ = false;
}

void TSPIGraphic::UpdateInfo() const {
    if (infoReady_) return;
    layout_ = {};
    palette_.clear();
    if (!Empty()) {
        // The job keeps only output that passed the checks, so this holds.
        const uchar* info = ableData_->BitmapInfo();
        layout_ = DibLayoutOf(info, ableData_->BitmapInfoSize()).value_or(TDibLayout{});
        const uchar* table = info + layout_.tableOffset;
        for (int k = 0; k < layout_.numColors; ++k)
            palette_.append(qRgb(table[4 * k + 2], table[4 * k + 1], table[4 * k]));
    }
    infoReady_ = true;
}

const TDibLayout& TSPIGraphic::Layout() const {
    UpdateInfo();
    return layout_;
}

QVector<QRgb> TSPIGraphic::Palette() const {
    UpdateInfo();
    return palette_;
}

void TSPIGraphic::SaveStream(QIODevice& stream) const {
    if (Empty()) couldNotDecode();
    const TDibLayout& layout = Layout();
    uchar header[14] = {'B', 'M'};
    qToLittleEndian<quint32>(quint32(14 + layout.infoSize + layout.imageSize), header + 2);
    qToLittleEndian<quint32>(quint32(14 + layout.infoSize), header + 10);
    stream.write(reinterpret_cast<const char*>(header), sizeof header);
    stream.write(reinterpret_cast<const char*>(ableData_->BitmapInfo()), layout.infoSize);
    stream.write(reinterpret_cast<const char*>(ableData_->Bits()), layout.imageSize);
}

std::unique_ptr<TBitmap> TSPIGraphic::NewBitmap(const TGraphicClass& bitmapClass) {
    if (!bitmapClass.create || !bitmapClass.InheritsFrom(TBitmap::StaticClass()))
        throw EInvalidGraphic(
            QStringLiteral("%1 is no bitmap class").arg(QLatin1String(bitmapClass.name)));
    return std::unique_ptr<TBitmap>(static_cast<TBitmap*>(bitmapClass.create().release()));
}

std::unique_ptr<TBitmap> TSPIGraphic::ReadBitmap(std::unique_ptr<TBitmap> bitmap,
                                                 const QByteArray& image) {
    QBuffer buffer;
    buffer.setData(image);
    buffer.open(QIODevice::ReadOnly);
    bitmap->LoadStream(buffer);
    return bitmap;
}

QByteArray TSPIGraphic::BmpImage() const {
    QBuffer buffer;
    buffer.open(QIODevice::WriteOnly);
    SaveStream(buffer);
    return buffer.data();
}

std::unique_ptr<TBitmap> TSPIGraphic::ToBitmap(const TGraphicClass& bitmapClass) const {
    std::unique_ptr<TBitmap> bitmap = NewBitmap(bitmapClass);
    return ReadBitmap(std::move(bitmap), BmpImage());
}

std::unique_ptr<TBitmap> TSPIGraphic::ExtractBitmap(const TGraphicClass& bitmapClass) {
    std::unique_ptr<TBitmap> bitmap = NewBitmap(bitmapClass);
    const QByteArray image = BmpImage();
    Release();
    return ReadBitmap(std::move(bitmap), image);
}

void TSPIGraphic::DrawInto(QPainter& painter, const QRect& rect) {
    if (!ableData_ || Empty()) return;
    if (!drawn_) {
        try {
            drawn_ = ToBitmap(TBitmap::StaticClass());
        } catch (const ENubivuError&) {
            return; // a paint must not fail; the pane stays as it is
        }
    }
    const bool smooth = painter.testRenderHint(QPainter::SmoothPixmapTransform);
    painter.setRenderHint(QPainter::SmoothPixmapTransform, false); // colour on colour: no blending
    drawn_->DrawInto(painter, rect);
    painter.setRenderHint(QPainter::SmoothPixmapTransform, smooth);
}

} // namespace nubivu
