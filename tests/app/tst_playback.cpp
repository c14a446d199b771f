// Classroom playback on the main window: the keys, full screen and back,
// the speed and the other choices kept between runs.
#include "app/playback.h"
#include "app/playsettings.h"
#include "app/programsettings.h"
#include "showfixture.h"
#include "testrunner.h"
#include "ui/fullscreenview.h"
#include "ui/picturepane.h"

#include <QAction>
#include <QLabel>
#include <QLineEdit>
#include <QMenu>
#include <QMenuBar>
#include <QPushButton>
#include <QTest>

using namespace nubivu;
using namespace nubivu::test;

namespace {

MainWindow* main() { return mainForm(); }

} // namespace

class TestPlayback : public QObject {
    Q_OBJECT

    ShowFixture fx_;

    // Five rows whose cloud photos are 11 .. 15 pixels wide, row 3 on show.
    bool startAtRow3() {
        std::vector<SlotPaths> rows(5);
        for (int i = 0; i < 5; ++i)
            rows[size_t(i)][0] = fx_.pic(QStringLiteral("k%1.tpx").arg(i + 1), 11 + i);
        if (!ShowFixture::start(rows)) return false;
        show().stepForward();
        show().stepForward();
        return shownRow() == 3;
    }

private Q_SLOTS:
    void init() { programSettings().clear(); }
    void cleanup() {
        stopWindows();
        programSettings().clear();
    }

    void keysStep_data() {
        QTest::addColumn<int>("key");
        QTest::addColumn<int>("row");
        QTest::newRow("Right") << int(Qt::Key_Right) << 4;
        QTest::newRow("Page Down") << int(Qt::Key_PageDown) << 4;
        QTest::newRow("Left") << int(Qt::Key_Left) << 2;
        QTest::newRow("Page Up") << int(Qt::Key_PageUp) << 2;
        QTest::newRow("Home") << int(Qt::Key_Home) << 1;
        QTest::newRow("End") << int(Qt::Key_End) << 5;
        QTest::newRow("a letter") << int(Qt::Key_K) << 3;
    }
    void keysStep() {
        QFETCH(int, key);
        QFETCH(int, row);
        QVERIFY(startAtRow3());
        // Whichever button has the focus: the keys belong to the window.
        child<QPushButton>(main(), "BitBtnKomaOkuri")->setFocus();
        QTest::keyClick(main(), Qt::Key(key));
        QCOMPARE(shownRow(), row);
        QCOMPARE(child<QLabel>(main(), "Label4")->text(), QString::number(row));
        QCOMPARE(child<PicturePane>(main(), "ImgKumo")->picture().width(), 10 + row);
    }

    void keysWaitWhileATitleIsTypedOrAWindowHoldsTheMain() {
        QVERIFY(startAtRow3());
        auto* label = child<QLabel>(main(), "lblKumotitle");
        QTest::mouseDClick(label, Qt::LeftButton);
        auto* edit = child<QLineEdit>(main(), "edtKumoTitle");
        QTRY_VERIFY(edit->hasFocus());
        for (Qt::Key key : {Qt::Key_Right, Qt::Key_PageDown, Qt::Key_End, Qt::Key_F5, Qt::Key_F11})
            QTest::keyClick(edit, key);
        QCOMPARE(shownRow(), 3);
        QVERIFY(!show().playing());
        QVERIFY(!main()->playback().isFullScreen());
        QTest::keyClick(edit, Qt::Key_Escape);

        main()->setEnabled(false); // as while the editor or the options are open
        main()->playback().command(PlayCommand::StepForward);
        QCOMPARE(shownRow(), 3);
        main()->setEnabled(true);
    }

    void f5PlaysAndStops() {
        QVERIFY(startAtRow3());
        main()->playback().setSpeed(*PlaySpeed::fromRowsPerSecond(0.5));
        QTest::keyClick(main(), Qt::Key_F5);
        QVERIFY(show().playing());
        // Step keys wait while a play runs, as the step buttons are away.
        QTest::keyClick(main(), Qt::Key_Home);
        QCOMPARE(shownRow(), 3);
        QTest::keyClick(main(), Qt::Key_F5);
        // Met at once, not after the two-second slot.
        QTRY_VERIFY_WITH_TIMEOUT(!show().playing(), 1000);
        QCOMPARE(shownRow(), 3);
    }

