#include "core/limits.h"
#include "dibbuilder.h"
#include "graphicbytes.h"
#include "pictures/bitmap.h"
#include "pictures/graphicerrors.h"
#include "pictures/icon.h"
#include "testrunner.h"

#include <QTest>
#include <bit>

using namespace nubivu;
using namespace nubivu::test;

namespace {

// A 3 x 2 picture, top row first.
const QVector<QRgb> kColours = {qRgb(255, 0, 0),     qRgb(0, 255, 0), qRgb(0, 0, 255),
                                qRgb(255, 255, 255), qRgb(0, 0, 0),   qRgb(255, 255, 0)};

QImage expectedImage(const QVector<QRgb>& pixels, int w, int h) {
    QImage img(w, h, QImage::Format_RGB32);
    for (int y = 0; y < h; ++y)
        for (int x = 0; x < w; ++x) img.setPixel(x, y, pixels[y * w + x]);
    return img;
}

quint32 packMasked(QRgb c, const QVector<quint32>& masks) {
    quint32 v = 0;
    const int channel[3] = {qRed(c), qGreen(c), qBlue(c)};
    for (int i = 0; i < 3; ++i) {
        const quint32 m = masks[i];
        const int shift = std::countr_zero(m);
        const int bits = std::popcount(m);
        v |= ((quint32(channel[i]) >> (8 - qMin(bits, 8))) << (shift + qMax(0, bits - 8))) & m;
    }
    return v;
}

// Stores the picture's pixels (indices into palette for palette depths) as rows.
QByteArray storeRows(const QVector<QRgb>& pixels, const QVector<QRgb>& palette, int w, int h,
                     int bpp, const QVector<quint32>& masks, bool topDown) {
    QVector<QByteArray> rows;
    for (int yy = 0; yy < h; ++yy) {
        const int y = topDown ? yy : h - 1 - yy;
        QByteArray row;
        if (bpp <= 8) {
            row = QByteArray((w * bpp + 7) / 8, '\0');
            for (int x = 0; x < w; ++x) {
                const int index = int(palette.indexOf(pixels[y * w + x]));
                const int bit = x * bpp;
                row[bit / 8] = char(uchar(row[bit / 8]) | index << (8 - bpp - bit % 8));
            }
        } else {
            for (int x = 0; x < w; ++x) {
                const QRgb c = pixels[y * w + x];
                if (bpp == 24) {
                    row.append(char(qBlue(c))).append(char(qGreen(c))).append(char(qRed(c)));
                } else {
                    putLE(row, packMasked(c, masks), bpp / 8);
                }
            }
        }
        rows.push_back(row);
    }
    return paddedRows(rows);
}

QImage loadBmp(const QByteArray& file, Bitmap& bitmap) {
    loadFromBytes(bitmap, file);
    return bitmap.image().convertToFormat(QImage::Format_RGB32);
}

} // namespace

