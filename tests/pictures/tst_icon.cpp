#include "dibbuilder.h"
#include "graphicbytes.h"
#include "pictures/graphicerrors.h"
#include "pictures/icon.h"
#include "testrunner.h"

#include <QBuffer>
#include <QPainter>
#include <QTest>

using namespace nubivu;
using namespace nubivu::test;

namespace {

// One icon image: colour rows of the given depth filled with one palette
// index (or colour), and an AND mask that hides the top-left pixel.
QByteArray dibImage(int size, int bpp, QRgb colour, bool maskCorner = true, int alpha = 0) {
    DibSpec s;
    s.width = size;
    s.height = size * 2;
    s.bpp = bpp;
    QVector<QByteArray> rows;
    for (int y = 0; y < size; ++y) {
        QByteArray row;
        for (int x = 0; x < size; ++x) {
            if (bpp == 32) {
                row.append(char(qBlue(colour)))
                    .append(char(qGreen(colour)))
                    .append(char(qRed(colour)));
                row.append(char(alpha));
            } else if (bpp == 8) {
                row.append('\1');
            }
        }
        if (bpp == 4) row = QByteArray((size + 1) / 2, '\x11');
        rows.push_back(row);
    }
    if (bpp <= 8) s.palette = {qRgb(0, 0, 0), colour};
    s.bits = paddedRows(rows);
    QVector<QByteArray> mask;
    for (int y = 0; y < size; ++y) {
        QByteArray row((size + 7) / 8, '\0');
        if (maskCorner && y == size - 1) row[0] = char(0x80); // bottom-up: the top row is last
        mask.push_back(row);
    }
    return dibHeader(s) + s.bits + paddedRows(mask);
}

QByteArray pngImage(int size, QRgb colour) {
    QImage img(size, size, QImage::Format_ARGB32);
    img.fill(colour);
    QByteArray out;
    QBuffer b(&out);
    b.open(QIODevice::WriteOnly);
    img.save(&b, "PNG");
    return out;
}

QByteArray iconFile(const QVector<QPair<int, QByteArray>>& images, quint16 type = 1) {
    QByteArray f;
    putLE(f, 0, 2);
    putLE(f, type, 2);
    putLE(f, quint32(images.size()), 2);
    qint64 offset = 6 + 16 * images.size();
    for (const auto& [size, data] : images) {
        f.append(char(size & 0xFF)).append(char(size & 0xFF)).append('\0').append('\0');
        putLE(f, 1, 2);
        putLE(f, 0, 2);
        putLE(f, quint32(data.size()), 4);
        putLE(f, quint32(offset), 4);
        offset += data.size();
    }
    for (const auto& image : images) f += image.second;
    return f;
}

} // namespace

class TestIcon : public QObject {
    Q_OBJECT

private Q_SLOTS:
    void choosesImage_data() {
        QTest::addColumn<QByteArray>("file");
        QTest::addColumn<int>("size");
        QTest::addColumn<QRgb>("colour");
        const QRgb red = qRgb(255, 0, 0), green = qRgb(0, 255, 0), blue = qRgb(0, 0, 255);
        QTest::newRow("32 x 32, the deepest of them") << iconFile({{16, dibImage(16, 8, red)},
                                                                   {32, dibImage(32, 4, red)},
                                                                   {32, dibImage(32, 8, green)},
                                                                   {48, dibImage(48, 32, blue)}})
                                                      << 32 << green;
        QTest::newRow("no 32 x 32: the first")
            << iconFile({{48, dibImage(48, 4, blue)}, {16, dibImage(16, 32, red)}}) << 48 << blue;
        QTest::newRow("a PNG image counts")
            << iconFile({{32, dibImage(32, 8, red)}, {32, pngImage(32, blue)}}) << 32 << blue;
        QTest::newRow("PNG alone") << iconFile({{0, pngImage(256, green)}}) << 256 << green;
        QTest::newRow("damaged later image is passed over")
            << iconFile({{16, dibImage(16, 4, red)}, {32, QByteArray("junk")}}) << 16 << red;
    }
    void choosesImage() {
        QFETCH(QByteArray, file);
        QFETCH(int, size);
        QFETCH(QRgb, colour);
        Icon icon;
        loadFromBytes(icon, file);
        QCOMPARE(icon.width(), size);
        QCOMPARE(icon.height(), size);
        QCOMPARE(QColor(icon.image().pixel(size - 1, size - 1)), QColor(colour));
    }

