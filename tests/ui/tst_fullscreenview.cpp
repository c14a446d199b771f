#include "pictures/bitmap.h"
#include "testrunner.h"
#include "ui/fullscreenview.h"

#include <QSignalSpy>
#include <QTest>

using namespace nubivu;

Q_DECLARE_METATYPE(nubivu::PlayCommand)

namespace {

// Black and white columns two pixels wide: enlarged, a smooth scale makes greys.
QImage stripes(int width, int height) {
    QImage image(width, height, QImage::Format_RGB32);
    for (int x = 0; x < width; ++x)
        for (int y = 0; y < height; ++y)
            image.setPixel(x, y, (x / 2) % 2 ? 0xffffffff : 0xff000000);
    return image;
}

std::array<FullScreenPane, 3> threePanes() {
    return {FullScreenPane{stripes(16, 12), QStringLiteral("雲の写真"), QStringLiteral("k1.jpg")},
            FullScreenPane{QImage(), QStringLiteral("天気図"), QStringLiteral("missing.jpg")},
            FullScreenPane{stripes(12, 16), QStringLiteral("雨の分布"), QStringLiteral("a1.jpg")}};
}

} // namespace

class TestFullScreenView : public QObject {
    Q_OBJECT

private Q_SLOTS:
    void keysOfThePlayTable_data() {
        QTest::addColumn<int>("key");
        QTest::addColumn<int>("command"); // -1: none
        using enum PlayCommand;
        const QList<std::pair<Qt::Key, int>> table{{Qt::Key_Right, int(StepForward)},
                                                   {Qt::Key_PageDown, int(StepForward)},
                                                   {Qt::Key_Left, int(StepBack)},
                                                   {Qt::Key_PageUp, int(StepBack)},
                                                   {Qt::Key_Home, int(FirstRow)},
                                                   {Qt::Key_End, int(LastRow)},
                                                   {Qt::Key_F5, int(PlayOrStop)},
                                                   {Qt::Key_Plus, int(Faster)},
                                                   {Qt::Key_Minus, int(Slower)},
                                                   {Qt::Key_F11, int(ToggleFullScreen)},
                                                   {Qt::Key_Escape, int(LeaveFullScreen)},
                                                   {Qt::Key_Space, -1},
                                                   {Qt::Key_Return, -1},
                                                   {Qt::Key_A, -1}};
        for (const auto& [key, command] : table)
            QTest::newRow(qPrintable(QKeySequence(key).toString())) << int(key) << command;
    }
    void keysOfThePlayTable() {
        QFETCH(int, key);
        QFETCH(int, command);
        FullScreenView view;
        QSignalSpy requested(&view, &FullScreenView::commandRequested);
        QTest::keyClick(&view, Qt::Key(key));
        if (command < 0) {
            QCOMPARE(requested.size(), 0);
        } else {
            QCOMPARE(requested.size(), 1);
            QCOMPARE(int(requested[0][0].value<PlayCommand>()), command);
        }
    }

    void paneKeysAndBlankStayInTheView() {
        FullScreenView view;
        view.resize(960, 540);
        view.showRow(threePanes(), 5, 24);
        QSignalSpy requested(&view, &FullScreenView::commandRequested);
        QCOMPARE(view.rects().panes.size(), size_t(3));
        QTest::keyClick(&view, Qt::Key_2);
        QCOMPARE(view.solePane(), 1);
        QCOMPARE(view.rects().panes.size(), size_t(1));
        QTest::keyClick(&view, Qt::Key_3);
        QCOMPARE(view.solePane(), 2);
        QTest::keyClick(&view, Qt::Key_0);
        QCOMPARE(view.solePane(), -1);
        QTest::keyClick(&view, Qt::Key_B);
        QVERIFY(view.blanked());
        const QImage blank = view.grab().toImage();
        QCOMPARE(blank.pixel(480, 270), qRgb(0, 0, 0));
        QCOMPARE(blank.pixel(900, 10), qRgb(0, 0, 0)); // no counter either
        QTest::keyClick(&view, Qt::Key_B);
        QVERIFY(!view.blanked());
        QCOMPARE(requested.size(), 0);
        QCOMPARE(view.counterText(), QStringLiteral("5枚目(24枚中)"));
    }

    void picturesAreScaledSmoothlyOnBlack() {
        FullScreenView view;
        view.resize(960, 540);
        view.showRow(threePanes(), 1, 3);
        const QImage shot = view.grab().toImage();
        const FullScreenRects rects = view.rects();
        // Enlarged stripes: a smooth scale leaves greys between black and white.
        const QRect first = rects.panes[0].picture;
        QSet<int> levels;
        for (int x = first.left(); x <= first.right(); ++x)
            levels.insert(qGray(shot.pixel(x, first.center().y())));
        QVERIFY2(levels.size() > 10, qPrintable(QString::number(levels.size())));
        // Outside the pictures, and where a picture is missing, it is black.
        QCOMPARE(shot.pixel(rects.panes[1].picture.center()), qRgb(0, 0, 0));
        const QRect portrait = rects.panes[2].picture;
        QVERIFY(portrait.width() < portrait.height());
        QCOMPARE(shot.pixel(portrait.left() - 2, portrait.center().y()), qRgb(0, 0, 0));
        QCOMPARE(shot.pixel(first.center().x(), first.top() - 2), qRgb(0, 0, 0));
    }

    void pixelsOfAPicture() {
        QVERIFY(pictureImage(nullptr).isNull());
        Bitmap bitmap;
        bitmap.setImage(stripes(8, 4));
        QCOMPARE(pictureImage(&bitmap), stripes(8, 4));
    }
};

NUBIVU_TEST(TestFullScreenView)
#include "tst_fullscreenview.moc"
