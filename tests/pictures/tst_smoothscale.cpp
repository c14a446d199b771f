// The panes' own smooth scalers: the painter's bilinear result, faster;
// reductions that average fine detail in; flat colour kept exactly.
#include "pictures/bitmap.h"
#include "pictures/smoothscale.h"
#include "testrunner.h"

#include <QPainter>
#include <QtTest>
#include <algorithm>
#include <cstdlib>

using namespace nubivu;

namespace {

// Every pixel different from its neighbours, in all four channels.
QImage busyPicture(QSize size, QImage::Format format) {
    QImage image(size, QImage::Format_ARGB32);
    for (int y = 0; y < size.height(); ++y)
        for (int x = 0; x < size.width(); ++x)
            image.setPixel(x, y,
                           qRgba((x * 37 + y * 11) & 255, (x * x + y * 53) & 255,
                                 (x * 7 ^ y * 29) & 255, 255 - ((x + y) * 5 & 127)));
    return image.convertToFormat(format);
}

// A pixel as stored: pixel() would take premultiplied colour apart again.
QRgb word(const QImage& image, int x, int y) {
    return reinterpret_cast<const QRgb*>(image.constScanLine(y))[x];
}

// Bilinear by the book, in floating point: each result pixel's centre
// mapped into the source, between the centres of the pixels there.
QImage exactBilinear(const QImage& source, QSize size) {
    const QImage in = source.convertToFormat(QImage::Format_ARGB32_Premultiplied);
    QImage out(size, QImage::Format_ARGB32_Premultiplied);
    auto place = [](int i, int from, int to, int& first, double& weight) {
        const double at = std::clamp((i + 0.5) * from / to - 0.5, 0.0, double(from - 1));
        first = std::min(int(at), from - 2);
        weight = at - first;
    };
    for (int y = 0; y < size.height(); ++y)
        for (int x = 0; x < size.width(); ++x) {
            int x0, y0;
            double fx, fy;
            place(x, in.width(), size.width(), x0, fx);
            place(y, in.height(), size.height(), y0, fy);
            auto channel = [&](int (*part)(QRgb)) {
                auto at = [&](int dx, int dy) { return double(part(word(in, x0 + dx, y0 + dy))); };
                const double upper = at(0, 0) * (1 - fx) + at(1, 0) * fx;
                const double lower = at(0, 1) * (1 - fx) + at(1, 1) * fx;
                return int(std::lround(upper * (1 - fy) + lower * fy));
            };
            reinterpret_cast<QRgb*>(out.scanLine(y))[x] =
                qRgba(channel(qRed), channel(qGreen), channel(qBlue), channel(qAlpha));
        }
    return out;
}

// Both pictures 32-bit, with or without alpha.
int largestChannelDifference(const QImage& a, const QImage& b) {
    int largest = 0;
    for (int y = 0; y < a.height(); ++y)
        for (int x = 0; x < a.width(); ++x) {
            const QRgb p = word(a, x, y), q = word(b, x, y);
            largest =
                std::max({largest, std::abs(qRed(p) - qRed(q)), std::abs(qGreen(p) - qGreen(q)),
                          std::abs(qBlue(p) - qBlue(q)), std::abs(qAlpha(p) - qAlpha(q))});
        }
    return largest;
}

} // namespace

class TestSmoothScale : public QObject {
    Q_OBJECT
private Q_SLOTS:
    void bilinearToRounding_data() {
        QTest::addColumn<QImage::Format>("format");
        QTest::addColumn<QSize>("from");
        QTest::addColumn<QSize>("to");
        const auto opaque = QImage::Format_RGB32, alpha = QImage::Format_ARGB32_Premultiplied;
        QTest::newRow("reduced, as a pane") << opaque << QSize(192, 108) << QSize(60, 45);
        QTest::newRow("enlarged") << opaque << QSize(5, 4) << QSize(23, 17);
        QTest::newRow("one way up, one down") << opaque << QSize(40, 9) << QSize(13, 31);
        QTest::newRow("odd width result") << opaque << QSize(64, 64) << QSize(7, 3);
        QTest::newRow("to one pixel") << opaque << QSize(2, 2) << QSize(1, 1);
        QTest::newRow("with alpha") << alpha << QSize(50, 30) << QSize(21, 44);
    }
    void bilinearToRounding() {
        QFETCH(QImage::Format, format);
        QFETCH(QSize, from);
        QFETCH(QSize, to);
        const QImage source = busyPicture(from, format);
        QVERIFY(canScaleSmoothly(source));
        const QImage ours = scaledBilinear(source, to);
        QCOMPARE(ours.size(), to);
        QCOMPARE(ours.format(), format);
        QVERIFY2(largestChannelDifference(ours, exactBilinear(source, to)) <= 2,
                 "more than rounding apart from bilinear scaling");
    }

