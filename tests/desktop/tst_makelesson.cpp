#include "datalist/datalistfile.h"
#include "nubivucopy.h"
#include "testfiles.h"
#include "testrunner.h"

#include <QDir>
#include <QTemporaryDir>
#include <QTest>

using namespace nubivu;
using namespace nubivu::test;

// "nubivu --make-lesson": the lesson of picture folders written without a
// display; bad input says what is wrong in one line, exits 2 and writes nothing.
class TestMakeLesson : public QObject {
    Q_OBJECT

    QTemporaryDir dir_;
    RuntimeDir runtime_;

    struct Run {
        int exitCode = -1;
        QString out;
        QString err;
    };

    Run make(const QStringList& arguments) {
        QProcess program;
        QProcessEnvironment env = QProcessEnvironment::systemEnvironment();
        env.insert(QStringLiteral("XDG_RUNTIME_DIR"), runtime_.path());
        for (const char* name : {"DISPLAY", "WAYLAND_DISPLAY", "QT_QPA_PLATFORM"})
            env.remove(QLatin1String(name));
        program.setProcessEnvironment(env);
        program.setWorkingDirectory(dir_.path());
        program.start(QStringLiteral(NUBIVU_PROGRAM),
                      QStringList{QStringLiteral("--make-lesson")} + arguments);
        if (!program.waitForFinished(30000)) qFatal("nubivu --make-lesson did not end");
        return {program.exitCode(), QString::fromUtf8(program.readAllStandardOutput()),
                QString::fromUtf8(program.readAllStandardError())};
    }

    void picture(const char* folder, const QString& name) {
        QDir(dir_.path()).mkpath(QLatin1String(folder));
        writeFile(dir_.filePath(QLatin1String(folder) + u'/' + name), "x");
    }

private Q_SLOTS:
    void initTestCase() {
        for (const char* t : {"0900", "1000", "1100"})
            picture("cloud", QStringLiteral("20240510_%1.jpg").arg(QLatin1String(t)));
        picture("cloud", QStringLiteral("notes.txt"));
        picture("map", QStringLiteral("2024-05-10_09-00.png"));
        for (const char* t : {"0950", "1000", "1010"})
            picture("rain", QStringLiteral("rain%1.png").arg(QLatin1String("20240510") + t));
        QDir(dir_.path()).mkpath(QStringLiteral("empty"));
        picture("undated", QStringLiteral("IMG_0001.jpg"));
    }

    void writesTheLessonWithRelativePaths() {
        const QString out = dir_.filePath(QStringLiteral("day.NV2"));
        const Run run = make({QStringLiteral("day.NV2"), QStringLiteral("cloud=cloud"),
                              QStringLiteral("map=") + dir_.filePath(QStringLiteral("map")),
                              QStringLiteral("rain=rain")});
        QVERIFY2(run.exitCode == 0, qPrintable(run.err));
        QVERIFY2(run.err.isEmpty(), qPrintable(run.err));
        QVERIFY2(run.out.contains(u"notes.txt"), qPrintable(run.out));
        const DataListFileContent content = loadDataListFile(out);
        QCOMPARE(content.titles, std::optional(defaultTitles()));
        QStringList rows;
        for (const PackedRow& row : content.rows) {
            const SlotPaths paths = pathsOf(row);
            rows << QStringList(paths.begin(), paths.end()).join(u',');
        }
        QCOMPARE(
            rows,
            (QStringList{
                "cloud/20240510_0900.jpg,map/2024-05-10_09-00.png,,,,,",
                "cloud/20240510_1000.jpg,map/2024-05-10_09-00.png,rain/rain202405101000.png,,,,",
                "cloud/20240510_1100.jpg,,rain/rain202405101010.png,,,,",
            }));

        // The lead slot decides the rows; --force replaces the list.
        const Run byRain = make({QStringLiteral("day.NV2"), QStringLiteral("cloud=cloud"),
                                 QStringLiteral("rain=rain"), QStringLiteral("--lead"),
                                 QStringLiteral("rain"), QStringLiteral("--force")});
        QVERIFY2(byRain.exitCode == 0, qPrintable(byRain.err));
        QCOMPARE(loadDataListFile(out).rows.size(), size_t(3));
        QVERIFY(pathsOf(loadDataListFile(out).rows[0])[0].isEmpty()); // 09:50: no photo yet
    }

    void badInput_data() {
        QTest::addColumn<QStringList>("arguments");
        QTest::addColumn<QString>("message");
        QTest::newRow("no list file") << QStringList{"cloud=cloud"} << "needs the list file";
        QTest::newRow("not a list file")
            << QStringList{"day.txt", "cloud=cloud"} << "must end in .NV2 or .NVD";
        QTest::newRow("missing folder")
            << QStringList{"new.NV2", "cloud=cloud", "map=nowhere"} << "no such folder: nowhere";
        QTest::newRow("unknown slot")
            << QStringList{"new.NV2", "cloud=cloud", "sky=map"} << "unknown slot 'sky'";
        QTest::newRow("not a slot")
            << QStringList{"new.NV2", "cloud=cloud", "map"} << "expected SLOT=DIR, got 'map'";
        QTest::newRow("slot twice")
            << QStringList{"new.NV2", "cloud=cloud", "cloud=map"} << "slot 'cloud' given twice";
        QTest::newRow("unknown lead")
            << QStringList{"new.NV2", "cloud=cloud", "--lead", "fog"} << "unknown lead slot 'fog'";
        QTest::newRow("lead without folder")
            << QStringList{"new.NV2", "map=map"} << "no folder for the lead slot 'cloud'";
        QTest::newRow("empty lead folder")
            << QStringList{"new.NV2", "cloud=empty"} << "no dated picture in the lead folder empty";
        QTest::newRow("undated lead folder")
            << QStringList{"new.NV2", "cloud=undated"} << "no dated picture in the lead folder";
        QTest::newRow("list exists")
            << QStringList{"existing.NV2", "cloud=cloud"} << "existing.NV2 exists already";
        QTest::newRow("unknown option")
            << QStringList{"new.NV2", "cloud=cloud", "--fast"} << "unknown option '--fast'";
    }
    void badInput() {
        QFETCH(QStringList, arguments);
        QFETCH(QString, message);
        const QString existing = writeFile(dir_.filePath(QStringLiteral("existing.NV2")), "old");
        const Run run = make(arguments);
        QCOMPARE(run.exitCode, 2);
        QVERIFY(run.out.isEmpty());
        QVERIFY2(run.err.startsWith(u"nubivu: ") && run.err.contains(message), qPrintable(run.err));
        QCOMPARE(run.err.count(u'\n'), 1);
        QVERIFY(!QFileInfo::exists(dir_.filePath(QStringLiteral("new.NV2"))));
        QCOMPARE(readFileBytes(existing), QByteArray("old"));
    }
};

NUBIVU_TEST(TestMakeLesson)
#include "tst_makelesson.moc"
