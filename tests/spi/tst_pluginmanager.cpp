#include "pictures/formatregistry.h"
#include "spi/pluginbitmap.h"
#include "spi/pluginmanager.h"
#include "spi/spimessages.h"
#include "spi/wine.h"
#include "spitestsupport.h"
#include "testrunner.h"

#include <QFileInfo>
#include <QTemporaryDir>
#include <QTest>

using namespace nubivu;
using namespace nubivu::test;

using Option = PluginFolder;

class TestSPIManager : public QObject {
    Q_OBJECT

    FormatRegistry formats_;

    // A manager that searches at start, as the program's does, in the test's
    // folders for these search options.
    std::unique_ptr<PluginManager> startUp(const QMap<PluginFolder, QString>& folders,
                                           PluginManagerOptions options = testOptions()) {
        options.searchAtStart = true;
        return std::make_unique<PluginManager>(formats_, withFolders(options, folders));
    }

    static QStringList fileNames(const PluginManager& spis) {
        QStringList names;
        for (int i = 0; i < spis.count(); ++i) names.append(spis.items(i)->fileName());
        return names;
    }
    static QStringList listed(const PluginManager& spis, const QString& fileName,
                              std::initializer_list<const PluginClass*> classes = {
                                  &ImportPlugin::staticClass()}) {
        QList<Plugin*> list;
        spis.listPlugins(classes, list, fileName);
        QStringList names;
        for (Plugin* spi : list) names.append(spi->fileName());
        return names;
    }

private Q_SLOTS:
    void initTestCase() { isolateSusieSettings(); }
    void init() { setSusiePath({}); }

    void defaults() {
        const PluginManagerOptions options;
        QVERIFY(options.folders == (PluginFolders{Option::SusieFolder, Option::ProgramFolder}));
        QVERIFY(!options.searchAtStart && !options.skipFaultyLibraries);
        QVERIFY(options.macBinary && !options.preview);
        const PluginManager spis(formats_, options);
        QCOMPARE(spis.count(), 0); // nothing searched
        QVERIFY(!spis.forcedLoader());
    }

    // Two managers, each with its registry: a picture of one's plug-ins is
    // known, and decoded, only through that one's registry.
    void eachManagerServesItsOwnRegistry() {
        QTemporaryDir dir;
        const QString picture =
            writeFile(dir.filePath(QStringLiteral("p.nbt")), nubiPicture(8, 3, 2));
        FormatRegistry withPlugin, without;
        PluginManager first(withPlugin, testOptions());
        const PluginManager second(without, testOptions());
        first.search(copyPlugin(QStringLiteral("nubitest"), dir.path()));
        QCOMPARE(withPlugin.find(QStringLiteral("nbt")), &PluginBitmap::staticClass());
        QCOMPARE(without.find(QStringLiteral("nbt")), nullptr);
        QCOMPARE(withPlugin.loadGraphic(picture)->width(), 3);
        QVERIFY_THROWS_EXCEPTION(EInvalidGraphic, without.loadGraphic(picture));
    }

    void managerGoneAfterDestruction() {
        QString path;
        {
            PluginManager spis(formats_, testOptions());
            spis.search(pluginPath(QStringLiteral("nubitest")));
            QCOMPARE(spis.count(), 1);
            path = spis.items(0)->fileName();
            QCOMPARE(formats_.find(QStringLiteral("nbt")), &PluginBitmap::staticClass());
        }
        QVERIFY(!isLoaded(path));
        // The registrations go with the manager whose plug-ins they asked.
        QCOMPARE(formats_.find(QStringLiteral("nbt")), nullptr);
        QVERIFY(formats_.find(QStringLiteral("bmp"))); // the native formats stay
    }