    void flatColourStaysExact() {
        const QRgb colour = qRgb(201, 13, 128);
        QImage flat(QSize(101, 57), QImage::Format_RGB32);
        flat.fill(colour);
        for (QSize to : {QSize(33, 19), QSize(25, 14), QSize(340, 200), QSize(3, 2)}) {
            for (const QImage& scaled : {scaledBilinear(flat, to), scaledSmoothly(flat, to)}) {
                QCOMPARE(scaled.size(), to);
                for (int y = 0; y < to.height(); ++y)
                    for (int x = 0; x < to.width(); ++x) QCOMPARE(scaled.pixel(x, y), colour);
            }
        }
    }

    void reductionAveragesThinLinesIn() {
        // A weather map's thin line in every fourth column, reduced four
        // times: averaged, every column is the same grey. Bilinear alone
        // samples some columns on the line and some beside it.
        QImage lines(QSize(400, 300), QImage::Format_RGB32);
        lines.fill(Qt::white);
        for (int x = 1; x < lines.width(); x += 4)
            for (int y = 0; y < lines.height(); ++y) lines.setPixel(x, y, qRgb(0, 0, 0));
        const QImage reduced = scaledSmoothly(lines, QSize(100, 75));
        int darkest = 255, lightest = 0;
        for (int x = 0; x < reduced.width(); ++x) {
            darkest = std::min(darkest, qGray(reduced.pixel(x, 37)));
            lightest = std::max(lightest, qGray(reduced.pixel(x, 37)));
        }
        QVERIFY2(lightest - darkest <= 2,
                 qPrintable(QStringLiteral("greys %1 to %2").arg(darkest).arg(lightest)));
        QVERIFY(std::abs(darkest - 191) <= 1); // three parts white, one black
    }

    void halvingIsTheMeanOfEachBlock() {
        QImage source(QSize(4, 5), QImage::Format_RGB32); // odd last row left out
        source.fill(qRgb(0, 0, 0));
        source.setPixel(0, 0, qRgb(255, 100, 3));
        source.setPixel(3, 3, qRgb(40, 40, 40));
        const QImage half = scaledSmoothly(source, QSize(2, 2));
        QCOMPARE(half.pixel(0, 0), qRgb(64, 25, 1));
        QCOMPARE(half.pixel(1, 1), qRgb(10, 10, 10));
        QCOMPARE(half.pixel(1, 0), qRgb(0, 0, 0));
    }

    void drawnStretchedIntoItsRectangleOnly() {
        const QImage source = busyPicture(QSize(64, 48), QImage::Format_RGB32);
        QImage canvas(QSize(100, 80), QImage::Format_RGB32);
        canvas.fill(Qt::black);
        const QRect target(10, 7, 30, 20);
        {
            QPainter painter(&canvas);
            painter.setRenderHint(QPainter::SmoothPixmapTransform);
            drawStretched(painter, target, source);
        }
        QVERIFY(largestChannelDifference(canvas.copy(target),
                                         exactBilinear(source, target.size())) <= 2);
        for (const QPoint outside : {QPoint(9, 7), QPoint(40, 7), QPoint(10, 6), QPoint(10, 27)})
            QCOMPARE(canvas.pixel(outside), qRgb(0, 0, 0));
    }

    void aPreparedBitmapDrawsItsOwnPixels() {
        // Readied for a size, a bitmap draws as it would have unreadied; once
        // given new pixels it never draws the old ones.
        const QRect target(0, 0, 30, 20);
        auto draw = [&](Bitmap& bitmap) {
            QImage canvas(target.size(), QImage::Format_RGB32);
            QPainter painter(&canvas);
            painter.setRenderHint(QPainter::SmoothPixmapTransform);
            bitmap.drawInto(painter, target);
            painter.end();
            return canvas;
        };
        Bitmap plain, prepared;
        const QImage busy = busyPicture(QSize(64, 48), QImage::Format_RGB32);
        plain.setImage(busy);
        prepared.setImage(busy);
        prepared.prepareDraw(target.size());
        QCOMPARE(draw(prepared), draw(plain));
        QImage red(QSize(64, 48), QImage::Format_RGB32);
        red.fill(qRgb(255, 0, 0));
        prepared.setImage(red);
        QCOMPARE(draw(prepared).pixel(5, 5), qRgb(255, 0, 0));
    }

    void otherPicturesAreLeftToThePainter() {
        QImage indexed(QSize(2, 1), QImage::Format_Indexed8);
        QVERIFY(!canScaleSmoothly(indexed));
        QVERIFY(!canScaleSmoothly(QImage(QSize(1, 40), QImage::Format_RGB32)));
        QVERIFY(!canScaleSmoothly(QImage(QSize(8, 8), QImage::Format_ARGB32)));
        QVERIFY(canScaleSmoothly(QImage(QSize(2, 2), QImage::Format_RGB32)));
    }
};

NUBIVU_TEST(TestSmoothScale)
#include "tst_smoothscale.moc"
