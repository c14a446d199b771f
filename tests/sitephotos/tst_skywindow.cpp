#include "app/mainwindow.h"
#include "editor/listeditorwindow.h"
#include "showfixture.h"
#include "sitephotos/skywindow.h"
#include "testpictures.h"
#include "testrunner.h"
#include "ui/picturepane.h"
#include "ui/scaling.h"

#include <QApplication>
#include <QLabel>
#include <QLineEdit>
#include <QPushButton>
#include <QTest>

using namespace nubivu;
using namespace nubivu::test;

class TestSkyWindow : public QObject {
    Q_OBJECT

    test::ShowFixture fx_;

    QString pic(const QString& name, int width) { return fx_.pic(name, width); }
    static bool activate(QWidget* window) { return test::ShowFixture::activate(window); }

    // Widths of the north, west, south and east panes (0: empty).
    static QList<int> shown() {
        QList<int> w;
        for (PicturePane* i :
             {child<PicturePane>(skyForm(), "ImgNorth"), child<PicturePane>(skyForm(), "ImgWest"),
              child<PicturePane>(skyForm(), "ImgSouth"), child<PicturePane>(skyForm(), "ImgEast")})
            w << i->picture().width();
        return w;
    }

private Q_SLOTS:
    void cleanup() { stopWindows(); }

    // Designed where it fits the screen's free area; otherwise the largest
    // scale that fits, by the tighter of width and height.
    void scaleFitsTheScreen_data() {
        QTest::addColumn<int>("screen");
        QTest::addColumn<QSize>("area");
        QTest::addColumn<QSize>("outer");
        QTest::addColumn<bool>("designed");
        QTest::newRow("1024x768 as designed")
            << 1024 << QSize(1024, 768) << QSize(1025, 649) << true;
        QTest::newRow("1280x1024 as designed")
            << 1280 << QSize(1280, 1024) << QSize(1282, 811) << true;
        QTest::newRow("640x480 as designed") << 640 << QSize(640, 480) << QSize(641, 405) << true;
        QTest::newRow("1366x768") << 1366 << QSize(1366, 768) << QSize(1213, 768) << false;
        QTest::newRow("1366x768, panel 32")
            << 1366 << QSize(1366, 736) << QSize(1163, 736) << false;
        QTest::newRow("1280x800") << 1280 << QSize(1280, 800) << QSize(1264, 799) << false;
        QTest::newRow("1920x1080") << 1920 << QSize(1920, 1080) << QSize(1706, 1079) << false;
        QTest::newRow("1024x768, panel at the side")
            << 1024 << QSize(960, 768) << QSize(961, 608) << false;
        QTest::newRow("800x600 as designed") << 800 << QSize(800, 600) << QSize(801, 507) << true;
    }
    void scaleFitsTheScreen() {
        QFETCH(int, screen);
        QFETCH(QSize, area);
        QFETCH(QSize, outer);
        QFETCH(bool, designed);
        const double f = scaleFactorFor(screen);
        const SkyWindowScaling s = skyWindowScale(screen, f, area);
        QCOMPARE(s.outer, outer);
        // At most the pixel or two of the designed width overhang.
        QVERIFY(s.outer.width() <= area.width() + 2 && s.outer.height() <= area.height());
        QCOMPARE(s.scaleFactor == f, designed);
        // The window keeps its shape.
        QVERIFY(qAbs(double(s.outer.width()) / s.outer.height() - 640.0 / 405) < 0.01);

        test::ShowFixture::fresh(screen, area);
        QCOMPARE(skyForm()->designedOuterSize(), outer);
        QCOMPARE(child<PicturePane>(skyForm(), "ImgNorth")->width(), scaled(200, s.scaleFactor));
        QCOMPARE(child<QLineEdit>(skyForm(), "edtNorthTitle")->width(), 73);
    }

