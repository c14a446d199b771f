#include "editor/imagefilechooser.h"
#include "editor/listeditorwindow.h"
#include "fakeprompter.h"
#include "gridoperationcases.h"
#include "listfixture.h"
#include "pictures/formatregistry.h"
#include "testrunner.h"

#include <QAction>
#include <QHeaderView>
#include <QLabel>
#include <QPushButton>
#include <QTableView>
#include <QTest>
#include <map>

using namespace nubivu;
using namespace nubivu::test;

namespace {
// The grid's current cell as the user sees it: column 1-7, row from 1.
QPoint currentCell(const QTableView* grid) {
    return QPoint(grid->currentIndex().column() + 1, grid->currentIndex().row() + 1);
}
} // namespace

class TestDataEdit : public QObject {
    Q_OBJECT

    // A fresh lesson and an editor on it, on a screen this wide.
    std::unique_ptr<ListEditorWindow> make(int screenWidth) {
        lesson_ = std::make_unique<Lesson>();
        return std::make_unique<ListEditorWindow>(*lesson_, ScreenMetrics::forWidth(screenWidth),
                                                  prompter_);
    }
    FakePrompter prompter_;
    std::unique_ptr<Lesson> lesson_;
    const FormatRegistry formats_;

private Q_SLOTS:
    void init() { prompter_ = FakePrompter(); }

    void columnWidths_data() {
        QTest::addColumn<int>("screen");
        QTest::addColumn<int>("dataRows");
        QTest::addColumn<int>("width");
        QTest::newRow("1024, 9 rows") << 1024 << 9 << 140;
        QTest::newRow("1024, 10 rows") << 1024 << 10 << 137;
        QTest::newRow("800, 9 rows") << 800 << 9 << 108;
        QTest::newRow("800, 10 rows") << 800 << 10 << 105;
        QTest::newRow("640, 0 rows") << 640 << 0 << 85;
        QTest::newRow("640, 10 rows") << 640 << 10 << 82;
    }
    void columnWidths() {
        QFETCH(int, screen);
        QFETCH(int, dataRows);
        QFETCH(int, width);
        auto edit = make(screen);
        fillList(lesson_->rows(), QStringList(dataRows, QStringLiteral("a")));
        // The data rows and the empty row after them.
        QCOMPARE(child<QTableView>(edit, "StringGrid1")->model()->rowCount(), dataRows + 1);
        for (int c = 0; c < 7; ++c)
            QCOMPARE(child<QTableView>(edit, "StringGrid1")->columnWidth(c), width);
        QCOMPARE(child<QTableView>(edit, "StringGrid1")->verticalHeader()->width(), 17);
        QCOMPARE(child<QTableView>(edit, "StringGrid1")->width(), screen - 24);
        QCOMPARE(child<QPushButton>(edit, "BitBtn2")->geometry().right() + 1, screen - 16);
        QCOMPARE(child<QPushButton>(edit, "BitBtn1")->geometry().right() + 1, screen - 128);
    }

    // The number column keeps its designed width while the numbers it shows
    // (up to the empty row's, after the list) have two digits; a longer list
    // widens it so that every number is whole, the data columns keep their
    // widths and the grid scrolls sideways. It narrows again with the list.
    void numberColumnFitsTheLargestNumber_data() {
        QTest::addColumn<int>("dataRows");
        QTest::addColumn<int>("digits");
        QTest::newRow("9 rows") << 9 << 2;
        QTest::newRow("98 rows: 99 the largest") << 98 << 2;
        QTest::newRow("99 rows: 100 the largest") << 99 << 3;
        QTest::newRow("100 rows") << 100 << 3;
        QTest::newRow("9999 rows") << 9999 << 5;
        QTest::newRow("99999 rows") << 99999 << 6;
    }
    void numberColumnFitsTheLargestNumber() {
        QFETCH(int, dataRows);
        QFETCH(int, digits);
        auto edit = make(1024);
        fillList(lesson_->rows(), QStringList(dataRows, QStringLiteral("a")));
        QTableView* grid = child<QTableView>(edit, "StringGrid1");
        QHeaderView* numbers = grid->verticalHeader();
        const bool designed = digits <= 2;
        if (designed) {
            QCOMPARE(numbers->width(), 17);
        } else {
            // Every number of that many digits fits whole between the
            // section's padding (2) and its border (1).
            for (char d = '0'; d <= '9'; ++d) {
                const QString number(digits, QLatin1Char(d));
                const QFontMetrics& metrics = numbers->fontMetrics();
                QVERIFY2(2 + metrics.boundingRect(number).right() + 1 < numbers->width() - 1,
                         qPrintable(number));
                QVERIFY2(2 + metrics.horizontalAdvance(number) <= numbers->width() - 1,
                         qPrintable(number));
            }
        }
        QCOMPARE(grid->horizontalScrollBarPolicy(),
                 designed ? Qt::ScrollBarAlwaysOff : Qt::ScrollBarAsNeeded);
        for (int c = 0; c < 7; ++c) QCOMPARE(grid->columnWidth(c), dataRows >= 10 ? 137 : 140);
        fillList(lesson_->rows(), QStringList(5, QStringLiteral("a")));
        QCOMPARE(numbers->width(), 17);
        QCOMPARE(grid->horizontalScrollBarPolicy(), Qt::ScrollBarAlwaysOff);
    }