    // Each option's folder holds a plug-in of its own; the load order shows the search order.
    void searchOrder_data() {
        QTest::addColumn<QList<int>>("options");
        QTest::newRow("all five") << QList<int>{0, 1, 2, 3, 4};
        QTest::newRow("default") << QList<int>{0, 1};
        QTest::newRow("current and windows") << QList<int>{2, 4};
        QTest::newRow("none") << QList<int>{};
    }
    void searchOrder() {
        QFETCH(QList<int>, options);
        QTemporaryDir root;
        QMap<PluginFolder, QString> folders;
        PluginFolders set;
        QStringList expected;
        for (int o = 4; o >= 0; --o) { // set up in reverse: the order must come from the search
            const QString folder = root.filePath(QString::number(o));
            QDir().mkpath(folder);
            const QString copy = copyPlugin(QStringLiteral("nubitest"), folder);
            if (o == 0)
                setSusiePath(folder);
            else
                folders[Option(o)] = folder;
            if (options.contains(o)) expected.prepend(copy);
        }
        for (int o : options) set.include(Option(o));
        PluginManagerOptions searched = testOptions();
        searched.folders = set;
        std::sort(expected.begin(), expected.end());
        PluginManager spis(formats_, withFolders(searched, folders));
        spis.search(QStringLiteral("*.spi"));
        QCOMPARE(fileNames(spis), expected);
    }

    void susieFolderSetting_data() {
        QTest::addColumn<QVariant>("value");
        QTest::addColumn<bool>("searched");
        QTest::newRow("folder") << QVariant(QStringLiteral("<dir>")) << true;
        QTest::newRow("folder with separator") << QVariant(QStringLiteral("<dir>/")) << true;
        QTest::newRow("missing") << QVariant() << false;
        QTest::newRow("empty") << QVariant(QString()) << false;
        QTest::newRow("another type")
            << QVariant(QStringList{QStringLiteral("<dir>"), QStringLiteral("x")}) << false;
    }
    void susieFolderSetting() {
        QFETCH(QVariant, value);
        QFETCH(bool, searched);
        QTemporaryDir dir;
        copyPlugin(QStringLiteral("nubitest"), dir.path());
        if (value.typeId() == QMetaType::QString)
            value = value.toString().replace(QStringLiteral("<dir>"), dir.path());
        else if (value.typeId() == QMetaType::QStringList)
            value = value.toStringList().replaceInStrings(QStringLiteral("<dir>"), dir.path());
        setSusiePath(value);
        const auto spis = startUp({{Option::ProgramFolder, QString()}}); // nothing else to find
        QCOMPARE(spis->count(), searched ? 1 : 0);
    }

    void maskWithFolderIgnoresOptions() {
        QTemporaryDir a, b;
        copyPlugin(QStringLiteral("nubitest"), a.path());
        copyPlugin(QStringLiteral("nubitest_preview"), b.path());
        PluginManager spis(formats_, withFolders(testOptions(), {{Option::ProgramFolder,
                                                                  b.path() + QLatin1Char('/')}}));
        spis.search(a.path() + QStringLiteral("/*.spi"));
        QCOMPARE(fileNames(spis), QStringList{a.filePath(QStringLiteral("nubitest.spi"))});
    }

    void onlyPlainFilesMatchingTheMask() {
        QTemporaryDir dir;
        const QString upper =
            copyPlugin(QStringLiteral("nubitest"), dir.path(), QStringLiteral("UPPER.SPI"));
        copyPlugin(QStringLiteral("nubitest"), dir.path(), QStringLiteral(".hidden.spi"));
        copyPlugin(QStringLiteral("nubitest"), dir.path(), QStringLiteral("other.dll"));
        QDir(dir.path()).mkdir(QStringLiteral("folder.spi"));
        PluginManager spis(formats_, testOptions());
        spis.search(dir.path() + QStringLiteral("/*.spi"));
        QCOMPARE(fileNames(spis), QStringList{upper});
    }

