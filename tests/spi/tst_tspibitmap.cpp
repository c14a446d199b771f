#include "fakeprompter.h"
#include "graphicbytes.h"
#include "pictures/fileformats.h"
#include "pictures/graphicerrors.h"
#include "pictures/tpicture.h"
#include "spi/tspibitmap.h"
#include "spi/tspigraphic.h"
#include "spi/tspis.h"
#include "spitestsupport.h"
#include "testrunner.h"
#include "ui/picturepane.h"
#include "ui/skippedpluginsreport.h"

#include <QBuffer>
#include <QTemporaryDir>
#include <QTest>
#include <QWidget>

using namespace nubivu;
using namespace nubivu::test;

class TestSPIBitmap : public QObject {
    Q_OBJECT

    QTemporaryDir dir_;
    std::optional<TSPIBitmapRegistration> registration_;

    QString file(const QString& name, const QByteArray& bytes) {
        return WriteFile(dir_.filePath(name), bytes);
    }

    static QByteArray bmpImage(int width, int height, QRgb colour) {
        QImage image(width, height, QImage::Format_RGB32);
        image.fill(colour);
        TBitmap bitmap;
        bitmap.SetImage(image);
        return SaveToBytes(bitmap);
    }

private Q_SLOTS:
    void init() { registration_.emplace(); }
    void cleanup() { registration_.reset(); }

    // Which decoder goes first depends on the extension alone.
    void decoderOrder_data() {
        QTest::addColumn<QString>("name");
        QTest::addColumn<bool>("bmpContent");
        QTest::addColumn<bool>("pluginAsked");
        QTest::newRow("bmp") << "a.bmp" << true << false;
        QTest::newRow("BMP") << "a.BMP" << true << false;
        QTest::newRow("Bmp") << "a.Bmp" << true << false;
        QTest::newRow("bitmap under a plug-in extension") << "a.nbt" << true << true;
        QTest::newRow("plug-in picture named bmp") << "b.bmp" << false << true;
        QTest::newRow("plug-in picture") << "b.nbt" << false << true;
    }
    void decoderOrder() {
        QFETCH(QString, name);
        QFETCH(bool, bmpContent);
        QFETCH(bool, pluginAsked);
        TSPIs spis;
        spis.Search(CopyPlugin(QStringLiteral("nubitest_claimall"), dir_.path()));
        const QString plugin = spis.Items(0)->FileName();
        const QString path =
            file(name, bmpContent ? bmpImage(3, 2, qRgb(10, 20, 30)) : NubiPicture(24, 4, 4, 0));
        PluginLog(plugin, true);
        TSPIBitmap bitmap;
        bitmap.LoadFile(path);
        QCOMPARE(bitmap.Width(), bmpContent ? 3 : 4);
        QCOMPARE(!PluginLog(plugin).isEmpty(), pluginAsked);
        // From a stream with the same name, the same order.
        PluginLog(plugin, true);
        QFile stream(path);
        QVERIFY(stream.open(QIODevice::ReadOnly));
        TSPIBitmap fromStream;
        fromStream.LoadFromStreamWithName(stream, name);
        QCOMPARE(fromStream.Width(), bmpContent ? 3 : 4);
        QCOMPARE(!PluginLog(plugin).isEmpty(), pluginAsked);
    }

    void streamWithoutNameTriesPluginsFirst() {
        TSPIs spis;
        spis.Search(CopyPlugin(QStringLiteral("nubitest_claimall"), dir_.path()));
        const QString plugin = spis.Items(0)->FileName();
        PluginLog(plugin, true);
        QBuffer buffer;
        buffer.setData(bmpImage(5, 1, qRgb(1, 2, 3)));
        buffer.open(QIODevice::ReadOnly);
        TSPIBitmap bitmap;
        bitmap.LoadStream(buffer);
        QVERIFY(!PluginLog(plugin).isEmpty());
        QCOMPARE(bitmap.Width(), 5);
    }

