// Pictures encoded here with libpng, giflib, libtiff and libwebp go through
// the shipped plug-ins and must come back as the pixels that were encoded, in
// the promised DIB form.
#include "pluginloader.h"
#include "testencoders.h"
#include "testrunner.h"

#include <QTemporaryDir>
#include <QTest>
#include <QtEndian>
#include <gif_lib.h>
#include <png.h>
#include <tiffio.h>

using namespace nubivu::test;

Q_DECLARE_METATYPE(PngSpec)
Q_DECLARE_METATYPE(GifSpec)
Q_DECLARE_METATYPE(TiffSpec)
Q_DECLARE_METATYPE(WebpSpec)

class TestPluginDecode : public QObject {
    Q_OBJECT

    void check(const QString& plugin, const Encoded& encoded, int bitCount, int tolerance) {
        QVERIFY(!encoded.data.isEmpty());
        PluginLoader loader(plugin);
        QVERIFY2(loader.loaded(), qPrintable(loader.error()));
        const Decoded decoded = loader.decode(encoded.data);
        QCOMPARE(decoded.result, SPI_ALL_RIGHT);
        QCOMPARE(decoded.bitCount, bitCount);
        const int difference = maxDifference(decoded.image, encoded.expected);
        QVERIFY2(difference >= 0 && difference <= tolerance,
                 qPrintable(QStringLiteral("difference %1").arg(difference)));
        SpiPictureInfo info;
        QCOMPARE(loader.info(encoded.data, info), SPI_ALL_RIGHT);
        QCOMPARE(info.width, encoded.expected.width());
        QCOMPARE(info.height, encoded.expected.height());
        QCOMPARE(int(info.color_depth), bitCount);
        QVERIFY(info.text_info == nullptr);
    }

private Q_SLOTS:
    void png_data() {
        QTest::addColumn<PngSpec>("spec");
        QTest::addColumn<int>("bitCount");
        QTest::addColumn<int>("tolerance");
        const int g = PNG_COLOR_TYPE_GRAY, p = PNG_COLOR_TYPE_PALETTE, rgb = PNG_COLOR_TYPE_RGB,
                  ga = PNG_COLOR_TYPE_GRAY_ALPHA, rgba = PNG_COLOR_TYPE_RGBA;
        QTest::newRow("grey 1") << PngSpec{g, 1} << 1 << 0;
        QTest::newRow("grey 2 widened") << PngSpec{g, 2} << 4 << 0;
        QTest::newRow("grey 4") << PngSpec{g, 4} << 4 << 0;
        QTest::newRow("grey 8") << PngSpec{g, 8} << 8 << 0;
        QTest::newRow("grey 16") << PngSpec{g, 16} << 8 << 1;
        QTest::newRow("grey 2 transparent") << PngSpec{g, 2, false, true} << 32 << 0;
        QTest::newRow("grey 16 transparent") << PngSpec{g, 16, false, true} << 32 << 1;
        QTest::newRow("palette 1") << PngSpec{p, 1} << 1 << 0;
        QTest::newRow("palette 2 widened") << PngSpec{p, 2} << 4 << 0;
        QTest::newRow("palette 4") << PngSpec{p, 4} << 4 << 0;
        QTest::newRow("palette 8") << PngSpec{p, 8} << 8 << 0;
        QTest::newRow("palette 8 with alpha") << PngSpec{p, 8, false, true} << 32 << 0;
        QTest::newRow("rgb 8") << PngSpec{rgb, 8} << 24 << 0;
        QTest::newRow("rgb 16") << PngSpec{rgb, 16} << 24 << 1;
        QTest::newRow("rgb 8 transparent") << PngSpec{rgb, 8, false, true} << 32 << 0;
        QTest::newRow("rgb 16 transparent") << PngSpec{rgb, 16, false, true} << 32 << 1;
        QTest::newRow("grey alpha 8") << PngSpec{ga, 8} << 32 << 0;
        QTest::newRow("grey alpha 16") << PngSpec{ga, 16} << 32 << 1;
        QTest::newRow("rgba 8") << PngSpec{rgba, 8} << 32 << 0;
        QTest::newRow("rgba 16") << PngSpec{rgba, 16} << 32 << 1;
        QTest::newRow("interlaced grey 2") << PngSpec{g, 2, true} << 4 << 0;
        QTest::newRow("interlaced palette 4") << PngSpec{p, 4, true} << 4 << 0;
        QTest::newRow("interlaced rgb 16") << PngSpec{rgb, 16, true} << 24 << 1;
        QTest::newRow("interlaced rgba 8") << PngSpec{rgba, 8, true} << 32 << 0;
        QTest::newRow("interlaced palette 1 with alpha") << PngSpec{p, 1, true, true} << 32 << 0;
    }