class TestBitmap : public QObject {
    Q_OBJECT

private Q_SLOTS:
    void headersAndDepths_data() {
        QTest::addColumn<QByteArray>("file");
        QTest::addColumn<QImage>("expected");
        QTest::addColumn<int>("bpp");
        QTest::addColumn<int>("paletteSize");

        struct Case {
            const char* name;
            DibHeaderKind kind;
            int bpp;
            quint32 compression;
            QVector<quint32> masks;
            bool topDown;
        };
        const QVector<quint32> m555 = {0x7C00, 0x03E0, 0x001F};
        const QVector<quint32> m565 = {0xF800, 0x07E0, 0x001F};
        const QVector<quint32> m888 = {0xFF0000, 0x00FF00, 0x0000FF};
        const QVector<quint32> m10 = {0x3FF00000, 0x000FFC00, 0x000003FF};
        const QVector<quint32> mBgr = {0x000000FF, 0x0000FF00, 0x00FF0000};
        const Case cases[] = {
            {"core 1", DibHeaderKind::Core, 1, 0, {}, false},
            {"core 4", DibHeaderKind::Core, 4, 0, {}, false},
            {"core 8", DibHeaderKind::Core, 8, 0, {}, false},
            {"core 24", DibHeaderKind::Core, 24, 0, {}, false},
            {"info 1", DibHeaderKind::Info, 1, 0, {}, false},
            {"info 4", DibHeaderKind::Info, 4, 0, {}, false},
            {"info 8", DibHeaderKind::Info, 8, 0, {}, false},
            {"info 8 top-down", DibHeaderKind::Info, 8, 0, {}, true},
            {"info 16 (5-5-5)", DibHeaderKind::Info, 16, 0, m555, false},
            {"info 16 bit fields 5-6-5", DibHeaderKind::Info, 16, 3, m565, false},
            {"info 24", DibHeaderKind::Info, 24, 0, {}, false},
            {"info 24 top-down", DibHeaderKind::Info, 24, 0, {}, true},
            {"info 32", DibHeaderKind::Info, 32, 0, m888, false},
            {"info 32 bit fields 10-10-10", DibHeaderKind::Info, 32, 3, m10, false},
            {"v4 8", DibHeaderKind::V4, 8, 0, {}, false},
            {"v4 16 bit fields", DibHeaderKind::V4, 16, 3, m565, false},
            {"v4 32 bit fields BGR", DibHeaderKind::V4, 32, 3, mBgr, true},
            {"v5 4", DibHeaderKind::V5, 4, 0, {}, false},
            {"v5 24 top-down", DibHeaderKind::V5, 24, 0, {}, true},
            {"v5 32", DibHeaderKind::V5, 32, 0, m888, false},
        };
        const int w = 3, h = 2;
        for (const Case& c : cases) {
            const int colours = c.bpp == 1 ? 2 : 6;
            QVector<QRgb> pixels;
            for (int i = 0; i < w * h; ++i) pixels.push_back(kColours[(i * 5 + 1) % colours]);
            QVector<QRgb> palette;
            if (c.bpp <= 8) {
                // Unused entries around the used ones, so that indices matter.
                palette = {qRgb(9, 9, 9)};
                palette += kColours.mid(0, colours);
                if (c.bpp == 1) palette = kColours.mid(0, 2);
            }
            DibSpec s;
            s.kind = c.kind;
            s.width = w;
            s.height = c.topDown ? -h : h;
            s.bpp = c.bpp;
            s.compression = c.compression;
            s.palette = palette;
            if (c.compression == 3) s.masks = c.masks;
            s.bits = storeRows(pixels, palette, w, h, c.bpp, c.masks, c.topDown);
            QTest::newRow(c.name) << bmpFile(s) << expectedImage(pixels, w, h) << c.bpp
                                  << int(palette.size());
        }
    }
    void headersAndDepths() {
        QFETCH(QByteArray, file);
        QFETCH(QImage, expected);
        QFETCH(int, bpp);
        QFETCH(int, paletteSize);
        Bitmap bitmap;
        QCOMPARE(loadBmp(file, bitmap), expected);
        QCOMPARE(bitmap.bitsPerPixel(), bpp);
        QCOMPARE(bitmap.palette().size(), paletteSize);
        QCOMPARE(bitmap.width(), 3);
        QCOMPARE(bitmap.height(), 2);
    }

    void channelScaling() {
        // 5-bit and 6-bit channels spread over 0..255 (16 of 31 -> 132).
        DibSpec s;
        s.width = 1;
        s.height = 1;
        s.bpp = 16;
        s.compression = 3;
        s.masks = {0xF800, 0x07E0, 0x001F};
        s.bits = QByteArray();
        putLE(s.bits, (16u << 11) | (63u << 5) | 1u, 2);
        s.bits.append(2, '\0');
        Bitmap bitmap;
        QCOMPARE(QColor(loadBmp(bmpFile(s), bitmap).pixel(0, 0)), QColor(132, 255, 8));
    }

