#include "pictures/fileformats.h"
#include "spi/spimessages.h"
#include "spi/tspibitmap.h"
#include "spi/tspis.h"
#include "spi/wine.h"
#include "spitestsupport.h"
#include "testrunner.h"

#include <QFileInfo>
#include <QTemporaryDir>
#include <QTest>

using namespace nubivu;
using namespace nubivu::test;

using Option = TSPISearchOption;

class TestSPIManager : public QObject {
    Q_OBJECT

    std::optional<TSPIBitmapRegistration> registration_;

    static QStringList fileNames(const TSPIs& spis) {
        QStringList names;
        for (int i = 0; i < spis.Count(); ++i) names.append(spis.Items(i)->FileName());
        return names;
    }
    static QStringList listed(const TSPIs& spis, const QString& fileName,
                              std::initializer_list<const TSPIClass*> classes = {
                                  &TInSPI::StaticClass()}) {
        QList<TSPI*> list;
        spis.ListPlugins(classes, list, fileName);
        QStringList names;
        for (TSPI* spi : list) names.append(spi->FileName());
        return names;
    }

private Q_SLOTS:
    void initTestCase() { IsolateSusieSettings(); }
    void init() {
        SetSusiePath({});
        registration_.emplace();
    }
    void cleanup() { registration_.reset(); }

    void oneManagerAtATime() {
        TSPIs first;
        QCOMPARE(TSPIs::ActiveSPIs(), &first);
        try {
            TSPIs second;
            QFAIL("no exception");
        } catch (const ESPIDupCreateSPIs& e) {
            QCOMPARE(e.message(), QStringLiteral("TSPIs は複数生成できません"));
        }
        QCOMPARE(TSPIs::ActiveSPIs(), &first);
        QVERIFY(first.SearchOptions == (TSPISearchOptions{Option::spsSusieDir, Option::spsAppDir}));
        QVERIFY(first.AutoSearch && first.MacBinary && !first.GraphicPreview &&
                !first.GraphicForcedLoader);
    }
    void managerGoneAfterDestruction() {
        QString path;
        {
            TSPIs spis;
            spis.Search(PluginPath(QStringLiteral("nubitest")));
            QCOMPARE(spis.Count(), 1);
            path = spis.Items(0)->FileName();
        }
        QVERIFY(!TSPIs::ActiveSPIs());
        QVERIFY(!IsLoaded(path));
        // The registrations stay until the bitmap class goes.
        QCOMPARE(FindPictureClass(QStringLiteral("nbt")), &TSPIBitmap::StaticClass());
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
        TestSPIs spis;
        spis.SearchOptions = {};
        TSPISearchOptions set;
        QStringList expected;
        for (int o = 4; o >= 0; --o) { // set up in reverse: the order must come from the search
            const QString folder = root.filePath(QString::number(o));
            QDir().mkpath(folder);
            const QString copy = CopyPlugin(QStringLiteral("nubitest"), folder);
            if (o == 0)
                SetSusiePath(folder);
            else
                spis.folders[Option(o)] = folder;
            if (options.contains(o)) expected.prepend(copy);
        }
        for (int o : options) set.Include(Option(o));
        spis.SearchOptions = set;
        std::sort(expected.begin(), expected.end());
        spis.Search(QStringLiteral("*.spi"));
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
        CopyPlugin(QStringLiteral("nubitest"), dir.path());
        if (value.typeId() == QMetaType::QString)
            value = value.toString().replace(QStringLiteral("<dir>"), dir.path());
        else if (value.typeId() == QMetaType::QStringList)
            value = value.toStringList().replaceInStrings(QStringLiteral("<dir>"), dir.path());
        SetSusiePath(value);
        TestSPIs spis;
        spis.folders[Option::spsAppDir] = QString(); // nothing else to find
        spis.AfterLoad();
        QCOMPARE(spis.Count(), searched ? 1 : 0);
    }

    void maskWithFolderIgnoresOptions() {
        QTemporaryDir a, b;
        CopyPlugin(QStringLiteral("nubitest"), a.path());
        CopyPlugin(QStringLiteral("nubitest_preview"), b.path());
        TestSPIs spis;
        spis.folders[Option::spsAppDir] = b.path() + QLatin1Char('/');
        spis.Search(a.path() + QStringLiteral("/*.spi"));
        QCOMPARE(fileNames(spis), QStringList{a.filePath(QStringLiteral("nubitest.spi"))});
    }

    void onlyPlainFilesMatchingTheMask() {
        QTemporaryDir dir;
        const QString upper =
            CopyPlugin(QStringLiteral("nubitest"), dir.path(), QStringLiteral("UPPER.SPI"));
        CopyPlugin(QStringLiteral("nubitest"), dir.path(), QStringLiteral(".hidden.spi"));
        CopyPlugin(QStringLiteral("nubitest"), dir.path(), QStringLiteral("other.dll"));
        QDir(dir.path()).mkdir(QStringLiteral("folder.spi"));
        TSPIs spis;
        spis.Search(dir.path() + QStringLiteral("/*.spi"));
        QCOMPARE(fileNames(spis), QStringList{upper});
    }

