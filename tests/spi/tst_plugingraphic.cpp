#include "core/errors.h"
#include "graphicbytes.h"
#include "pictures/formatregistry.h"
#include "pictures/graphicerrors.h"
#include "spi/plugingraphic.h"
#include "spi/pluginmanager.h"
#include "spitestsupport.h"
#include "testrunner.h"

#include <QBuffer>
#include <QPainter>
#include <QTemporaryDir>
#include <QTest>
#include <QtEndian>

using namespace nubivu;
using namespace nubivu::test;

namespace {

NUBIVU_ERROR_CLASS(EHandlerBroke, ENubivuError)

struct Report {
    ProgressStage stage;
    int percent;
    QString message;
};

// Checks every pixel of a decoded picture against the test format's rule.
void verifyPixels(const Bitmap& bitmap, int bits, int width, int height, int seed) {
    const NubiHeader h{unsigned(bits), 0, unsigned(width), unsigned(height), unsigned(seed), 0};
    const QImage& image = bitmap.image();
    QCOMPARE(image.size(), QSize(width, height));
    for (int y = 0; y < height; ++y)
        for (int x = 0; x < width; ++x) {
            const uint32_t expected = nubiPixel(&h, unsigned(x), unsigned(y));
            const QRgb rgb = bits == 24 ? QRgb(expected) : QRgb(nubiPaletteEntry(expected));
            if ((image.pixel(x, y) & 0xFFFFFF) != (rgb & 0xFFFFFF))
                QFAIL(qPrintable(QStringLiteral("pixel %1,%2").arg(x).arg(y)));
        }
}

// The bitmap read straight from the plug-in's memory is the one the BMP file
// image of the same picture gives: pixels, format, colour table and depth.
void verifySameAsFileImage(const PluginGraphic& graphic, const Bitmap& bitmap) {
    Bitmap fromFile;
    loadFromBytes(fromFile, saveToBytes(graphic));
    QCOMPARE(bitmap.image().format(), fromFile.image().format());
    QCOMPARE(bitmap.image(), fromFile.image());
    QCOMPARE(bitmap.image().colorTable(), fromFile.image().colorTable());
    QCOMPARE(bitmap.palette(), fromFile.palette());
    QCOMPARE(bitmap.bitsPerPixel(), fromFile.bitsPerPixel());
}

} // namespace

class TestSPIGraphic : public QObject {
    Q_OBJECT

    QTemporaryDir dir_;
    FormatRegistry formats_;

    QString picture(const QString& name, const QByteArray& bytes) {
        return writeFile(dir_.filePath(name), bytes);
    }

