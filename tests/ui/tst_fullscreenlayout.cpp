#include "testrunner.h"
#include "ui/fullscreenlayout.h"

#include <QTest>

using namespace nubivu;

using Sizes = std::vector<QSize>;
Q_DECLARE_METATYPE(Sizes)

class TestFullScreenLayout : public QObject {
    Q_OBJECT

private Q_SLOTS:
    void fitKeepsAspect_data() {
        QTest::addColumn<QSize>("picture");
        QTest::addColumn<QRect>("box");
        QTest::addColumn<QRect>("fitted");
        QTest::newRow("wider picture: full width, bars above and below")
            << QSize(200, 100) << QRect(10, 10, 100, 100) << QRect(10, 35, 100, 50);
        QTest::newRow("taller picture: full height, bars at the sides")
            << QSize(100, 200) << QRect(0, 0, 100, 100) << QRect(25, 0, 50, 100);
        QTest::newRow("enlarged to fill")
            << QSize(4, 3) << QRect(0, 0, 800, 800) << QRect(0, 100, 800, 600);
        QTest::newRow("same aspect")
            << QSize(1920, 1080) << QRect(0, 0, 1280, 720) << QRect(0, 0, 1280, 720);
        QTest::newRow("one pixel line stays visible")
            << QSize(10000, 1) << QRect(0, 0, 100, 100) << QRect(0, 49, 100, 1);
        QTest::newRow("no picture: the box")
            << QSize() << QRect(5, 5, 40, 30) << QRect(5, 5, 40, 30);
    }
    void fitKeepsAspect() {
        QFETCH(QSize, picture);
        QFETCH(QRect, box);
        QFETCH(QRect, fitted);
        QCOMPARE(fitKeepingAspect(picture, box), fitted);
    }

    void layout_data() {
        QTest::addColumn<QSize>("screen");
        QTest::addColumn<Sizes>("pictures");
        QTest::addColumn<QList<QRect>>("expected"); // picture rects, where pinned down
        const QSize landscape(640, 480), portrait(480, 640), wide(1920, 1080);
        QTest::newRow("16:9, three 4:3")
            << QSize(1920, 1080) << Sizes{landscape, landscape, landscape}
            << QList<QRect>{QRect(12, 306, 624, 468), QRect(648, 306, 624, 468),
                            QRect(1284, 306, 624, 468)};
        QTest::newRow("4:3, three 4:3")
            << QSize(1024, 768) << Sizes{landscape, landscape, landscape}
            << QList<QRect>{QRect(8, 260, 330, 248), QRect(346, 260, 330, 248),
                            QRect(684, 260, 330, 248)};
        QTest::newRow("16:9, one 16:9")
            << QSize(1920, 1080) << Sizes{wide} << QList<QRect>{QRect(85, 48, 1749, 984)};
        QTest::newRow("16:9, one portrait")
            << QSize(1920, 1080) << Sizes{portrait} << QList<QRect>{QRect(591, 48, 738, 984)};
        QTest::newRow("4:3, one 16:9")
            << QSize(1024, 768) << Sizes{wide} << QList<QRect>{QRect(8, 100, 1008, 567)};
        QTest::newRow("4:3, one portrait") << QSize(1024, 768) << Sizes{portrait} << QList<QRect>{};
        QTest::newRow("16:9, mixed and empty")
            << QSize(1920, 1080) << Sizes{wide, portrait, QSize()} << QList<QRect>{};
        QTest::newRow("4:3, mixed and empty")
            << QSize(1024, 768) << Sizes{portrait, QSize(), wide} << QList<QRect>{};
    }
    void layout() {
        QFETCH(QSize, screen);
        QFETCH(Sizes, pictures);
        QFETCH(QList<QRect>, expected);
        const int line = 24;
        const FullScreenRects rects = layOutFullScreen(screen, pictures, line);
        QCOMPARE(rects.panes.size(), pictures.size());
        const QRect whole(QPoint(0, 0), screen);
        QVERIFY(whole.contains(rects.counter));
        QList<QRect> all{rects.counter};
        int previousRight = -1;
        for (size_t i = 0; i < pictures.size(); ++i) {
            const FullScreenPaneRects& pane = rects.panes[i];
            if (i < size_t(expected.size())) QCOMPARE(pane.picture, expected[qsizetype(i)]);
            for (const QRect& r : {pane.picture, pane.title, pane.fileName})
                QVERIFY2(whole.contains(r), qPrintable(QStringLiteral("pane %1").arg(i)));
            // Aspect kept to within a pixel of rounding.
            const QSize source = pictures[i].isEmpty() ? QSize(4, 3) : pictures[i];
            const qint64 skew = qAbs(qint64(source.width()) * pane.picture.height() -
                                     qint64(source.height()) * pane.picture.width());
            QVERIFY(skew <= qMax(source.width(), source.height()));
            // Largest that fits: it meets the column's sides or the free height.
            QVERIFY(pane.picture.width() * int(pictures.size()) >= screen.width() - 100 ||
                    pane.picture.height() >= screen.height() - 4 * line);
            // Captions under the picture, panes left to right.
            QVERIFY(pane.title.top() > pane.picture.bottom());
            QCOMPARE(pane.title.top(), pane.fileName.top());
            QVERIFY(pane.picture.left() > previousRight);
            previousRight = std::max({pane.picture.right(), pane.fileName.right()});
            all << pane.picture << pane.title << pane.fileName;
        }
        for (qsizetype a = 0; a < all.size(); ++a)
            for (qsizetype b = a + 1; b < all.size(); ++b)
                QVERIFY2(!all[a].intersects(all[b]),
                         qPrintable(QStringLiteral("%1/%2").arg(a).arg(b)));
    }
};

NUBIVU_TEST(TestFullScreenLayout)
#include "tst_fullscreenlayout.moc"