    void fullScreenShowsTheSameRowAndComesBackToIt() {
        QVERIFY(startAtRow3());
        QTest::keyClick(main(), Qt::Key_F11);
        FullScreenView& view = main()->playback().fullScreen();
        QVERIFY(view.isVisible());
        QVERIFY(child<QAction>(main(), "fullScreenItem")->isChecked());
        QCOMPARE(view.counterText(), QStringLiteral("3枚目(5枚中)"));
        QVERIFY(ShowFixture::activate(&view));

        QTest::keyClick(&view, Qt::Key_PageDown);
        QCOMPARE(shownRow(), 4);
        QCOMPARE(view.counterText(), QStringLiteral("4枚目(5枚中)"));
        QTest::keyClick(&view, Qt::Key_2);
        QCOMPARE(view.solePane(), 1);

        QTest::keyClick(&view, Qt::Key_Escape);
        QVERIFY(!view.isVisible());
        QVERIFY(!child<QAction>(main(), "fullScreenItem")->isChecked());
        QVERIFY(ShowFixture::activate(main()));
        // Coming back from the projector view is no return from another window.
        QCOMPARE(shownRow(), 4);
        QCOMPARE(child<QLabel>(main(), "Label4")->text(), QStringLiteral("4"));
    }

    void speedKeysShowTheSpeedAndItIsKept() {
        QVERIFY(startAtRow3());
        QVERIFY(!show().speed().paced()); // as fast as the pictures load
        auto* note = child<QLabel>(main(), "speedNote");
        QVERIFY(note->isHidden());
        QTest::keyClick(main(), Qt::Key_Minus);
        QTest::keyClick(main(), Qt::Key_Minus);
        QCOMPARE(show().speed().rowsPerSecond(), 15.0);
        QVERIFY(note->isVisible());
        QCOMPARE(note->text(), QStringLiteral("速さ: 15 枚/秒"));
        QTest::keyClick(main(), Qt::Key_Plus);
        QCOMPARE(show().speed().rowsPerSecond(), 30.0);

        startWindows();
        QCOMPARE(show().speed().rowsPerSecond(), 30.0);
        auto* speedMenu = child<QMenu>(main(), "speedMenu");
        QStringList checked;
        for (QAction* item : speedMenu->actions())
            if (item->isChecked()) checked << item->text();
        QCOMPARE(checked, QStringList{QStringLiteral("30 枚/秒")});
    }

    void choicesOfTheMenuAreKept() {
        QVERIFY(startAtRow3());
        auto pick = [](const char* menu, const QString& text) {
            for (QAction* item : child<QMenu>(main(), menu)->actions())
                if (item->text() == text) item->trigger();
        };
        pick("endOfListMenu", QStringLiteral("折り返して往復する"));
        pick("holdMenu", QStringLiteral("1 秒"));
        child<QAction>(main(), "keepAspectItem")->trigger();
        QCOMPARE(show().endOfList(), EndOfList::Rock);
        QCOMPARE(show().hold(), std::chrono::milliseconds(1000));
        // A 13 x 8 picture in the 200 x 150 pane of a 1024 screen: letterboxed.
        auto* pane = child<PicturePane>(main(), "ImgKumo");
        QVERIFY(pane->keepsAspect());
        QCOMPARE(pane->pictureRect().width(), pane->width());
        QCOMPARE(pane->pictureRect().height(), (pane->width() * 8 + 6) / 13);

        startWindows();
        const PlaySettings kept = readPlaySettings();
        QCOMPARE(kept.endOfList, EndOfList::Rock);
        QCOMPARE(kept.hold, std::chrono::milliseconds(1000));
        QVERIFY(kept.keepAspect);
        QVERIFY(child<PicturePane>(main(), "ImgKumo")->keepsAspect());
        QCOMPARE(show().endOfList(), EndOfList::Rock);
    }

    void playMenuSitsBeforeHelp() {
        startWindows();
        QStringList titles;
        for (QAction* item : main()->menuBar()->actions()) titles << item->text();
        QCOMPARE(titles.indexOf(QStringLiteral("再生(&P)")) + 1,
                 titles.indexOf(QStringLiteral("ヘルプ(&H)")));
    }
};

NUBIVU_TEST(TestPlayback)
#include "tst_playback.moc"
