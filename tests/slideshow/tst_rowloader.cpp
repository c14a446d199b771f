#include "datalist/datalist.h"
#include "listfixture.h"
#include "slideshow/rowloader.h"
#include "testrunner.h"

#include <QTest>

using namespace nubivu;
using namespace nubivu::test;

using WriteBackCells = std::vector<LoadedRow::Cell>;
Q_DECLARE_METATYPE(FillOptions)
Q_DECLARE_METATYPE(WriteBackCells)

// Row loading on its own: the list, the row, the paths loaded last and the
// settings in; the row's paths, the new paths loaded last and the cells to
// write back out.
class TestRowLoader : public QObject {
    Q_OBJECT
private Q_SLOTS:
    void loadsRows_data() {
        QTest::addColumn<int>("row");
        QTest::addColumn<QString>("lastBefore");
        QTest::addColumn<FillOptions>("options");
        QTest::addColumn<QString>("paths");
        QTest::addColumn<QString>("lastAfter");
        QTest::addColumn<WriteBackCells>("expectedWriteBack");
        const FillOptions off{false, false}, fill{true, false}, both{true, true};
        // Rows: 0 "k1|w1||n1", 1 "|w2", 2 "" (blank), 3 "k4|||||e4".
        QTest::newRow("fill-in off: empty cells stay empty") << 1 << "k1|w1|a0|n1" << off << "|w2"
                                                             << "k1|w2|a0|n1" << WriteBackCells{};
        QTest::newRow("fill-in: main cells from the paths loaded last, sky cells never")
            << 1 << "k1|w1|a0|n1" << fill << "k1|w2|a0"
            << "k1|w2|a0|n1" << WriteBackCells{};
        QTest::newRow("write-back: the filled cells go out too")
            << 1 << "k1|w1|a0|n1" << both << "k1|w2|a0"
            << "k1|w2|a0|n1" << WriteBackCells{{0, "k1"}, {2, "a0"}};
        QTest::newRow("the first row is never filled in") << 0 << "kx|wx|ax" << both << "k1|w1||n1"
                                                          << "k1|w1|ax|n1" << WriteBackCells{};
        QTest::newRow("a blank row keeps the paths loaded last") << 2 << "k9|w9||s9" << off << ""
                                                                 << "k9|w9||s9" << WriteBackCells{};
        QTest::newRow("a later row fills from what was loaded last, not from the row before")
            << 2 << "k9|w9" << fill << "k9|w9"
            << "k9|w9" << WriteBackCells{};
        QTest::newRow("sky paths are remembered but not filled")
            << 3 << "|||n1" << fill << "k4|||||e4"
            << "k4|||n1||e4" << WriteBackCells{};
    }
    void loadsRows() {
        QFETCH(int, row);
        QFETCH(QString, lastBefore);
        QFETCH(FillOptions, options);
        QFETCH(QString, paths);
        QFETCH(QString, lastAfter);
        QFETCH(WriteBackCells, expectedWriteBack);
        const QStringList rows = {"k1|w1||n1", "|w2", "", "k4|||||e4"};
        DataList list;
        fillList(list, rows);
        const LoadedRow loaded = loadRow(list, row, rowOf(lastBefore), options);
        QCOMPARE(loaded.paths, rowOf(paths));
        QCOMPARE(loaded.lastPaths, rowOf(lastAfter));
        QVERIFY(loaded.writeBack == expectedWriteBack);
        QCOMPARE(list.paths(row), rowOf(rows[row])); // loading leaves the list alone

        writeBack(list, row, loaded);
        SlotPaths written = rowOf(rows[row]);
        for (const LoadedRow::Cell& cell : expectedWriteBack)
            written[size_t(cell.slot)] = cell.text;
        QCOMPARE(list.paths(row), written);
    }
};

NUBIVU_TEST(TestRowLoader)
#include "tst_rowloader.moc"
