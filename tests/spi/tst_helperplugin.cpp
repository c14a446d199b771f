#include "fakeprompter.h"
#include "pictures/bitmap.h"
#include "pictures/formatregistry.h"
#include "pictures/graphicerrors.h"
#include "pictures/picture.h"
#include "spi/helperlibrary.h"
#include "spi/pluginbitmap.h"
#include "spi/plugingraphic.h"
#include "spi/pluginlibraryloader.h"
#include "spi/pluginmanager.h"
#include "spi/wine.h"
#include "spitestsupport.h"
#include "testrunner.h"
#include "ui/picturepane.h"
#include "ui/skippedpluginsreport.h"

#include <QBuffer>
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
    auto* bitmap = dynamic_cast<Bitmap*>(pane.picture().graphic());
    return bitmap ? bitmap->image() : QImage();
}

HelperLibrary& helperOf(Plugin& spi) {
    auto* library = dynamic_cast<HelperLibrary*>(&spi.library());
    if (!library) qFatal("the plug-in runs in process");
    return *library;
}

} // namespace

class TestHelperPlugin : public QObject {
    Q_OBJECT

    QTemporaryDir dir_;
    FormatRegistry formats_;
    // What the reports of plug-ins set aside go to, as the main window's do;
    // the window goes first, and its queued reports with it.
    FakePrompter prompter_;
    QWidget reportWindow_;

    QString picture(const QString& name, const QByteArray& bytes) {
        return writeFile(dir_.filePath(name), bytes);
    }

    // Third-party plug-ins in our own helper, with a short limit for the hanging plug-in.
    static PluginLibrarySettings inHelper() {
        PluginLibrarySettings settings;
        settings.thirdPartyInProcess = false;
        settings.helperProgram = QStringLiteral(NUBIVU_RUNTIME_DIR "/nubivu-spihost");
        settings.helperLimits.pictureMs = 400;
        return settings;
    }

    // A manager with a private copy of the misbehaving test plug-in, run in
    // the helper, whose set-aside plug-ins are named as the program names them.
    std::unique_ptr<PluginManager> manager() {
        PluginManagerOptions options;
        options.macBinary = false;
        options.libraries = inHelper();
        auto spis = std::make_unique<PluginManager>(formats_, options);
        reportSetAsidePlugins(*spis, reportWindow_, prompter_);
        spis->search(copyPlugin(QStringLiteral("nubitest_wild"), dir_.path()));
        if (spis->count() != 1) qFatal("the test plug-in did not load");
        return spis;
    }

    // Loads the file into a pane as the slide show does; true when it shows a picture.
    bool loadIntoPane(PicturePane& pane, const QString& file) {
        try {
            formats_.loadPicture(pane.picture(), file);
            return true;
        } catch (const EInvalidGraphic& e) {
            if (e.message() != QStringLiteral("Susie Plugins could not decode"))
                qFatal("unexpected message");
            pane.picture().clear();
            return false;
        }
    }

private Q_SLOTS:
    void init() { prompter_ = FakePrompter(); }

    void placeByOrigin() {
        const QString copy = copyPlugin(QStringLiteral("nubitest"), dir_.path());
        const PluginLibraryLoader loader(inHelper());
        QCOMPARE(loader.placeOf(copy), PluginLibraryLoader::Place::Helper);
        QVERIFY(!PluginLibraryLoader::isShipped(copy));
        QVERIFY(PluginLibraryLoader::isShipped(QCoreApplication::applicationDirPath() +
                                               QStringLiteral("/ifpng.spi")));
        PluginLibrarySettings chosen = inHelper();
        chosen.thirdPartyInProcess = true; // the user's choice
        QCOMPARE(PluginLibraryLoader(chosen).placeOf(copy), PluginLibraryLoader::Place::InProcess);
        // A Windows library goes to Wine's helper; anything else that is no
        // shared object is refused by the system loader as before.
        QCOMPARE(loader.placeOf(picture(QStringLiteral("win.spi"), "MZ\x90")),
                 PluginLibraryLoader::Place::WineHelper);
        QCOMPARE(loader.placeOf(picture(QStringLiteral("junk.spi"), "junk")),
                 PluginLibraryLoader::Place::InProcess);
    }