    void palettes_data() {
        QTest::addColumn<int>("bits");
        QTest::newRow("1 bit") << 1;
        QTest::newRow("4 bits") << 4;
        QTest::newRow("8 bits") << 8;
    }
    void palettes() {
        QFETCH(int, bits);
        TSPIs spis;
        spis.Search(CopyPlugin(QStringLiteral("nubitest"), dir_.path()));
        const QString path = file(QStringLiteral("p.nbt"), NubiPicture(bits, 4, 2));
        TSPIBitmap bitmap;
        bitmap.LoadFile(path);
        QCOMPARE(bitmap.Image().pixel(1, 0) & 0xFFFFFF, nubiPaletteEntry(1));
        if (bits == 4) {
            // The 16-colour picture keeps the decoded colour table as its palette.
            QCOMPARE(bitmap.Palette().size(), 16);
            for (int k = 0; k < 16; ++k)
                QCOMPARE(bitmap.Palette().at(k) & 0xFFFFFF, nubiPaletteEntry(uint32_t(k)));
        }
        // CopyFrom a decoded graphic gives the same picture; it keeps its own.
        TSPIGraphic graphic;
        graphic.LoadFile(path);
        TSPIBitmap copy;
        copy.CopyFrom(graphic);
        QVERIFY(!graphic.Empty());
        QCOMPARE(copy.Image(), bitmap.Image());
        if (bits == 4) QCOMPARE(copy.Palette(), bitmap.Palette());
    }

    void loadFromStreamWithNameProperty() {
        TSPIs spis;
        spis.Search(CopyPlugin(QStringLiteral("nubitest"), dir_.path()));
        TSPIBitmap bitmap;
        TSPIBitmap other;
        bitmap.SetOnLoadFromStreamWithName(other.OnLoadFromStreamWithName()); // changes nothing
        QBuffer buffer;
        buffer.setData(NubiPicture(8, 6, 2));
        buffer.open(QIODevice::ReadOnly);
        bitmap.OnLoadFromStreamWithName()(buffer, QStringLiteral("x.nbt"));
        QCOMPARE(bitmap.Width(), 6);
        QVERIFY(other.Empty());
    }

    void bothFailKeepsThePicture() {
        TSPIs spis;
        spis.Search(CopyPlugin(QStringLiteral("nubitest"), dir_.path()));
        TSPIBitmap bitmap;
        bitmap.LoadFile(file(QStringLiteral("good.nbt"), NubiPicture(24, 7, 3)));
        std::vector<QString> endings;
        bitmap.SetOnProgress([&](TGraphic* sender, TProgressStage stage, quint8 percent,
                                 bool redraw, const QRect& r, const QString& message) {
            QCOMPARE(sender, &bitmap);
            if (stage == TProgressStage::psEnding)
                endings.push_back(QStringLiteral("%1 %2 %3 %4")
                                      .arg(percent)
                                      .arg(redraw)
                                      .arg(r.width())
                                      .arg(message));
        });
        ExpectCouldNotDecode([&] { bitmap.LoadFile(file(QStringLiteral("bad.nbt"), "neither")); });
        QCOMPARE(bitmap.Width(), 7);
        QCOMPARE(endings, std::vector<QString>{QStringLiteral("100 1 7 Loaded Graphic")});
    }

    void progressSeenByTheCaller() {
        TSPIs spis;
        spis.MacBinary = false;
        spis.Search(CopyPlugin(QStringLiteral("nubitest"), dir_.path()));
        QStringList seen;
        TSPIBitmap bitmap;
        bitmap.SetOnProgress([&](TGraphic* sender, TProgressStage stage, quint8 percent, bool,
                                 const QRect& r, const QString& message) {
            QCOMPARE(sender, &bitmap);
            seen.append(QStringLiteral("%1 %2 %3 %4x%5")
                            .arg(int(stage))
                            .arg(percent)
                            .arg(message)
                            .arg(r.width())
                            .arg(r.height()));
        });
        bitmap.LoadFile(file(QStringLiteral("g.nbt"), NubiPicture(8, 5, 1)));
        QCOMPARE(seen, (QStringList{"0 0 Loading Graphic by Susie Plugin 0x0",
                                    "1 1 Seeking enabled Susie Plugins 0x0",
                                    "1 1 Loading by [nubitest.spi] 0x0", "1 2  0x0", "1 99  0x0",
                                    "2 100 Loaded Graphic 5x1"}));
    }

