#include "app/aboutbox.h"
#include "app/helpwindow.h"
#include "app/mainwindow.h"
#include "editor/listeditorwindow.h"
#include "fakeprompter.h"
#include "pictures/jpegimage.h"
#include "showfixture.h"
#include "sitephotos/skywindow.h"
#include "slideshow/optionsdialog.h"
#include "slideshow/slideshow.h"
#include "testrunner.h"
#include "ui/picturepane.h"

#include <QAction>
#include <QApplication>
#include <QCheckBox>
#include <QFile>
#include <QLabel>
#include <QMessageBox>
#include <QPushButton>
#include <QScopeGuard>
#include <QTest>
#include <QTimer>

using namespace nubivu;
using namespace nubivu::test;

namespace {

MainWindow* main() { return mainForm(); }
DataList& list() { return theLesson().rows(); }

SlotPaths rowOf(QString kumo, QString nubivuzu = {}, QString ame = {}) {
    SlotPaths p;
    p[0] = std::move(kumo);
    p[1] = std::move(nubivuzu);
    p[2] = std::move(ame);
    return p;
}

// The enabled state of play, step forward, step back, return, in this order.
QString stepping() {
    QString s;
    for (QPushButton* b :
         {child<QPushButton>(main(), "BitBtnSaisei"), child<QPushButton>(main(), "BitBtnKomaOkuri"),
          child<QPushButton>(main(), "BitBtnKomaModosi"),
          child<QPushButton>(main(), "BitBtnModoru")})
        s += b->isEnabled() ? QLatin1Char('1') : QLatin1Char('0');
    return s;
}

bool allSevenVisible() {
    for (QPushButton* b :
         {child<QPushButton>(main(), "BitBtnSaisei"), child<QPushButton>(main(), "BitBtnKomaOkuri"),
          child<QPushButton>(main(), "BitBtnTeisi"), child<QPushButton>(main(), "BitBtnKomaModosi"),
          child<QPushButton>(main(), "BitBtnModoru"), child<QPushButton>(main(), "BitBtnKansokuti"),
          child<QPushButton>(main(), "BitBtnSyuryo")})
        if (b->isHidden()) return false;
    return true;
}

} // namespace

class TestSlideShow : public QObject {
    Q_OBJECT

    test::ShowFixture fx_;

    // Rows whose cloud photos are k1.tpx .. kN.tpx, 10 + i pixels wide.
    std::vector<SlotPaths> numbered(int n) {
        std::vector<SlotPaths> rows;
        for (int i = 1; i <= n; ++i)
            rows.push_back(rowOf(fx_.pic(QStringLiteral("k%1.tpx").arg(i), 10 + i)));
        return rows;
    }

    void click(QPushButton* b) { QTest::mouseClick(b, Qt::LeftButton); }

private Q_SLOTS:
    void cleanup() { stopWindows(); }