    void activationWritesHeaderAndFirstNumber() {
        auto edit = make(1024);
        lesson_->setTitles(rowOf("t1|t2|t3|n|s|e|w"));
        edit->onActivated();
        QTableView* grid = child<QTableView>(edit, "StringGrid1");
        // The corner between the two headers.
        QCOMPARE(grid->findChild<QLabel*>(QString(), Qt::FindDirectChildrenOnly)->text(),
                 QStringLiteral("No"));
        QCOMPARE(grid->model()->headerData(0, Qt::Vertical).toString(), QStringLiteral("1"));
        QCOMPARE(grid->model()->headerData(6, Qt::Horizontal).toString(), QStringLiteral("w"));
        QCOMPARE(grid->model()->columnCount(), 7);
        // The header keeps the titles as they were at activation.
        lesson_->setTitles(defaultTitles());
        QCOMPARE(grid->model()->headerData(6, Qt::Horizontal).toString(), QStringLiteral("w"));
        edit->onActivated();
        QCOMPARE(grid->model()->headerData(6, Qt::Horizontal).toString(), defaultTitles()[6]);
    }

    // Every operation as the user sees it in the grid: the rows, their
    // numbers, the empty row after them, the current cell and its label.
    void operationsAsTheGridShowsThem_data() { addGridOperationCases(); }
    void operationsAsTheGridShowsThem() {
        QFETCH(QStringList, before);
        QFETCH(int, col);
        QFETCH(int, row);
        QFETCH(Operation, operation);
        QFETCH(QStringList, after);
        QFETCH(QPoint, current);
        QFETCH(bool, saved);
        const std::map<Operation, const char*> items{
            {&insertCell, "mnInsert"},   {&insertRow, "mnGyoInsert"},
            {&clearCell, "mnClear"},     {&deleteCell, "mnDelete"},
            {&deleteRow, "mnGyoDelete"}, {&deleteBlankRows, "mnBrankGyoDelete"}};
        auto edit = make(640);
        lesson_->setTitles(rowOf("t1|t2|t3|n|s|e|w"));
        edit->onActivated();
        fillList(lesson_->rows(), before);
        QTableView* grid = child<QTableView>(edit, "StringGrid1");
        grid->setCurrentIndex(grid->model()->index(row - 1, col - 1)); // as a click does
        lesson_->setSaved(true);
        // Through the menu, where there is an item: a disabled one does nothing.
        if (const auto item = items.find(operation); item != items.end())
            child<QAction>(edit, item->second)->trigger();
        else
            edit->clearList();
        QCOMPARE(gridRows(*grid->model()), after);
        QCOMPARE(currentCell(grid), current);
        const int currentRow = current.y() - 1;
        QCOMPARE(child<QLabel>(edit, "Label1")->text(),
                 currentRow < after.size() ? rowOf(after[currentRow])[size_t(current.x() - 1)]
                                           : QString());
        QCOMPARE(lesson_->isSaved(), saved);
        QCOMPARE(grid->model()->headerData(0, Qt::Horizontal).toString(), QStringLiteral("t1"));
        lesson_->setTitles(defaultTitles());
    }

    void menuFollowsTheRowCount() {
        auto edit = make(640);
        QAction* rowItems[] = {child<QAction>(edit, "mnClear"), child<QAction>(edit, "mnDelete"),
                               child<QAction>(edit, "mnGyoDelete"),
                               child<QAction>(edit, "mnBrankGyoDelete")};
        for (QAction* a : rowItems) QVERIFY(!a->isEnabled());
        QVERIFY(child<QAction>(edit, "mnInsert")->isEnabled() &&
                child<QAction>(edit, "mnGyoInsert")->isEnabled());
        QCOMPARE(child<QAction>(edit, "mnGyoInsert")->text(), QStringLiteral("１行挿入"));
        QCOMPARE(child<QAction>(edit, "mnClear")->shortcut(),
                 QKeySequence(Qt::CTRL | Qt::Key_Delete));
        fillList(lesson_->rows(), {"a"});
        for (QAction* a : rowItems) QVERIFY(a->isEnabled());
        lesson_->rows().setCurrent(0, 0);
        edit->clearCell(); // the only value: its row goes
        QVERIFY(lesson_->rows().isEmpty());
        for (QAction* a : rowItems) QVERIFY(!a->isEnabled());
    }

