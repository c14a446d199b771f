#include "graphicbytes.h"
#include "jpegtools.h"
#include "pictures/bitmap.h"
#include "pictures/graphicerrors.h"
#include "pictures/jpegimage.h"
#include "testrunner.h"

#include <QBuffer>
#include <QPainter>
#include <QTest>

#include <cstdio>
#include <jerror.h>
#include <jpeglib.h>

using namespace nubivu;
using namespace nubivu::test;

namespace {

QString jpegError(int code) { return QStringLiteral("JPEG エラー #%1").arg(code); }

// The offset of the last marker of the kind in the file, or -1.
qsizetype lastMarker(const QByteArray& jpeg, uchar kind) {
    const char marker[2] = {char(0xFF), char(kind)};
    return jpeg.lastIndexOf(QByteArrayView(marker, 2));
}

} // namespace

class TestJpegImage : public QObject {
    Q_OBJECT

private Q_SLOTS:
    void sameAsDjpeg_data() {
        QTest::addColumn<QSize>("size");
        QTest::addColumn<bool>("gray");
        QTest::addColumn<QStringList>("encode");
        QTest::addColumn<bool>("lowColour");
        QTest::addColumn<int>("scans"); // keep only this many scans; 0: all
        const QStringList none;
        const QStringList progressive{QStringLiteral("-progressive")};
        const QStringList restart{QStringLiteral("-restart"), QStringLiteral("1")};
        const QStringList grayscale{QStringLiteral("-grayscale")};
        const QStringList noSubsampling{QStringLiteral("-sample"), QStringLiteral("1x1")};
        const QStringList tall{QStringLiteral("-sample"), QStringLiteral("1x2")};
        for (bool low : {false, true}) {
            const char* depth = low ? ", 8 bits" : "";
            auto row = [&](const char* name) -> QTestData& {
                return QTest::addRow("%s%s", name, depth);
            };
            row("colour 64 x 48") << QSize(64, 48) << false << none << low << 0;
            row("colour odd 37 x 23") << QSize(37, 23) << false << none << low << 0;
            row("progressive 61 x 45") << QSize(61, 45) << false << progressive << low << 0;
            row("restart markers 53 x 29") << QSize(53, 29) << false << restart << low << 0;
            row("no subsampling 33 x 17") << QSize(33, 17) << false << noSubsampling << low << 0;
            row("vertical subsampling 30 x 31") << QSize(30, 31) << false << tall << low << 0;
            row("grayscale 41 x 19") << QSize(41, 19) << true << grayscale << low << 0;
            row("grayscale progressive 17 x 40")
                << QSize(17, 40) << true << grayscale + progressive << low << 0;
            row("one pixel") << QSize(1, 1) << false << none << low << 0;
            // Missing scans are where block smoothing shows.
            row("progressive, first 3 scans 56 x 40")
                << QSize(56, 40) << false << progressive << low << 3;
            row("grayscale progressive, first 2 scans 40 x 32")
                << QSize(40, 32) << true << grayscale + progressive << low << 2;
        }
    }
    void sameAsDjpeg() {
        if (!haveJpegTools()) QSKIP("cjpeg and djpeg are not on the PATH");
        QFETCH(QSize, size);
        QFETCH(bool, gray);
        QFETCH(QStringList, encode);
        QFETCH(bool, lowColour);
        QFETCH(int, scans);
        QTemporaryDir dir;
        QByteArray jpeg = cjpeg(testPattern(size.width(), size.height(), gray), encode, dir);
        QVERIFY(!jpeg.isEmpty());
        if (scans) {
            qsizetype at = 0;
            for (int i = 0; i <= scans; ++i) {
                at = jpeg.indexOf(QByteArrayView("\xFF\xDA", 2), at + 1);
                QVERIFY(at > 0);
            }
            jpeg.truncate(at);
        }
        const bool indexed = gray || lowColour;
        QStringList decode{QStringLiteral("-dct"), QStringLiteral("float")};
        if (indexed) decode << QStringLiteral("-colors") << QStringLiteral("236");
        Bitmap reference;
        loadFromBytes(reference, djpeg(jpeg, decode, dir));

        JpegImage image;
        image.setDecodeOptions({lowColour});
        loadFromBytes(image, jpeg);
        QCOMPARE(image.width(), size.width());
        QCOMPARE(image.height(), size.height());
        QCOMPARE(image.grayscale(), gray);
        QCOMPARE(image.progressiveEncoding(), encode.contains(QStringLiteral("-progressive")));
        const Bitmap& bitmap = image.bitmap();
        QCOMPARE(bitmap.bitsPerPixel(), indexed ? 8 : 24);
        QCOMPARE(bitmap.image().format(), indexed ? QImage::Format_Indexed8 : QImage::Format_RGB32);
        if (indexed) {
            // djpeg pads its colour table to 256 entries with black.
            const QVector<QRgb> palette = bitmap.palette();
            QCOMPARE(palette, reference.palette().mid(0, palette.size()));
            for (QRgb padding : reference.palette().mid(palette.size()))
                QCOMPARE(padding, qRgb(0, 0, 0));
            QCOMPARE(bitmap.image().convertToFormat(QImage::Format_RGB32),
                     reference.image().convertToFormat(QImage::Format_RGB32));
        } else {
            QCOMPARE(bitmap.image().convertToFormat(QImage::Format_RGB32),
                     reference.image().convertToFormat(QImage::Format_RGB32));
        }
    }