    void fiveRowsPlayToTheLastRow() {
        QVERIFY(test::ShowFixture::start(numbered(5)));
        QCOMPARE(show().currentRow(), 0); // the first row, counted from 0 inside
        QCOMPARE(shownRow(), 1);
        QCOMPARE(child<QLabel>(main(), "Label4")->text(), QStringLiteral("1"));
        QCOMPARE(child<QLabel>(main(), "Label6")->text(), QStringLiteral("5"));
        QCOMPARE(child<PicturePane>(main(), "ImgKumo")->picture().width(), 11);
        QCOMPARE(child<QLabel>(main(), "lblKUMO")->text(), QStringLiteral("k1.tpx"));
        QCOMPARE(stepping(), QStringLiteral("1100"));
        QVERIFY(!child<QPushButton>(main(), "BitBtnTeisi")->isEnabled());
        QVERIFY(child<QAction>(main(), "Edit1")->isEnabled());

        click(child<QPushButton>(main(), "BitBtnSaisei"));
        QVERIFY(main()->slides().playing());
        QCOMPARE(shownRow(), 2); // the first row follows at once
        for (QPushButton* b : {child<QPushButton>(main(), "BitBtnKansokuti"),
                               child<QPushButton>(main(), "BitBtnKomaOkuri"),
                               child<QPushButton>(main(), "BitBtnKomaModosi"),
                               child<QPushButton>(main(), "BitBtnModoru"),
                               child<QPushButton>(main(), "BitBtnSyuryo")})
            QVERIFY2(b->isHidden(), qPrintable(b->objectName()));
        QVERIFY(child<QPushButton>(main(), "BitBtnSaisei")->isVisible());
        QVERIFY(child<QPushButton>(main(), "BitBtnTeisi")->isVisible() &&
                child<QPushButton>(main(), "BitBtnTeisi")->isEnabled());

        // A second click while playing starts nothing and skips no row.
        child<QPushButton>(main(), "BitBtnSaisei")->click();
        QCOMPARE(shownRow(), 2);

        QTRY_VERIFY(!main()->slides().playing());
        QCOMPARE(shownRow(), 5);
        QCOMPARE(child<QLabel>(main(), "Label4")->text(), QStringLiteral("5"));
        QCOMPARE(child<PicturePane>(main(), "ImgKumo")->picture().width(), 15);
        QCOMPARE(child<QLabel>(main(), "lblKUMO")->text(), QStringLiteral("k5.tpx"));
        QCOMPARE(stepping(), QStringLiteral("0011"));
        QVERIFY(!child<QPushButton>(main(), "BitBtnTeisi")->isEnabled());
        QVERIFY(allSevenVisible());

        // Stepping past either end does nothing; return goes to row 1.
        main()->stepForward();
        QCOMPARE(shownRow(), 5);
        click(child<QPushButton>(main(), "BitBtnModoru"));
        QCOMPARE(shownRow(), 1);
        QCOMPARE(child<PicturePane>(main(), "ImgKumo")->picture().width(), 11);
        main()->stepBack();
        QCOMPARE(shownRow(), 1);
        click(child<QPushButton>(main(), "BitBtnKomaOkuri"));
        click(child<QPushButton>(main(), "BitBtnKomaOkuri"));
        QCOMPARE(child<QLabel>(main(), "Label4")->text(), QStringLiteral("3"));
        QCOMPARE(stepping(), QStringLiteral("1111"));
        click(child<QPushButton>(main(), "BitBtnKomaModosi"));
        QCOMPARE(child<QLabel>(main(), "Label4")->text(), QStringLiteral("2"));
        QCOMPARE(child<QLabel>(main(), "Label6")->text(), QStringLiteral("5"));
    }

    void oneRowDisablesTheSteppingButtons() {
        QVERIFY(test::ShowFixture::start(numbered(1)));
        QCOMPARE(child<QLabel>(main(), "Label4")->text(), QStringLiteral("1"));
        QCOMPARE(child<QLabel>(main(), "Label6")->text(), QStringLiteral("1"));
        QCOMPARE(stepping(), QStringLiteral("0000"));
        QVERIFY(child<QPushButton>(main(), "BitBtnSyuryo")->isEnabled());
        main()->stepForward();
        main()->play();
        QCOMPARE(shownRow(), 1);
        QVERIFY(allSevenVisible());
    }

    void emptyListShowsQuestionMarks() {
        SlotPaths withSky = rowOf(fx_.pic("k.tpx", 20));
        withSky[3] = fx_.pic("north.tpx", 21);
        QVERIFY(test::ShowFixture::start({withSky}));
        QVERIFY(child<QPushButton>(main(), "BitBtnKansokuti")->isEnabled());

        // The list emptied (New): counters unknown, panes and names cleared;
        // the sky button still reflects the row loaded last.
        list().clear();
        main()->onActivated();
        QCOMPARE(child<QLabel>(main(), "Label4")->text(), QStringLiteral("???"));
        QCOMPARE(child<QLabel>(main(), "Label6")->text(), QStringLiteral("???"));
        QVERIFY(child<PicturePane>(main(), "ImgKumo")->picture().empty());
        QVERIFY(child<QLabel>(main(), "lblKUMO")->text().isEmpty());
        QCOMPARE(stepping(), QStringLiteral("0000"));
        QVERIFY(!child<QPushButton>(main(), "BitBtnTeisi")->isEnabled());
        QVERIFY(!child<QAction>(main(), "Edit1")->isEnabled());
        QVERIFY(child<QPushButton>(main(), "BitBtnKansokuti")->isEnabled());
        QCOMPARE(show().currentPaths()[3], withSky[3]);
    }