    void sameNameInTwoFolders() {
        QTemporaryDir susie, app;
        const QString first = CopyPlugin(QStringLiteral("nubitest"), susie.path());
        const QString second = CopyPlugin(QStringLiteral("nubitest"), app.path());
        SetSusiePath(susie.path());
        TestSPIs spis;
        spis.folders[Option::spsAppDir] = app.path() + QLatin1Char('/');
        spis.AfterLoad();
        QCOMPARE(fileNames(spis), (QStringList{first, second}));
        // The copy loaded later is tried first for its own extension.
        QCOMPARE(listed(spis, QStringLiteral("sky.nbt")), (QStringList{second, first}));
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
        const QString copy = CopyPlugin(QStringLiteral("nubitest"), dir.path());
        SetSusiePath(QString(dir.path() + QLatin1Char('/')));
        TestSPIs spis;
        spis.folders[Option::spsAppDir] = dir.path() + appSuffix;
        spis.AfterLoad();
        QCOMPARE(fileNames(spis), QStringList{copy});
    }

    void registrationOrder() {
        TSPIs spis;
        QStringList pieces;
        spis.OnPictureRegister = [&](TSPIs*, TInSPI*, const QString& extension, const QString&,
                                     const TGraphicClass*& cls) {
            pieces.append(extension);
            if (extension == QLatin1String("nby"))
                cls = nullptr; // holds for the rest of that filter only
        };
        spis.Search(PluginPath(QStringLiteral("nubitest_multi")));
        QCOMPARE(pieces, (QStringList{"nby", "nbx", "", "nbz"}));
        QCOMPARE(FindPictureClass(QStringLiteral("nby")), nullptr);
        QCOMPARE(FindPictureClass(QStringLiteral("nbx")), nullptr);
        QCOMPARE(FindPictureClass(QStringLiteral("nbz")), &TSPIBitmap::StaticClass());
        QCOMPARE(FindPictureClass(QString()), &TSPIBitmap::StaticClass());
        QCOMPARE(FindPictureClass(QStringLiteral("nbq")), nullptr); // pattern without description
    }

    void otherKindsRegisterNothing() {
        TSPIs spis;
        spis.Search(PluginPath(QStringLiteral("nubitest_lower")));
        spis.Search(PluginPath(QStringLiteral("nubitest_archive")));
        QCOMPARE(spis.Count(), 2);
        QCOMPARE(FindPictureClass(QStringLiteral("nbt")), nullptr);
        QVERIFY(listed(spis, QStringLiteral("a.nbt")).isEmpty());
        QCOMPARE(listed(spis, QStringLiteral("a.nbt"), {&TSPI::StaticClass()}).size(), 2);
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
        TSPIs spis;
        QStringList loaded;
        for (const char* name : {"nubitest", "nubitest_multi", "nubitest_preview"}) {
            loaded.append(CopyPlugin(QLatin1String(name), dir.path(),
                                     QLatin1String(name) + QStringLiteral(".spi")));
            spis.Search(loaded.last());
        }
        QStringList expected;
        for (int i : order) expected.append(loaded.at(i));
        QCOMPARE(listed(spis, fileName), expected);
    }

