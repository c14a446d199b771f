#include "fakeprompter.h"
#include "pictures/fileformats.h"
#include "pictures/graphicerrors.h"
#include "pictures/tbitmap.h"
#include "pictures/tpicture.h"
#include "spi/helperlibrary.h"
#include "spi/pluginloader.h"
#include "spi/tspibitmap.h"
#include "spi/tspigraphic.h"
#include "spi/tspis.h"
#include "spi/wine.h"
#include "spitestsupport.h"
#include "testrunner.h"
#include "ui/picturepane.h"
#include "ui/skippedpluginsreport.h"

#include <QBuffer>
#include <QScopeGuard>
#include <QTemporaryDir>
#include <QTest>
#include <csignal>

using namespace nubivu;
using namespace nubivu::test;

namespace {

// Checks every pixel of a decoded 24-bit picture against the test format's rule.
void verify24(const QImage& image, int width, int height, int seed) {
    const NubiHeader h{24, 0, unsigned(width), unsigned(height), unsigned(seed), 0};
    QCOMPARE(image.size(), QSize(width, height));
    for (int y = 0; y < height; ++y)
        for (int x = 0; x < width; ++x)
            if ((image.pixel(x, y) & 0xFFFFFF) != nubiPixel(&h, unsigned(x), unsigned(y)))
                QFAIL(qPrintable(QStringLiteral("pixel %1,%2").arg(x).arg(y)));
}

QImage paneImage(PicturePane& pane) {
    auto* bitmap = dynamic_cast<TBitmap*>(pane.Picture().Graphic());
    return bitmap ? bitmap->Image() : QImage();
}

THelperLibrary& helperOf(TSPI& spi) {
    auto* library = dynamic_cast<THelperLibrary*>(&spi.Library());
    if (!library) qFatal("the plug-in runs in process");
    return *library;
}

} // namespace

class TestHelperPlugin : public QObject {
    Q_OBJECT

    QTemporaryDir dir_;
    std::optional<TSPIBitmapRegistration> registration_;

    QString picture(const QString& name, const QByteArray& bytes) {
        return WriteFile(dir_.filePath(name), bytes);
    }

    // A manager with a private copy of the misbehaving test plug-in, run in the helper.
    std::unique_ptr<TSPIs> manager() {
        auto spis = std::make_unique<TSPIs>();
        spis->MacBinary = false;
        spis->Search(CopyPlugin(QStringLiteral("nubitest_wild"), dir_.path()));
        if (spis->Count() != 1) qFatal("the test plug-in did not load");
        return spis;
    }

    // Loads the file into a pane as the slide show does; true when it shows a picture.
    static bool loadIntoPane(PicturePane& pane, const QString& file) {
        try {
            LoadPicture(pane.Picture(), file);
            return true;
        } catch (const EInvalidGraphic& e) {
            if (e.message() != QStringLiteral("Susie Plugins could not decode"))
                qFatal("unexpected message");
            pane.Picture().Clear();
            return false;
        }
    }

private Q_SLOTS:
    void initTestCase() {
        TPluginLoader::OverrideHelperProgram(QStringLiteral(NUBIVU_RUNTIME_DIR "/nubivu-spihost"));
        ReportSetAsidePlugins(); // as the main window does
    }
    void init() {
        TPluginLoader::OverrideThirdPartyInProcess(false);
        THelperLibrary::Limits() = THelperLimits{};
        THelperLibrary::Limits().pictureMs = 400; // the hanging plug-in
        registration_.emplace();
    }
    void cleanup() {
        registration_.reset();
        TPluginLoader::OverrideThirdPartyInProcess(true);
    }
    void cleanupTestCase() {
        THelperLibrary::OnSetAside() = nullptr;
        TPluginLoader::OverrideHelperProgram({});
    }