    void fillIn_data() {
        QTest::addColumn<bool>("fill");
        QTest::addColumn<bool>("writeBack");
        QTest::addColumn<QString>("steps"); // from row 1: > forward, < back, r return
        QTest::addColumn<int>("row");
        QTest::addColumn<QString>("kumo");     // name under the cloud pane
        QTest::addColumn<int>("kumoWidth");    // 0: empty pane
        QTest::addColumn<QString>("nubivuzu"); // name under the weather map
        QTest::addColumn<QString>("cell");     // the list's cloud cell of row 2
        QTest::addColumn<bool>("sky");

        QTest::newRow("off: the empty cell shows nothing")
            << false << false << ">" << 2 << "" << 0 << "w.tpx"
            << "" << false;
        QTest::newRow("fill: row 2 shows A, the list keeps its empty cell")
            << true << false << ">" << 2 << "a.tpx" << 31 << "w.tpx"
            << "" << false;
        QTest::newRow("fill and write-back: the list takes A")
            << true << true << ">" << 2 << "a.tpx" << 31 << "w.tpx"
            << "a.tpx" << false;
        QTest::newRow("stepping back fills from the row loaded last")
            << true << false << ">><" << 2 << "b.tpx" << 32 << "w.tpx"
            << "" << false;
        QTest::newRow("written back, the first fill stays when stepping back")
            << true << true << ">><" << 2 << "a.tpx" << 31 << "w.tpx"
            << "a.tpx" << false;
        QTest::newRow("row 1 is never filled") << true << true << ">r" << 1 << "a.tpx" << 31 << ""
                                               << "a.tpx" << true;
    }
    void fillIn() {
        QFETCH(bool, fill);
        QFETCH(bool, writeBack);
        QFETCH(QString, steps);
        QFETCH(int, row);
        QFETCH(QString, kumo);
        QFETCH(int, kumoWidth);
        QFETCH(QString, nubivuzu);
        QFETCH(QString, cell);
        QFETCH(bool, sky);

        // Row 1: A, no weather map, a north photo; row 2: nothing but a
        // weather map; row 3: B. Sky slots are never filled from row 1.
        SlotPaths r1 = rowOf(fx_.pic("a.tpx", 31));
        r1[3] = fx_.pic("n.tpx", 40);
        const SlotPaths r2 = rowOf({}, fx_.pic("w.tpx", 33));
        const SlotPaths r3 = rowOf(fx_.pic("b.tpx", 32));
        QVERIFY(test::ShowFixture::start({r1, r2, r3}));

        // Set through the dialog's boxes, as the teacher does.
        if (fill) child<QCheckBox>(optionsForm(), "chkbNulGazo")->click();
        if (writeBack) child<QCheckBox>(optionsForm(), "chkbSaveGazoData")->click();
        for (QChar step : steps) {
            if (step == QLatin1Char('>')) child<QPushButton>(main(), "BitBtnKomaOkuri")->click();
            if (step == QLatin1Char('<')) child<QPushButton>(main(), "BitBtnKomaModosi")->click();
            if (step == QLatin1Char('r')) child<QPushButton>(main(), "BitBtnModoru")->click();
        }
        QCOMPARE(shownRow(), row);
        QCOMPARE(child<QLabel>(main(), "lblKUMO")->text(), kumo);
        QCOMPARE(child<PicturePane>(main(), "ImgKumo")->picture().width(), kumoWidth);
        QCOMPARE(child<QLabel>(main(), "lblNUBIVUZU")->text(), nubivuzu);
        QCOMPARE(child<PicturePane>(main(), "ImgNubivuzu")->picture().empty(), nubivuzu.isEmpty());
        QCOMPARE(list().cell(1, slotIndex(ImageSlot::Cloud)),
                 cell.isEmpty() ? QString() : fx_.path(cell));
        QCOMPARE(child<QPushButton>(main(), "BitBtnKansokuti")->isEnabled(), sky);
        QVERIFY(theLesson().isSaved()); // write-back is not an edit
        QVERIFY(list().cell(1, slotIndex(ImageSlot::North)).isEmpty());
    }