    void runLengthEncoded_data() {
        QTest::addColumn<int>("bpp");
        QTest::addColumn<QByteArray>("bits");
        QTest::addColumn<QVector<int>>("indices"); // 4 x 3, top row first
        // Bottom row first: runs, end of line; a delta over the middle row's
        // first two pixels; the top row as an odd absolute run (padded) plus a
        // run; end of bitmap.
        QTest::newRow("rle8") << 8
                              << QByteArray::fromHex("0302 0101 0000 0002 0200 0203 0000"
                                                     "0003 01020300 0104 0001")
                              << QVector<int>{1, 2, 3, 4, 0, 0, 3, 3, 2, 2, 2, 1};
        QTest::newRow("rle4") << 4
                              << QByteArray::fromHex("0312 0120 0000 0002 0200 0234 0000"
                                                     "0003 1230 0140 0001")
                              << QVector<int>{1, 2, 3, 4, 0, 0, 3, 4, 1, 2, 1, 2};
    }
    void runLengthEncoded() {
        QFETCH(int, bpp);
        QFETCH(QByteArray, bits);
        QFETCH(QVector<int>, indices);
        DibSpec s;
        s.width = 4;
        s.height = 3;
        s.bpp = bpp;
        s.compression = bpp == 8 ? 1 : 2;
        s.palette = {qRgb(0, 0, 0), qRgb(10, 0, 0), qRgb(20, 0, 0), qRgb(30, 0, 0), qRgb(40, 0, 0)};
        s.bits = bits;
        Bitmap bitmap;
        loadBmp(bmpFile(s), bitmap);
        QCOMPARE(bitmap.image().format(), QImage::Format_Indexed8);
        QVector<int> got;
        for (int y = 0; y < 3; ++y)
            for (int x = 0; x < 4; ++x) got.push_back(bitmap.image().pixelIndex(x, y));
        QCOMPARE(got, indices);
        QCOMPARE(bitmap.bitsPerPixel(), bpp);
    }

    // Files with wrong sizes in their headers, short colour tables or loose
    // run-length data that the platform's decoder and other viewers show.
    void validFilesOthersShow_data() {
        QTest::addColumn<QByteArray>("file");
        QTest::addColumn<QImage>("expected");
        const QRgb red = qRgb(255, 0, 0), white = qRgb(255, 255, 255), black = qRgb(0, 0, 0);
        // 2 x 2, 8 bits: bottom row red, white; top row white, red.
        auto spec = [&] {
            DibSpec s;
            s.width = 2;
            s.height = 2;
            s.bpp = 8;
            s.palette = {red, white};
            s.bits = QByteArray::fromHex("00010000 01000000");
            return s;
        };
        const QImage picture = expectedImage({white, red, red, white}, 2, 2);
        const QByteArray good = bmpFile(spec());
        auto patched = [&](int at, QByteArray bytes) {
            QByteArray f = good;
            f.replace(at, bytes.size(), bytes);
            return f;
        };
        auto with = [&](auto change) {
            DibSpec s = spec();
            change(s);
            return bmpFile(s);
        };
        QTest::newRow("density 0") << patched(38, QByteArray(8, '\0')) << picture;
        QTest::newRow("density 1 by 1")
            << patched(38, QByteArray::fromHex("01000000 01000000")) << picture;
        QTest::newRow("density 30000 by 1")
            << patched(38, QByteArray::fromHex("30750000 01000000")) << picture;
        QTest::newRow("bfSize beyond the file")
            << patched(2, QByteArray::fromHex("ffffff7f")) << picture;
        QTest::newRow("biSizeImage beyond the file")
            << patched(34, QByteArray::fromHex("ffffff7f")) << picture;
        QTest::newRow("index past biClrUsed: black")
            << with([](DibSpec& s) { s.bits[1] = 7; })
            << expectedImage({white, red, red, black}, 2, 2);
        QTest::newRow("pixels after a gap") << [&] {
            QByteArray f = good;
            f.insert(14 + 40 + 8, QByteArray(6, '\x55'));
            f.replace(10, 4, QByteArray::fromHex("44000000"));
            return f;
        }() << picture;
        QTest::newRow("table shorter than biClrUsed")
            << with([](DibSpec& s) { s.colorsUsed = 256; }) << picture;
        QTest::newRow("table shorter than a huge biClrUsed")
            << with([](DibSpec& s) { s.colorsUsed = 1u << 30; }) << picture;
        auto rle = [&](const char* hex) {
            return with([&](DibSpec& s) {
                s.compression = 1;
                s.bits = QByteArray::fromHex(hex);
            });
        };
        QTest::newRow("rle ends at an end of line")
            << rle("0100 0101 0000 0101 0100 0000") << picture;
        QTest::newRow("rle run crosses the row end")
            << rle("0100 0301 0000 0101 0500 0001") << picture;
        QTest::newRow("rle absolute run crosses the row end")
            << rle("0100 00030101 0100 0000 00030100 0000 0001") << picture;
        // The fourth byte of a plain 32-bit picture is no alpha: drawn opaque, any value.
        DibSpec s32;
        s32.width = 2;
        s32.height = 1;
        s32.bpp = 32;
        s32.bits = QByteArray::fromHex("102030ff 40506000");
        QTest::newRow("32 bits, junk in the fourth byte")
            << bmpFile(s32)
            << expectedImage({qRgb(0x30, 0x20, 0x10), qRgb(0x60, 0x50, 0x40)}, 2, 1);
    }
    void validFilesOthersShow() {
        QFETCH(QByteArray, file);
        QFETCH(QImage, expected);
        Bitmap bitmap;
        const QImage image = loadBmp(file, bitmap);
        QCOMPARE(image, expected);
        QVERIFY(!bitmap.image().hasAlphaChannel());
    }