    void placeByOrigin() {
        const QString copy = CopyPlugin(QStringLiteral("nubitest"), dir_.path());
        QCOMPARE(TPluginLoader::PlaceOf(copy), TPluginLoader::TPlace::Helper);
        QVERIFY(!TPluginLoader::IsShipped(copy));
        QVERIFY(TPluginLoader::IsShipped(QCoreApplication::applicationDirPath() +
                                         QStringLiteral("/ifpng.spi")));
        TPluginLoader::OverrideThirdPartyInProcess(true); // the user's choice
        QCOMPARE(TPluginLoader::PlaceOf(copy), TPluginLoader::TPlace::InProcess);
        TPluginLoader::OverrideThirdPartyInProcess(false);
        // A Windows library goes to Wine's helper; anything else that is no
        // shared object is refused by the system loader as before.
        QCOMPARE(TPluginLoader::PlaceOf(picture(QStringLiteral("win.spi"), "MZ\x90")),
                 TPluginLoader::TPlace::WineHelper);
        QCOMPARE(TPluginLoader::PlaceOf(picture(QStringLiteral("junk.spi"), "junk")),
                 TPluginLoader::TPlace::InProcess);
    }

    // The wrapper reads the same description and decodes the same pixels,
    // from a file and from memory, while the plug-in's code stays out of this process.
    void decodesOutOfProcess() {
        const auto spis = manager();
        TSPI& spi = *spis->Items(0);
        QCOMPARE(spi.ClassType().name, "TInSPI");
        QCOMPARE(spi.PluginInfo(), QStringLiteral("Nubivu test plug-in"));
        QCOMPARE(spi.Extensions(), QStringList{QStringLiteral("*.nbt")});
        QCOMPARE(spi.FileName(),
                 QFileInfo(dir_.filePath(QStringLiteral("nubitest_wild.spi"))).canonicalFilePath());
        QVERIFY(!IsLoaded(spi.FileName()));
        QVERIFY(helperOf(spi).HelperPid() > 0);

        const QByteArray bytes = NubiPicture(24, 13, 5, 3);
        PicturePane pane;
        QVERIFY(loadIntoPane(pane, picture(QStringLiteral("a.nbt"), bytes)));
        verify24(paneImage(pane), 13, 5, 3);

        // From memory, more than the channel holds at once: the helper reads while we send.
        QBuffer buffer;
        buffer.setData(bytes + QByteArray(4 << 20, 'x'));
        buffer.open(QIODevice::ReadOnly);
        TSPIGraphic graphic;
        graphic.LoadFromStreamWithName(buffer, QStringLiteral("m.nbt"));
        verify24(graphic.ToBitmap(TBitmap::StaticClass())->Image(), 13, 5, 3);

        // GetPictureInfo's attached text comes back as a handle of ours.
        SpiPictureInfo info{};
        const QByteArray name = QFile::encodeName(dir_.filePath(QStringLiteral("a.nbt")));
        auto& in = static_cast<TInSPI&>(spi);
        QCOMPARE(in.GetPictureInfo(name.constData(), 0, SPI_SOURCE_FILE, &info), 0);
        QCOMPARE(info.width, 13);
        const HLOCAL text = info.text_info;
        QCOMPARE(QByteArray(static_cast<const char*>(LocalLock(text))), QByteArray("made up"));
        LocalUnlock(text);
        QCOMPARE(LocalFree(text), nullptr);
        QCOMPARE(helperOf(spi).Failures(), 0);
    }