    void skyButtonFollowsTheRowOnShow_data() {
        QTest::addColumn<int>("slot"); // -1: no sky photo in the row
        QTest::newRow("none") << -1;
        QTest::newRow("north") << 3;
        QTest::newRow("south") << 4;
        QTest::newRow("east") << 5;
        QTest::newRow("west") << 6;
    }
    void skyButtonFollowsTheRowOnShow() {
        QFETCH(int, slot);
        SlotPaths r1 = rowOf(fx_.pic("k.tpx", 20));
        if (slot >= 0) r1[size_t(slot)] = QStringLiteral("/anywhere/sky.jpg");
        const SlotPaths r2 = rowOf(fx_.pic("k.tpx", 20));
        QVERIFY(test::ShowFixture::start({r1, r2}));
        QCOMPARE(child<QPushButton>(main(), "BitBtnKansokuti")->isEnabled(), slot >= 0);
        child<QPushButton>(main(), "BitBtnKomaOkuri")->click(); // no sky in row 2
        QVERIFY(!child<QPushButton>(main(), "BitBtnKansokuti")->isEnabled());
    }

    void badPicturesLeaveThePaneEmptyAndNamed() {
        const SlotPaths good =
            rowOf(fx_.pic("k.tpx", 20), fx_.pic("w.tpx", 21), fx_.pic("r.tpx", 22));
        const SlotPaths bad = rowOf(QStringLiteral("/no/such/folder/gone.tpx"),
                                    test::writeGarbage(fx_.path("bad.tpx")),
                                    QStringLiteral("C:\\pictures\\winter.xyz"));
        QVERIFY(test::ShowFixture::start({good, bad, good}));
        const test::FakePrompter& prompter = test::fakePrompter();
        QVERIFY(!child<PicturePane>(main(), "ImgAme")->picture().empty());
        child<QPushButton>(main(), "BitBtnKomaOkuri")->click();
        for (PicturePane* pane :
             {child<PicturePane>(main(), "ImgKumo"), child<PicturePane>(main(), "ImgNubivuzu"),
              child<PicturePane>(main(), "ImgAme")})
            QVERIFY2(pane->picture().empty(), qPrintable(pane->objectName()));
        QCOMPARE(child<QLabel>(main(), "lblKUMO")->text(), QStringLiteral("gone.tpx"));
        QCOMPARE(child<QLabel>(main(), "lblNUBIVUZU")->text(), QStringLiteral("bad.tpx"));
        QCOMPARE(child<QLabel>(main(), "lblAME")->text(), QStringLiteral("winter.xyz"));
        QCOMPARE(stepping(), QStringLiteral("1111")); // the show goes on
        child<QPushButton>(main(), "BitBtnKomaOkuri")->click();
        QCOMPARE(child<PicturePane>(main(), "ImgAme")->picture().width(), 22);
        QTRY_VERIFY(show().decodedAhead());
        QCoreApplication::processEvents(); // any report queued meanwhile
        QVERIFY(prompter.asked.empty());
    }

