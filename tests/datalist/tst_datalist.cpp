#include "datalist/datalist.h"
#include "datalist/datalistfile.h"
#include "datalist/lesson.h"
#include "listfixture.h"
#include "testrunner.h"

#include <QSignalSpy>
#include <QTest>

using namespace nubivu;
using namespace nubivu::test;

namespace {
// The row's eight cells, column 0 included, as one text to compare.
QString rowText(const DataList& list, int row) {
    QStringList cells;
    for (int x = 0; x < DataList::ColCount; ++x) cells << list.Cell(x, row);
    return cells.join(u'|');
}
} // namespace

class TestDataList : public QObject {
    Q_OBJECT
private Q_SLOTS:
    void startsWithHeaderAndTrailingRow() {
        DataList list;
        QCOMPARE(list.rowCount(), 2);
        QCOMPARE(list.dataRowCount(), 0);
        QCOMPARE(list.row(), 1);
        QCOMPARE(list.col(), 1);
    }

    void appendedRowsAreNumbered() {
        DataList list;
        list.appendNumberedRow();
        QCOMPARE(list.rowCount(), 3);
        QCOMPARE(list.Cell(0, 2), QStringLiteral("2"));
        QVERIFY(list.paths(2) == SlotPaths{});
    }

    void cellsOutsideTheGridReadEmptyAndIgnoreWrites() {
        DataList list;
        list.setCell(9, 1, QStringLiteral("x"));
        list.setCell(1, 5, QStringLiteral("x"));
        QVERIFY(list.Cell(9, 1).isEmpty());
        QVERIFY(list.Cell(1, 5).isEmpty());
        QCOMPARE(list.rowCount(), 2);
    }

    void removeRowsKeepsTheOthersInOrder() {
        DataList list;
        for (int i = 0; i < 5; ++i) list.appendNumberedRow();
        for (int r = 1; r < list.rowCount(); ++r) list.setCell(1, r, QString::number(r * 10));
        list.removeRows({1, 3, 4});
        QCOMPARE(list.rowCount(), 4);
        QCOMPARE(list.Cell(1, 1), QStringLiteral("20"));
        QCOMPARE(list.Cell(1, 2), QStringLiteral("50"));
        QCOMPARE(list.Cell(1, 3), QStringLiteral("60"));
        list.renumber();
        QCOMPARE(list.Cell(0, 3), QStringLiteral("3"));
    }

    // Each row is packed into one piece: an edit anywhere in it leaves the
    // other cells as they were, whatever their lengths.
    void editingOneCellOfAPackedRow_data() {
        QTest::addColumn<int>("col");
        QTest::addColumn<QString>("value");
        const QString longValue(70000, u'長');
        QTest::newRow("middle cell grows")
            << 4 << QStringLiteral("a much longer path/than before.jpg");
        QTest::newRow("middle cell empties") << 4 << QString();
        QTest::newRow("empty cell fills") << 5 << QStringLiteral("x");
        QTest::newRow("first path cell") << 1 << QStringLiteral("雲");
        QTest::newRow("last cell") << 7 << QStringLiteral("west.jpg");
        QTest::newRow("a cell past 65,535 characters") << 3 << longValue;
    }
    void editingOneCellOfAPackedRow() {
        QFETCH(int, col);
        QFETCH(QString, value);
        DataList list;
        fillList(list, {"a|b|c|dd||f|g", "h|i|j|k|l|m|n"});
        QStringList expected = rowText(list, 1).split(u'|');
        expected[col] = value;
        list.setCell(col, 1, value);
        QCOMPARE(rowText(list, 1), expected.join(u'|'));
        QCOMPARE(rowText(list, 2), QStringLiteral("2|h|i|j|k|l|m|n"));
        // Moves keep a long cell whole.
        list.shiftColumnDown(col, 1);
        QCOMPARE(list.Cell(col, 2), value);
    }

    // Column 0 is kept as a number where it is one; any other text stays as it was written.
    void columnZeroKeepsItsText_data() {
        QTest::addColumn<QString>("text");
        for (const char* text :
             {"", "0", "7", "123456789", "1234567890", "007", "+7", "-1", "No", "５"})
            QTest::newRow(text) << QString::fromUtf8(text);
    }
    void columnZeroKeepsItsText() {
        QFETCH(QString, text);
        DataList list;
        fillList(list, {"a|b", "c"});
        list.setCell(0, 1, text);
        QCOMPARE(list.Cell(0, 1), text);
        QCOMPARE(rowText(list, 1), text + QStringLiteral("|a|b|||||"));
        // Row moves take columns 1-7 and leave column 0 where it is.
        list.shiftRowsDown(1);
        QCOMPARE(rowText(list, 1), text + QStringLiteral("|||||||"));
        QCOMPARE(rowText(list, 2), QStringLiteral("2|a|b|||||"));
        list.removeDataRow(1);
        QCOMPARE(rowText(list, 1), text + QStringLiteral("|a|b|||||"));
        list.renumber();
        QCOMPARE(list.Cell(0, 1), QStringLiteral("1"));
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
        list.appendDataRows(std::move(rows));
        list.setCell(2, 10, QStringLiteral("edited"));
        QCOMPARE(rowText(list, 10), QStringLiteral("10|row 9|edited|雨9||||"));
        QCOMPARE(rowText(list, 11), QStringLiteral("11|row 10||雨10||||"));
        list.setRowCount(2);
        QCOMPARE(pathsOf(copy), rowOf(QStringLiteral("row 1500||雨1500")));
    }

    void defaultTitlesInSlotOrder() {
        QCOMPARE(defaultTitles()[slotIndex(ImageSlot::Cloud)], QStringLiteral("雲の写真"));
        QCOMPARE(defaultTitles()[slotIndex(ImageSlot::West)], QStringLiteral("西の空"));
        QCOMPARE(slotColumn(ImageSlot::Rain), 3);
    }

    void lessonStartsEmptySavedWithTheDefaultTitles() {
        Lesson lesson;
        QCOMPARE(lesson.rows().rowCount(), 2);
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
        lesson.rows().appendNumberedRow();
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