    void badLibraryEndsTheSearch() {
        QTemporaryDir dir;
        const QString good =
            CopyPlugin(QStringLiteral("nubitest"), dir.path(), QStringLiteral("a.spi"));
        const QString bad =
            CopyPlugin(QStringLiteral("nubitest_noinfo"), dir.path(), QStringLiteral("b.spi"));
        CopyPlugin(QStringLiteral("nubitest_preview"), dir.path(), QStringLiteral("c.spi"));
        TSPIs spis;
        try {
            spis.Search(dir.path() + QStringLiteral("/*.spi"));
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
            CopyPlugin(QStringLiteral("nubitest"), dir.path(), QStringLiteral("a.spi"));
        const QString b =
            CopyPlugin(QStringLiteral("nubitest_noinfo"), dir.path(), QStringLiteral("b.spi"));
        const QString c =
            CopyPlugin(QStringLiteral("nubitest_nopicture"), dir.path(), QStringLiteral("c.spi"));
        const QString d =
            WriteFile(dir.filePath(QStringLiteral("d.spi")), "junk: not even a library");
        const QString e =
            CopyPlugin(QStringLiteral("nubitest_preview"), dir.path(), QStringLiteral("e.spi"));
        QByteArray pe("MZ\x90\0", 4);
        pe.append(QByteArray(60, '\0'));
        const QString f = WriteFile(dir.filePath(QStringLiteral("f.spi")), pe);
        // Copied alone: the library it needs stays behind.
        const QString g =
            CopyPlugin(QStringLiteral("nubitest_needsdep"), dir.path(), QStringLiteral("g.spi"));
        TestSPIs spis;
        spis.SkipFaultyLibraries = true;
        // The folder twice, the second time through a link: every file once.
        const QString link = dir.filePath(QStringLiteral("link"));
        QVERIFY(QFile::link(dir.path(), link));
        SetSusiePath(dir.path());
        spis.folders[Option::spsAppDir] = link;
        TWine noWine{QString()}; // a machine without Wine
        TWine::Install(&noWine);
        spis.AfterLoad();
        TWine::Install(nullptr);
        QCOMPARE(fileNames(spis), (QStringList{a, e}));
        QStringList skipped;
        for (const TSkippedPlugin& s : spis.SkippedPlugins())
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
        const QString copy = CopyPlugin(QStringLiteral("nubitest"), folder);
        const QString conf =
            QSettings(QStringLiteral("Quorril"), QStringLiteral("Susie")).fileName();
        QDir().mkpath(QFileInfo(conf).absolutePath());
        WriteFile(conf, "[Plug-in]\nPath=" + QFile::encodeName(folder) + "\n");
        TestSPIs spis;
        spis.folders[Option::spsAppDir] = QString();
        spis.AfterLoad();
        QCOMPARE(fileNames(spis), QStringList{copy});
        QFile::remove(conf);
    }

    // On a file system that tells case apart, names that differ by case are two plug-ins.
    void namesDifferingByCaseAreTwoPlugins() {
        QTemporaryDir dir;
        const QString lower =
            CopyPlugin(QStringLiteral("nubitest"), dir.path(), QStringLiteral("x.spi"));
        const QString upper =
            CopyPlugin(QStringLiteral("nubitest_preview"), dir.path(), QStringLiteral("X.spi"));
        if (QFileInfo(lower).canonicalFilePath() == QFileInfo(upper).canonicalFilePath())
            QSKIP("the file system folds case");
        TSPIs spis;
        spis.Search(dir.path() + QStringLiteral("/*.spi"));
        QCOMPARE(spis.Count(), 2);
        QCOMPARE(spis.IndexOf(lower), fileNames(spis).indexOf(lower));
        QCOMPARE(spis.IndexOf(upper), fileNames(spis).indexOf(upper));
    }

    void searchEvents() {
        QTemporaryDir dir;
        const QString a =
            CopyPlugin(QStringLiteral("nubitest"), dir.path(), QStringLiteral("a.spi"));
        const QString b =
            CopyPlugin(QStringLiteral("nubitest_preview"), dir.path(), QStringLiteral("b.spi"));
        const QString c =
            CopyPlugin(QStringLiteral("nubitest_multi"), dir.path(), QStringLiteral("c.spi"));
        TSPIs spis;
        QStringList asked;
        spis.OnSearching = [&](TSPIs*, const QString& path, bool& accept) {
            asked.append(path);
            accept = path != a;
        };
        spis.OnSearch = [&](TSPIs*, TSPI* spi, bool& accept) {
            if (spi->FileName() == b) throw ENubivuError(QStringLiteral("refused"));
            accept = true;
        };
        spis.Search(dir.path() + QStringLiteral("/*.spi"));
        QCOMPARE(asked, (QStringList{a, b, c}));
        QCOMPARE(fileNames(spis), QStringList{c});
        QVERIFY(!IsLoaded(a) && !IsLoaded(b));
        // A second search loads nothing twice.
        asked.clear();
        spis.OnSearching = {};
        spis.Search(dir.path() + QStringLiteral("/*.spi"));
        QCOMPARE(fileNames(spis), (QStringList{c, a}));
    }

    void listEditing() {
        QTemporaryDir dir;
        const QString a =
            CopyPlugin(QStringLiteral("nubitest"), dir.path(), QStringLiteral("a.spi"));
        const QString b =
            CopyPlugin(QStringLiteral("nubitest_preview"), dir.path(), QStringLiteral("b.spi"));
        TSPIs spis;
        spis.Search(dir.path() + QStringLiteral("/*.spi"));
        QCOMPARE(spis.IndexOf(b), 1);
        // The same file reached through a linked folder is the same plug-in.
        const QString link = dir.filePath(QStringLiteral("link"));
        QVERIFY(QFile::link(dir.path(), link));
        QCOMPARE(spis.IndexOf(link + QStringLiteral("/b.spi")), 1);
        QCOMPARE(spis.IndexOf(dir.filePath(QStringLiteral("c.spi"))), -1);
        spis.GraphicForcedLoader = static_cast<TInSPI*>(spis.Items(0));
        spis.Delete(0);
        QVERIFY(!IsLoaded(a));
        QVERIFY(!spis.GraphicForcedLoader); // never left pointing at an unloaded plug-in
        QCOMPARE(fileNames(spis), QStringList{b});
        spis.Insert(0, CreateSPI(a));
        QCOMPARE(fileNames(spis), (QStringList{a, b}));
        spis.Clear();
        QCOMPARE(spis.Count(), 0);
        QVERIFY(!IsLoaded(a) && !IsLoaded(b));
    }
};

NUBIVU_TEST(TestSPIManager)
#include "tst_tspis.moc"