    void returningToTheMainWindow_data() {
        QTest::addColumn<QString>("from");
        QTest::addColumn<int>("row");
        QTest::newRow("options dialog") << "options" << 1;
        QTest::newRow("editor") << "editor" << 1;
        QTest::newRow("sky window") << "sky" << 3;
        QTest::newRow("about box") << "about" << 1;
        QTest::newRow("help window") << "help" << 1;
        // No return to row 1 from what stands for the platform's own boxes,
        // nor from another application (also how a later copy's hand-over
        // brings the window forward).
        QTest::newRow("file dialog cancelled") << "file dialog" << 3;
        QTest::newRow("close question cancelled") << "question" << 3;
        QTest::newRow("another application") << "elsewhere" << 3;
    }
    void returningToTheMainWindow() {
        QFETCH(QString, from);
        QFETCH(int, row);
        auto rows = numbered(4);
        rows[2][6] = fx_.pic("west.tpx", 50);
        QVERIFY(test::ShowFixture::start(rows));
        child<QPushButton>(main(), "BitBtnKomaOkuri")->click();
        child<QPushButton>(main(), "BitBtnKomaOkuri")->click();
        QCOMPARE(shownRow(), 3);

        if (from == QLatin1String("options")) {
            child<QAction>(main(), "N2")->trigger();
            QVERIFY(optionsForm()->isVisible());
            QVERIFY(!main()->isEnabled());
            QVERIFY(test::ShowFixture::activate(optionsForm()));
            child<QPushButton>(optionsForm(), "bbtnOK")->click();
            QVERIFY(!optionsForm()->isVisible());
            QVERIFY(main()->isEnabled());
        } else if (from == QLatin1String("editor")) {
            child<QAction>(main(), "Edit1")->trigger();
            QVERIFY(test::ShowFixture::activate(editForm()));
            editForm()->close();
        } else if (from == QLatin1String("about")) {
            aboutForm()->show();
            QVERIFY(test::ShowFixture::activate(aboutForm()));
            child<QPushButton>(aboutForm(), "OKButton")->click();
        } else if (from == QLatin1String("help")) {
            child<QAction>(main(), "Contents1")->trigger();
            QVERIFY(test::ShowFixture::activate(test::helpForm()));
            test::helpForm()->close();
        } else if (from == QLatin1String("file dialog")) {
            main()->openDialog().show();
            QVERIFY(test::ShowFixture::activate((&main()->openDialog())));
            main()->openDialog().reject();
        } else if (from == QLatin1String("question")) {
            QMessageBox question(QMessageBox::Warning, QStringLiteral("警告"), QStringLiteral("?"),
                                 QMessageBox::Cancel, main());
            question.show();
            QVERIFY(test::ShowFixture::activate(&question));
            question.reject();
            QVERIFY(test::ShowFixture::activate(main()));
        } else if (from == QLatin1String("elsewhere")) {
            QApplication::setActiveWindow(nullptr);
            QVERIFY(!main()->isActiveWindow());
        } else {
            child<QPushButton>(main(), "BitBtnKansokuti")->click();
            QVERIFY(skyForm()->isVisible());
            QVERIFY(show().keepsRowOnActivation());
            QVERIFY(test::ShowFixture::activate(skyForm()));
        }
        QVERIFY(test::ShowFixture::activate(main()));
        QCOMPARE(shownRow(), row);
        QCOMPARE(child<QLabel>(main(), "Label4")->text(), QString::number(row));
        QCOMPARE(child<PicturePane>(main(), "ImgKumo")->picture().width(), 10 + row);
        QVERIFY(!show().keepsRowOnActivation());

        // Keeping the row is one-shot: the next return starts at row 1 again.
        editForm()->show();
        QVERIFY(test::ShowFixture::activate(editForm()));
        QVERIFY(test::ShowFixture::activate(main()));
        QCOMPARE(shownRow(), 1);
    }

    void stopLeavesTheRowOnShow() {
        QVERIFY(test::ShowFixture::start(numbered(30)));
        click(child<QPushButton>(main(), "BitBtnSaisei"));
        // Pressed from the event loop between two rows, as a person would.
        QTimer::singleShot(0, main(), [] {
            QTest::mouseClick(child<QPushButton>(main(), "BitBtnTeisi"), Qt::LeftButton);
        });
        QTRY_VERIFY(!main()->slides().playing());
        QVERIFY(shownRow() > 1 && shownRow() < 30);
        QVERIFY(!show().stopRequested());
        QCOMPARE(child<QLabel>(main(), "Label4")->text(), QString::number(shownRow()));
        QCOMPARE(child<PicturePane>(main(), "ImgKumo")->picture().width(), 10 + shownRow());
        QCOMPARE(stepping(), QStringLiteral("1111"));
        QVERIFY(!child<QPushButton>(main(), "BitBtnTeisi")->isEnabled());
        QVERIFY(allSevenVisible());

        // Play goes on from the row on show, not from row 1.
        const int stoppedAt = shownRow();
        click(child<QPushButton>(main(), "BitBtnSaisei"));
        QCOMPARE(shownRow(), stoppedAt + 1);
        QTRY_VERIFY(!main()->slides().playing());
        QCOMPARE(shownRow(), 30);
    }

