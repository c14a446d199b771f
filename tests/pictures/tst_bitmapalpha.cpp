#include "dibbuilder.h"
#include "graphicbytes.h"
#include "pictures/bitmap.h"
#include "testrunner.h"

#include <QTest>

using namespace nubivu;
using namespace nubivu::test;

namespace {
// A 2 x 1 32-bit picture whose pixels carry the given fourth bytes.
QByteArray bmp32(DibHeaderKind kind, quint32 compression, QVector<quint32> masks, quint8 left,
                 quint8 right) {
    DibSpec s;
    s.kind = kind;
    s.width = 2;
    s.height = 1;
    s.bpp = 32;
    s.compression = compression;
    s.masks = masks;
    s.bits =
        QByteArray::fromHex("102030") + char(left) + QByteArray::fromHex("405060") + char(right);
    return bmpFile(s);
}

QImage load(const QByteArray& data) {
    Bitmap bitmap;
    loadFromBytes(bitmap, data);
    return bitmap.image();
}
} // namespace

// Alpha comes only from a header that gives it a mask of its own; the fourth
// byte of a plain 32-bit picture never punches holes into it.
class TestBitmapAlpha : public QObject {
    Q_OBJECT
private Q_SLOTS:
    void alphaOnlyWithAnAlphaMask_data() {
        QTest::addColumn<QByteArray>("file");
        QTest::addColumn<int>("expectLeft");
        QTest::addColumn<int>("expectRight");
        const QVector<quint32> rgb = {0xFF0000, 0xFF00, 0xFF};
        const QVector<quint32> argb = {0xFF0000, 0xFF00, 0xFF, 0xFF000000};
        using K = DibHeaderKind;
        QTest::newRow("40, BI_RGB") << bmp32(K::Info, 0, {}, 0, 128) << 255 << 255;
        QTest::newRow("108, BI_RGB") << bmp32(K::V4, 0, argb, 0, 128) << 255 << 255;
        QTest::newRow("124, BI_RGB") << bmp32(K::V5, 0, argb, 0, 128) << 255 << 255;
        QTest::newRow("40, BI_BITFIELDS") << bmp32(K::Info, 3, rgb, 0, 128) << 255 << 255;
        QTest::newRow("124, BI_BITFIELDS, no alpha mask")
            << bmp32(K::V5, 3, rgb, 0, 128) << 255 << 255;
        QTest::newRow("108, BI_BITFIELDS, alpha mask") << bmp32(K::V4, 3, argb, 0, 128) << 0 << 128;
        QTest::newRow("124, BI_BITFIELDS, alpha mask") << bmp32(K::V5, 3, argb, 0, 128) << 0 << 128;
        QTest::newRow("40, BI_ALPHABITFIELDS") << bmp32(K::Info, 6, argb, 255, 64) << 255 << 64;
        QTest::newRow("alpha mask, never filled in") << bmp32(K::V5, 3, argb, 0, 0) << 255 << 255;
    }
    void alphaOnlyWithAnAlphaMask() {
        QFETCH(QByteArray, file);
        QFETCH(int, expectLeft);
        QFETCH(int, expectRight);
        const QImage image = load(file);
        QCOMPARE(qAlpha(image.pixel(0, 0)), expectLeft);
        QCOMPARE(qAlpha(image.pixel(1, 0)), expectRight);
        QCOMPARE(qRed(image.pixel(1, 0)), 0x60);
        QCOMPARE(qBlue(image.pixel(0, 0)), 0x10);
    }
};

NUBIVU_TEST(TestBitmapAlpha)
#include "tst_bitmapalpha.moc"