    // A manager holding private copies of the named test plug-ins, in this order.
    std::unique_ptr<PluginManager> manager(const QString& folder,
                                           std::initializer_list<const char*> plugins,
                                           const PluginManagerOptions& options = testOptions()) {
        auto spis = std::make_unique<PluginManager>(formats_, options);
        for (const char* name : plugins) spis->search(copyPlugin(QLatin1String(name), folder));
        return spis;
    }
    static PluginManagerOptions withoutMacBinary() {
        PluginManagerOptions options = testOptions();
        options.macBinary = false;
        return options;
    }

private Q_SLOTS:
    void depths_data() {
        QTest::addColumn<int>("bits");
        QTest::addColumn<int>("numColors");
        QTest::addColumn<bool>("is16Color");
        QTest::newRow("1 bit") << 1 << 2 << false;
        QTest::newRow("4 bits") << 4 << 16 << true;
        QTest::newRow("8 bits") << 8 << 256 << false;
        QTest::newRow("24 bits, no colour table") << 24 << 0 << false;
    }
    void depths() {
        QFETCH(int, bits);
        QFETCH(int, numColors);
        const auto spis = manager(dir_.path(), {"nubitest"});
        const int width = 13, height = 5, seed = 3; // odd width: padded rows
        const QString file =
            picture(QStringLiteral("d.nbt"), nubiPicture(bits, width, height, seed));
        PluginGraphic graphic(spis.get());
        int changes = 0;
        connect(&graphic, &Graphic::changed, [&] { ++changes; });
        graphic.loadFile(file);
        QCOMPARE(changes, 1);
        QCOMPARE(graphic.width(), width);
        QCOMPARE(graphic.height(), height);
        QCOMPARE(graphic.layout().numColors, numColors);
        QCOMPARE(graphic.layout().infoSize, 40 + 4 * numColors);
        QCOMPARE(graphic.layout().imageSize, (bits * width + 31) / 32 * 4 * height);
        QTEST(graphic.is16Color(), "is16Color");
        QCOMPARE(graphic.palette().size(), numColors);
        if (numColors) QCOMPARE(graphic.palette().at(1) & 0xFFFFFF, nubiPaletteEntry(1));

        QBuffer saved;
        saved.open(QIODevice::WriteOnly);
        graphic.saveStream(saved);
        const QByteArray bmp = saved.data();
        QCOMPARE(bmp.left(2), QByteArray("BM"));
        QCOMPARE(qFromLittleEndian<quint32>(bmp.constData() + 2), quint32(bmp.size()));
        QCOMPARE(qFromLittleEndian<quint32>(bmp.constData() + 10),
                 quint32(14 + 40 + 4 * numColors));
        QCOMPARE(bmp.size(), 14 + 40 + 4 * numColors + (bits * width + 31) / 32 * 4 * height);

        const std::unique_ptr<Bitmap> copy = graphic.toBitmap(Bitmap::staticClass());
        verifyPixels(*copy, bits, width, height, seed);
        verifySameAsFileImage(graphic, *copy);
        QImage drawn(width * 2, height * 2, QImage::Format_RGB32); // stretched, pixel for pixel
        drawn.fill(Qt::white);
        QPainter painter(&drawn);
        graphic.drawInto(painter, drawn.rect());
        painter.end();
        QCOMPARE(drawn.pixel(2 * (width - 1), 2 * (height - 1)),
                 copy->image().pixel(width - 1, height - 1));
        QVERIFY(!graphic.empty());
        const std::unique_ptr<Bitmap> extracted = graphic.extractBitmap(Bitmap::staticClass());
        verifyPixels(*extracted, bits, width, height, seed);
        QVERIFY(graphic.empty()); // the plug-in's memory is given back
    }

    void streamUsesWholeContent_data() {
        QTest::addColumn<bool>("inMemory");
        QTest::newRow("memory buffer") << true;
        QTest::newRow("file stream") << false;
    }
    void streamUsesWholeContent() {
        QFETCH(bool, inMemory);
        const auto spis = manager(dir_.path(), {"nubitest"});
        const QByteArray bytes = nubiPicture(8, 6, 4, 9);
        const QString file = picture(QStringLiteral("s.nbt"), bytes);
        QBuffer buffer;
        buffer.setData(bytes);
        QFile stream(file);
        QIODevice& device = inMemory ? static_cast<QIODevice&>(buffer) : stream;
        QVERIFY(device.open(QIODevice::ReadOnly));
        device.seek(7); // from the first byte, wherever the stream stands
        PluginGraphic graphic(spis.get());
        graphic.loadFromStreamWithName(device, QStringLiteral("s.nbt"));
        verifyPixels(*graphic.toBitmap(Bitmap::staticClass()), 8, 6, 4, 9);
        if (inMemory) {
            QCOMPARE(device.pos(), 7); // used in place, not read
            QVERIFY(pluginLog(spis->items(0)->fileName()).contains(QStringLiteral("GetPicture@0")));
        }
    }