    void playAtTheEndOfTheList_data() {
        QTest::addColumn<int>("mode");
        QTest::addColumn<QList<int>>("rows");
        QTest::newRow("loop") << int(EndOfList::Loop) << QList<int>{2, 3, 1, 2, 3, 1, 2};
        QTest::newRow("rock") << int(EndOfList::Rock) << QList<int>{2, 3, 2, 1, 2, 3, 2};
    }
    void playAtTheEndOfTheList() {
        QFETCH(int, mode);
        QFETCH(QList<int>, rows);
        QVERIFY(test::ShowFixture::start(numbered(3)));
        show().setEndOfList(EndOfList(mode));
        QList<int> shown;
        connect(&show(), &SlideShow::rowShown, this, [&] {
            shown << shownRow();
            if (shown.size() == rows.size()) show().stop();
        });
        click(child<QPushButton>(main(), "BitBtnSaisei"));
        QTRY_VERIFY(!show().playing());
        QCOMPARE(shown, rows);
        QCOMPARE(child<PicturePane>(main(), "ImgKumo")->picture().width(), 10 + rows.last());
        QVERIFY(allSevenVisible());
    }

    void rowDecodedAheadFollowsTheList() {
        QVERIFY(test::ShowFixture::start(numbered(3)));
        // Row 2 is being decoded ahead; then its cell changes.
        list().setCell(1, slotIndex(ImageSlot::Cloud), fx_.pic(QStringLiteral("new.tpx"), 40));
        click(child<QPushButton>(main(), "BitBtnKomaOkuri"));
        QCOMPARE(child<PicturePane>(main(), "ImgKumo")->picture().width(), 40);
        QCOMPARE(child<QLabel>(main(), "lblKUMO")->text(), QStringLiteral("new.tpx"));
        // Once the list changed, the row is read afresh: a picture gone since
        // is cleared and still named.
        QTRY_VERIFY(show().decodedAhead()); // row 3 decoded ahead from the file
        QFile::remove(fx_.path(QStringLiteral("k3.tpx")));
        list().setCell(2, slotIndex(ImageSlot::North), QStringLiteral("sky.tpx")); // not a pane
        click(child<QPushButton>(main(), "BitBtnKomaOkuri"));
        QVERIFY(child<PicturePane>(main(), "ImgKumo")->picture().empty());
        QCOMPARE(child<QLabel>(main(), "lblKUMO")->text(), QStringLiteral("k3.tpx"));
    }

    void jpegDataErrorIsReportedOnceWhenItsRowIsShown() {
        const QString broken = test::writeJpegWithDataError(fx_.path(QStringLiteral("b.jpg")));
        QVERIFY(test::ShowFixture::start(
            {rowOf(fx_.pic("k1.tpx", 11)), rowOf(broken), rowOf(fx_.pic("k3.tpx", 13))}));
        const test::FakePrompter& prompter = test::fakePrompter();
        QTRY_VERIFY(show().decodedAhead()); // row 2 decoded ahead meanwhile
        QCoreApplication::processEvents();
        QVERIFY(prompter.asked.empty());
        click(child<QPushButton>(main(), "BitBtnKomaOkuri"));
        // The rows decoded before the error are shown.
        QVERIFY(!child<PicturePane>(main(), "ImgKumo")->picture().empty());
        QTRY_COMPARE(prompter.asked.size(), size_t(1));
        QVERIFY(prompter.asked[0].text.contains(QStringLiteral("JPEG")));
        click(child<QPushButton>(main(), "BitBtnKomaOkuri"));
        QTRY_VERIFY(show().decodedAhead());
        QCoreApplication::processEvents();
        QCOMPARE(prompter.asked.size(), size_t(1));
    }