    // Crashes, hangs and lies end in the designed failure; the next picture loads.
    void misbehaviourFailsLikeThePlugin_data() {
        QTest::addColumn<int>("act");
        QTest::addColumn<int>("failures"); // counted against the plug-in
        QTest::newRow("crash in GetPicture") << int(NUBI_WILD_CRASH) << 1;
        QTest::newRow("hang in GetPicture") << int(NUBI_WILD_HANG) << 1;
        QTest::newRow("quiet exit") << int(NUBI_WILD_EXIT) << 1;
        QTest::newRow("crash in IsSupported") << int(NUBI_WILD_PROBE_CRASH) << 1;
        QTest::newRow("pixel handle too short") << int(NUBI_LIE_SHORT_BITS) << 0;
        QTest::newRow("handle not from LocalAlloc") << int(NUBI_LIE_FOREIGN_HANDLE) << 0;
        QTest::newRow("prints on standard output") << int(NUBI_WILD_CHATTY) << -1; // decodes
    }
    void misbehaviourFailsLikeThePlugin() {
        QFETCH(int, act);
        QFETCH(int, failures);
        FakePrompter prompter;
        const auto spis = manager();
        THelperLibrary& helper = helperOf(*spis->Items(0));
        const pid_t first = helper.HelperPid();
        PicturePane pane;
        QVERIFY(
            loadIntoPane(pane, picture(QStringLiteral("before.nbt"), NubiPicture(24, 4, 4, 1))));
        const bool shown =
            loadIntoPane(pane, picture(QStringLiteral("wild.nbt"), NubiPicture(24, 6, 3, 2, act)));
        QCOMPARE(shown, failures < 0);
        if (!shown)
            QVERIFY(pane.Picture().Graphic() == nullptr || pane.Picture().Graphic()->Empty());
        QCOMPARE(helper.Failures(), std::max(failures, 0));
        QVERIFY(loadIntoPane(pane, picture(QStringLiteral("after.nbt"), NubiPicture(24, 5, 2, 7))));
        verify24(paneImage(pane), 5, 2, 7);
        QCOMPARE(helper.HelperPid() != first, failures > 0); // started afresh after a failure
        QCoreApplication::processEvents();
        QVERIFY(prompter.asked.empty());
    }

    void setAsideAfterThreeFailures() {
        FakePrompter prompter;
        const auto spis = manager();
        THelperLibrary& helper = helperOf(*spis->Items(0));
        PicturePane pane;
        const QString crash =
            picture(QStringLiteral("crash.nbt"), NubiPicture(24, 3, 3, 0, NUBI_WILD_CRASH));
        const QString good = picture(QStringLiteral("good.nbt"), NubiPicture(24, 3, 3));
        for (int i = 0; i < 2; ++i) {
            QVERIFY(!loadIntoPane(pane, crash));
            QVERIFY(loadIntoPane(pane, good));
        }
        QCoreApplication::processEvents();
        QVERIFY(prompter.asked.empty());
        QVERIFY(!loadIntoPane(pane, crash));
        QVERIFY(helper.SetAside());
        QTRY_COMPARE(prompter.asked.size(), size_t(1)); // named from the event loop
        QCOMPARE(prompter.asked[0].text,
                 QStringLiteral("次のSusie "
                                "Pluginは異常終了または応答なしが3回あったので、このセッションでは"
                                "もう使いません:\n\n") +
                     spis->Items(0)->FileName());
        QCOMPARE(helper.HelperPid(), -1);
        // Asked no more: its pictures fail at once, and it is named only once.
        QVERIFY(!loadIntoPane(pane, good));
        QVERIFY(!loadIntoPane(pane, crash));
        QCoreApplication::processEvents();
        QCOMPARE(prompter.asked.size(), size_t(1));
        QCOMPARE(helper.Failures(), 3);
    }

    void progressAndCancelThroughTheHelper() {
        const auto spis = manager();
        TSPIGraphic graphic;
        QList<int> percents;
        bool cancel = false;
        graphic.SetOnProgress([&](TGraphic*, TProgressStage stage, quint8 percent, bool,
                                  const QRect&, const QString&) {
            if (stage != TProgressStage::psRunning || percent < 2) return;
            percents.append(percent);
            if (cancel && percent > 40) throw EAbort(QString());
        });
        const QString file = picture(QStringLiteral("p.nbt"), NubiPicture(24, 4, 10));
        graphic.LoadFile(file);
        QCOMPARE(percents.first(), 2);
        QCOMPARE(percents.last(), 99);
        QCOMPARE(percents.size(), 11); // one for each row, and the end

        percents.clear();
        cancel = true;
        try {
            graphic.LoadFile(file);
            QFAIL("decoded in spite of the cancel");
        } catch (const EInvalidGraphic&) {
        }
        QCOMPARE(percents.last(), 41); // row 4 of 10: the first report beyond 40 asks it to stop
        QCOMPARE(helperOf(*spis->Items(0)).Failures(), 0); // a plug-in's own answer, not a failure
    }