    // With macBinary on, every plug-in is asked at offset 0 and again at 128.
    void macBinaryOffsets_data() {
        QTest::addColumn<bool>("macBinary");
        QTest::addColumn<bool>("behindHeader");
        QTest::addColumn<QString>("log");
        QTest::addColumn<bool>("decoded");
        QTest::newRow("on, picture at 128") << true << true
                                            << "IsSupported@0;GetPictureInfo@0;GetPicture@0;"
                                               "IsSupported@0;GetPictureInfo@128;GetPicture@128;"
                                            << true;
        QTest::newRow("off, picture at 128")
            << false << true << "IsSupported@0;GetPictureInfo@0;GetPicture@0;" << false;
        QTest::newRow("on, picture at 0")
            << true << false << "IsSupported@0;GetPictureInfo@0;GetPicture@0;" << true;
    }
    void macBinaryOffsets() {
        QFETCH(bool, macBinary);
        QFETCH(bool, behindHeader);
        QFETCH(bool, decoded);
        PluginManagerOptions options = testOptions();
        options.macBinary = macBinary;
        const auto spis = manager(dir_.path(), {"nubitest_claimall"}, options);
        const QByteArray bytes =
            (behindHeader ? QByteArray(128, 'M') : QByteArray()) + nubiPicture(4, 3, 3);
        const QString file = picture(QStringLiteral("m.nbt"), bytes);
        const QString plugin = spis->items(0)->fileName();
        pluginLog(plugin, true);
        PluginGraphic graphic(spis.get());
        if (decoded) {
            graphic.loadFile(file);
            QCOMPARE(graphic.width(), 3);
        } else {
            expectCouldNotDecode([&] { graphic.loadFile(file); });
            QVERIFY(graphic.empty());
        }
        QTEST(pluginLog(plugin, true), "log");
    }

    void macBinaryHeaderFromFileAndStream() {
        // The plain plug-in rejects the head at 0 and claims it at 128.
        const auto spis = manager(dir_.path(), {"nubitest"});
        const QByteArray bytes = QByteArray(128, '\0') + nubiPicture(24, 5, 2, 40);
        PluginGraphic fromFile(spis.get());
        fromFile.loadFile(picture(QStringLiteral("mac.nbt"), bytes));
        QBuffer buffer;
        buffer.setData(bytes);
        buffer.open(QIODevice::ReadOnly);
        PluginGraphic fromStream(spis.get());
        fromStream.loadStream(buffer);
        verifyPixels(*fromFile.toBitmap(Bitmap::staticClass()), 24, 5, 2, 40);
        verifyPixels(*fromStream.toBitmap(Bitmap::staticClass()), 24, 5, 2, 40);
    }

    void shortStreamIsNotReadPastItsEnd() {
        const auto spis = manager(dir_.path(), {"nubitest_claimall"});
        QBuffer buffer;
        buffer.setData("tiny");
        buffer.open(QIODevice::ReadOnly);
        const QString plugin = spis->items(0)->fileName();
        pluginLog(plugin, true);
        PluginGraphic graphic(spis.get());
        expectCouldNotDecode([&] { graphic.loadStream(buffer); });
        // Offset 128 lies beyond the 4 bytes: that attempt is not made.
        QCOMPARE(pluginLog(plugin), QStringLiteral("IsSupported@0;GetPictureInfo@0;GetPicture@0;"));
    }

    void preview_data() {
        QTest::addColumn<QString>("plugin");
        QTest::addColumn<bool>("preview");
        QTest::addColumn<int>("seed");
        QTest::addColumn<QString>("log");
        QTest::newRow("preview asked first") << "nubitest_preview" << true << (5 ^ 0xFF)
                                             << "IsSupported@0;GetPictureInfo@0;GetPreview@0;";
        QTest::newRow("preview off")
            << "nubitest_preview" << false << 5 << "IsSupported@0;GetPictureInfo@0;GetPicture@0;";
        QTest::newRow("no GetPreview")
            << "nubitest" << true << 5 << "IsSupported@0;GetPictureInfo@0;GetPicture@0;";
    }
    void preview() {
        QFETCH(QString, plugin);
        QFETCH(bool, preview);
        QFETCH(int, seed);
        PluginManagerOptions options = testOptions();
        options.preview = preview;
        auto spis = std::make_unique<PluginManager>(formats_, options);
        spis->search(copyPlugin(plugin, dir_.path()));
        const QString path = spis->items(0)->fileName();
        pluginLog(path, true);
        PluginGraphic graphic(spis.get());
        graphic.loadFile(picture(QStringLiteral("p.nbt"), nubiPicture(8, 4, 4, 5)));
        verifyPixels(*graphic.toBitmap(Bitmap::staticClass()), 8, 4, 4, seed & 0xFF);
        QTEST(pluginLog(path), "log");
    }