    void png() {
        QFETCH(PngSpec, spec);
        QFETCH(int, bitCount);
        QFETCH(int, tolerance);
        check(QStringLiteral("ifpng"), encodePng(spec), bitCount, tolerance);
    }

    void gif_data() {
        QTest::addColumn<GifSpec>("spec");
        QTest::addColumn<int>("bitCount");
        GifSpec spec;
        spec.colors = 2;
        QTest::newRow("2 colours") << spec << 1;
        spec.colors = 4;
        QTest::newRow("4 colours widened") << spec << 4;
        spec.colors = 16;
        QTest::newRow("16 colours") << spec << 4;
        spec.colors = 200;
        QTest::newRow("200 colours") << spec << 8;
        spec.interlace = true;
        QTest::newRow("interlaced") << spec << 8;
        spec.interlace = false;
        spec.colors = 16;
        spec.transparent = true;
        QTest::newRow("transparent colour") << spec << 32;
        spec.transparent = false;
        spec.frame = QRect(3, 2, 9, 5);
        QTest::newRow("frame inside a larger screen") << spec << 32;
        spec.frame = QRect(12, 6, 10, 7);
        QTest::newRow("frame beyond the screen") << spec << 32;
        spec.frame = QRect(0, 0, 19, 11);
        spec.secondFrame = true;
        QTest::newRow("animation: first frame") << spec << 4;
    }

    void gif() {
        QFETCH(GifSpec, spec);
        QFETCH(int, bitCount);
        check(QStringLiteral("ifgif"), encodeGif(spec), bitCount, 0);
    }

    // A damaged or cut PNG shows the rows decoded before the damage; the rest stays blank.
    void damagedPngShowsItsDecodedRows_data() {
        QTest::addColumn<bool>("cut");
        QTest::newRow("cut inside the image data") << true;
        QTest::newRow("bad bytes inside the image data") << false;
    }
    void damagedPngShowsItsDecodedRows() {
        QFETCH(bool, cut);
        const Encoded encoded = encodePng(PngSpec{PNG_COLOR_TYPE_RGB, 16});
        QByteArray data = encoded.data;
        const qsizetype idat = data.indexOf("IDAT");
        QVERIFY(idat > 4);
        const qsizetype length = qFromBigEndian<quint32>(data.constData() + idat - 4);
        const qsizetype middle = idat + 4 + length * 3 / 4;
        if (cut)
            data.truncate(middle);
        else
            data.replace(middle, 8, QByteArray(8, '\xff'));
        PluginLoader loader(QStringLiteral("ifpng"));
        const Decoded decoded = loader.decode(data);
        QCOMPARE(decoded.result, SPI_ALL_RIGHT);
        const QImage& image = decoded.image;
        QCOMPARE(image.size(), encoded.expected.size());
        const int last = image.height() - 1;
        for (int x = 0; x < image.width(); ++x)
            QVERIFY(std::abs(qRed(image.pixel(x, 0)) - qRed(encoded.expected.pixel(x, 0))) <= 1);
        // Cut short, the rows past the cut stay blank; bad bytes are found
        // only when the damaged chunk ends, so its rows are shown as they come.
        if (cut) {
            for (int x = 0; x < image.width(); ++x) QCOMPARE(image.pixel(x, last), qRgb(0, 0, 0));
            QVERIFY(encoded.expected.pixel(1, last) != qRgb(0, 0, 0));
        }
    }

