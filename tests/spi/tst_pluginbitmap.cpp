#include "fakeprompter.h"
#include "graphicbytes.h"
#include "pictures/formatregistry.h"
#include "pictures/graphicerrors.h"
#include "pictures/picture.h"
#include "spi/pluginbitmap.h"
#include "spi/plugingraphic.h"
#include "spi/pluginmanager.h"
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
    FormatRegistry formats_;

    QString file(const QString& name, const QByteArray& bytes) {
        return writeFile(dir_.filePath(name), bytes);
    }

    static QByteArray bmpImage(int width, int height, QRgb colour) {
        QImage image(width, height, QImage::Format_RGB32);
        image.fill(colour);
        Bitmap bitmap;
        bitmap.setImage(image);
        return saveToBytes(bitmap);
    }

private Q_SLOTS:
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
        PluginManager spis(formats_, testOptions());
        spis.search(copyPlugin(QStringLiteral("nubitest_claimall"), dir_.path()));
        const QString plugin = spis.items(0)->fileName();
        const QString path =
            file(name, bmpContent ? bmpImage(3, 2, qRgb(10, 20, 30)) : nubiPicture(24, 4, 4, 0));
        pluginLog(plugin, true);
        PluginBitmap bitmap(&spis);
        bitmap.loadFile(path);
        QCOMPARE(bitmap.width(), bmpContent ? 3 : 4);
        QCOMPARE(!pluginLog(plugin).isEmpty(), pluginAsked);
        // From a stream with the same name, the same order.
        pluginLog(plugin, true);
        QFile stream(path);
        QVERIFY(stream.open(QIODevice::ReadOnly));
        PluginBitmap fromStream(&spis);
        fromStream.loadFromStreamWithName(stream, name);
        QCOMPARE(fromStream.width(), bmpContent ? 3 : 4);
        QCOMPARE(!pluginLog(plugin).isEmpty(), pluginAsked);
    }

    void streamWithoutNameTriesPluginsFirst() {
        PluginManager spis(formats_, testOptions());
        spis.search(copyPlugin(QStringLiteral("nubitest_claimall"), dir_.path()));
        const QString plugin = spis.items(0)->fileName();
        pluginLog(plugin, true);
        QBuffer buffer;
        buffer.setData(bmpImage(5, 1, qRgb(1, 2, 3)));
        buffer.open(QIODevice::ReadOnly);
        PluginBitmap bitmap(&spis);
        bitmap.loadStream(buffer);
        QVERIFY(!pluginLog(plugin).isEmpty());
        QCOMPARE(bitmap.width(), 5);
    }

    void palettes_data() {
        QTest::addColumn<int>("bits");
        QTest::newRow("1 bit") << 1;
        QTest::newRow("4 bits") << 4;
        QTest::newRow("8 bits") << 8;
    }
    void palettes() {
        QFETCH(int, bits);
        PluginManager spis(formats_, testOptions());
        spis.search(copyPlugin(QStringLiteral("nubitest"), dir_.path()));
        const QString path = file(QStringLiteral("p.nbt"), nubiPicture(bits, 4, 2));
        PluginBitmap bitmap(&spis);
        bitmap.loadFile(path);
        QCOMPARE(bitmap.image().pixel(1, 0) & 0xFFFFFF, nubiPaletteEntry(1));
        if (bits == 4) {
            // The 16-colour picture keeps the decoded colour table as its palette.
            QCOMPARE(bitmap.palette().size(), 16);
            for (int k = 0; k < 16; ++k)
                QCOMPARE(bitmap.palette().at(k) & 0xFFFFFF, nubiPaletteEntry(uint32_t(k)));
        }
        // copyFrom a decoded graphic gives the same picture; it keeps its own.
        PluginGraphic graphic(&spis);
        graphic.loadFile(path);
        PluginBitmap copy;
        copy.copyFrom(graphic);
        QVERIFY(!graphic.empty());
        QCOMPARE(copy.image(), bitmap.image());
        if (bits == 4) QCOMPARE(copy.palette(), bitmap.palette());
    }

    void bothFailKeepsThePicture() {
        PluginManager spis(formats_, testOptions());
        spis.search(copyPlugin(QStringLiteral("nubitest"), dir_.path()));
        std::vector<QString> endings;
        bool listening = false;
        PluginBitmap bitmap(&spis, [&](Graphic* sender, ProgressStage stage, quint8 percent,
                                       bool redraw, const QRect& r, const QString& message) {
            QCOMPARE(sender, &bitmap);
            if (listening && stage == ProgressStage::Ending)
                endings.push_back(QStringLiteral("%1 %2 %3 %4")
                                      .arg(percent)
                                      .arg(redraw)
                                      .arg(r.width())
                                      .arg(message));
        });
        bitmap.loadFile(file(QStringLiteral("good.nbt"), nubiPicture(24, 7, 3)));
        listening = true;
        expectCouldNotDecode([&] { bitmap.loadFile(file(QStringLiteral("bad.nbt"), "neither")); });
        QCOMPARE(bitmap.width(), 7);
        QCOMPARE(endings, std::vector<QString>{QStringLiteral("100 1 7 Loaded Graphic")});
    }

    void progressSeenByTheCaller() {
        PluginManagerOptions options = testOptions();
        options.macBinary = false;
        PluginManager spis(formats_, options);
        spis.search(copyPlugin(QStringLiteral("nubitest"), dir_.path()));
        QStringList seen;
        PluginBitmap bitmap(&spis, [&](Graphic* sender, ProgressStage stage, quint8 percent, bool,
                                       const QRect& r, const QString& message) {
            QCOMPARE(sender, &bitmap);
            seen.append(QStringLiteral("%1 %2 %3 %4x%5")
                            .arg(int(stage))
                            .arg(percent)
                            .arg(message)
                            .arg(r.width())
                            .arg(r.height()));
        });
        bitmap.loadFile(file(QStringLiteral("g.nbt"), nubiPicture(8, 5, 1)));
        QCOMPARE(seen, (QStringList{"0 0 Loading Graphic by Susie Plugin 0x0",
                                    "1 1 Seeking enabled Susie Plugins 0x0",
                                    "1 1 Loading by [nubitest.spi] 0x0", "1 2  0x0", "1 99  0x0",
                                    "2 100 Loaded Graphic 5x1"}));
    }

    void withoutManagerOnlyTheNativeDecoder() {
        PluginBitmap bitmap;
        expectCouldNotDecode(
            [&] { bitmap.loadFile(file(QStringLiteral("gone.nbt"), nubiPicture(8, 2, 2))); });
        bitmap.loadFile(file(QStringLiteral("native.nbt"), bmpImage(2, 2, qRgb(0, 0, 0))));
        QCOMPARE(bitmap.width(), 2);
    }

    void registrationEndsWithTheManager() {
        {
            PluginManager spis(formats_, testOptions());
            spis.search(copyPlugin(QStringLiteral("nubitest_multi"), dir_.path()));
            QCOMPARE(formats_.find(QStringLiteral("nbx")), &PluginBitmap::staticClass());
        }
        QCOMPARE(formats_.find(QStringLiteral("nbx")), nullptr);
        QCOMPARE(formats_.find(QStringLiteral("nbz")), nullptr);
        QVERIFY(formats_.find(QStringLiteral("bmp"))); // the native formats stay
    }

    void showsInAPane() {
        PluginManager spis(formats_, testOptions());
        spis.search(copyPlugin(QStringLiteral("nubitest"), dir_.path()));
        PicturePane pane;
        pane.resize(40, 20);
        formats_.loadPicture(pane.picture(),
                             file(QStringLiteral("pane.nbt"), nubiPicture(24, 2, 1, 0x80)));
        QVERIFY(dynamic_cast<PluginBitmap*>(pane.picture().graphic()));
        const QImage shot = pane.grab().toImage();
        const NubiHeader h{24, 0, 2, 1, 0x80, 0};
        QCOMPARE(shot.pixel(5, 10) & 0xFFFFFF, nubiPixel(&h, 0, 0));
        QCOMPARE(shot.pixel(35, 10) & 0xFFFFFF, nubiPixel(&h, 1, 0));
    }

    // The start-up search's skipped files are reported once, after the window shows.
    void skippedFilesReportedOnceAfterShow() {
        QTemporaryDir folder;
        const QString bad =
            copyPlugin(QStringLiteral("nubitest_noinfo"), folder.path(), QStringLiteral("bad.spi"));
        copyPlugin(QStringLiteral("nubitest"), folder.path(), QStringLiteral("good.spi"));
        PluginManagerOptions options = testOptions();
        options.skipFaultyLibraries = true;
        PluginManager spis(formats_, options);
        spis.search(folder.path() + QStringLiteral("/*.spi"));
        QCOMPARE(spis.count(), 1);
        FakePrompter prompter;
        QWidget window;
        reportSkippedPluginsWhenShown(window, spis, prompter);
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
#include "tst_pluginbitmap.moc"