    void scaling_data() {
        QTest::addColumn<int>("screen");
        QTest::addColumn<QSize>("outer");
        QTest::addColumn<QList<QRect>>("images"); // north, west, east, south
        QTest::addColumn<QRect>("button");
        QTest::addColumn<QPoint>("northLabel");
        QTest::addColumn<QSize>("edit");
        QTest::newRow("1024") << 1024 << QSize(1025, 649)
                              << QList<QRect>{{346, 51, 320, 240},
                                              {12, 179, 320, 240},
                                              {679, 179, 320, 240},
                                              {346, 307, 320, 240}}
                              << QRect(858, 38, 129, 52) << QPoint(474, 12) << QSize(73, 32);
        QTest::newRow("640: nothing moves")
            << 640 << QSize(641, 405)
            << QList<QRect>{{216, 32, 200, 150},
                            {8, 112, 200, 150},
                            {424, 112, 200, 150},
                            {216, 192, 200, 150}}
            << QRect(536, 24, 81, 33) << QPoint(296, 8) << QSize(73, 20);
        QTest::newRow("600: controls shrink in a 640 x 405 window")
            << 600 << QSize(640, 405)
            << QList<QRect>{{202, 30, 187, 140},
                            {7, 105, 187, 140},
                            {398, 105, 187, 140},
                            {202, 180, 187, 140}}
            << QRect(503, 22, 76, 30) << QPoint(277, 7) << QSize(73, 18);
    }
    void scaling() {
        QFETCH(int, screen);
        QFETCH(QSize, outer);
        QFETCH(QList<QRect>, images);
        QFETCH(QRect, button);
        QFETCH(QPoint, northLabel);
        QFETCH(QSize, edit);
        test::ShowFixture::fresh(screen);
        SkyWindow* w = skyForm();
        QCOMPARE(w->designedOuterSize(), outer);
        QCOMPARE(child<PicturePane>(w, "ImgNorth")->geometry(), images[0]);
        QCOMPARE(child<PicturePane>(w, "ImgWest")->geometry(), images[1]);
        QCOMPARE(child<PicturePane>(w, "ImgEast")->geometry(), images[2]);
        QCOMPARE(child<PicturePane>(w, "ImgSouth")->geometry(), images[3]);
        QCOMPARE(child<QPushButton>(w, "BitBtn1")->geometry(), button);
        QCOMPARE(child<QLabel>(w, "lblNorth")->pos(), northLabel);
        for (QLineEdit* e :
             {child<QLineEdit>(w, "edtNorthTitle"), child<QLineEdit>(w, "edtSouthTitle"),
              child<QLineEdit>(w, "edtWestTitle"), child<QLineEdit>(w, "edtEastTitle")})
            QCOMPARE(e->size(), edit);
        QCOMPARE(child<QLineEdit>(w, "edtSouthTitle")->pos(), child<QLabel>(w, "lblSouth")->pos());
        // Resizing moves nothing.
        w->resize(w->width() + 50, w->height() + 30);
        QCOMPARE(child<PicturePane>(w, "ImgEast")->geometry(), images[2]);
    }

    void opensOnTheRowsSkyPhotos() {
        SlotPaths all;
        all[0] = pic("k.tpx", 10);
        all[3] = pic("n1.tpx", 31);
        all[4] = pic("s1.tpx", 32);
        all[5] = pic("e1.tpx", 33);
        all[6] = pic("w1.tpx", 34);
        SlotPaths northEast;
        northEast[0] = all[0];
        northEast[3] = pic("n2.tpx", 41);
        northEast[5] = pic("e2.tpx", 43);
        SlotPaths broken = northEast;
        broken[3] = fx_.path("gone.tpx");
        broken[5] = test::writeGarbage(fx_.path("bad.tpx"));
        broken[6] = pic("w3.tpx", 54);
        SlotPaths none;
        none[0] = all[0];
        QVERIFY(test::ShowFixture::start({all, northEast, broken, none}));
        const test::FakePrompter& prompter = test::fakePrompter();

        child<QPushButton>(mainForm(), "BitBtnKansokuti")->click();
        QVERIFY(skyForm()->isVisible());
        QVERIFY(QTest::qWaitForWindowActive(skyForm()));
        QVERIFY(show().keepsRowOnActivation());
        QCOMPARE(shown(), (QList<int>{31, 34, 32, 33}));

        // Back in the main window the row stays; stepping leaves the sky window alone.
        QVERIFY(activate(mainForm()));
        QCOMPARE(shownRow(), 1);
        QVERIFY(!show().keepsRowOnActivation());
        child<QPushButton>(mainForm(), "BitBtnKomaOkuri")->click();
        QCOMPARE(shown(), (QList<int>{31, 34, 32, 33}));

        // North and east only: south and west empty, though they showed photos.
        child<QPushButton>(mainForm(), "BitBtnKansokuti")->click();
        QCOMPARE(shown(), (QList<int>{41, 0, 0, 43}));
        QVERIFY(activate(mainForm()));
        QCOMPARE(shownRow(), 2);

        // A missing and an undecodable file: their panes only go empty, silently.
        child<QPushButton>(mainForm(), "BitBtnKomaOkuri")->click();
        child<QPushButton>(mainForm(), "BitBtnKansokuti")->click();
        QCOMPARE(shown(), (QList<int>{0, 54, 0, 0}));
        QVERIFY(prompter.asked.empty());

        // No sky photo in the row: the button is off, the window keeps its photos.
        QVERIFY(activate(mainForm()));
        child<QPushButton>(mainForm(), "BitBtnKomaOkuri")->click();
        QCOMPARE(shownRow(), 4);
        QVERIFY(!child<QPushButton>(mainForm(), "BitBtnKansokuti")->isEnabled());
        QCOMPARE(shown(), (QList<int>{0, 54, 0, 0}));

        // Closing only hides: the photos stay for the next showing.
        QTest::mouseClick(child<QPushButton>(skyForm(), "BitBtn1"), Qt::LeftButton);
        QVERIFY(!skyForm()->isVisible());
        QVERIFY(mainForm()->isVisible());
        QCOMPARE(shown(), (QList<int>{0, 54, 0, 0}));
    }
};

NUBIVU_TEST(TestSkyWindow)
#include "tst_skywindow.moc"