    // The 32-bit Windows test plug-in through Wine: its CP932 texts, file
    // names as Wine paths (through memory where CP932 cannot spell one), a
    // crash that only the helper feels.
    void windowsPluginThroughWine() {
#ifndef NUBIVU_HAVE_WINDOWS_TEST_PLUGIN
        QSKIP("no mingw-w64 i686 compiler, so no Windows test plug-in");
#else
        TWine wine{std::nullopt, QStringLiteral(NUBIVU_RUNTIME_DIR "/nubivu-spihost32.exe")};
        TWine::Install(&wine);
        const auto restore = qScopeGuard([] { TWine::Install(nullptr); });
        QString why;
        if (wine.Program().isEmpty()) QSKIP("Wine is not installed");
        if (!wine.Runs(&why)) QSKIP(qPrintable(QStringLiteral("Wine does not run here: ") + why));
        QDir(dir_.path()).mkpath(QStringLiteral("天気"));
        QDir(dir_.path()).mkpath(QStringLiteral("pluie é"));
        TSPIs spis;
        spis.MacBinary = false;
        spis.Search(CopyPlugin(QStringLiteral("winnubi"), dir_.filePath(QStringLiteral("天気"))));
        QCOMPARE(spis.Count(), 1);
        TSPI& spi = *spis.Items(0);
        QCOMPARE(spi.ClassType().name, "TInSPI");
        QCOMPARE(spi.PluginInfo(), QStringLiteral("なびゅ試験プラグイン"));
        QCOMPARE(spi.Descriptions(), QStringList{QStringLiteral("テスト画像")});

        PicturePane pane;
        for (const char* folder : {"天気", "pluie é"}) {
            const QString file = picture(QString::fromUtf8(folder) + QStringLiteral("/w.nbt"),
                                         NubiPicture(24, 7, 3, 5));
            QVERIFY2(loadIntoPane(pane, file), folder);
            verify24(paneImage(pane), 7, 3, 5);
            SpiPictureInfo info{};
            const QByteArray name = QFile::encodeName(file);
            QCOMPARE(static_cast<TInSPI&>(spi).GetPictureInfo(name.constData(), 0, SPI_SOURCE_FILE,
                                                              &info),
                     0);
            const HLOCAL text = info.text_info;
            const QByteArray seen(static_cast<const char*>(LocalLock(text)));
            LocalUnlock(text);
            LocalFree(text);
            // What the plug-in was handed: a Wine path in CP932, or the bytes.
            if (QByteArray(folder) == "pluie é")
                QCOMPARE(seen, QByteArray("memory"));
            else
                QVERIFY2(seen.startsWith("Z:\\") && seen.endsWith("\\w.nbt"), seen.constData());
        }
        QVERIFY(!loadIntoPane(
            pane, picture(QStringLiteral("c.nbt"), NubiPicture(24, 2, 2, 0, NUBI_WILD_CRASH))));
        QVERIFY(loadIntoPane(pane, picture(QStringLiteral("d.nbt"), NubiPicture(24, 2, 2))));
        QCOMPARE(helperOf(spi).Failures(), 1);
#endif
    }

    // A helper that is killed from outside while idle counts as one failure
    // of the call that finds it gone; the call after that works.
    void killedHelperRestarts() {
        const auto spis = manager();
        THelperLibrary& helper = helperOf(*spis->Items(0));
        ::kill(helper.HelperPid(), SIGKILL);
        PicturePane pane;
        const QString good = picture(QStringLiteral("k.nbt"), NubiPicture(24, 2, 2));
        QVERIFY(!loadIntoPane(pane, good));
        QVERIFY(loadIntoPane(pane, good));
        QCOMPARE(helper.Failures(), 1);
    }
};

NUBIVU_TEST(TestHelperPlugin)
#include "tst_helperplugin.moc"