    void sameNameInTwoFolders() {
        QTemporaryDir susie, app;
        const QString first = copyPlugin(QStringLiteral("nubitest"), susie.path());
        const QString second = copyPlugin(QStringLiteral("nubitest"), app.path());
        setSusiePath(susie.path());
        const auto spis = startUp({{Option::ProgramFolder, app.path() + QLatin1Char('/')}});
        QCOMPARE(fileNames(*spis), (QStringList{first, second}));
        // The copy loaded later is tried first for its own extension.
        QCOMPARE(listed(*spis, QStringLiteral("sky.nbt")), (QStringList{second, first}));
    }

    void sameFolderTwice_data() {
        QTest::addColumn<QString>("appSuffix");
        QTest::newRow("same text") << "/";
        QTest::newRow("without separator") << "";
        QTest::newRow("with a dot segment") << "/./";
    }
    void sameFolderTwice() {
        QFETCH(QString, appSuffix);
        QTemporaryDir dir;
        const QString copy = copyPlugin(QStringLiteral("nubitest"), dir.path());
        setSusiePath(QString(dir.path() + QLatin1Char('/')));
        const auto spis = startUp({{Option::ProgramFolder, dir.path() + appSuffix}});
        QCOMPARE(fileNames(*spis), QStringList{copy});
    }

    void registrationOrder() {
        PluginManager spis(formats_, testOptions());
        const size_t before = formats_.entries().size();
        spis.search(pluginPath(QStringLiteral("nubitest_multi")));
        QStringList pieces;
        for (size_t i = before; i < formats_.entries().size(); ++i) {
            pieces.append(formats_.entries()[i].extension);
            QCOMPARE(formats_.entries()[i].graphicClass, &PluginBitmap::staticClass());
        }
        QCOMPARE(pieces, (QStringList{"nby", "nbx", "", "nbz"}));
        QCOMPARE(formats_.find(QStringLiteral("nbx")), &PluginBitmap::staticClass());
        QCOMPARE(formats_.find(QString()), &PluginBitmap::staticClass());
        QCOMPARE(formats_.find(QStringLiteral("nbq")), nullptr); // pattern without description
    }

    void otherKindsRegisterNothing() {
        PluginManager spis(formats_, testOptions());
        spis.search(pluginPath(QStringLiteral("nubitest_lower")));
        spis.search(pluginPath(QStringLiteral("nubitest_archive")));
        QCOMPARE(spis.count(), 2);
        QCOMPARE(formats_.find(QStringLiteral("nbt")), nullptr);
        QVERIFY(listed(spis, QStringLiteral("a.nbt")).isEmpty());
        QCOMPARE(listed(spis, QStringLiteral("a.nbt"), {&Plugin::staticClass()}).size(), 2);
    }

    void listPluginsOrder_data() {
        QTest::addColumn<QString>("fileName");
        QTest::addColumn<QList<int>>("order"); // indices into the load order
        QTest::newRow("claimed, latest first") << "sky.NBT" << QList<int>{2, 0, 1};
        QTest::newRow("no extension") << "sky" << QList<int>{0, 1, 2};
        QTest::newRow("dot in a folder only") << "pics.nbt/sky" << QList<int>{0, 1, 2};
        QTest::newRow("last pattern counts") << "a.nby" << QList<int>{1, 0, 2};
        QTest::newRow("first pattern does not") << "a.nbx" << QList<int>{0, 1, 2};
    }
    void listPluginsOrder() {
        QFETCH(QString, fileName);
        QFETCH(QList<int>, order);
        QTemporaryDir dir;
        PluginManager spis(formats_, testOptions());
        QStringList loaded;
        for (const char* name : {"nubitest", "nubitest_multi", "nubitest_preview"}) {
            loaded.append(copyPlugin(QLatin1String(name), dir.path(),
                                     QLatin1String(name) + QStringLiteral(".spi")));
            spis.search(loaded.last());
        }
        QStringList expected;
        for (int i : order) expected.append(loaded.at(i));
        QCOMPARE(listed(spis, fileName), expected);
    }