    // GIF: what decodes is shown: a frame cut short, a frame without its
    // trailer; a frame with nothing on the screen leaves the screen in its
    // background colour.
    void gifShowsWhatDecodes_data() {
        QTest::addColumn<QByteArray>("data");
        QTest::addColumn<QImage>("expected");
        QTest::addColumn<int>("rowsToCompare");
        GifSpec spec;
        // Large enough for its data to span several sub-blocks.
        spec.screen = QSize(120, 60);
        spec.frame = QRect(0, 0, 120, 60);
        const Encoded whole = encodeGif(spec);
        const QByteArray& gif = whole.data;
        QTest::newRow("trailer missing")
            << gif.chopped(1) << whole.expected << whole.expected.height();
        QTest::newRow("data cut short") << gif.left(gif.size() * 2 / 3) << whole.expected << 1;
        QByteArray bad = gif;
        bad.replace(bad.size() * 2 / 3, 6, QByteArray(6, '\xff'));
        QTest::newRow("bad codes") << bad << whole.expected << 1;
        // The image descriptor follows the screen and its 16-colour table.
        const qsizetype desc = 13 + 3 * 16;
        QCOMPARE(gif.at(desc), ',');
        QImage background(spec.screen, QImage::Format_ARGB32);
        background.fill(whole.expected.pixel(0, 0)); // colour 0, the background's, is at (0, 0)
        QByteArray zero = gif;
        zero.replace(desc + 5, 4, QByteArray(4, '\0'));
        QTest::newRow("zero-sized frame") << zero << background << background.height();
        QByteArray off = gif;
        off.replace(desc + 1, 4, QByteArray::fromHex("c800c800"));
        QTest::newRow("frame off the screen") << off << background << background.height();
    }
    void gifShowsWhatDecodes() {
        QFETCH(QByteArray, data);
        QFETCH(QImage, expected);
        QFETCH(int, rowsToCompare);
        PluginLoader loader(QStringLiteral("ifgif"));
        const Decoded decoded = loader.decode(data);
        QCOMPARE(decoded.result, SPI_ALL_RIGHT);
        QCOMPARE(decoded.image.size(), expected.size());
        for (int y = 0; y < rowsToCompare; ++y)
            for (int x = 0; x < expected.width(); ++x)
                QCOMPARE(decoded.image.pixel(x, y), expected.pixel(x, y));
    }