    void withoutManagerOnlyTheNativeDecoder() {
        {
            TSPIs spis;
            spis.Search(CopyPlugin(QStringLiteral("nubitest"), dir_.path()));
        }
        QCOMPARE(FindPictureClass(QStringLiteral("nbt")), &TSPIBitmap::StaticClass());
        TPicture picture;
        ExpectCouldNotDecode(
            [&] { LoadPicture(picture, file(QStringLiteral("gone.nbt"), NubiPicture(8, 2, 2))); });
        LoadPicture(picture, file(QStringLiteral("native.nbt"), bmpImage(2, 2, qRgb(0, 0, 0))));
        QCOMPARE(picture.Width(), 2);
    }

    void registrationEndsWithTheProgram() {
        TSPIs spis;
        spis.Search(CopyPlugin(QStringLiteral("nubitest_multi"), dir_.path()));
        QCOMPARE(FindPictureClass(QStringLiteral("nbx")), &TSPIBitmap::StaticClass());
        registration_.reset();
        QCOMPARE(FindPictureClass(QStringLiteral("nbx")), nullptr);
        QCOMPARE(FindPictureClass(QStringLiteral("nbz")), nullptr);
        QVERIFY(FindPictureClass(QStringLiteral("bmp"))); // the native formats stay
    }

    void showsInAPane() {
        TSPIs spis;
        spis.Search(CopyPlugin(QStringLiteral("nubitest"), dir_.path()));
        PicturePane pane;
        pane.resize(40, 20);
        LoadPicture(pane.Picture(), file(QStringLiteral("pane.nbt"), NubiPicture(24, 2, 1, 0x80)));
        QVERIFY(dynamic_cast<TSPIBitmap*>(pane.Picture().Graphic()));
        const QImage shot = pane.grab().toImage();
        const NubiHeader h{24, 0, 2, 1, 0x80, 0};
        QCOMPARE(shot.pixel(5, 10) & 0xFFFFFF, nubiPixel(&h, 0, 0));
        QCOMPARE(shot.pixel(35, 10) & 0xFFFFFF, nubiPixel(&h, 1, 0));
    }

    // The start-up search's skipped files are reported once, after the window shows.
    void skippedFilesReportedOnceAfterShow() {
        QTemporaryDir folder;
        const QString bad =
            CopyPlugin(QStringLiteral("nubitest_noinfo"), folder.path(), QStringLiteral("bad.spi"));
        CopyPlugin(QStringLiteral("nubitest"), folder.path(), QStringLiteral("good.spi"));
        TSPIs spis;
        spis.SkipFaultyLibraries = true;
        spis.Search(folder.path() + QStringLiteral("/*.spi"));
        QCOMPARE(spis.Count(), 1);
        FakePrompter prompter;
        QWidget window;
        ReportSkippedPluginsWhenShown(window, spis);
        QCoreApplication::processEvents();
        QVERIFY(prompter.asked.empty()); // not before the window is shown
        window.show();
        QTRY_COMPARE(prompter.asked.size(), size_t(1));
        window.hide();
        window.show();
        QCoreApplication::processEvents();
        QCOMPARE(prompter.asked.size(), size_t(1));
        const QString text = prompter.asked[0].text;
        QVERIFY(text.contains(bad));
        QVERIFY(
            text.contains(bad + QStringLiteral("\nSusie Pluginの関数 GetPluginInfo がありません")));
        QVERIFY(!text.contains(QStringLiteral("good.spi")));
        QCOMPARE(prompter.asked[0].icon, MessageIcon::Stop);
    }
};

NUBIVU_TEST(TestSPIBitmap)
#include "tst_tspibitmap.moc"
