#pragma once
// The editor's operations as a table of cases, in what the user sees: the
// current cell as the grid's column (1-7) and row (from 1, the empty row
// after the list included), the rows before and after (listfixture.h), where
// the current cell ends and whether the lesson is still saved. The list's own
// test and the editor's run the same cases.
#include "datalist/gridoperations.h"

#include <QPoint>
#include <QStringList>
#include <QTest>

namespace nubivu::test {

using Operation = void (*)(Lesson&);

inline void addGridOperationCases() {
    QTest::addColumn<QStringList>("before");
    QTest::addColumn<int>("col");
    QTest::addColumn<int>("row");
    QTest::addColumn<Operation>("operation");
    QTest::addColumn<QStringList>("after");
    QTest::addColumn<QPoint>("current");
    QTest::addColumn<bool>("saved");

    const QStringList three = {"a1|b1|c1", "a2|b2|c2", "a3|b3|c3"};
    QTest::newRow("cell insert at row 2 of three pushes the column down")
        << three << 3 << 2 << &insertCell << QStringList{"a1|b1|c1", "a2|b2", "a3|b3|c2", "||c3"}
        << QPoint(3, 2) << false;
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
    QTest::newRow("row insert at a blank last row keeps the row count")
        << QStringList{"a1", ""} << 2 << 2 << &insertRow << QStringList{"a1", ""} << QPoint(2, 2)
        << false;
    QTest::newRow("cell delete pulls the column up")
        << three << 1 << 1 << &deleteCell << QStringList{"a2|b1|c1", "a3|b2|c2", "|b3|c3"}
        << QPoint(1, 1) << false;
    QTest::newRow("cell delete on the last data row keeps the row")
        << QStringList{"a1", "a2"} << 1 << 2 << &deleteCell << QStringList{"a1", ""} << QPoint(1, 2)
        << false;
    QTest::newRow("cell delete on the trailing row changes nothing visible")
        << three << 2 << 4 << &deleteCell << three << QPoint(2, 4) << false;
    QTest::newRow("clearing the only value removes the row")
        << QStringList{"a1", "|b2", "a3"} << 2 << 2 << &clearCell << QStringList{"a1", "a3"}
        << QPoint(2, 2) << false;
    QTest::newRow("clearing one of several values keeps the row")
        << three << 2 << 2 << &clearCell << QStringList{"a1|b1|c1", "a2||c2", "a3|b3|c3"}
        << QPoint(2, 2) << false;
    QTest::newRow("clearing on the trailing row changes nothing visible")
        << three << 3 << 4 << &clearCell << three << QPoint(3, 4) << false;
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

} // namespace nubivu::test

Q_DECLARE_METATYPE(nubivu::test::Operation)
