#include "datalist/datalist.h"
#include "datalist/sharedstate.h"
#include "testrunner.h"

#include <QTest>

using namespace nubivu;

class TestDataList : public QObject {
    Q_OBJECT
private Q_SLOTS:
    void startsWithHeaderAndTrailingRow() {
        DataList list;
        QCOMPARE(list.RowCount(), 2);
        QCOMPARE(list.DataRowCount(), 0);
        QCOMPARE(list.Row(), 1);
        QCOMPARE(list.Col(), 1);
    }

    void appendedRowsAreNumbered() {
        DataList list;
        list.AppendNumberedRow();
        QCOMPARE(list.RowCount(), 3);
        QCOMPARE(list.Cell(0, 2), QStringLiteral("2"));
        QVERIFY(list.Paths(2) == SlotPaths{});
    }

    void cellsOutsideTheGridReadEmptyAndIgnoreWrites() {
        DataList list;
        list.SetCell(9, 1, QStringLiteral("x"));
        list.SetCell(1, 5, QStringLiteral("x"));
        QVERIFY(list.Cell(9, 1).isEmpty());
        QVERIFY(list.Cell(1, 5).isEmpty());
        QCOMPARE(list.RowCount(), 2);
    }

    void removeRowsKeepsTheOthersInOrder() {
        DataList list;
        for (int i = 0; i < 5; ++i) list.AppendNumberedRow();
        for (int r = 1; r < list.RowCount(); ++r) list.SetCell(1, r, QString::number(r * 10));
        list.RemoveRows({1, 3, 4});
        QCOMPARE(list.RowCount(), 4);
        QCOMPARE(list.Cell(1, 1), QStringLiteral("20"));
        QCOMPARE(list.Cell(1, 2), QStringLiteral("50"));
        QCOMPARE(list.Cell(1, 3), QStringLiteral("60"));
        list.Renumber();
        QCOMPARE(list.Cell(0, 3), QStringLiteral("3"));
    }

    void defaultTitlesInSlotOrder() {
        QCOMPARE(defaultTitles()[slotIndex(ImageSlot::Kumo)], QStringLiteral("雲の写真"));
        QCOMPARE(defaultTitles()[slotIndex(ImageSlot::West)], QStringLiteral("西の空"));
        QCOMPARE(slotColumn(ImageSlot::Ame), 3);
    }

    void resetRestoresTheStartValues() {
        CurrentRow = 7;
        DataSaved = false;
        LastPaths[2] = QStringLiteral("a.bmp");
        KeepRowOnActivate = StopRequested = true;
        ResetSharedState();
        QCOMPARE(CurrentRow, 0);
        QVERIFY(DataSaved);
        QVERIFY(LastPaths[2].isEmpty());
        QVERIFY(!KeepRowOnActivate && !StopRequested);
    }
};

NUBIVU_TEST(TestDataList)
#include "tst_datalist.moc"