    void transparency_data() {
        QTest::addColumn<QByteArray>("image");
        QTest::addColumn<int>("cornerAlpha");
        QTest::addColumn<int>("otherAlpha");
        QTest::newRow("mask, 4 bits") << dibImage(32, 4, qRgb(0, 0, 255)) << 0 << 255;
        QTest::newRow("mask, 32 bits without alpha")
            << dibImage(32, 32, qRgb(0, 0, 255)) << 0 << 255;
        QTest::newRow("32 bits with alpha: the mask is ignored")
            << dibImage(32, 32, qRgb(0, 0, 255), true, 128) << 128 << 128;
    }
    void transparency() {
        QFETCH(QByteArray, image);
        QFETCH(int, cornerAlpha);
        QFETCH(int, otherAlpha);
        Icon icon;
        loadFromBytes(icon, iconFile({{32, image}}));
        QCOMPARE(qAlpha(icon.image().pixel(0, 0)), cornerAlpha);
        QCOMPARE(qAlpha(icon.image().pixel(1, 0)), otherAlpha);
    }

    void drawsAtOwnSizeTopLeft() {
        Icon icon;
        loadFromBytes(icon, iconFile({{32, dibImage(32, 4, qRgb(0, 0, 255))}}));
        QImage pane(100, 80, QImage::Format_RGB32);
        pane.fill(Qt::gray);
        QPainter painter(&pane);
        icon.drawInto(painter, pane.rect());
        painter.end();
        QCOMPARE(QColor(pane.pixel(0, 0)), QColor(Qt::gray)); // masked out
        QCOMPARE(QColor(pane.pixel(1, 0)), QColor(0, 0, 255));
        QCOMPARE(QColor(pane.pixel(31, 31)), QColor(0, 0, 255));
        QCOMPARE(QColor(pane.pixel(32, 32)), QColor(Qt::gray));
        QCOMPARE(QColor(pane.pixel(99, 79)), QColor(Qt::gray));
    }

    void savesWhatItRead() {
        const QByteArray file = iconFile({{32, dibImage(32, 8, qRgb(1, 2, 3))}});
        Icon icon;
        loadFromBytes(icon, file);
        QBuffer out;
        out.open(QIODevice::WriteOnly);
        icon.saveStream(out);
        QCOMPARE(out.data(), file);
    }

    void notAnIcon_data() {
        QTest::addColumn<QByteArray>("file");
        const QByteArray good = iconFile({{32, dibImage(32, 4, qRgb(0, 0, 255))}});
        QTest::newRow("empty") << QByteArray();
        QTest::newRow("a bitmap") << QByteArray("BM\x36\0\0\0\0\0\0\0\x36\0\0\0", 14);
        QTest::newRow("a cursor") << iconFile({{32, dibImage(32, 4, qRgb(0, 0, 255))}}, 2);
        QTest::newRow("no images") << iconFile({});
        QTest::newRow("directory cut short") << good.left(10);
        QTest::newRow("image cut short") << good.left(good.size() - 600);
        QTest::newRow("image offset past the end")
            << good.left(18) + QByteArray::fromHex("ffffff7f") + good.mid(22);
        QTest::newRow("damaged image") << iconFile({{32, QByteArray(100, 'x')}});
        QTest::newRow("odd double height") << [] {
            QByteArray image = dibImage(32, 4, qRgb(0, 0, 255));
            image[8] = char(63);
            return iconFile({{32, image}});
        }();
        QTest::newRow("damaged PNG") << iconFile({{32, pngImage(32, 0).left(40)}});
        // Refused from its header, before any memory is taken for it.
        QTest::newRow("PNG of 5000 x 5000")
            << iconFile({{0, QByteArray::fromHex("89504e470d0a1a0a0000000d49484452"
                                                 "0000138800001388080600000000000000")}});
    }
    void notAnIcon() {
        QFETCH(QByteArray, file);
        Icon icon;
        try {
            loadFromBytes(icon, file);
            QFAIL("loaded");
        } catch (const EInvalidGraphic& e) {
            QCOMPARE(e.message(), QStringLiteral("アイコンイメージが不正です"));
        }
        QVERIFY(icon.empty());
    }
};

NUBIVU_TEST(TestIcon)
#include "tst_icon.moc"