    void badLibraryEndsTheSearch() {
        QTemporaryDir dir;
        const QString good =
            copyPlugin(QStringLiteral("nubitest"), dir.path(), QStringLiteral("a.spi"));
        const QString bad =
            copyPlugin(QStringLiteral("nubitest_noinfo"), dir.path(), QStringLiteral("b.spi"));
        copyPlugin(QStringLiteral("nubitest_preview"), dir.path(), QStringLiteral("c.spi"));
        PluginManager spis(formats_, testOptions());
        try {
            spis.search(dir.path() + QStringLiteral("/*.spi"));
            QFAIL("no exception");
        } catch (const ESPIInvalidAPI& e) {
            QCOMPARE(e.message(), QStringLiteral("GetPluginInfoは[") + bad +
                                      QStringLiteral("]では使えないSusie Plugin APIです"));
        }
        QCOMPARE(fileNames(spis), QStringList{good});
    }

    // Each skipped file is named once, with the reason in plain words.
    void startUpSearchSkipsBadLibraries() {
        QTemporaryDir dir;
        const QString a =
            copyPlugin(QStringLiteral("nubitest"), dir.path(), QStringLiteral("a.spi"));
        const QString b =
            copyPlugin(QStringLiteral("nubitest_noinfo"), dir.path(), QStringLiteral("b.spi"));
        const QString c =
            copyPlugin(QStringLiteral("nubitest_nopicture"), dir.path(), QStringLiteral("c.spi"));
        const QString d =
            writeFile(dir.filePath(QStringLiteral("d.spi")), "junk: not even a library");
        const QString e =
            copyPlugin(QStringLiteral("nubitest_preview"), dir.path(), QStringLiteral("e.spi"));
        QByteArray pe("MZ\x90\0", 4);
        pe.append(QByteArray(60, '\0'));
        const QString f = writeFile(dir.filePath(QStringLiteral("f.spi")), pe);
        // Copied alone: the library it needs stays behind.
        const QString g =
            copyPlugin(QStringLiteral("nubitest_needsdep"), dir.path(), QStringLiteral("g.spi"));
        PluginManagerOptions options = testOptions();
        options.skipFaultyLibraries = true;
        options.libraries.wine = Wine{QString()}; // a machine without Wine
        // The folder twice, the second time through a link: every file once.
        const QString link = dir.filePath(QStringLiteral("link"));
        QVERIFY(QFile::link(dir.path(), link));
        setSusiePath(dir.path());
        const auto spis = startUp({{Option::ProgramFolder, link}}, options);
        QCOMPARE(fileNames(*spis), (QStringList{a, e}));
        QStringList skipped;
        for (const SkippedPlugin& s : spis->skippedPlugins())
            skipped.append(QFileInfo(s.fileName).fileName() + QLatin1Char('|') + s.message);
        QCOMPARE(skipped,
                 (QStringList{
                     QStringLiteral("b.spi|Susie Pluginの関数 GetPluginInfo がありません"),
                     QStringLiteral("c.spi|Susie Pluginの関数 GetPicture がありません"),
                     QStringLiteral("d.spi|共有ライブラリではありません"),
                     QStringLiteral("f.spi|Wine is not installed"),
                     QStringLiteral("g.spi|必要なライブラリ libnubitestdep.so が見つかりません"),
                 }));
    }

    // A folder value with a comma, written by hand without quotes, is taken whole.
    void susieFolderWithAComma() {
        QTemporaryDir root;
        const QString folder = root.filePath(QStringLiteral("plug-ins, old"));
        QDir().mkpath(folder);
        const QString copy = copyPlugin(QStringLiteral("nubitest"), folder);
        const QString conf =
            QSettings(QStringLiteral("Quorril"), QStringLiteral("Susie")).fileName();
        QDir().mkpath(QFileInfo(conf).absolutePath());
        writeFile(conf, "[Plug-in]\nPath=" + QFile::encodeName(folder) + "\n");
        const auto spis = startUp({{Option::ProgramFolder, QString()}});
        QCOMPARE(fileNames(*spis), QStringList{copy});
        QFile::remove(conf);
    }