    void damagedFilesFail_data() {
        QTest::addColumn<QByteArray>("file");
        auto spec = [] {
            DibSpec s;
            s.width = 2;
            s.height = 2;
            s.bpp = 8;
            s.palette = {qRgb(0, 0, 0), qRgb(255, 255, 255)};
            s.bits = QByteArray::fromHex("00010000 01000000");
            return s;
        };
        const QByteArray good = bmpFile(spec());
        auto patched = [&](int at, QByteArray bytes) {
            QByteArray f = good;
            f.replace(at, bytes.size(), bytes);
            return f;
        };
        auto with = [&](auto change) {
            DibSpec s = spec();
            change(s);
            return bmpFile(s);
        };
        QTest::newRow("empty") << QByteArray();
        QTest::newRow("no BM signature") << patched(0, "MB");
        QTest::newRow("a JPEG") << QByteArray::fromHex("ffd8ffe000104a464946");
        QTest::newRow("file header only") << good.left(14);
        QTest::newRow("pixel offset beyond the data")
            << patched(10, QByteArray::fromHex("00100000"));
        QTest::newRow("unknown header size") << patched(14, QByteArray::fromHex("42000000"));
        QTest::newRow("two planes") << patched(26, QByteArray::fromHex("0200"));
        QTest::newRow("depth 3") << patched(28, QByteArray::fromHex("0300"));
        QTest::newRow("depth 30000") << patched(28, QByteArray::fromHex("3075"));
        QTest::newRow("width 0") << with([](DibSpec& s) { s.width = 0; });
        QTest::newRow("negative width") << with([](DibSpec& s) { s.width = -2; });
        QTest::newRow("height 0") << with([](DibSpec& s) { s.height = 0; });
        QTest::newRow("smallest height") << patched(22, QByteArray::fromHex("00000080"));
        QTest::newRow("huge picture") << with([](DibSpec& s) { s.width = s.height = 1 << 20; });
        QTest::newRow("wider than any picture, every row there") << with([](DibSpec& s) {
            s.width = int(MaxPictureSide) + 1;
            s.height = 1;
            s.bits = QByteArray(int(s.width + 3) / 4 * 4, '\0');
        });
        QTest::newRow("bit fields on 8 bits") << with([](DibSpec& s) { s.compression = 3; });
        QTest::newRow("JPEG inside") << with([](DibSpec& s) { s.compression = 4; });
        auto fields = [&](QVector<quint32> masks) {
            return with([&](DibSpec& s) {
                s.bpp = 16;
                s.compression = 3;
                s.palette.clear();
                s.masks = masks;
            });
        };
        QTest::newRow("no blue bits") << fields({0xFF00, 0x00FF, 0});
        QTest::newRow("mask with a gap") << fields({0xF000 | 0x0100, 0x07E0, 0x001F});
        QTest::newRow("overlapping masks") << fields({0xF800, 0x0FE0, 0x001F});
        QTest::newRow("mask wider than the pixel") << fields({0xF8000, 0x07E0, 0x001F});
        auto rle = [&](QByteArray hex, int height = 2) {
            return with([&](DibSpec& s) {
                s.compression = 1;
                s.height = height;
                s.bits = QByteArray::fromHex(hex);
            });
        };
        QTest::newRow("rle delta past the picture") << rle("00020003 0001");
        QTest::newRow("rle rows past the top") << rle("0201 0000 0201 0000 0201 0001");
        QTest::newRow("rle without end") << rle("0201");
        QTest::newRow("rle cut after a line and a run") << rle("0201 0000 0201");
        QTest::newRow("rle cut inside a delta") << rle("0201 0000 0002");
        QTest::newRow("24 bits, last row missing") << with([](DibSpec& s) {
            s.bpp = 24;
            s.palette.clear();
            s.bits = QByteArray(8, '\0');
        });
        QTest::newRow("rle absolute run cut short") << rle("000201");
        QTest::newRow("rle top-down") << rle("0201 0001", -2);
        QTest::newRow("rle picture of 8193 x 8193 in two bytes") << with([](DibSpec& s) {
            s.compression = 1;
            s.width = s.height = 8193;
            s.bits = QByteArray::fromHex("0001");
        });
    }
    void damagedFilesFail() {
        QFETCH(QByteArray, file);
        Bitmap bitmap;
        try {
            loadBmp(file, bitmap);
            QFAIL("loaded");
        } catch (const EInvalidGraphic& e) {
            QCOMPARE(e.message(), QStringLiteral("ビットマップイメージが不正です"));
        }
        QVERIFY(bitmap.empty());
    }

