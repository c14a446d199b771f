#include "datalist/datalist.h"
#include "datalist/datalistfile.h"
#include "datalist/lesson.h"
#include "listfixture.h"
#include "testrunner.h"

#include <QPoint>
#include <QSignalSpy>
#include <QTest>

using namespace nubivu;
using namespace nubivu::test;

namespace {
// The row's seven cells as one text to compare.
QString rowCells(const DataList& list, int row) {
    QStringList cells;
    for (int s = 0; s < SlotCount; ++s) cells << list.cell(row, s);
    return cells.join(u'|');
}
} // namespace

class TestDataList : public QObject {
    Q_OBJECT
private Q_SLOTS:
    void startsEmpty() {
        DataList list;
        QCOMPARE(list.count(), 0);
        QVERIFY(list.isEmpty());
        QCOMPARE(list.currentRow(), 0);
        QCOMPARE(list.currentSlot(), 0);
    }

    void appendedRowsAreEmpty() {
        DataList list;
        list.appendRow();
        QCOMPARE(list.count(), 1);
        QVERIFY(list.paths(0) == SlotPaths{});
        QVERIFY(list.isBlankRow(0));
    }

    void cellsOutsideTheListReadEmptyAndIgnoreWrites() {
        DataList list;
        fillList(list, {"a"});
        list.setCell(0, SlotCount, QStringLiteral("x"));
        list.setCell(1, 0, QStringLiteral("x"));
        list.setCell(-1, 0, QStringLiteral("x"));
        QVERIFY(list.cell(0, SlotCount).isEmpty());
        QVERIFY(list.cell(1, 0).isEmpty());
        QCOMPARE(listRows(list), QStringList{"a"});
        // The current row reaches one past the last: the row a new one is entered into.
        list.setCurrent(5, 9);
        QCOMPARE(QPoint(list.currentSlot(), list.currentRow()), QPoint(SlotCount - 1, 1));
        list.setCurrent(-1, -1);
        QCOMPARE(QPoint(list.currentSlot(), list.currentRow()), QPoint(0, 0));
    }

    void rowMovesKeepTheOthersInOrder() {
        DataList list;
        fillList(list, {"10", "", "30|x", "", "", "60"});
        list.setCurrent(6, 2);
        QCOMPARE(list.removeBlankRows(), 3);
        QCOMPARE(listRows(list), (QStringList{"10", "30|x", "60"}));
        QCOMPARE(list.currentRow(), 3); // one past the last row at most
        QCOMPARE(list.removeBlankRows(), 0);
        list.insertRow(1);
        list.insertRow(4);
        QCOMPARE(listRows(list), (QStringList{"10", "", "30|x", "60", ""}));
        list.removeRow(0);
        list.removeRow(4); // past the last: nothing
        QCOMPARE(listRows(list), (QStringList{"", "30|x", "60", ""}));
        list.clear();
        QVERIFY(list.isEmpty());
        QCOMPARE(list.currentRow(), 0);
    }

    // Each row is packed into one piece: an edit anywhere in it leaves the
    // other cells as they were, whatever their lengths.
    void editingOneCellOfAPackedRow_data() {
        QTest::addColumn<int>("slot");
        QTest::addColumn<QString>("value");
        const QString longValue(70000, u'長');
        QTest::newRow("middle cell grows")
            << 3 << QStringLiteral("a much longer path/than before.jpg");
        QTest::newRow("middle cell empties") << 3 << QString();
        QTest::newRow("empty cell fills") << 4 << QStringLiteral("x");
        QTest::newRow("first cell") << 0 << QStringLiteral("雲");
        QTest::newRow("last cell") << 6 << QStringLiteral("west.jpg");
        QTest::newRow("a cell past 65,535 characters") << 2 << longValue;
    }
    void editingOneCellOfAPackedRow() {
        QFETCH(int, slot);
        QFETCH(QString, value);
        DataList list;
        fillList(list, {"a|b|c|dd||f|g", "h|i|j|k|l|m|n"});
        QStringList expected = rowCells(list, 0).split(u'|');
        expected[slot] = value;
        list.setCell(0, slot, value);
        QCOMPARE(rowCells(list, 0), expected.join(u'|'));
        QCOMPARE(rowCells(list, 1), QStringLiteral("h|i|j|k|l|m|n"));
        // Moves keep a long cell whole.
        list.shiftSlotDown(slot, 0);
        QCOMPARE(list.cell(1, slot), value);
        QVERIFY(list.cell(0, slot).isEmpty());
        list.shiftSlotUp(slot, 0);
        QCOMPARE(list.cell(0, slot), value);
        QVERIFY(list.cell(1, slot).isEmpty());
    }

    // Rows read from a file share blocks: each stays readable on its own
    // when the others are edited, copied or dropped.
    void rowsReadTogetherLiveApart() {
        QByteArray bytes;
        for (int r = 0; r < 3000; ++r)
            bytes += QStringLiteral("\"row %1\",\"\",\"雨%1\"\r\n").arg(r).toUtf8();
        std::vector<PackedRow> rows = readDataListRows(bytes);
        QCOMPARE(rows.size(), size_t(3000));
        const PackedRow copy = rows[1500];
        DataList list;
        list.appendRows(std::move(rows));
        list.setCell(9, 1, QStringLiteral("edited"));
        QCOMPARE(rowCells(list, 9), QStringLiteral("row 9|edited|雨9||||"));
        QCOMPARE(rowCells(list, 10), QStringLiteral("row 10||雨10||||"));
        list.clear();
        QCOMPARE(pathsOf(copy), rowOf(QStringLiteral("row 1500||雨1500")));
    }

    void defaultTitlesInSlotOrder() {
        QCOMPARE(defaultTitles()[slotIndex(ImageSlot::Cloud)], QStringLiteral("雲の写真"));
        QCOMPARE(defaultTitles()[slotIndex(ImageSlot::West)], QStringLiteral("西の空"));
    }

    void lessonStartsEmptySavedWithTheDefaultTitles() {
        Lesson lesson;
        QVERIFY(lesson.rows().isEmpty());
        QCOMPARE(lesson.titles(), defaultTitles());
        QVERIFY(lesson.filePath().isEmpty());
        QVERIFY(lesson.isSaved());
    }

    void lessonSignalsEachChangeOnce() {
        Lesson lesson;
        QSignalSpy titles(&lesson, &Lesson::titlesChanged);
        QSignalSpy file(&lesson, &Lesson::filePathChanged);
        QSignalSpy saved(&lesson, &Lesson::savedChanged);
        QSignalSpy rows(&lesson, &Lesson::rowsChanged);
        lesson.setTitle(slotIndex(ImageSlot::Rain), QStringLiteral("雨"));
        lesson.setTitle(slotIndex(ImageSlot::Rain), QStringLiteral("雨"));
        QCOMPARE(lesson.titles()[2], QStringLiteral("雨"));
        lesson.setFilePath(QStringLiteral("/l/a.NV2"));
        lesson.markUnsaved();
        lesson.markUnsaved();
        lesson.rows().appendRow();
        QCOMPARE(titles.count(), 1);
        QCOMPARE(file.count(), 1);
        QCOMPARE(saved.count(), 1);
        QVERIFY(rows.count() >= 1);
        // Pictures of the rows are found beside the lesson's file.
        QCOMPARE(lesson.resolvePath(QStringLiteral("p/k.bmp")), QStringLiteral("/l/p/k.bmp"));
    }
};

NUBIVU_TEST(TestDataList)
#include "tst_datalist.moc"