    // On a file system that tells case apart, names that differ by case are two plug-ins.
    void namesDifferingByCaseAreTwoPlugins() {
        QTemporaryDir dir;
        const QString lower =
            copyPlugin(QStringLiteral("nubitest"), dir.path(), QStringLiteral("x.spi"));
        const QString upper =
            copyPlugin(QStringLiteral("nubitest_preview"), dir.path(), QStringLiteral("X.spi"));
        if (QFileInfo(lower).canonicalFilePath() == QFileInfo(upper).canonicalFilePath())
            QSKIP("the file system folds case");
        PluginManager spis(formats_, testOptions());
        spis.search(dir.path() + QStringLiteral("/*.spi"));
        QCOMPARE(spis.count(), 2);
        QCOMPARE(spis.indexOf(lower), fileNames(spis).indexOf(lower));
        QCOMPARE(spis.indexOf(upper), fileNames(spis).indexOf(upper));
    }

    void searchEvents() {
        QTemporaryDir dir;
        const QString a =
            copyPlugin(QStringLiteral("nubitest"), dir.path(), QStringLiteral("a.spi"));
        const QString b =
            copyPlugin(QStringLiteral("nubitest_preview"), dir.path(), QStringLiteral("b.spi"));
        const QString c =
            copyPlugin(QStringLiteral("nubitest_multi"), dir.path(), QStringLiteral("c.spi"));
        QStringList asked;
        bool refuseA = true;
        PluginManagerOptions options = testOptions();
        options.acceptFile = [&](const QString& path) {
            asked.append(path);
            return !refuseA || path != a;
        };
        options.acceptPlugin = [&](Plugin& spi) {
            if (spi.fileName() == b) throw ENubivuError(QStringLiteral("refused"));
            return true;
        };
        PluginManager spis(formats_, options);
        spis.search(dir.path() + QStringLiteral("/*.spi"));
        QCOMPARE(asked, (QStringList{a, b, c}));
        QCOMPARE(fileNames(spis), QStringList{c});
        QVERIFY(!isLoaded(a) && !isLoaded(b));
        // A second search loads nothing twice.
        asked.clear();
        refuseA = false;
        spis.search(dir.path() + QStringLiteral("/*.spi"));
        QCOMPARE(fileNames(spis), (QStringList{c, a}));
    }

    void listEditing() {
        QTemporaryDir dir;
        const QString a =
            copyPlugin(QStringLiteral("nubitest"), dir.path(), QStringLiteral("a.spi"));
        const QString b =
            copyPlugin(QStringLiteral("nubitest_preview"), dir.path(), QStringLiteral("b.spi"));
        PluginManager spis(formats_, testOptions());
        spis.search(dir.path() + QStringLiteral("/*.spi"));
        QCOMPARE(spis.indexOf(b), 1);
        // The same file reached through a linked folder is the same plug-in.
        const QString link = dir.filePath(QStringLiteral("link"));
        QVERIFY(QFile::link(dir.path(), link));
        QCOMPARE(spis.indexOf(link + QStringLiteral("/b.spi")), 1);
        QCOMPARE(spis.indexOf(dir.filePath(QStringLiteral("c.spi"))), -1);
        spis.setForcedLoader(static_cast<ImportPlugin*>(spis.items(0)));
        spis.removeAt(0);
        QVERIFY(!isLoaded(a));
        QVERIFY(!spis.forcedLoader()); // never left pointing at an unloaded plug-in
        QCOMPARE(fileNames(spis), QStringList{b});
        spis.insert(0, createSPI(a, testLoader()));
        QCOMPARE(fileNames(spis), (QStringList{a, b}));
        spis.clear();
        QCOMPARE(spis.count(), 0);
        QVERIFY(!isLoaded(a) && !isLoaded(b));
    }
};

NUBIVU_TEST(TestSPIManager)
#include "tst_pluginmanager.moc"
