#include "spi/libraryloader.h"
#include "spi/plugin.h"
#include "spitestsupport.h"
#include "testrunner.h"

#include <QTemporaryDir>
#include <QTest>

using namespace nubivu;
using namespace nubivu::test;

namespace {

// Stands in for another kind of library: entry points from this program.
int32_t fakeInfo(int32_t n, char* buffer, int32_t length) {
    const char* const texts[] = {"00XN", "fake"};
    if (n < 0 || n > 1) return 0;
    qstrncpy(buffer, texts[n], size_t(length) + 1);
    return int32_t(qstrlen(buffer));
}

class FakeLibrary : public PluginLibrary {
public:
    void* resolve(const char* name) const override {
        return qstrcmp(name, "GetPluginInfo") == 0 ? reinterpret_cast<void*>(&fakeInfo) : nullptr;
    }
    QString modulePath() const override { return {}; }
};

class FakeLoader : public LibraryLoader {
public:
    QStringList loaded;
    std::unique_ptr<PluginLibrary> load(const QString& path) override {
        loaded.append(path);
        return std::make_unique<FakeLibrary>();
    }
};

} // namespace

class TestSPIWrappers : public QObject {
    Q_OBJECT

private Q_SLOTS:
    void createByKind_data() {
        QTest::addColumn<QString>("plugin");
        QTest::addColumn<QString>("cls");
        QTest::addColumn<QString>("apiVersion");
        QTest::addColumn<bool>("kindSupported");
        QTest::addColumn<QStringList>("extensions");
        QTest::addColumn<QStringList>("descriptions");
        const QStringList nbt{QStringLiteral("*.nbt")};
        const QStringList nbtText{QStringLiteral("Nubivu test picture")};
        QTest::newRow("import without preview") << "nubitest"
                                                << "ImportPlugin"
                                                << "00IN" << true << nbt << nbtText;
        QTest::newRow("import with preview") << "nubitest_preview"
                                             << "ImportPlugin"
                                             << "00IN" << true << nbt << nbtText;
        QTest::newRow("kind in lower case") << "nubitest_lower"
                                            << "Plugin"
                                            << "00in" << false << nbt << nbtText;
        QTest::newRow("archive") << "nubitest_archive"
                                 << "ArchivePlugin"
                                 << "00AM" << true << nbt << nbtText;
        QTest::newRow("00XN") << "nubitest_extra"
                              << "XnPlugin"
                              << "00XN" << false << nbt << nbtText;
        // No text 0; text 6 without text 7 is dropped; the pairs are read all the same.
        QTest::newRow("no kind, lone pattern")
            << "nubitest_texts"
            << "Plugin"
            << "" << false << QStringList{"*.nbx;*.nby", "*.nbz;"}
            << QStringList{"two patterns", "ends in a semicolon"};
    }
    void createByKind() {
        QFETCH(QString, plugin);
        const std::unique_ptr<Plugin> spi = createSPI(pluginPath(plugin), testLoader());
        QVERIFY(spi);
        QTEST(QString::fromLatin1(spi->classType().name), "cls");
        QTEST(spi->apiVersion(), "apiVersion");
        QCOMPARE(spi->pluginInfo(), QStringLiteral("Nubivu test plug-in"));
        QTEST(spi->kindSupported(), "kindSupported");
        QTEST(spi->extensions(), "extensions");
        QTEST(spi->descriptions(), "descriptions");
        QCOMPARE(spi->fileName(), QFileInfo(pluginPath(plugin)).absoluteFilePath());
    }

    void missingEntryPoint_data() {
        QTest::addColumn<QString>("plugin");
        QTest::addColumn<QString>("entry");
        QTest::newRow("not a plug-in") << "nubitest_noinfo"
                                       << "GetPluginInfo";
        QTest::newRow("00IN without GetPicture") << "nubitest_nopicture"
                                                 << "GetPicture";
        QTest::newRow("00AM without archive calls") << "nubitest_archive_bare"
                                                    << "GetArchiveInfo";
    }
    void missingEntryPoint() {
        QFETCH(QString, plugin);
        QFETCH(QString, entry);
        const QString path = QFileInfo(pluginPath(plugin)).absoluteFilePath();
        try {
            createSPI(path, testLoader());
            QFAIL("no exception");
        } catch (const ESPIInvalidAPI& e) {
            QCOMPARE(e.message(), entry + QStringLiteral("は[") + path +
                                      QStringLiteral("]では使えないSusie Plugin APIです"));
        }
        // The partly built wrappers are gone, and with them the library.
        QVERIFY(!isLoaded(path));
    }

    void unloadableLibrary() {
        QTemporaryDir dir;
        const QString junk = writeFile(dir.filePath(QStringLiteral("junk.spi")), "not a library");
        QVERIFY(!createSPI(junk, testLoader()));
        QVERIFY(!createSPI(dir.filePath(QStringLiteral("missing.spi")), testLoader()));
        try {
            Plugin::staticClass().create(junk, testLoader());
            QFAIL("no exception");
        } catch (const ESPIFOpenErrorSPI& e) {
            QCOMPARE(e.message(), junk + QStringLiteral(":Susie Pluginがロードできませんでした"));
        }
    }

    void callsRequireTheirEntryPoint() {
        const std::unique_ptr<Plugin> spi =
            createSPI(pluginPath(QStringLiteral("nubitest")), testLoader());
        auto* in = dynamic_cast<ImportPlugin*>(spi.get());
        QVERIFY(in);
        HLOCAL info = nullptr;
        HLOCAL bits = nullptr;
        QVERIFY_THROWS_EXCEPTION(ESPIInvalidAPI,
                                 in->GetPreview("x", 0, SPI_SOURCE_FILE, &info, &bits, nullptr, 0));
        QVERIFY(!info && !bits);
        // The wrapper is unchanged and goes on working.
        char buffer[256] = {};
        QCOMPARE(in->GetPluginInfo(0, buffer, 255), 4);
    }

    void secondLoaderStandsBehindTheWrappers() {
        FakeLoader fake;
        const std::unique_ptr<Plugin> spi = createSPI(QStringLiteral("helper:plugin.spi"), fake);
        QVERIFY(spi);
        QCOMPARE(QString::fromLatin1(spi->classType().name), QStringLiteral("XnPlugin"));
        // No module path known: the path as passed. Loaded twice: once to read the kind.
        QCOMPARE(spi->fileName(), QStringLiteral("helper:plugin.spi"));
        QCOMPARE(fake.loaded.size(), 2);
    }
};

NUBIVU_TEST(TestSPIWrappers)
#include "tst_plugin.moc"