    void keysAndClicksWorkOnTheCurrentCell() {
        auto edit = make(640);
        fillList(lesson_->rows(), {"a1|b1", "a2|b2", "a3|b3"});
        edit->show();
        edit->activateWindow();
        QVERIFY(QTest::qWaitForWindowActive(edit.get()));
        QTableView* grid = child<QTableView>(edit, "StringGrid1");
        const QRect cell = grid->visualRect(grid->model()->index(1, 1));
        QTest::mouseClick(grid->viewport(), Qt::LeftButton, {}, cell.center());
        QCOMPARE(QPoint(lesson_->rows().currentSlot(), lesson_->rows().currentRow()), QPoint(1, 1));
        QCOMPARE(currentCell(grid), QPoint(2, 2));
        QCOMPARE(child<QLabel>(edit, "Label1")->text(), QStringLiteral("b2"));
        QTest::keyClick(grid, Qt::Key_Down);
        QCOMPARE(lesson_->rows().currentRow(), 2);
        QTest::keyClick(grid, Qt::Key_Delete); // deleteCell
        QCOMPARE(gridRows(*grid->model()), (QStringList{"a1|b1", "a2|b2", "a3"}));
        QCOMPARE(currentCell(grid), QPoint(2, 3));
        QTest::keyClick(grid, Qt::Key_Up);
        QTest::keyClick(grid, Qt::Key_Insert, Qt::ShiftModifier); // insertRow
        QCOMPARE(gridRows(*grid->model()), (QStringList{"a1|b1", "", "a2|b2", "a3"}));
        QTest::keyClick(grid, Qt::Key_Delete, Qt::ShiftModifier); // deleteRow
        QCOMPARE(gridRows(*grid->model()), (QStringList{"a1|b1", "a2|b2", "a3"}));
        QVERIFY(!lesson_->isSaved());
        // No cell can be typed into.
        QTest::keyClicks(grid, QStringLiteral("xyz"));
        QCOMPARE(gridRows(*grid->model()), (QStringList{"a1|b1", "a2|b2", "a3"}));
        edit->close();
    }

    // Enter on a focused button presses that button; elsewhere it presses
    // the default button, which opens the chooser.
    void enterPressesTheFocusedButton() {
        auto edit = make(640);
        ImageFileChooser chooser(*lesson_, formats_, prompter_, DecodeOptions());
        edit->setFileChooser(&chooser);
        FakePrompter& prompter = prompter_;
        fillList(lesson_->rows(), {"a1"});
        edit->show();
        edit->activateWindow();
        QVERIFY(QTest::qWaitForWindowActive(edit.get()));
        child<QTableView>(edit, "StringGrid1")->setFocus();
        QTest::keyClick(child<QTableView>(edit, "StringGrid1"), Qt::Key_Return);
        QCOMPARE(prompter.modals, 1);
        child<QPushButton>(edit, "BitBtn1")->setFocus();
        QTest::keyClick(child<QPushButton>(edit, "BitBtn1"), Qt::Key_Return);
        QCOMPARE(prompter.modals, 2);
        child<QPushButton>(edit, "BitBtn2")->setFocus();
        QTest::keyClick(child<QPushButton>(edit, "BitBtn2"), Qt::Key_Return);
        QCOMPARE(prompter.modals, 2);
        QVERIFY(!edit->isVisible());
    }

    void showingDisablesTheMainWindowClosingRemovesBlankRows() {
        auto edit = make(640);
        QWidget main;
        edit->setMainWindow(&main);
        fillList(lesson_->rows(), {"", "a", "", "b", ""});
        lesson_->rows().setCurrent(3, 2);
        edit->show();
        QVERIFY(!main.isEnabled());
        QVERIFY(edit->close());
        QVERIFY(main.isEnabled());
        QVERIFY(!edit->isVisible());
        QCOMPARE(gridRows(*child<QTableView>(edit, "StringGrid1")->model()),
                 (QStringList{"a", "b"}));
        QCOMPARE(currentCell(child<QTableView>(edit, "StringGrid1")), QPoint(1, 1));
    }

    void openButtonRunsTheChooserModally() {
        auto edit = make(640);
        ImageFileChooser chooser(*lesson_, formats_, prompter_, DecodeOptions());
        edit->setFileChooser(&chooser);
        FakePrompter& prompter = prompter_;
        prompter.modal = [](QDialog& dialog) {
            return dialog.objectName() == QStringLiteral("frmFileSelect") ? 1 : 0;
        };
        child<QPushButton>(edit, "BitBtn1")->click();
        child<QAction>(edit, "mnOpen")->trigger();
        QCOMPARE(prompter.modals, 2);
    }

    void operationsStayCheapOnALongList() {
        // Not a timing: bulk operations must reach the view as one reset,
        // so the grid never re-reads 100,000 rows per moved cell.
        auto edit = make(640);
        QStringList rows;
        for (int i = 0; i < 100000; ++i) rows << (i % 2 ? QStringLiteral("p") : QString());
        fillList(lesson_->rows(), rows);
        int resets = 0;
        connect(child<QTableView>(edit, "StringGrid1")->model(), &QAbstractItemModel::modelReset,
                [&] { ++resets; });
        lesson_->rows().setCurrent(0, 0);
        edit->insertRow();
        edit->deleteBlankRows();
        QCOMPARE(lesson_->rows().count(), 50000);
        QCOMPARE(resets, 2);
    }
};

NUBIVU_TEST(TestDataEdit)
#include "tst_dataedit.moc"