    // The wrapper reads the same description and decodes the same pixels,
    // from a file and from memory, while the plug-in's code stays out of this process.
    void decodesOutOfProcess() {
        const auto spis = manager();
        Plugin& spi = *spis->items(0);
        QCOMPARE(spi.classType().name, "ImportPlugin");
        QCOMPARE(spi.pluginInfo(), QStringLiteral("Nubivu test plug-in"));
        QCOMPARE(spi.extensions(), QStringList{QStringLiteral("*.nbt")});
        QCOMPARE(spi.fileName(),
                 QFileInfo(dir_.filePath(QStringLiteral("nubitest_wild.spi"))).canonicalFilePath());
        QVERIFY(!isLoaded(spi.fileName()));
        QVERIFY(helperOf(spi).helperPid() > 0);

        const QByteArray bytes = nubiPicture(24, 13, 5, 3);
        PicturePane pane;
        QVERIFY(loadIntoPane(pane, picture(QStringLiteral("a.nbt"), bytes)));
        verify24(paneImage(pane), 13, 5, 3);

        // From memory, more than the channel holds at once: the helper reads while we send.
        QBuffer buffer;
        buffer.setData(bytes + QByteArray(4 << 20, 'x'));
        buffer.open(QIODevice::ReadOnly);
        PluginGraphic graphic(spis.get());
        graphic.loadFromStreamWithName(buffer, QStringLiteral("m.nbt"));
        verify24(graphic.toBitmap(Bitmap::staticClass())->image(), 13, 5, 3);

        // GetPictureInfo's attached text comes back as a handle of ours.
        SpiPictureInfo info{};
        const QByteArray name = QFile::encodeName(dir_.filePath(QStringLiteral("a.nbt")));
        auto& in = static_cast<ImportPlugin&>(spi);
        QCOMPARE(in.GetPictureInfo(name.constData(), 0, SPI_SOURCE_FILE, &info), 0);
        QCOMPARE(info.width, 13);
        const HLOCAL text = info.text_info;
        QCOMPARE(QByteArray(static_cast<const char*>(LocalLock(text))), QByteArray("made up"));
        LocalUnlock(text);
        QCOMPARE(LocalFree(text), nullptr);
        QCOMPARE(helperOf(spi).failures(), 0);
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
        // The helper's address-space ceiling refuses the claim. AddressSanitizer
        // reserves terabytes for itself, so a sanitized helper has none.
#ifndef NUBIVU_UNDER_ASAN
        QTest::newRow("asks for 8 GiB") << int(NUBI_WILD_GREEDY) << 1;
#endif
    }
    void misbehaviourFailsLikeThePlugin() {
        QFETCH(int, act);
        QFETCH(int, failures);
        FakePrompter& prompter = prompter_;
        const auto spis = manager();
        HelperLibrary& helper = helperOf(*spis->items(0));
        const pid_t first = helper.helperPid();
        PicturePane pane;
        QVERIFY(
            loadIntoPane(pane, picture(QStringLiteral("before.nbt"), nubiPicture(24, 4, 4, 1))));
        const bool shown =
            loadIntoPane(pane, picture(QStringLiteral("wild.nbt"), nubiPicture(24, 6, 3, 2, act)));
        QCOMPARE(shown, failures < 0);
        if (!shown)
            QVERIFY(pane.picture().graphic() == nullptr || pane.picture().graphic()->empty());
        QCOMPARE(helper.failures(), std::max(failures, 0));
        QVERIFY(loadIntoPane(pane, picture(QStringLiteral("after.nbt"), nubiPicture(24, 5, 2, 7))));
        verify24(paneImage(pane), 5, 2, 7);
        QCOMPARE(helper.helperPid() != first, failures > 0); // started afresh after a failure
        QCoreApplication::processEvents();
        QVERIFY(prompter.asked.empty());
    }

    void setAsideAfterThreeFailures() {
        FakePrompter& prompter = prompter_;
        const auto spis = manager();
        HelperLibrary& helper = helperOf(*spis->items(0));
        PicturePane pane;
        const QString crash =
            picture(QStringLiteral("crash.nbt"), nubiPicture(24, 3, 3, 0, NUBI_WILD_CRASH));
        const QString good = picture(QStringLiteral("good.nbt"), nubiPicture(24, 3, 3));
        for (int i = 0; i < 2; ++i) {
            QVERIFY(!loadIntoPane(pane, crash));
            QVERIFY(loadIntoPane(pane, good));
        }
        QCoreApplication::processEvents();
        QVERIFY(prompter.asked.empty());
        QVERIFY(!loadIntoPane(pane, crash));
        QVERIFY(helper.setAside());
        QTRY_COMPARE(prompter.asked.size(), size_t(1)); // named from the event loop
        QCOMPARE(prompter.asked[0].text,
                 QStringLiteral("次のSusie "
                                "Pluginは異常終了または応答なしが3回あったので、このセッションでは"
                                "もう使いません:\n\n") +
                     spis->items(0)->fileName());
        QCOMPARE(helper.helperPid(), -1);
        // Asked no more: its pictures fail at once, and it is named only once.
        QVERIFY(!loadIntoPane(pane, good));
        QVERIFY(!loadIntoPane(pane, crash));
        QCoreApplication::processEvents();
        QCOMPARE(prompter.asked.size(), size_t(1));
        QCOMPARE(helper.failures(), 3);
    }