    void forcedLoaderIsTheOnlyOne() {
        const auto spis =
            manager(dir_.path(), {"nubitest", "nubitest_claimall"}, withoutMacBinary());
        const QString plain = spis->items(0)->fileName();
        const QString claimAll = spis->items(1)->fileName();
        spis->setForcedLoader(static_cast<ImportPlugin*>(spis->items(1)));
        pluginLog(plain, true);
        pluginLog(claimAll, true);
        PluginGraphic graphic(spis.get());
        graphic.loadFile(picture(QStringLiteral("f.other"), nubiPicture(1, 9, 2)));
        QCOMPARE(pluginLog(plain), QString());
        QCOMPARE(pluginLog(claimAll),
                 QStringLiteral("IsSupported@0;GetPictureInfo@0;GetPicture@0;"));
    }

    void nothingToAsk() {
        const QString file = picture(QStringLiteral("n.nbt"), nubiPicture(8, 2, 2));
        PluginGraphic alone;
        expectCouldNotDecode([&] { alone.loadFile(file); }); // no manager
        PluginManager spis(formats_, testOptions());
        PluginGraphic graphic(&spis);
        expectCouldNotDecode([&] { graphic.loadFile(file); }); // no plug-in
        expectCouldNotDecode(
            [&] { graphic.loadFile(dir_.filePath(QStringLiteral("missing.nbt"))); });
        QVERIFY(graphic.empty());
        QCOMPARE(graphic.width(), 0);
    }

    void progressReports() {
        const auto spis = manager(dir_.path(), {"nubitest"}, withoutMacBinary());
        std::vector<Report> reports;
        PluginGraphic graphic(spis.get(), [&](Graphic* sender, ProgressStage stage, quint8 percent,
                                              bool redraw, const QRect& r, const QString& message) {
            QCOMPARE(sender, &graphic);
            QCOMPARE(redraw, stage == ProgressStage::Ending);
            QCOMPARE(r, QRect(0, 0, 0, 0));
            reports.push_back({stage, percent, message});
        });
        graphic.loadFile(picture(QStringLiteral("r.nbt"), nubiPicture(8, 2, 2)));
        QStringList seen;
        for (const Report& r : reports)
            seen.append(QStringLiteral("%1 %2 %3").arg(int(r.stage)).arg(r.percent).arg(r.message));
        QCOMPARE(seen,
                 (QStringList{"0 0 Loading Graphic by Susie Plugin",
                              "1 1 Seeking enabled Susie Plugins", "1 1 Loading by [nubitest.spi]",
                              "1 2 ", "1 50 ", "1 99 ", "2 100 Loaded Graphic by Susie Plugin"}));
    }

    void progressPercent_data() {
        QTest::addColumn<int>("done");
        QTest::addColumn<int>("total");
        QTest::addColumn<int>("percent");
        QTest::newRow("start") << 0 << 10 << 2;
        QTest::newRow("end") << 10 << 10 << 99;
        QTest::newRow("half, rounded to even") << 1 << 2 << 50; // 48.5 -> 48
        QTest::newRow("nothing to do") << 0 << 0 << 1;
        QTest::newRow("past the end, as a byte") << 300 << 100 << (qRound(291.0) + 2) % 256;
    }
    void progressPercent() {
        QFETCH(int, done);
        QFETCH(int, total);
        PluginGraphic graphic;
        QBuffer empty;
        StreamDecodeJob silent(&graphic, QString(), empty, nullptr, {});
        QCOMPARE(
            PluginDecodeJob::progressCallback(done, total, reinterpret_cast<intptr_t>(&silent)),
            0); // no handler
        int seen = -1;
        StreamDecodeJob job(&graphic, QString(), empty, nullptr,
                            [&](Graphic*, ProgressStage, quint8 percent, bool, const QRect&,
                                const QString&) { seen = percent; });
        QCOMPARE(PluginDecodeJob::progressCallback(done, total, 0), 0);
        QCOMPARE(seen, -1);
        QCOMPARE(PluginDecodeJob::progressCallback(done, total, reinterpret_cast<intptr_t>(&job)),
                 0);
        QTEST(seen, "percent");
    }

