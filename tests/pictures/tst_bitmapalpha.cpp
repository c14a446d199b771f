#include "pictures/tbitmap.h"
#include "testrunner.h"

#include <QBuffer>
#include <QTest>
#include <QtEndian>
#include <cstring>

using namespace nubivu;

namespace {
// A 2 x 1 32-bit BI_RGB file whose pixels carry the given alpha bytes.
QByteArray bmp32(quint8 alphaLeft, quint8 alphaRight) {
    QByteArray out(54 + 8, '\0');
    auto* p = reinterpret_cast<uchar*>(out.data());
    p[0] = 'B';
    p[1] = 'M';
    qToLittleEndian<quint32>(quint32(out.size()), p + 2);
    qToLittleEndian<quint32>(54, p + 10);
    qToLittleEndian<quint32>(40, p + 14);
    qToLittleEndian<qint32>(2, p + 18);
    qToLittleEndian<qint32>(1, p + 22);
    qToLittleEndian<quint16>(1, p + 26);
    qToLittleEndian<quint16>(32, p + 28);
    const uchar pixels[8] = {0x10, 0x20, 0x30, alphaLeft, 0x40, 0x50, 0x60, alphaRight};
    std::memcpy(p + 54, pixels, 8);
    return out;
}

QImage load(const QByteArray& data, bool keepAlpha) {
    QBuffer buffer;
    buffer.setData(data);
    buffer.open(QIODevice::ReadOnly);
    TBitmap bitmap;
    bitmap.SetKeepAlpha(keepAlpha);
    bitmap.LoadStream(buffer);
    return bitmap.Image();
}
} // namespace

class TestBitmapAlpha : public QObject {
    Q_OBJECT
private Q_SLOTS:
    void alphaKeptOnlyWhereAsked_data() {
        QTest::addColumn<bool>("keep");
        QTest::addColumn<int>("left");
        QTest::addColumn<int>("right");
        QTest::addColumn<int>("expectLeft");
        QTest::addColumn<int>("expectRight");
        QTest::newRow("BMP file: fourth byte ignored") << false << 0 << 128 << 255 << 255;
        QTest::newRow("plug-in output: alpha kept") << true << 0 << 128 << 0 << 128;
        QTest::newRow("plug-in output, alpha never set: opaque") << true << 0 << 0 << 255 << 255;
    }
    void alphaKeptOnlyWhereAsked() {
        QFETCH(bool, keep);
        QFETCH(int, left);
        QFETCH(int, right);
        QFETCH(int, expectLeft);
        QFETCH(int, expectRight);
        const QImage image = load(bmp32(quint8(left), quint8(right)), keep);
        QCOMPARE(qAlpha(image.pixel(0, 0)), expectLeft);
        QCOMPARE(qAlpha(image.pixel(1, 0)), expectRight);
        QCOMPARE(qRed(image.pixel(1, 0)), 0x60);
    }
};

NUBIVU_TEST(TestBitmapAlpha)
#include "tst_bitmapalpha.moc"