    // On a display of 256 colours or fewer a JPEG decodes to 8 bits with a
    // palette, whether a pane loads it, it is decoded ahead or the sky window shows it.
    void jpegDepthFollowsTheScreen_data() {
        QTest::addColumn<bool>("lowColour");
        QTest::addColumn<int>("bits");
        QTest::newRow("true colour") << false << 24;
        QTest::newRow("256 colours") << true << 8;
    }
    void jpegDepthFollowsTheScreen() {
        QFETCH(bool, lowColour);
        QFETCH(int, bits);
        QFile file(fx_.path(QStringLiteral("c.jpg")));
        QVERIFY(file.open(QIODevice::WriteOnly));
        file.write(test::jpegBytes(false));
        file.close();
        SlotPaths sky = rowOf(file.fileName());
        sky[3] = file.fileName(); // north
        ScreenMetrics screen = ScreenMetrics::forWidth(1024);
        screen.lowColour = lowColour;
        test::startWindows(screen);
        setRows(list(), {rowOf(file.fileName()), sky});
        main()->show();
        QVERIFY(test::ShowFixture::activate(main()));
        auto depth = [](QWidget* window, const char* pane) {
            auto* jpeg =
                dynamic_cast<JpegImage*>(child<PicturePane>(window, pane)->picture().graphic());
            return jpeg ? jpeg->bitmap().bitsPerPixel() : 0;
        };
        QCOMPARE(depth(main(), "ImgKumo"), bits);
        QTRY_VERIFY(show().decodedAhead()); // row 2 decoded ahead meanwhile
        click(child<QPushButton>(main(), "BitBtnKomaOkuri"));
        QCOMPARE(test::shownRow(), 2);
        QCOMPARE(depth(main(), "ImgKumo"), bits);
        child<QPushButton>(main(), "BitBtnKansokuti")->click();
        QCOMPARE(depth(skyForm(), "ImgNorth"), bits);
    }

    void changesDuringPlay_data() {
        QTest::addColumn<QString>("change");
        QTest::addColumn<int>("lastRow");
        QTest::addColumn<bool>("windowOpen");
        QTest::newRow("a file of three rows opened") << "open" << 3 << true;
        QTest::newRow("the list emptied") << "new" << 1 << true;
        QTest::newRow("options opened and closed") << "options" << 20 << true;
        QTest::newRow("main window closed") << "close" << -1 << false;
    }
    void changesDuringPlay() {
        QFETCH(QString, change);
        QFETCH(int, lastRow);
        QFETCH(bool, windowOpen);
        QVERIFY(test::ShowFixture::start(numbered(20)));
        const auto opened = numbered(3);
        click(child<QPushButton>(main(), "BitBtnSaisei"));
        QTimer::singleShot(0, main(), [&] {
            if (change == QLatin1String("open")) {
                test::setRows(list(), opened); // what Open does, then its activation
                main()->onActivated();
            } else if (change == QLatin1String("new")) {
                list().clear();
                main()->onActivated();
            } else if (change == QLatin1String("options")) {
                child<QAction>(main(), "N2")->trigger();
                QVERIFY(!main()->isEnabled());
                QTimer::singleShot(0, optionsForm(),
                                   [] { child<QPushButton>(optionsForm(), "bbtnOK")->click(); });
            } else {
                main()->close();
            }
        });
        QTRY_VERIFY(!main()->slides().playing());
        QCOMPARE(main()->isVisible(), windowOpen);
        if (lastRow > 0) QCOMPARE(shownRow(), lastRow);
        QVERIFY(main()->isEnabled());
        QVERIFY(allSevenVisible());
        QVERIFY(!child<QPushButton>(main(), "BitBtnTeisi")->isEnabled());
    }
};

NUBIVU_TEST(TestSlideShow)
#include "tst_slideshow.moc"
