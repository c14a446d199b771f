#include "gridoperationcases.h"
#include "listfixture.h"
#include "testrunner.h"

#include <QSignalSpy>
#include <QTest>

using namespace nubivu;
using namespace nubivu::test;

class TestGridOperations : public QObject {
    Q_OBJECT
private Q_SLOTS:
    void operations_data() { addGridOperationCases(); }
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
        // The grid's column and row, counted from 1, are the list's slot and row.
        list.setCurrent(row - 1, col - 1);
        lesson.setSaved(true);
        operation(lesson);
        QCOMPARE(listRows(list), after);
        QCOMPARE(QPoint(list.currentSlot() + 1, list.currentRow() + 1), current);
        QCOMPARE(lesson.isSaved(), saved);
    }

    void cellInsertAppendsARow() {
        // Rain full in three rows: the third value moves into a fourth row.
        Lesson lesson;
        DataList& list = lesson.rows();
        fillList(list, {"||x1", "||x2", "||x3"});
        list.setCurrent(1, slotIndex(ImageSlot::Rain));
        insertCell(lesson);
        QCOMPARE(listRows(list), (QStringList{"||x1", "", "||x2", "||x3"}));
    }

    void bulkOperationsSignalOnce() {
        Lesson lesson;
        DataList& list = lesson.rows();
        QStringList rows;
        for (int i = 0; i < 1000; ++i) rows << (i % 3 ? QStringLiteral("p%1").arg(i) : QString());
        fillList(list, rows);
        QSignalSpy cells(&list, &DataList::cellChanged);
        QSignalSpy resets(&list, &DataList::rowsReset);
        list.setCurrent(0, 0);
        deleteBlankRows(lesson);
        QCOMPARE(list.count(), 666);
        QCOMPARE(cells.count(), 0);
        QCOMPARE(resets.count(), 1);
    }
};

NUBIVU_TEST(TestGridOperations)
#include "tst_gridoperations.moc"