    void everyTruncationFails() {
        // Cutting a sound file anywhere must fail cleanly, never read past the end.
        for (int bpp : {1, 4, 8, 24}) {
            DibSpec s;
            s.width = 5;
            s.height = 3;
            s.bpp = bpp;
            if (bpp <= 8) s.palette = kColours.mid(0, 2);
            s.bits = QByteArray(((5 * bpp + 31) / 32) * 4 * 3, '\0');
            const QByteArray file = bmpFile(s);
            Bitmap whole;
            loadBmp(file, whole);
            for (int n = 0; n < file.size(); ++n) {
                // The header's sizes are made to agree with the cut, so the
                // reader's own bounds checks are what must catch it.
                QByteArray cut = file.left(n);
                if (n >= 6) cut.replace(2, 4, QByteArray::fromRawData("\0\0\0\0", 4));
                if (n >= 38) cut.replace(34, 4, QByteArray::fromRawData("\0\0\0\0", 4));
                Bitmap bitmap;
                QVERIFY_THROWS_EXCEPTION(EInvalidGraphic, loadBmp(cut, bitmap));
            }
        }
    }

    void saveAndLoadBack_data() {
        QTest::addColumn<int>("colours"); // 0: true colour
        QTest::addColumn<int>("bpp");
        QTest::newRow("true colour") << 0 << 24;
        QTest::newRow("2 colours") << 2 << 1;
        QTest::newRow("16 colours") << 16 << 4;
        QTest::newRow("17 colours") << 17 << 8;
        QTest::newRow("256 colours") << 256 << 8;
    }
    void saveAndLoadBack() {
        QFETCH(int, colours);
        QFETCH(int, bpp);
        // Odd width, so that row padding is exercised.
        QImage image(7, 5, colours ? QImage::Format_Indexed8 : QImage::Format_RGB32);
        QVector<QRgb> table;
        for (int i = 0; i < colours; ++i) table.push_back(qRgb(i, 255 - i, (i * 7) & 255));
        if (colours) image.setColorTable(table);
        for (int y = 0; y < 5; ++y)
            for (int x = 0; x < 7; ++x) {
                if (colours)
                    image.setPixel(x, y, uint((x * 3 + y * 5) % colours));
                else
                    image.setPixel(x, y, qRgb(x * 30, y * 50, x * y));
            }
        Bitmap original;
        original.setImage(image, table);
        Bitmap copy;
        loadBmp(saveToBytes(original), copy);
        QCOMPARE(copy.bitsPerPixel(), bpp);
        QCOMPARE(copy.image().convertToFormat(QImage::Format_RGB32),
                 image.convertToFormat(QImage::Format_RGB32));
        QCOMPARE(copy.palette(), table);
    }

    void copyFrom() {
        DibSpec s;
        s.width = 2;
        s.height = 1;
        s.bpp = 4;
        s.palette = {qRgb(1, 2, 3), qRgb(4, 5, 6)};
        s.bits = QByteArray::fromHex("01000000");
        Bitmap source;
        loadBmp(bmpFile(s), source);
        Bitmap copy;
        int changes = 0;
        connect(&copy, &Graphic::changed, [&] { ++changes; });
        copy.copyFrom(source);
        QCOMPARE(copy.image(), source.image());
        QCOMPARE(copy.palette(), s.palette);
        QCOMPARE(copy.bitsPerPixel(), 4);
        QCOMPARE(changes, 1);
        Icon icon;
        QVERIFY_THROWS_EXCEPTION(EInvalidGraphic, copy.copyFrom(icon));
        QCOMPARE(copy.bitsPerPixel(), 4);
    }
};

NUBIVU_TEST(TestBitmap)
#include "tst_bitmap.moc"