    void tiff_data() {
        QTest::addColumn<TiffSpec>("spec");
        QTest::addColumn<int>("bitCount");
        QTest::addColumn<int>("tolerance");
        const int none = COMPRESSION_NONE, lzw = COMPRESSION_LZW, zip = COMPRESSION_ADOBE_DEFLATE,
                  packbits = COMPRESSION_PACKBITS;
        TiffSpec s{PHOTOMETRIC_MINISWHITE, 1, 1, COMPRESSION_CCITTFAX4};
        QTest::newRow("bilevel, white is zero, fax G4") << s << 1 << 0;
        // libtiff decodes JBIG only a whole strip at a time.
        if (TIFFIsCODECConfigured(COMPRESSION_JBIG))
            QTest::newRow("bilevel, jbig")
                << TiffSpec{PHOTOMETRIC_MINISWHITE, 1, 1, COMPRESSION_JBIG} << 24 << 0;
        QTest::newRow("bilevel, black is zero")
            << TiffSpec{PHOTOMETRIC_MINISBLACK, 1, 1, none} << 1 << 0;
        QTest::newRow("grey 2 widened, packbits")
            << TiffSpec{PHOTOMETRIC_MINISBLACK, 2, 1, packbits} << 4 << 0;
        QTest::newRow("grey 4, lzw") << TiffSpec{PHOTOMETRIC_MINISBLACK, 4, 1, lzw} << 4 << 0;
        QTest::newRow("grey 8, deflate") << TiffSpec{PHOTOMETRIC_MINISBLACK, 8, 1, zip} << 8 << 0;
        QTest::newRow("grey 16 reduced, lzw")
            << TiffSpec{PHOTOMETRIC_MINISBLACK, 16, 1, lzw} << 8 << 0;
        QTest::newRow("palette 4, packbits")
            << TiffSpec{PHOTOMETRIC_PALETTE, 4, 1, packbits} << 4 << 0;
        QTest::newRow("palette 8, lzw") << TiffSpec{PHOTOMETRIC_PALETTE, 8, 1, lzw} << 8 << 0;
        QTest::newRow("rgb 8, lzw with predictor")
            << TiffSpec{PHOTOMETRIC_RGB, 8, 3, lzw} << 24 << 0;
        s = TiffSpec{PHOTOMETRIC_RGB, 8, 3, zip};
        s.tiled = true;
        QTest::newRow("rgb 8, tiled, deflate") << s << 24 << 0;
        s = TiffSpec{PHOTOMETRIC_RGB, 8, 3, none};
        s.separate = true;
        QTest::newRow("rgb 8, planes") << s << 24 << 0;
        QTest::newRow("rgb 16 reduced") << TiffSpec{PHOTOMETRIC_RGB, 16, 3, none} << 24 << 1;
        s = TiffSpec{PHOTOMETRIC_RGB, 8, 4, lzw};
        s.alpha = true;
        QTest::newRow("rgba 8") << s << 32 << 1;
        s = TiffSpec{PHOTOMETRIC_MINISBLACK, 8, 2, none};
        s.alpha = true;
        QTest::newRow("grey with alpha") << s << 32 << 1;
        s.separate = true;
        QTest::newRow("grey with alpha, planes") << s << 32 << 1;
        QTest::newRow("cmyk 8") << TiffSpec{PHOTOMETRIC_SEPARATED, 8, 4, none} << 24 << 1;
        QTest::newRow("ycbcr, jpeg")
            << TiffSpec{PHOTOMETRIC_YCBCR, 8, 3, COMPRESSION_JPEG} << 24 << 24;
        s = TiffSpec{PHOTOMETRIC_PALETTE, 8, 1, lzw};
        s.secondPage = true;
        QTest::newRow("two pages: the first") << s << 8 << 0;
        QTest::newRow("cmyk 16") << TiffSpec{PHOTOMETRIC_SEPARATED, 16, 4, lzw} << 24 << 1;
        QTest::newRow("grey 12") << TiffSpec{PHOTOMETRIC_MINISBLACK, 12, 1, none} << 24 << 1;
        QTest::newRow("rgb 12, lzw") << TiffSpec{PHOTOMETRIC_RGB, 12, 3, lzw} << 24 << 1;
        s = TiffSpec{PHOTOMETRIC_RGB, 12, 4, none};
        s.alpha = true;
        QTest::newRow("rgba 12") << s << 32 << 2; // rounding, then premultiplied to compare
        // The Orientation tag on every path.
        auto turned = [](TiffSpec t, int orientation) {
            t.orientation = orientation;
            return t;
        };
        QTest::newRow("palette, mirrored") << turned({PHOTOMETRIC_PALETTE, 8, 1, lzw}, 2) << 8 << 0;
        QTest::newRow("bilevel, upside down")
            << turned({PHOTOMETRIC_MINISBLACK, 1, 1, none}, 3) << 1 << 0;
        QTest::newRow("grey 4, flipped")
            << turned({PHOTOMETRIC_MINISBLACK, 4, 1, none}, 4) << 4 << 0;
        QTest::newRow("grey 8, transposed")
            << turned({PHOTOMETRIC_MINISBLACK, 8, 1, none}, 5) << 8 << 0;
        QTest::newRow("rgb 8, turned right") << turned({PHOTOMETRIC_RGB, 8, 3, lzw}, 6) << 24 << 0;
        s = TiffSpec{PHOTOMETRIC_MINISBLACK, 8, 2, none};
        s.alpha = true;
        QTest::newRow("grey with alpha, transverse") << turned(s, 7) << 32 << 1;
        QTest::newRow("rgb 12, turned left")
            << turned({PHOTOMETRIC_RGB, 12, 3, none}, 8) << 24 << 1;
        QTest::newRow("cmyk 8, tiled, turned left") << [&] {
            TiffSpec t = turned({PHOTOMETRIC_SEPARATED, 8, 4, none}, 8);
            t.tiled = true;
            return t;
        }() << 24 << 1;
    }

    void tiff() {
        QFETCH(TiffSpec, spec);
        QFETCH(int, bitCount);
        QFETCH(int, tolerance);
        QTemporaryDir dir;
        check(QStringLiteral("iftiff"), encodeTiff(spec, dir.path()), bitCount, tolerance);
    }

    void webp_data() {
        QTest::addColumn<WebpSpec>("spec");
        QTest::addColumn<int>("bitCount");
        QTest::addColumn<int>("tolerance");
        QTest::newRow("lossless") << WebpSpec{true, false} << 24 << 0;
        QTest::newRow("lossless with alpha") << WebpSpec{true, true} << 32 << 0;
        QTest::newRow("lossy") << WebpSpec{false, false} << 24 << 24;
        QTest::newRow("lossy with alpha") << WebpSpec{false, true} << 32 << 24;
        QTest::newRow("animation: first frame") << WebpSpec{true, true, true} << 32 << 0;
    }

    void webp() {
        QFETCH(WebpSpec, spec);
        QFETCH(int, bitCount);
        QFETCH(int, tolerance);
        check(QStringLiteral("ifwebp"), encodeWebp(spec), bitCount, tolerance);
    }
};

NUBIVU_TEST(TestPluginDecode)
#include "tst_plugindecode.moc"