    void abortStopsThePlugin() {
        const auto spis = manager(dir_.path(), {"nubitest"}, withoutMacBinary());
        const QString plugin = spis->items(0)->fileName();
        pluginLog(plugin, true);
        PluginGraphic graphic(spis.get(), [](Graphic*, ProgressStage stage, quint8 percent, bool,
                                             const QRect&, const QString&) {
            if (stage == ProgressStage::Running && percent > 1) throw EAbort(QString());
        });
        expectCouldNotDecode(
            [&] { graphic.loadFile(picture(QStringLiteral("a.nbt"), nubiPicture(8, 2, 3))); });
        QCOMPARE(pluginLog(plugin),
                 QStringLiteral("IsSupported@0;GetPictureInfo@0;GetPicture@0;stopped@0;"));
    }

    // Any other failure of the handler reaches the caller, but only after the plug-in returned.
    void handlerFailureWaitsForThePlugin() {
        const auto spis = manager(dir_.path(), {"nubitest", "nubitest_claimall"});
        const QString plugin = spis->items(0)->fileName();
        const QString next = spis->items(1)->fileName();
        pluginLog(plugin, true);
        pluginLog(next, true);
        int calls = 0;
        bool ended = false;
        PluginGraphic graphic(spis.get(), [&](Graphic*, ProgressStage stage, quint8 percent, bool,
                                              const QRect&, const QString&) {
            ended = stage == ProgressStage::Ending;
            if (stage == ProgressStage::Running && percent > 1 && ++calls == 2)
                throw EHandlerBroke(QStringLiteral("broken handler"));
        });
        QVERIFY_THROWS_EXCEPTION(EHandlerBroke, graphic.loadFile(picture(QStringLiteral("h.other"),
                                                                         nubiPicture(8, 2, 3))));
        QCOMPARE(calls, 2); // asked to stop at once, never called again
        QVERIFY(ended);     // the job still ended with its final report
        QVERIFY(graphic.empty());
        QCOMPARE(pluginLog(plugin),
                 QStringLiteral("IsSupported@0;GetPictureInfo@0;GetPicture@0;stopped@1;"));
        QCOMPARE(pluginLog(next), QString()); // the load ended there
    }

    // Output that does not add up counts as a failed attempt: the next plug-in decodes.
    void untrustedOutput_data() {
        QTest::addColumn<int>("lie");
        for (int lie = NUBI_LIE_SHORT_BITS; lie < NUBI_LIE_COUNT; ++lie)
            QTest::newRow(qPrintable(QStringLiteral("lie %1").arg(lie))) << lie;
    }
    void untrustedOutput() {
        QFETCH(int, lie);
        const auto spis = manager(dir_.path(), {"nubitest_liar"});
        const QString file = picture(QStringLiteral("l.nbt"), nubiPicture(8, 7, 3, 1, lie));
        PluginGraphic graphic(spis.get());
        expectCouldNotDecode([&] { graphic.loadFile(file); });
        // The same liar tells the truth when the picture asks for none: the check lets it through.
        graphic.loadFile(picture(QStringLiteral("h.nbt"), nubiPicture(8, 7, 3, 1, NUBI_LIE_NONE)));
        QCOMPARE(graphic.width(), 7);
        spis->search(copyPlugin(QStringLiteral("nubitest"), dir_.path()));
        graphic.loadFile(file);
        verifyPixels(*graphic.toBitmap(Bitmap::staticClass()), 8, 7, 3, 1);
    }

