#include "datalist/gridoperations.h"
#include "listfixture.h"
#include "testrunner.h"

#include <QSignalSpy>
#include <QTest>

using namespace nubivu;
using namespace nubivu::test;

using Operation = void (*)(Lesson&);
Q_DECLARE_METATYPE(Operation)

class TestGridOperations : public QObject {
    Q_OBJECT
private Q_SLOTS:
    void operations_data() {
        QTest::addColumn<QStringList>("before");
        QTest::addColumn<int>("col");
        QTest::addColumn<int>("row");
        QTest::addColumn<Operation>("operation");
        QTest::addColumn<QStringList>("after");
        QTest::addColumn<QPoint>("current");
        QTest::addColumn<bool>("saved");

        const QStringList three = {"a1|b1|c1", "a2|b2|c2", "a3|b3|c3"};
        QTest::newRow("cell insert at row 2 of three pushes the column down")
            << three << 3 << 2 << &insertCell
            << QStringList{"a1|b1|c1", "a2|b2", "a3|b3|c2", "||c3"} << QPoint(3, 2) << false;
        QTest::newRow("cell insert with the last cell empty keeps the row count")
            << QStringList{"a1|b1", "a2|b2", "a3"} << 2 << 1 << &insertCell
            << QStringList{"a1", "a2|b1", "a3|b2"} << QPoint(2, 1) << false;
        QTest::newRow("cell insert on the trailing row moves nothing")
            << three << 1 << 4 << &insertCell << three << QPoint(1, 4) << false;
        QTest::newRow("insert on an empty list changes nothing but the flag")
            << QStringList{} << 1 << 1 << &insertRow << QStringList{} << QPoint(1, 1) << false;
        QTest::newRow("row insert grows by one row, not one per column")
            << three << 2 << 2 << &insertRow << QStringList{"a1|b1|c1", "", "a2|b2|c2", "a3|b3|c3"}
            << QPoint(2, 2) << false;
        QTest::newRow("row insert with a blank last row drops it")
            << QStringList{"a1", "a2", ""} << 1 << 1 << &insertRow << QStringList{"", "a1", "a2"}
            << QPoint(1, 1) << false;
        QTest::newRow("cell delete pulls the column up")
            << three << 1 << 1 << &deleteCell << QStringList{"a2|b1|c1", "a3|b2|c2", "|b3|c3"}
            << QPoint(1, 1) << false;
        QTest::newRow("cell delete on the last data row keeps the row")
            << QStringList{"a1", "a2"} << 1 << 2 << &deleteCell << QStringList{"a1", ""}
            << QPoint(1, 2) << false;
        QTest::newRow("cell delete on the trailing row changes nothing visible")
            << three << 2 << 4 << &deleteCell << three << QPoint(2, 4) << false;
        QTest::newRow("clearing the only value removes the row")
            << QStringList{"a1", "|b2", "a3"} << 2 << 2 << &clearCell << QStringList{"a1", "a3"}
            << QPoint(2, 2) << false;
        QTest::newRow("clearing one of several values keeps the row")
            << three << 2 << 2 << &clearCell << QStringList{"a1|b1|c1", "a2||c2", "a3|b3|c3"}
            << QPoint(2, 2) << false;
        QTest::newRow("row delete moves the rows below up")
            << three << 3 << 1 << &deleteRow << QStringList{"a2|b2|c2", "a3|b3|c3"} << QPoint(3, 1)
            << false;
        QTest::newRow("row delete of the last data row leaves its index on the trailing row")
            << three << 1 << 3 << &deleteRow << QStringList{"a1|b1|c1", "a2|b2|c2"} << QPoint(1, 3)
            << false;
        QTest::newRow("row delete of the trailing row does nothing")
            << three << 1 << 4 << &deleteRow << three << QPoint(1, 4) << true;
        QTest::newRow("row delete of an empty list does nothing")
            << QStringList{} << 1 << 1 << &deleteRow << QStringList{} << QPoint(1, 1) << true;
        QTest::newRow("blank rows at start, middle and end go in one pass")
            << QStringList{"", "", "a", "", "", "b", "|c", "", ""} << 4 << 5 << &deleteBlankRows
            << QStringList{"a", "b", "|c"} << QPoint(1, 1) << false;
        QTest::newRow("no blank row: nothing removed, flag kept")
            << three << 4 << 3 << &deleteBlankRows << three << QPoint(1, 1) << true;
        QTest::newRow("blank removal on an empty list leaves the current cell")
            << QStringList{} << 5 << 1 << &deleteBlankRows << QStringList{} << QPoint(5, 1) << true;
        QTest::newRow("new grid empties the list")
            << three << 4 << 3 << &clearList << QStringList{} << QPoint(1, 1) << false;
        QTest::newRow("new grid on an empty list keeps the flag")
            << QStringList{} << 4 << 1 << &clearList << QStringList{} << QPoint(1, 1) << true;
    }
    void operations() {
        QFETCH(QStringList, before);
        QFETCH(int, col);
        QFETCH(int, row);
        QFETCH(Operation, operation);
        QFETCH(QStringList, after);
        QFETCH(QPoint, current);
        QFETCH(bool, saved);
        Lesson lesson;
        DataList& list = lesson.rows();
        fillList(list, before);
        list.setCurrent(col, row);
        lesson.setSaved(true);
        operation(lesson);
        QCOMPARE(listRows(list), after);
        QCOMPARE(QPoint(list.col(), list.row()), current);
        QCOMPARE(lesson.isSaved(), saved);
        QCOMPARE(list.Cell(0, 0), QStringLiteral("No"));
    }

    void cellInsertAppendsANumberedRow() {
        // Column 3 full in three rows: rowCount 5 -> 6 and "5" in the new last row.
        Lesson lesson;
        DataList& list = lesson.rows();
        fillList(list, {"||x1", "||x2", "||x3"});
        QCOMPARE(list.rowCount(), 5);
        list.setCurrent(3, 2);
        insertCell(lesson);
        QCOMPARE(list.rowCount(), 6);
        QCOMPARE(list.Cell(0, 5), QStringLiteral("5"));
        QCOMPARE(list.Cell(3, 3), QStringLiteral("x2"));
        QCOMPARE(list.Cell(3, 4), QStringLiteral("x3"));
        QVERIFY(list.Cell(3, 2).isEmpty());
    }

    void bulkOperationsSignalOnce() {
        Lesson lesson;
        DataList& list = lesson.rows();
        QStringList rows;
        for (int i = 0; i < 1000; ++i) rows << (i % 3 ? QStringLiteral("p%1").arg(i) : QString());
        fillList(list, rows);
        QSignalSpy cells(&list, &DataList::cellChanged);
        QSignalSpy resets(&list, &DataList::rowsReset);
        list.setCurrent(1, 1);
        deleteBlankRows(lesson);
        QCOMPARE(list.dataRowCount(), 666);
        QCOMPARE(cells.count(), 0);
        QCOMPARE(resets.count(), 1);
        QCOMPARE(list.Cell(0, list.rowCount() - 1), QString::number(list.rowCount() - 1));
    }
};

NUBIVU_TEST(TestGridOperations)
#include "tst_gridoperations.moc"
