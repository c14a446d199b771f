#include "pictures/areashrink.h"
#include "testrunner.h"

#include <QTest>
#include <algorithm>
#include <cstdlib>

using namespace nubivu;

namespace {

// Stripes, gradients and hard edges: what a weather map and a photo hold.
QImage pattern(QSize size, QImage::Format format = QImage::Format_RGB32) {
    QImage image(size, QImage::Format_RGB32);
    for (int y = 0; y < size.height(); ++y)
        for (int x = 0; x < size.width(); ++x)
            image.setPixel(x, y, qRgb((x * 7 + y * 3) & 255, (x / 5 % 2) * 255, (x * y) & 255));
    return image.convertToFormat(format);
}

int largestDifference(const QImage& a, const QImage& b) {
    int largest = 0;
    for (int y = 0; y < a.height(); ++y)
        for (int x = 0; x < a.width(); ++x) {
            const QRgb p = a.pixel(x, y), q = b.pixel(x, y);
            largest =
                std::max({largest, std::abs(qRed(p) - qRed(q)), std::abs(qGreen(p) - qGreen(q)),
                          std::abs(qBlue(p) - qBlue(q)), std::abs(qAlpha(p) - qAlpha(q))});
        }
    return largest;
}

} // namespace

class TestAreaShrink : public QObject {
    Q_OBJECT
private Q_SLOTS:
    // The program's own path averages as Qt's smooth scaling does, to a step
    // of rounding, and keeps the picture opaque.
    void matchesSmoothScaling_data() {
        QTest::addColumn<QSize>("from");
        QTest::addColumn<QSize>("to");
        QTest::newRow("full screen third") << QSize(1920, 1080) << QSize(630, 354);
        QTest::newRow("designed pane") << QSize(1920, 1080) << QSize(320, 240);
        QTest::newRow("slightly smaller") << QSize(400, 300) << QSize(399, 251);
        QTest::newRow("one side kept") << QSize(300, 200) << QSize(300, 67);
        QTest::newRow("sixteen times") << QSize(320, 160) << QSize(20, 10);
        QTest::newRow("to one pixel") << QSize(16, 16) << QSize(1, 1);
    }
    void matchesSmoothScaling() {
        QFETCH(QSize, from);
        QFETCH(QSize, to);
        const QImage source = pattern(from);
        const QImage ours = ShrinkByArea(source, to);
        QCOMPARE(ours.size(), to);
        QCOMPARE(ours.format(), QImage::Format_RGB32);
        const QImage qt = source.scaled(to, Qt::IgnoreAspectRatio, Qt::SmoothTransformation);
        QVERIFY2(largestDifference(ours, qt.convertToFormat(QImage::Format_RGB32)) <= 2,
                 qPrintable(QString::number(largestDifference(ours, qt))));
        for (int y = 0; y < to.height(); ++y)
            for (int x = 0; x < to.width(); ++x) QCOMPARE(qAlpha(ours.pixel(x, y)), 255);
    }

    // A one-pixel line shrunk three times is a third as strong, everywhere
    // along it: averaged, not picked or dropped.
    void thinLineFades() {
        QImage source(300, 30, QImage::Format_RGB32);
        source.fill(Qt::black);
        for (int x = 0; x < source.width(); ++x) source.setPixel(x, 16, qRgb(255, 255, 255));
        const QImage ours = ShrinkByArea(source, QSize(100, 10));
        for (int x = 0; x < 100; ++x) {
            QVERIFY(std::abs(qRed(ours.pixel(x, 5)) - 85) <= 1); // 255 / 3, rounded
            QCOMPARE(qRed(ours.pixel(x, 4)), 0);
        }
    }

    // Other formats, enlargement and deep shrinks are Qt's smooth scaling.
    void otherCasesAreQts_data() {
        QTest::addColumn<QImage>("source");
        QTest::addColumn<QSize>("to");
        QTest::newRow("24-bit") << pattern({90, 60}, QImage::Format_RGB888) << QSize(30, 20);
        QTest::newRow("straight alpha")
            << pattern({90, 60}, QImage::Format_ARGB32) << QSize(30, 20);
        QTest::newRow("enlarged") << pattern({30, 20}) << QSize(90, 60);
        QTest::newRow("wider, lower") << pattern({30, 60}) << QSize(60, 20);
        QTest::newRow("seventeen times") << pattern({170, 17}) << QSize(10, 1);
    }
    void otherCasesAreQts() {
        QFETCH(QImage, source);
        QFETCH(QSize, to);
        QCOMPARE(ShrinkByArea(source, to),
                 source.scaled(to, Qt::IgnoreAspectRatio, Qt::SmoothTransformation));
    }

    void emptyInEmptyOut() {
        QVERIFY(ShrinkByArea(QImage(), QSize(10, 10)).isNull());
        QVERIFY(ShrinkByArea(pattern({10, 10}), QSize(0, 5)).isNull());
        const QImage same = pattern({10, 10});
        QCOMPARE(ShrinkByArea(same, same.size()), same);
    }
};

NUBIVU_TEST(TestAreaShrink)
#include "tst_areashrink.moc"