    // A 32-bit picture has alpha only where its header gives alpha a mask of
    // its own; otherwise the fourth byte is no alpha and the picture is opaque.
    void alphaOnlyWithAnAlphaMask_data() {
        QTest::addColumn<int>("form");
        QTest::addColumn<int>("headerBytes"); // header and masks, as written into the BMP image
        QTest::addColumn<bool>("alpha");
        QTest::newRow("40, BI_RGB") << int(NUBI_FORM_PLAIN) << 40 << false;
        QTest::newRow("40 + masks, BI_BITFIELDS") << int(NUBI_FORM_FIELDS) << 52 << false;
        QTest::newRow("108, BI_BITFIELDS, alpha mask") << int(NUBI_FORM_V4_ALPHA) << 108 << true;
        QTest::newRow("124, BI_BITFIELDS, alpha mask") << int(NUBI_FORM_V5_ALPHA) << 124 << true;
        QTest::newRow("124, BI_RGB") << int(NUBI_FORM_V5_PLAIN) << 124 << false;
    }
    void alphaOnlyWithAnAlphaMask() {
        QFETCH(int, form);
        QFETCH(int, headerBytes);
        QFETCH(bool, alpha);
        const auto spis = manager(dir_.path(), {"nubitest"});
        const int width = 5, height = 3, seed = 7;
        PluginGraphic graphic(spis.get());
        graphic.loadFile(
            picture(QStringLiteral("a.nbt"), nubiPicture(32, width, height, seed, 0, form)));
        QCOMPARE(graphic.layout().infoSize, headerBytes);
        QCOMPARE(graphic.layout().hasAlpha, alpha);
        const std::unique_ptr<Bitmap> bitmap = graphic.toBitmap(Bitmap::staticClass());
        verifySameAsFileImage(graphic, *bitmap);
        const QImage image = bitmap->image();
        QCOMPARE(image.hasAlphaChannel(), alpha);
        NubiHeader h{32, 0, unsigned(width), unsigned(height), unsigned(seed), unsigned(form)};
        for (int y = 0; y < height; ++y)
            for (int x = 0; x < width; ++x) {
                const QRgb expected = nubiPixel(&h, unsigned(x), unsigned(y));
                const QRgb got = image.pixel(x, y);
                QCOMPARE(got & 0xFFFFFF, expected & 0xFFFFFF);
                QCOMPARE(qAlpha(got), alpha ? qAlpha(expected) : 255);
            }
    }

    // Indices beyond the colour count a plug-in gives are drawn black, as in a BMP file.
    void indicesPastTheColourCount() {
        const auto spis = manager(dir_.path(), {"nubitest_liar"});
        PluginGraphic graphic(spis.get());
        graphic.loadFile(
            picture(QStringLiteral("c.nbt"), nubiPicture(8, 6, 2, 0, NUBI_QUIRK_FEW_COLORS)));
        QCOMPARE(graphic.palette().size(), 2);
        const QImage image =
            graphic.toBitmap(Bitmap::staticClass())->image().convertToFormat(QImage::Format_RGB32);
        const NubiHeader h{8, 0, 6, 2, 0, 0};
        for (int x = 0; x < 6; ++x) {
            const uint32_t index = nubiPixel(&h, unsigned(x), 0);
            const QRgb expected = index < 2 ? QRgb(nubiPaletteEntry(index)) : 0;
            QCOMPARE(image.pixel(x, 0) & 0xFFFFFF, expected & 0xFFFFFF);
        }
    }

    void emptyGraphicFailsInOrder() {
        PluginGraphic graphic;
        QBuffer out;
        out.open(QIODevice::WriteOnly);
        QVERIFY_THROWS_EXCEPTION(EInvalidGraphic, graphic.saveStream(out));
        QVERIFY_THROWS_EXCEPTION(EInvalidGraphic, graphic.toBitmap(Bitmap::staticClass()));
        QCOMPARE(out.size(), 0);
    }
};

NUBIVU_TEST(TestSPIGraphic)
#include "tst_plugingraphic.moc"