    void progressAndCancelThroughTheHelper() {
        const auto spis = manager();
        QList<int> percents;
        bool cancel = false;
        PluginGraphic graphic(spis.get(), [&](Graphic*, ProgressStage stage, quint8 percent, bool,
                                              const QRect&, const QString&) {
            if (stage != ProgressStage::Running || percent < 2) return;
            percents.append(percent);
            if (cancel && percent > 40) throw EAbort(QString());
        });
        const QString file = picture(QStringLiteral("p.nbt"), nubiPicture(24, 4, 10));
        graphic.loadFile(file);
        QCOMPARE(percents.first(), 2);
        QCOMPARE(percents.last(), 99);
        QCOMPARE(percents.size(), 11); // one for each row, and the end

        percents.clear();
        cancel = true;
        try {
            graphic.loadFile(file);
            QFAIL("decoded in spite of the cancel");
        } catch (const EInvalidGraphic&) {
        }
        QCOMPARE(percents.last(), 41); // row 4 of 10: the first report beyond 40 asks it to stop
        QCOMPARE(helperOf(*spis->items(0)).failures(), 0); // a plug-in's own answer, not a failure
    }

    // The 32-bit Windows test plug-in through Wine: its CP932 texts, file
    // names as Wine paths (through memory where CP932 cannot spell one), a
    // crash that only the helper feels.
    void windowsPluginThroughWine() {
#ifndef NUBIVU_HAVE_WINDOWS_TEST_PLUGIN
        QSKIP("no mingw-w64 i686 compiler, so no Windows test plug-in");
#else
        Wine wine{std::nullopt, QStringLiteral(NUBIVU_RUNTIME_DIR "/nubivu-spihost32.exe")};
        QString why;
        if (wine.program().isEmpty()) QSKIP("Wine is not installed");
        if (!wine.runs(&why)) QSKIP(qPrintable(QStringLiteral("Wine does not run here: ") + why));
        QDir(dir_.path()).mkpath(QStringLiteral("天気"));
        QDir(dir_.path()).mkpath(QStringLiteral("pluie é"));
        PluginManagerOptions options;
        options.macBinary = false;
        options.libraries = inHelper();
        options.libraries.wine = wine;
        PluginManager spis(formats_, options);
        spis.search(copyPlugin(QStringLiteral("winnubi"), dir_.filePath(QStringLiteral("天気"))));
        QCOMPARE(spis.count(), 1);
        Plugin& spi = *spis.items(0);
        QCOMPARE(spi.classType().name, "ImportPlugin");
        QCOMPARE(spi.pluginInfo(), QStringLiteral("なびゅ試験プラグイン"));
        QCOMPARE(spi.descriptions(), QStringList{QStringLiteral("テスト画像")});

        PicturePane pane;
        for (const char* folder : {"天気", "pluie é"}) {
            const QString file = picture(QString::fromUtf8(folder) + QStringLiteral("/w.nbt"),
                                         nubiPicture(24, 7, 3, 5));
            QVERIFY2(loadIntoPane(pane, file), folder);
            verify24(paneImage(pane), 7, 3, 5);
            SpiPictureInfo info{};
            const QByteArray name = QFile::encodeName(file);
            QCOMPARE(static_cast<ImportPlugin&>(spi).GetPictureInfo(name.constData(), 0,
                                                                    SPI_SOURCE_FILE, &info),
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
            pane, picture(QStringLiteral("c.nbt"), nubiPicture(24, 2, 2, 0, NUBI_WILD_CRASH))));
        QVERIFY(loadIntoPane(pane, picture(QStringLiteral("d.nbt"), nubiPicture(24, 2, 2))));
        QCOMPARE(helperOf(spi).failures(), 1);
#endif
    }

    // A helper that is killed from outside while idle counts as one failure
    // of the call that finds it gone; the call after that works.
    void killedHelperRestarts() {
        const auto spis = manager();
        HelperLibrary& helper = helperOf(*spis->items(0));
        ::kill(helper.helperPid(), SIGKILL);
        PicturePane pane;
        const QString good = picture(QStringLiteral("k.nbt"), nubiPicture(24, 2, 2));
        QVERIFY(!loadIntoPane(pane, good));
        QVERIFY(loadIntoPane(pane, good));
        QCOMPARE(helper.failures(), 1);
    }
};

NUBIVU_TEST(TestHelperPlugin)
#include "tst_helperplugin.moc"