    void grayPaletteHas236EvenLevels() {
        if (!haveJpegTools()) QSKIP("cjpeg and djpeg are not on the PATH");
        QTemporaryDir dir;
        JpegImage image;
        loadFromBytes(image, cjpeg(testPattern(40, 30, true), {QStringLiteral("-grayscale")}, dir));
        const QVector<QRgb> palette = image.bitmap().palette();
        QCOMPARE(palette.size(), 236);
        for (int i = 0; i < 236; ++i) {
            QCOMPARE(qRed(palette[i]), (i * 255 + 235 / 2) / 235);
            QCOMPARE(qGreen(palette[i]), qRed(palette[i]));
            QCOMPARE(qBlue(palette[i]), qRed(palette[i]));
        }
        QCOMPARE(image.palette(), palette);
    }

    void headerErrorsFailTheLoad_data() {
        QTest::addColumn<QByteArray>("data");
        QTest::addColumn<int>("code");
        QTest::newRow("empty") << QByteArray() << int(JERR_NO_SOI);
        QTest::newRow("a bitmap") << QByteArray("BM\x36\0\0\0", 6) << int(JERR_NO_SOI);
        QTest::newRow("start of image only") << QByteArray("\xFF\xD8", 2) << int(JERR_NO_IMAGE);
        QTest::newRow("frame without a scan")
            << QByteArray::fromHex("ffd8ffc0000b080010001001011100ffd9") << int(JERR_SOF_NO_SOS);
        QTest::newRow("frame of zero width")
            << QByteArray::fromHex("ffd8ffc0000b080010000001011100ffd9") << int(JERR_EMPTY_IMAGE);
    }
    void headerErrorsFailTheLoad() {
        QFETCH(QByteArray, data);
        QFETCH(int, code);
        JpegImage image;
        try {
            loadFromBytes(image, data);
            QFAIL("loaded");
        } catch (const EJPEG& e) {
            QCOMPARE(e.message(), jpegError(code));
        }
        QVERIFY(image.empty());
    }

    void dataErrorAfterTheRowsIsReportedOnceAndKeepsThem() {
        if (!haveJpegTools()) QSKIP("cjpeg and djpeg are not on the PATH");
        QTemporaryDir dir;
        const QByteArray sound = cjpeg(testPattern(48, 32), {}, dir);
        // A second frame header after the scan: libjpeg stops with an error
        // once every row is out.
        QByteArray broken = sound;
        const qsizetype sof = sound.indexOf("\xFF\xC0");
        const quint16 length = quint16(uchar(sound[sof + 2]) << 8 | uchar(sound[sof + 3]));
        broken.insert(broken.size() - 2, sound.mid(sof, 2 + length));
        JpegImage good;
        loadFromBytes(good, sound);

        JpegImage image;
        loadFromBytes(image, broken); // the header is sound: no error yet
        QImage pane(48, 32, QImage::Format_RGB32);
        QPainter painter(&pane);
        try {
            image.drawInto(painter, pane.rect());
            QFAIL("no error");
        } catch (const EJPEG& e) {
            QCOMPARE(e.message(), jpegError(JERR_SOF_DUPLICATE));
        }
        const qint64 key = image.bitmap().image().cacheKey();
        image.drawInto(painter, pane.rect()); // no second report, no second decode
        painter.end();
        QCOMPARE(image.bitmap().image().cacheKey(), key);
        QCOMPARE(image.bitmap().image(), good.bitmap().image());
        QCOMPARE(pane, good.bitmap().image().convertToFormat(QImage::Format_RGB32));
    }

    void dataErrorBeforeTheFirstRowLeavesNothing() {
        if (!haveJpegTools()) QSKIP("cjpeg and djpeg are not on the PATH");
        QTemporaryDir dir;
        QByteArray jpeg = cjpeg(testPattern(40, 24), {QStringLiteral("-progressive")}, dir);
        // The last scan asks for coefficients past the block's end.
        const qsizetype sos = lastMarker(jpeg, 0xDA);
        const int components = uchar(jpeg[sos + 4]);
        jpeg[sos + 5 + 2 * components + 1] = char(0x7F);
        JpegImage image;
        loadFromBytes(image, jpeg);
        QImage pane(40, 24, QImage::Format_RGB32);
        pane.fill(Qt::gray);
        QPainter painter(&pane);
        QVERIFY_THROWS_EXCEPTION(EJPEG, image.drawInto(painter, pane.rect()));
        image.drawInto(painter, pane.rect());
        painter.end();
        QVERIFY(image.bitmap().empty());
        QCOMPARE(pane.pixel(20, 12), QColor(Qt::gray).rgb());
    }

    void warningsAreIgnored() {
        if (!haveJpegTools()) QSKIP("cjpeg and djpeg are not on the PATH");
        QTemporaryDir dir;
        const QByteArray jpeg = cjpeg(testPattern(64, 64), {}, dir);
        // Cut in the middle of the data: libjpeg only warns and pads the rest.
        JpegImage image;
        loadFromBytes(image, jpeg.left(jpeg.size() * 2 / 3));
        QImage pane(64, 64, QImage::Format_RGB32);
        QPainter painter(&pane);
        image.drawInto(painter, pane.rect());
        QCOMPARE(image.bitmap().width(), 64);
    }

    void drawsStretched() {
        if (!haveJpegTools()) QSKIP("cjpeg and djpeg are not on the PATH");
        QTemporaryDir dir;
        QImage source(8, 8, QImage::Format_RGB32);
        source.fill(qRgb(0, 0, 200));
        JpegImage image;
        loadFromBytes(image, cjpeg(source, {}, dir));
        QImage pane(80, 40, QImage::Format_RGB32);
        pane.fill(Qt::white);
        QPainter painter(&pane);
        image.drawInto(painter, pane.rect());
        painter.end();
        QVERIFY(qBlue(pane.pixel(79, 39)) > 180);
        QVERIFY(qBlue(pane.pixel(0, 0)) > 180 && qRed(pane.pixel(0, 0)) < 20);
    }

    void cmykShownInColour_data() {
        QTest::addColumn<bool>("adobe");
        QTest::newRow("Adobe, inverted") << true;
        QTest::newRow("plain") << false;
    }
    void cmykShownInColour() {
        // cjpeg cannot make CMYK files: write one with libjpeg here.
        QFETCH(bool, adobe);
        const int w = 16, h = 8;
        jpeg_compress_struct c{};
        jpeg_error_mgr err{};
        c.err = jpeg_std_error(&err);
        jpeg_create_compress(&c);
        unsigned char* out = nullptr;
        unsigned long size = 0;
        jpeg_mem_dest(&c, &out, &size);
        c.image_width = w;
        c.image_height = h;
        c.input_components = 4;
        c.in_color_space = JCS_CMYK;
        jpeg_set_defaults(&c);
        jpeg_set_colorspace(&c, JCS_CMYK);
        c.write_Adobe_marker = adobe;
        jpeg_set_quality(&c, 100, TRUE);
        jpeg_start_compress(&c, TRUE);
        // Left half full cyan ink, right half full yellow ink.
        std::vector<JSAMPLE> row(w * 4);
        for (int x = 0; x < w; ++x) {
            const bool left = x < w / 2;
            const int ink[4] = {left ? 255 : 0, 0, left ? 0 : 255, 0};
            for (int k = 0; k < 4; ++k) row[x * 4 + k] = JSAMPLE(adobe ? 255 - ink[k] : ink[k]);
        }
        for (int y = 0; y < h; ++y) {
            JSAMPROW r = row.data();
            jpeg_write_scanlines(&c, &r, 1);
        }
        jpeg_finish_compress(&c);
        const QByteArray jpeg(reinterpret_cast<const char*>(out), qsizetype(size));
        jpeg_destroy_compress(&c);
        std::free(out);

        JpegImage image;
        image.setDecodeOptions({true}); // CMYK stays in true colour even then
        loadFromBytes(image, jpeg);
        const QImage img = image.bitmap().image();
        QCOMPARE(img.format(), QImage::Format_RGB32);
        const QColor cyan(img.pixel(2, 4)), yellow(img.pixel(13, 4));
        QVERIFY2(cyan.red() < 20 && cyan.green() > 235 && cyan.blue() > 235,
                 qPrintable(cyan.name()));
        QVERIFY2(yellow.red() > 235 && yellow.green() > 235 && yellow.blue() < 20,
                 qPrintable(yellow.name()));
    }

    void savesTheFileAsRead() {
        if (!haveJpegTools()) QSKIP("cjpeg and djpeg are not on the PATH");
        QTemporaryDir dir;
        const QByteArray jpeg = cjpeg(testPattern(10, 10), {}, dir);
        JpegImage image;
        loadFromBytes(image, jpeg);
        QBuffer out;
        out.open(QIODevice::WriteOnly);
        image.saveStream(out);
        QCOMPARE(out.data(), jpeg);
        JpegImage copy;
        copy.copyFrom(image);
        QCOMPARE(copy.bitmap().image(), image.bitmap().image());
    }
};

NUBIVU_TEST(TestJpegImage)
#include "tst_jpegimage.moc"
