#include "graphicbytes.h"
#include "metafilewriter.h"
#include "pictures/graphicerrors.h"
#include "pictures/metafile/metafile.h"
#include "pictures/metafile/metafiledc.h"
#include "testrunner.h"

#include <QBuffer>
#include <QPainter>
#include <QTest>

using namespace nubivu;
using namespace nubivu::test;

namespace {

const QColor kRed(255, 0, 0), kGreen(0, 255, 0), kBlue(0, 0, 255), kYellow(255, 255, 0),
    kWhite(Qt::white);

QImage render(const QByteArray& bytes, QSize size = QSize(200, 100), QRect target = QRect()) {
    Metafile picture;
    loadFromBytes(picture, bytes);
    QImage image(size, QImage::Format_RGB32);
    image.fill(Qt::white);
    QPainter painter(&image);
    picture.drawInto(painter, target.isNull() ? image.rect() : target);
    return image;
}

// A probe: where to look and what colour must be there.
struct Probe {
    QPoint at;
    QColor colour;
};
using Probes = QVector<Probe>;

void checkProbes(const QImage& image, const Probes& probes) {
    for (const Probe& p : probes) {
        const QColor got = image.pixelColor(p.at);
        if (got != p.colour)
            QFAIL(qPrintable(QStringLiteral("at (%1,%2): %3 instead of %4")
                                 .arg(p.at.x())
                                 .arg(p.at.y())
                                 .arg(got.name(), p.colour.name())));
    }
}

int countNear(const QImage& image, const QRect& area, QColor colour) {
    int n = 0;
    for (int y = area.top(); y <= area.bottom(); ++y)
        for (int x = area.left(); x <= area.right(); ++x) {
            const QColor c = image.pixelColor(x, y);
            if (std::abs(c.red() - colour.red()) + std::abs(c.green() - colour.green()) +
                    std::abs(c.blue() - colour.blue()) <
                120)
                ++n;
        }
    return n;
}

QByteArray bytes(std::initializer_list<int> values) {
    QByteArray b;
    for (int v : values) b.append(char(v));
    return b;
}

// WMF pieces used by several rows.
WmfWriter redFillNoPen() { return WmfWriter().pen(kRed, 5).select(0).brush(kRed).select(1); }
EmfWriter emfRedFillNoPen() { return EmfWriter().select(0x80000008).brush(1, kRed).select(1); }
const QRect kEmfBounds(0, 0, 100, 50);
const QRect kEmfFrame(0, 0, 2540, 1270); // 100 x 50 device pixels

QByteArray stretchDibRecordEmf(const QByteArray& dib, QRect dest, QRect src, int headerSize = 40) {
    // Split the packed DIB into header+table and bits: the bits are what follows the table.
    const int bitsAt = headerSize + (uchar(dib[14]) <= 8 ? 4 * (1 << uchar(dib[14])) : 0);
    QByteArray body;
    for (int v : {dest.left(), dest.top(), dest.right(), dest.bottom()}) put32(body, v);
    for (int v : {dest.left(), dest.top(), src.left(), src.top(), src.width(), src.height()})
        put32(body, v);
    put32(body, 80);
    put32(body, bitsAt);
    put32(body, 80 + bitsAt);
    put32(body, dib.size() - bitsAt);
    put32(body, 0);
    put32(body, 0x00CC0020);
    put32(body, dest.width());
    put32(body, dest.height());
    body.append(dib);
    return body;
}

QImage quadrantImage() {
    QImage image(2, 2, QImage::Format_RGB32);
    image.setPixelColor(0, 0, kRed);
    image.setPixelColor(1, 0, kGreen);
    image.setPixelColor(0, 1, kBlue);
    image.setPixelColor(1, 1, kYellow);
    return image;
}

QByteArray textW(const QString& text) {
    QByteArray b;
    for (QChar c : text) put16(b, c.unicode());
    return b;
}

QByteArray emfFont(int index, int height, const QString& face, int charset = 1) {
    QByteArray b;
    put32(b, index);
    for (int v : {height, 0, 0, 0, 400}) put32(b, v);
    b.append(bytes({0, 0, 0, charset, 0, 0, 0, 0}));
    QByteArray name = textW(face);
    name.resize(64, '\0');
    return b + name;
}

QByteArray emfTextOutW(QPoint at, const QString& text, quint32 options = 0, QRect rect = QRect()) {
    QByteArray b;
    for (int v : {0, 0, -1, -1}) put32(b, v);
    put32(b, 1);
    put32(b, 0);
    put32(b, 0);
    put32(b, at.x());
    put32(b, at.y());
    put32(b, text.size());
    put32(b, 76);
    put32(b, options);
    for (int v : {rect.left(), rect.top(), rect.right() + 1, rect.bottom() + 1}) put32(b, v);
    put32(b, 0);
    return b + textW(text);
}

// A drawing that goes through most record kinds of both formats, for the damage tests.
QByteArray richWmf() {
    QByteArray font;
    for (int v : {-20, 0, 0, 0, 700}) put16(font, v);
    font.append(bytes({0, 1, 0, 128, 0, 0, 0, 0}));
    font.append("Sans");
    QByteArray text = QByteArray("\x8B\x43\x8F\xDB", 4);
    return WmfWriter()
        .window(QRect(0, 0, 200, 100))
        .rec(0x0103, {8})
        .pen(kBlue, 0, 3)
        .select(0)
        .brush(kGreen, 2, 3)
        .select(1)
        .rec(0x02FB, {}, font)
        .select(2)
        .rec(0x001E, {})
        .rectangle(QRect(5, 5, 50, 30))
        .rec(0x061C, {10, 10, 90, 190, 50, 120})
        .rec(0x0418, {60, 60, 20, 20})
        .rec(0x081A, {0, 100, 50, 200, 100, 200, 0, 100})
        .rec(0x0817, {0, 100, 50, 200, 100, 200, 0, 100})
        .rec(0x0830, {0, 100, 50, 200, 100, 200, 0, 100})
        .rec(0x0324, {3, 10, 90, 40, 60, 70, 95})
        .rec(0x0325, {3, 10, 10, 40, 60, 70, 5})
        .rec(0x0538, {2, 3, 3, 0, 0, 10, 0, 0, 10, 50, 50, 60, 50, 50, 60})
        .rec(0x0214, {70, 10})
        .rec(0x0213, {90, 190})
        .rec(0x0416, {90, 190, 10, 10})
        .rec(0x0415, {30, 30, 20, 20})
        .rec(0x0209, {0x00FF, 0})
        .rec(0x0102, {1})
        .rec(0x0521, {4}, text + QByteArray("\x0a\x00\x0a\x00", 4))
        .rec(0x0A32, {40, 40, 4, 6, 30, 30, 90, 60}, text + bytes({10, 0, 0, 0, 12, 0, 0, 0}))
        .rec(0x0F43, {0x0020, 0x00CC, 0, 2, 2, 0, 0, 40, 40, 50, 150},
             packedDib(quadrantImage(), 8))
        .rec(0x0B41, {0x0020, 0x00CC, 2, 2, 0, 0, 20, 20, 10, 10}, packedDib(quadrantImage(), 24))
        .rec(0x0142, {5, 0}, packedDib(quadrantImage(), 4))
        .select(3)
        .rec(0x061D, {0x0021, 0x00F0, 10, 10, 70, 170})
        .rec(0x0127, {-1})
        .rec(0x041F, {0xFF, 0, 50, 50})
        .placeable(QRect(0, 0, 200, 100), 96);
}

QByteArray richEmf() {
    QByteArray poly16;
    for (int v : {0, 0, 100, 50}) put32(poly16, v);
    put32(poly16, 4);
    for (int v : {10, 10, 90, 10, 50, 45, 10, 40}) put16(poly16, v);
    QByteArray polypoly;
    for (int v : {0, 0, 100, 50, 2, 6, 3, 3}) put32(polypoly, v);
    for (int v : {0, 0, 20, 0, 0, 20, 60, 30, 80, 30, 60, 45}) put32(polypoly, v);
    QByteArray region;
    for (int v : {32, 1, 2, 32, 0, 0, 100, 50, 0, 0, 50, 50, 60, 0, 100, 25}) put32(region, v);
    QByteArray clip;
    put32(clip, region.size());
    put32(clip, 1);
    clip.append(region);
    QByteArray xform;
    for (float f : {1.0f, 0.1f, 0.0f, 1.0f, 2.0f, 1.0f}) {
        quint32 bits;
        std::memcpy(&bits, &f, 4);
        put32(xform, bits);
    }
    put32(xform, 2);
    return EmfWriter()
        .ints(17, {8})
        .ints(9, {100, 50})
        .ints(11, {100, 50})
        .pen(1, kBlue, 0x10000, 2)
        .select(1)
        .brush(2, kGreen)
        .select(2)
        .rec(82, emfFont(3, -12, QStringLiteral("Sans")))
        .select(3)
        .ints(33, {})
        .rec(36, xform)
        .rectangle(QRect(2, 2, 30, 20))
        .ints(44, {40, 5, 90, 40, 10, 10})
        .ints(42, {10, 10, 40, 40})
        .ints(47, {0, 0, 100, 50, 100, 25, 50, 0})
        .ints(57, {2})
        .ints(45, {0, 0, 100, 50, 100, 25, 50, 0})
        .ints(46, {0, 0, 100, 50, 100, 25, 50, 0})
        .rec(86, poly16)
        .rec(87, poly16)
        .rec(85, poly16)
        .rec(91, polypoly)
        .ints(27, {5, 5})
        .ints(54, {95, 45})
        .ints(59, {})
        .ints(27, {10, 10})
        .ints(54, {40, 10})
        .ints(54, {40, 40})
        .ints(61, {})
        .ints(60, {})
        .ints(63, {0, 0, 100, 50})
        .ints(59, {})
        .ints(42, {0, 0, 50, 50})
        .ints(60, {})
        .ints(67, {1})
        .rec(75, clip)
        .ints(25, {0x00FFFF})
        .ints(24, {0xFF0000})
        .rec(84, emfTextOutW(QPoint(10, 10), QStringLiteral("Ab気"), 2, QRect(5, 5, 40, 20)))
        .ints(34, {-1})
        .rec(81, stretchDibRecordEmf(packedDib(quadrantImage(), 32), QRect(60, 10, 30, 30),
                                     QRect(0, 0, 2, 2)))
        .rec(81, stretchDibRecordEmf(packedDib(quadrantImage(), 1), QRect(10, 10, 30, 30),
                                     QRect(0, 0, 2, 2)))
        .ints(41, {50, 25, 20, 0, 0})
        .ints(15, {5, 5, 0xFF})
        .ints(36, {0, 0, 0, 0, 0, 0, 1})
        .file(kEmfBounds, kEmfFrame, 8);
}

} // namespace

Q_DECLARE_METATYPE(Probes)

class TestMetafile : public QObject {
    Q_OBJECT

    void addProbeColumns() {
        QTest::addColumn<QByteArray>("file");
        QTest::addColumn<QRect>("target");
        QTest::addColumn<Probes>("probes");
    }

    void checkRows() {
        QFETCH(QByteArray, file);
        QFETCH(QRect, target);
        QFETCH(Probes, probes);
        checkProbes(render(file, QSize(200, 100), target), probes);
    }

private Q_SLOTS:
    void sizeFromTheHeader_data() {
        QTest::addColumn<QByteArray>("file");
        QTest::addColumn<QSize>("size");
        QTest::addColumn<int>("tolerance");
        const QRect r(10, 20, 50, 40);
        QTest::newRow("placeable at 1440 per inch")
            << WmfWriter().placeable(QRect(0, 0, 1440, 720), 1440) << QSize(96, 48) << 0;
        QTest::newRow("placeable box off the origin")
            << WmfWriter().placeable(QRect(100, 200, 576, 288), 576) << QSize(96, 48) << 0;
        QTest::newRow("plain with a window")
            << WmfWriter().window(QRect(0, 0, 300, 150)).rectangle(r).plain() << QSize(300, 150)
            << 0;
        QTest::newRow("plain with a huge window keeps its shape")
            << WmfWriter().window(QRect(0, 0, 8000, 4000)).rectangle(r).plain() << QSize(1024, 512)
            << 0;
        QTest::newRow("plain without a window measures the drawing")
            << WmfWriter().rectangle(r).plain() << QSize(50, 40) << 2;
        QTest::newRow("emf frame at 96 dpi")
            << EmfWriter().file(QRect(0, 0, 99, 49), kEmfFrame) << QSize(96, 48) << 0;
        QTest::newRow("emf without a frame uses its bounds")
            << EmfWriter().file(QRect(0, 0, 80, 40), QRect()) << QSize(80, 40) << 0;
    }
    void sizeFromTheHeader() {
        QFETCH(QByteArray, file);
        QFETCH(QSize, size);
        QFETCH(int, tolerance);
        Metafile picture;
        loadFromBytes(picture, file);
        QVERIFY(!picture.empty());
        QVERIFY2(std::abs(picture.width() - size.width()) <= tolerance,
                 qPrintable(QString::number(picture.width())));
        QVERIFY2(std::abs(picture.height() - size.height()) <= tolerance,
                 qPrintable(QString::number(picture.height())));
    }

    void notAMetafileFailsAndKeepsThePicture_data() {
        QTest::addColumn<QByteArray>("file");
        const QByteArray wmf =
            WmfWriter().rectangle(QRect(0, 0, 5, 5)).placeable(QRect(0, 0, 100, 100), 96);
        const QByteArray emf = EmfWriter().file(kEmfBounds, kEmfFrame);
        QByteArray wrongHeaderSize = wmf;
        wrongHeaderSize[24] = 8;
        QByteArray wrongType = wmf;
        wrongType[22] = 3;
        QByteArray noSignature = emf;
        noSignature[40] = 'X';
        QByteArray headerBeyondFile = emf.left(88);
        headerBeyondFile[4] = char(200);
        QByteArray descriptionOutside = emf;
        descriptionOutside[60] = 10;
        descriptionOutside[64] = 80;
        QTest::newRow("empty") << QByteArray();
        QTest::newRow("text") << QByteArray("just some text, not a picture");
        QTest::newRow("a bitmap") << QByteArray("BM\x36\0\0\0\0\0\0\0\x36\0\0\0", 14);
        QTest::newRow("placeable header cut short") << wmf.left(20);
        QTest::newRow("wmf header cut short") << wmf.left(30);
        QTest::newRow("wmf header size not 9") << wrongHeaderSize;
        QTest::newRow("wmf type 3") << wrongType;
        QTest::newRow("emf without its signature") << noSignature;
        QTest::newRow("emf header longer than the file") << headerBeyondFile;
        QTest::newRow("emf description outside the header") << descriptionOutside;
    }
    void notAMetafileFailsAndKeepsThePicture() {
        QFETCH(QByteArray, file);
        Metafile picture;
        loadFromBytes(picture, EmfWriter().file(QRect(0, 0, 80, 40), QRect()));
        try {
            loadFromBytes(picture, file);
            QFAIL("loaded");
        } catch (const EInvalidGraphic& e) {
            QCOMPARE(e.message(), QString::fromUtf8(msg::InvalidMetafile));
        }
        QCOMPARE(picture.width(), 80);
        QVERIFY(picture.enhanced());
    }

    // The picture's logical area lands stretched on the target, whatever the mapping.
    void mappingStretchesOntoTheTarget_data() {
        addProbeColumns();
        const QRect all(0, 0, 200, 100);
        const Probes rightHalf{
            {{150, 50}, kRed}, {{195, 5}, kRed}, {{50, 50}, kWhite}, {{95, 95}, kWhite}};
        const QByteArray placeable = redFillNoPen()
                                         .rectangle(QRect(500, 0, 500, 500))
                                         .placeable(QRect(0, 0, 1000, 500), 1000);
        QTest::newRow("placeable wmf") << placeable << all << rightHalf;
        QTest::newRow("placeable wmf into a square on the right")
            << placeable << QRect(100, 0, 100, 100)
            << Probes{{{175, 50}, kRed}, {{125, 50}, kWhite}, {{50, 50}, kWhite}};
        QTest::newRow("plain wmf with a window origin") << redFillNoPen()
                                                               .window(QRect(1000, 1000, 100, 50))
                                                               .rectangle(QRect(1050, 1000, 50, 50))
                                                               .plain()
                                                        << all << rightHalf;
        QTest::newRow("plain wmf with an upward y axis")
            << redFillNoPen()
                   .rec(0x020B, {50, 0})
                   .rec(0x020C, {-50, 100})
                   .rectangle(QRect(0, 0, 50, 25))
                   .plain()
            << all << Probes{{{50, 75}, kRed}, {{50, 25}, kWhite}, {{150, 75}, kWhite}};
        QTest::newRow("wmf isotropic keeps the aspect")
            << redFillNoPen()
                   .rec(0x0103, {7})
                   .window(QRect(0, 0, 100, 100))
                   .rectangle(QRect(0, 0, 100, 100))
                   .placeable(QRect(0, 0, 100, 100), 96)
            << all << Probes{{{50, 50}, kRed}, {{150, 50}, kWhite}};
        QTest::newRow("emf in device pixels")
            << emfRedFillNoPen().rectangle(QRect(50, 0, 50, 50)).file(kEmfBounds, kEmfFrame) << all
            << rightHalf;
        QTest::newRow("emf anisotropic") << emfRedFillNoPen()
                                                .ints(17, {8})
                                                .ints(9, {1000, 1000})
                                                .ints(11, {100, 50})
                                                .rectangle(QRect(500, 0, 500, 1000))
                                                .file(kEmfBounds, kEmfFrame)
                                         << all << rightHalf;
        QTest::newRow("emf isotropic") << emfRedFillNoPen()
                                              .ints(17, {7})
                                              .ints(9, {100, 100})
                                              .ints(11, {100, 50})
                                              .rectangle(QRect(0, 0, 100, 100))
                                              .file(kEmfBounds, kEmfFrame)
                                       << all << Probes{{{50, 50}, kRed}, {{150, 50}, kWhite}};
        QTest::newRow("emf hundredths of a millimetre, y up")
            << emfRedFillNoPen()
                   .ints(17, {3})
                   .ints(43, {1270, 0, 2540, -1270})
                   .file(kEmfBounds, kEmfFrame)
            << all << rightHalf;
        QTest::newRow("emf frame off the origin")
            << emfRedFillNoPen()
                   .rectangle(QRect(150, 100, 50, 50))
                   .file(QRect(100, 100, 100, 50), QRect(2540, 2540, 2540, 1270))
            << all << rightHalf;
        QByteArray scale;
        for (float f : {2.0f, 0.0f, 0.0f, 2.0f, 0.0f, 0.0f}) {
            quint32 bits;
            std::memcpy(&bits, &f, 4);
            put32(scale, bits);
        }
        QTest::newRow("emf world transform") << emfRedFillNoPen()
                                                    .rec(35, scale)
                                                    .rectangle(QRect(25, 0, 25, 25))
                                                    .file(kEmfBounds, kEmfFrame)
                                             << all << rightHalf;
    }
    void mappingStretchesOntoTheTarget() { checkRows(); }

    void shapesAndDrawingState_data() {
        addProbeColumns();
        const QRect all(0, 0, 200, 100);
        const QRect whole(0, 0, 100, 50);
        // A pie from three o'clock to twelve o'clock over the whole picture.
        const Probes topRight{{{150, 25}, kRed}, {{50, 75}, kWhite}, {{150, 75}, kWhite}};
        const Probes allButTopRight{{{150, 25}, kWhite}, {{50, 75}, kRed}, {{50, 25}, kRed}};
        QTest::newRow("emf pie counter-clockwise") << emfRedFillNoPen()
                                                          .ints(47, {0, 0, 100, 50, 100, 25, 50, 0})
                                                          .file(kEmfBounds, kEmfFrame)
                                                   << all << topRight;
        QTest::newRow("emf pie clockwise") << emfRedFillNoPen()
                                                  .ints(57, {2})
                                                  .ints(47, {0, 0, 100, 50, 100, 25, 50, 0})
                                                  .file(kEmfBounds, kEmfFrame)
                                           << all << allButTopRight;
        QTest::newRow("wmf pie")
            << redFillNoPen().rec(0x081A, {0, 50, 25, 100, 50, 100, 0, 0}).placeable(whole, 96)
            << all << topRight;
        QTest::newRow("wmf pie with an upward y axis")
            << redFillNoPen()
                   .rec(0x020B, {50, 0})
                   .rec(0x020C, {-50, 100})
                   .rec(0x081A, {50, 50, 25, 100, 0, 100, 50, 0})
                   .plain()
            << all << topRight;
        QTest::newRow("wmf chord cuts the corner off")
            << redFillNoPen().rec(0x0830, {0, 50, 25, 100, 50, 100, 0, 0}).placeable(whole, 96)
            << all << Probes{{{170, 15}, kRed}, {{110, 40}, kWhite}};
        QTest::newRow("wmf ellipse leaves the corners")
            << redFillNoPen().rec(0x0418, {50, 100, 0, 0}).placeable(whole, 96) << all
            << Probes{{{100, 50}, kRed}, {{3, 3}, kWhite}, {{196, 96}, kWhite}};
        QTest::newRow("wmf polygon")
            << redFillNoPen().rec(0x0324, {3, 0, 0, 100, 0, 0, 50}).placeable(whole, 96) << all
            << Probes{{{20, 20}, kRed}, {{180, 80}, kWhite}};
        QTest::newRow("wmf polypolygon: two triangles")
            << redFillNoPen()
                   .rec(0x0538, {2, 3, 3, 0, 0, 40, 0, 0, 20, 100, 50, 60, 50, 100, 30})
                   .placeable(whole, 96)
            << all << Probes{{{10, 10}, kRed}, {{190, 90}, kRed}, {{100, 50}, kWhite}};
        QTest::newRow("emf polygon16 winding fill")
            << emfRedFillNoPen()
                   .ints(19, {2})
                   .rec(86,
                        [] {
                            QByteArray b;
                            for (int v : {0, 0, 100, 50}) put32(b, v);
                            put32(b, 5);
                            for (int v : {10, 45, 50, 0, 90, 45, 0, 15, 100, 15}) put16(b, v);
                            return b;
                        }())
                   .file(kEmfBounds, kEmfFrame)
            << all << Probes{{{100, 40}, kRed}, {{100, 5}, kRed}};
        QTest::newRow("wmf thick pen line")
            << WmfWriter()
                   .pen(kBlue, 0, 10)
                   .select(0)
                   .rec(0x0214, {25, 0})
                   .rec(0x0213, {25, 100})
                   .placeable(whole, 96)
            << all << Probes{{{100, 50}, kBlue}, {{100, 44}, kBlue}, {{100, 20}, kWhite}};
        QTest::newRow("wmf object slots are reused lowest first")
            << WmfWriter()
                   .pen(kRed, 5)
                   .brush(kRed)
                   .brush(kBlue)
                   .removeAt(1)
                   .brush(kGreen)
                   .select(0)
                   .select(1)
                   .rectangle(QRect(0, 0, 50, 50))
                   .select(9)
                   .rectangle(QRect(50, 0, 50, 50))
                   .placeable(whole, 96)
            << all << Probes{{{50, 50}, kGreen}, {{150, 50}, kGreen}};
        QTest::newRow("wmf deleted object leaves the selection")
            << redFillNoPen().removeAt(1).rectangle(QRect(0, 0, 100, 50)).placeable(whole, 96)
            << all << Probes{{{100, 50}, kRed}};
        QTest::newRow("wmf restore brings the brush back") << redFillNoPen()
                                                                  .rec(0x001E, {})
                                                                  .brush(kBlue)
                                                                  .select(2)
                                                                  .rec(0x0127, {-1})
                                                                  .rectangle(whole)
                                                                  .placeable(whole, 96)
                                                           << all << Probes{{{100, 50}, kRed}};
        QTest::newRow("wmf intersect clip")
            << redFillNoPen().rec(0x0416, {50, 100, 0, 50}).rectangle(whole).placeable(whole, 96)
            << all << Probes{{{150, 50}, kRed}, {{50, 50}, kWhite}};
        QTest::newRow("wmf exclude clip")
            << redFillNoPen().rec(0x0415, {50, 100, 0, 50}).rectangle(whole).placeable(whole, 96)
            << all << Probes{{{150, 50}, kWhite}, {{50, 50}, kRed}};
        QTest::newRow("wmf clip undone by restore")
            << redFillNoPen()
                   .rec(0x001E, {})
                   .rec(0x0416, {50, 100, 0, 50})
                   .rec(0x0127, {-1})
                   .rectangle(whole)
                   .placeable(whole, 96)
            << all << Probes{{{150, 50}, kRed}, {{50, 50}, kRed}};
        QTest::newRow("wmf patblt with the brush")
            << redFillNoPen().rec(0x061D, {0x0021, 0x00F0, 50, 50, 0, 50}).placeable(whole, 96)
            << all << Probes{{{150, 50}, kRed}, {{50, 50}, kWhite}};
        QTest::newRow("emf null stock brush leaves the inside")
            << EmfWriter()
                   .select(0x80000005)
                   .rectangle(QRect(10, 10, 80, 30))
                   .file(kEmfBounds, kEmfFrame)
            << all << Probes{{{100, 50}, kWhite}, {{20, 20}, QColor(Qt::black)}};
        QTest::newRow("emf handle beyond the table is ignored")
            << EmfWriter()
                   .select(0x80000008)
                   .brush(1, kBlue)
                   .select(1)
                   .brush(40, kRed)
                   .select(40)
                   .rectangle(whole)
                   .file(kEmfBounds, kEmfFrame, 8)
            << all << Probes{{{100, 50}, kBlue}};
        QTest::newRow("emf path filled") << emfRedFillNoPen()
                                                .ints(59, {})
                                                .ints(27, {50, 0})
                                                .ints(54, {100, 0})
                                                .ints(54, {100, 50})
                                                .ints(54, {50, 50})
                                                .ints(61, {})
                                                .ints(60, {})
                                                .ints(62, {0, 0, 100, 50})
                                                .file(kEmfBounds, kEmfFrame)
                                         << all << Probes{{{150, 50}, kRed}, {{50, 50}, kWhite}};
        QTest::newRow("emf opaque text rectangle fills with the background colour")
            << EmfWriter()
                   .ints(25, {0x00FF00})
                   .rec(84, emfTextOutW(QPoint(0, 0), QString(), 2, QRect(50, 0, 50, 50)))
                   .file(kEmfBounds, kEmfFrame)
            << all << Probes{{{150, 50}, kGreen}, {{50, 50}, kWhite}};
    }
    void shapesAndDrawingState() { checkRows(); }

    void embeddedBitmaps_data() {
        addProbeColumns();
        const QRect all(0, 0, 200, 100);
        const QRect whole(0, 0, 100, 50);
        const Probes quadrants{
            {{50, 25}, kRed}, {{150, 25}, kGreen}, {{50, 75}, kBlue}, {{150, 75}, kYellow}};
        for (int bits : {4, 8, 24, 32}) {
            for (bool topDown : {false, true}) {
                const QByteArray dib = packedDib(quadrantImage(), bits, topDown);
                const QByteArray suffix =
                    QByteArray::number(bits) + (topDown ? " bits, top-down" : " bits");
                QTest::newRow(QByteArray("wmf stretchdib " + suffix).constData())
                    << WmfWriter()
                           .rec(0x0F43, {0x0020, 0x00CC, 0, 2, 2, 0, 0, 50, 100, 0, 0}, dib)
                           .placeable(whole, 96)
                    << all << quadrants;
                QTest::newRow(QByteArray("emf stretchdibits " + suffix).constData())
                    << EmfWriter()
                           .rec(81, stretchDibRecordEmf(dib, whole, QRect(0, 0, 2, 2)))
                           .file(kEmfBounds, kEmfFrame)
                    << all << quadrants;
            }
        }
        QImage twoColours = quadrantImage();
        twoColours.setPixelColor(1, 1, kRed);
        twoColours.setPixelColor(1, 0, kBlue);
        QTest::newRow("wmf dibstretchblt 1 bit")
            << WmfWriter()
                   .rec(0x0B41, {0x0020, 0x00CC, 2, 2, 0, 0, 50, 100, 0, 0},
                        packedDib(twoColours, 1))
                   .placeable(whole, 96)
            << all
            << Probes{{{50, 25}, kRed}, {{150, 25}, kBlue}, {{50, 75}, kBlue}, {{150, 75}, kRed}};
        // Source rows of stretchDIBits count from the bottom; those of a blit from the top.
        QTest::newRow("wmf stretchdib takes the source from the bottom")
            << WmfWriter()
                   .rec(0x0F43, {0x0020, 0x00CC, 0, 1, 1, 1, 1, 50, 100, 0, 0},
                        packedDib(quadrantImage(), 24))
                   .placeable(whole, 96)
            << all << Probes{{{50, 25}, kGreen}, {{150, 75}, kGreen}};
        QTest::newRow("wmf dibstretchblt takes the source from the top")
            << WmfWriter()
                   .rec(0x0B41, {0x0020, 0x00CC, 1, 1, 1, 1, 50, 100, 0, 0},
                        packedDib(quadrantImage(), 24))
                   .placeable(whole, 96)
            << all << Probes{{{50, 25}, kYellow}, {{150, 75}, kYellow}};
        QTest::newRow("emf mirrored destination")
            << EmfWriter()
                   .rec(81, stretchDibRecordEmf(packedDib(quadrantImage(), 24),
                                                QRect(100, 0, -100, 50), QRect(0, 0, 2, 2)))
                   .file(kEmfBounds, kEmfFrame)
            << all
            << Probes{
                   {{50, 25}, kGreen}, {{150, 25}, kRed}, {{50, 75}, kYellow}, {{150, 75}, kBlue}};
        QTest::newRow("wmf dib pattern brush")
            << WmfWriter()
                   .pen(kRed, 5)
                   .select(0)
                   .rec(0x0142, {5, 0},
                        [] {
                            QImage blue(8, 8, QImage::Format_RGB32);
                            blue.fill(kBlue);
                            return packedDib(blue, 24);
                        }())
                   .select(1)
                   .rectangle(whole)
                   .placeable(whole, 96)
            << all << Probes{{{100, 50}, kBlue}, {{10, 90}, kBlue}};
        // A bits block that ends early draws the rows it holds (the bottom
        // one is stored first) and leaves the others blank.
        const QByteArray topRowMissing = packedDib(quadrantImage(), 24).chopped(8);
        const Probes bottomHalf{
            {{50, 25}, kWhite}, {{150, 25}, kWhite}, {{50, 75}, kBlue}, {{150, 75}, kYellow}};
        QTest::newRow("wmf stretchdib with its top row missing")
            << WmfWriter()
                   .rec(0x0F43, {0x0020, 0x00CC, 0, 2, 2, 0, 0, 50, 100, 0, 0}, topRowMissing)
                   .placeable(whole, 96)
            << all << bottomHalf;
        QTest::newRow("emf stretchdibits with its top row missing")
            << EmfWriter()
                   .rec(81, stretchDibRecordEmf(topRowMissing, whole, QRect(0, 0, 2, 2)))
                   .file(kEmfBounds, kEmfFrame)
            << all << bottomHalf;
        // DIB_PAL_COLORS: the table indexes a palette the player has none of.
        QByteArray paletteIndices;
        for (int v : {40, 2, 1}) put32(paletteIndices, v);
        put16(paletteIndices, 1);
        put16(paletteIndices, 8);
        for (int v : {0, 0, 0, 0, 2, 0}) put32(paletteIndices, v);
        put16(paletteIndices, 0x40);
        put16(paletteIndices, 0x180); // only the low byte counts
        put32(paletteIndices, 0x0100);
        QTest::newRow("wmf stretchdib with palette indices, drawn grey")
            << WmfWriter()
                   .rec(0x0F43, {0x0020, 0x00CC, 1, 1, 2, 0, 0, 50, 100, 0, 0}, paletteIndices)
                   .placeable(whole, 96)
            << all
            << Probes{{{50, 50}, QColor(0x40, 0x40, 0x40)}, {{150, 50}, QColor(0x80, 0x80, 0x80)}};
    }
    void embeddedBitmaps() { checkRows(); }

    void textIsDrawn_data() {
        QTest::addColumn<QByteArray>("file");
        QTest::addColumn<QRect>("area");
        QTest::addColumn<QColor>("colour");
        QByteArray font;
        for (int v : {-30, 0, 0, 0, 400}) put16(font, v);
        font.append(bytes({0, 0, 0, 128, 0, 0, 0, 0}));
        font.append("\x82\x6c\x82\x72\x20\x83\x53\x83\x56\x83\x62\x83\x4e", 13); // ＭＳ ゴシック
        const QByteArray kisho("\x8B\x43\x8F\xDB", 4);                           // 気象
        const auto wmfText = [&](int function, std::initializer_list<int> words,
                                 const QByteArray& tail) {
            return WmfWriter()
                .rec(0x02FB, {}, font)
                .select(0)
                .rec(0x0209, {0x00FF, 0})
                .rec(0x0102, {1})
                .rec(function, words, tail)
                .placeable(QRect(0, 0, 100, 50), 96);
        };
        QTest::newRow("wmf textout in Shift-JIS")
            << wmfText(0x0521, {4}, kisho + QByteArray("\x0a\x00\x05\x00", 4))
            << QRect(10, 20, 120, 70) << kRed;
        QTest::newRow("wmf exttextout with advances")
            << wmfText(0x0A32, {10, 5, 4, 0}, kisho + bytes({30, 0, 0, 0, 30, 0, 0, 0}))
            << QRect(10, 20, 150, 70) << kRed;
        QTest::newRow("emf exttextoutw")
            << EmfWriter()
                   .rec(82, emfFont(1, -20, QStringLiteral("Sans")))
                   .select(1)
                   .ints(24, {0xFF0000})
                   .ints(18, {1})
                   .rec(84, emfTextOutW(QPoint(10, 10), QStringLiteral("気象 Ab")))
                   .file(kEmfBounds, kEmfFrame)
            << QRect(20, 20, 160, 60) << kBlue;
        QTest::newRow("emf text right-aligned on the baseline")
            << EmfWriter()
                   .rec(82, emfFont(1, -20, QStringLiteral("Sans")))
                   .select(1)
                   .ints(24, {0xFF0000})
                   .ints(18, {1})
                   .ints(22, {2 | 24})
                   .rec(84, emfTextOutW(QPoint(95, 45), QStringLiteral("WWW")))
                   .file(kEmfBounds, kEmfFrame)
            << QRect(0, 0, 192, 92) << kBlue;
    }
    void textIsDrawn() {
        QFETCH(QByteArray, file);
        QFETCH(QRect, area);
        QFETCH(QColor, colour);
        const QImage image = render(file);
        const int inside = countNear(image, area, colour);
        const int everywhere = countNear(image, image.rect(), colour);
        QVERIFY2(inside > 30, qPrintable(QString::number(inside)));
        QCOMPARE(everywhere, inside);
    }

    void textDecoding_data() {
        QTest::addColumn<QByteArray>("bytes");
        QTest::addColumn<int>("charset");
        QTest::addColumn<QVector<double>>("byteAdvances");
        QTest::addColumn<QString>("text");
        QTest::addColumn<QVector<double>>("advances");
        QTest::newRow("Shift-JIS with advances per byte")
            << QByteArray("\x8B\x43\x8F\xDB\x41", 5) << 128 << QVector<double>{10, 0, 12, 0, 5}
            << QStringLiteral("気象A") << QVector<double>{10, 12, 5};
        QTest::newRow("default character set is the system's Shift-JIS")
            << QByteArray("\xB1\x41", 2) << 1 << QVector<double>{} << QStringLiteral("ｱA")
            << QVector<double>{};
        QTest::newRow("ANSI is code page 1252")
            << QByteArray("\x80\xE9", 2) << 0 << QVector<double>{} << QStringLiteral("€é")
            << QVector<double>{};
        QTest::newRow("symbol bytes pass through")
            << QByteArray("\xE9", 1) << 2 << QVector<double>{} << QStringLiteral("é")
            << QVector<double>{};
        QTest::newRow("Cyrillic") << QByteArray("\xC0", 1) << 204 << QVector<double>{}
                                  << QStringLiteral("А") << QVector<double>{};
        QTest::newRow("trail byte 0x5C stays inside its character")
            << QByteArray("\x95\x5C\x41", 3) << 128 << QVector<double>{4, 4, 3}
            << QStringLiteral("表A") << QVector<double>{8, 3};
    }
    void textDecoding() {
        QFETCH(QByteArray, bytes);
        QFETCH(int, charset);
        QFETCH(QVector<double>, byteAdvances);
        QFETCH(QString, text);
        QFETCH(QVector<double>, advances);
        QString gotText;
        QVector<double> gotAdvances;
        decodeMetafileText(bytes, charset, byteAdvances, &gotText, &gotAdvances);
        QCOMPARE(gotText, text);
        QCOMPARE(gotAdvances, advances);
    }

    void lonelyLeadByteStillGivesOneAdvancePerCharacter() {
        QString text;
        QVector<double> advances;
        decodeMetafileText(QByteArray("A\x82", 2), 128, {3, 4}, &text, &advances);
        QVERIFY(text.startsWith(QLatin1Char('A')));
        QCOMPARE(advances.size(), text.size());
    }

    // Drawing stops at a record that cannot be, keeping what came before; a
    // record whose counts lie is skipped.
    void damagedRecords_data() {
        addProbeColumns();
        const QRect all(0, 0, 200, 100);
        const QRect whole(0, 0, 100, 50);
        const QRect left(0, 0, 50, 50), right(50, 0, 50, 50);
        const Probes stopped{{{50, 50}, kRed}, {{150, 50}, kWhite}};
        const Probes skipped{{{50, 50}, kRed}, {{150, 50}, kRed}};
        QByteArray sizeZero, pastEnd;
        put32(sizeZero, 0);
        put16(sizeZero, 0x041B);
        put32(pastEnd, 5000);
        put16(pastEnd, 0x041B);
        put16(pastEnd, 0);
        QTest::newRow("wmf record size zero")
            << redFillNoPen().rectangle(left).raw(sizeZero).rectangle(right).placeable(whole, 96)
            << all << stopped;
        QTest::newRow("wmf record running past the end")
            << redFillNoPen().rectangle(left).raw(pastEnd).placeable(whole, 96) << all
            << Probes{{{50, 50}, kRed}};
        QTest::newRow("wmf polygon count beyond its record")
            << redFillNoPen()
                   .rectangle(left)
                   .rec(0x0324, {30000, 0, 0, 100, 0})
                   .rectangle(right)
                   .placeable(whole, 96)
            << all << skipped;
        QTest::newRow("wmf polypolygon counts beyond its record")
            << redFillNoPen()
                   .rectangle(left)
                   .rec(0x0538, {2, 3, 9000, 0, 0, 9, 0, 0, 9})
                   .rectangle(right)
                   .placeable(whole, 96)
            << all << skipped;
        QTest::newRow("wmf text count beyond its record")
            << redFillNoPen()
                   .rectangle(left)
                   .rec(0x0521, {20000, 0x4141})
                   .rec(0x0A32, {0, 0, 30000, 6, 0, 0})
                   .rectangle(right)
                   .placeable(whole, 96)
            << all << skipped;
        QTest::newRow("wmf dib with a huge width")
            << redFillNoPen()
                   .rectangle(left)
                   .rec(0x0F43, {0x0020, 0x00CC, 0, 2, 2, 0, 0, 50, 100, 0, 0},
                        [] {
                            QByteArray dib = packedDib(quadrantImage(), 24);
                            dib[7] = 0x40; // width 0x40000002
                            return dib;
                        }())
                   .rectangle(right)
                   .placeable(whole, 96)
            << all << skipped;
        QTest::newRow("wmf restore without a save") << redFillNoPen()
                                                           .rec(0x0127, {-5})
                                                           .rec(0x0127, {3})
                                                           .rectangle(whole)
                                                           .placeable(whole, 96)
                                                    << all << skipped;
        QTest::newRow("wmf more objects than the table holds") << WmfWriter()
                                                                      .pen(kRed, 5)
                                                                      .select(0)
                                                                      .brush(kRed)
                                                                      .select(1)
                                                                      .brush(kBlue)
                                                                      .select(2)
                                                                      .rectangle(whole)
                                                                      .placeable(whole, 96, 2)
                                                               << all << skipped;
        QByteArray emfPastEnd;
        put32(emfPastEnd, 43);
        put32(emfPastEnd, 4000);
        QTest::newRow("emf record size zero") << emfRedFillNoPen()
                                                     .rectangle(left)
                                                     .raw(bytes({43, 0, 0, 0, 0, 0, 0, 0}))
                                                     .rectangle(right)
                                                     .file(kEmfBounds, kEmfFrame)
                                              << all << stopped;
        QTest::newRow("emf record size not a multiple of four")
            << emfRedFillNoPen()
                   .rectangle(left)
                   .raw(bytes({43, 0, 0, 0, 9, 0, 0, 0}))
                   .rectangle(right)
                   .file(kEmfBounds, kEmfFrame)
            << all << stopped;
        QTest::newRow("emf record running past the end")
            << emfRedFillNoPen().rectangle(left).raw(emfPastEnd).file(kEmfBounds, kEmfFrame) << all
            << Probes{{{50, 50}, kRed}};
        QTest::newRow("emf polyline count beyond its record")
            << emfRedFillNoPen()
                   .rectangle(left)
                   .ints(86, {0, 0, 1, 1, 0x7FFFFFFF, 5})
                   .ints(91, {0, 0, 1, 1, 0x40000000, 3, 1, 1, 1})
                   .rectangle(right)
                   .file(kEmfBounds, kEmfFrame)
            << all << skipped;
        QTest::newRow("emf text string outside its record")
            << emfRedFillNoPen()
                   .rectangle(left)
                   .rec(84,
                        [] {
                            QByteArray r = emfTextOutW(QPoint(0, 0), QStringLiteral("abc"));
                            r[40] = char(0xF0); // offString far away
                            r[36] = char(0x7F); // and a lying count
                            return r;
                        }())
                   .rectangle(right)
                   .file(kEmfBounds, kEmfFrame)
            << all << skipped;
        QTest::newRow("emf bitmap offsets outside their record")
            << emfRedFillNoPen()
                   .rectangle(left)
                   .rec(81,
                        [] {
                            QByteArray r =
                                stretchDibRecordEmf(packedDib(quadrantImage(), 24),
                                                    QRect(0, 0, 100, 50), QRect(0, 0, 2, 2));
                            r[48] = char(0xFF);
                            r[49] = char(0xFF);
                            return r;
                        }())
                   .rectangle(right)
                   .file(kEmfBounds, kEmfFrame)
            << all << skipped;
        QTest::newRow("emf text stretched beyond any screen is left out")
            << emfRedFillNoPen()
                   .rectangle(left)
                   .rec(82, emfFont(2, -40, QStringLiteral("Sans")))
                   .select(2)
                   .ints(33, {})
                   .ints(17, {8})
                   .ints(9, {100, 50})
                   .ints(11, {1000000, 50})
                   .rec(84, emfTextOutW(QPoint(0, 10), QStringLiteral("WWW")))
                   .ints(34, {-1})
                   .rectangle(right)
                   .file(kEmfBounds, kEmfFrame)
            << all << skipped;
        QTest::newRow("emf world transform that cannot be inverted is refused")
            << emfRedFillNoPen()
                   .ints(35, {0, 0, 0, 0, 0, 0})
                   .rectangle(whole)
                   .file(kEmfBounds, kEmfFrame)
            << all << skipped;
        QTest::newRow("emf window extent of zero is refused") << emfRedFillNoPen()
                                                                     .ints(17, {8})
                                                                     .ints(9, {0, 0})
                                                                     .ints(11, {100, 50})
                                                                     .ints(9, {100, 50})
                                                                     .rectangle(whole)
                                                                     .file(kEmfBounds, kEmfFrame)
                                                              << all << skipped;
    }
    void damagedRecords() { checkRows(); }

    // Every cut and many single-byte changes of files that use most record
    // kinds either fail to load with the message or draw without harm.
    void damagedFilesNeverCrash_data() {
        QTest::addColumn<QByteArray>("file");
        QTest::newRow("wmf") << richWmf();
        QTest::newRow("emf") << richEmf();
    }
    void damagedFilesNeverCrash() {
        QFETCH(QByteArray, file);
        QVERIFY(countNear(render(file), QRect(0, 0, 200, 100), kWhite) < 200 * 100);
        int loaded = 0;
        const auto attempt = [&](const QByteArray& bytes) {
            try {
                render(bytes, QSize(60, 40));
                ++loaded;
            } catch (const EInvalidGraphic& e) {
                QCOMPARE(e.message(), QString::fromUtf8(msg::InvalidMetafile));
            }
        };
        for (qsizetype n = 0; n <= file.size(); ++n) attempt(file.left(n));
        for (qsizetype i = 0; i < file.size(); ++i) {
            for (char x : {char(0xFF), char(0x80), char(0x01)}) {
                QByteArray changed = file;
                changed[i] = char(changed[i] ^ x);
                attempt(changed);
            }
        }
        QVERIFY(loaded > file.size());
    }

    void saveStreamWritesTheFileBack() {
        const QByteArray file = richEmf();
        Metafile picture;
        loadFromBytes(picture, file);
        QBuffer out;
        out.open(QIODevice::WriteOnly);
        picture.saveStream(out);
        QCOMPARE(out.data(), file);
    }

    void corpus() {
        const QString dir = corpusDir();
        if (dir.isEmpty()) QSKIP("the picture corpus is not beside this checkout");
        QFile manifest(dir + QStringLiteral("/FILES.tsv"));
        QVERIFY(manifest.open(QIODevice::ReadOnly));
        // Good files with nothing for this reader to draw: the first holds no
        // drawing record at all, the second keeps its picture in EMF+ and its
        // plain text as glyph numbers of a font we do not have.
        const QStringList drawNothing{QStringLiteral("libemf2svg/test-030.emf"),
                                      QStringLiteral("libemf2svg/test-185.emf")};
        int good = 0, goodDrawn = 0, bad = 0, badRefused = 0, badDrawn = 0;
        QStringList problems;
        while (!manifest.atEnd()) {
            const QStringList fields =
                QString::fromUtf8(manifest.readLine()).trimmed().split(QLatin1Char('\t'));
            if (fields.size() < 5 ||
                (fields[0] != QLatin1String("wmf") && fields[0] != QLatin1String("emf")))
                continue;
            const QString path = dir + QLatin1Char('/') + fields[0] + QLatin1Char('/') + fields[1];
            const QString expect = fields[4];
            if (!path.endsWith(QLatin1String(".wmf")) && !path.endsWith(QLatin1String(".emf")))
                continue;
            Metafile picture;
            bool ok = true;
            try {
                picture.loadFile(path);
            } catch (const EInvalidGraphic& e) {
                ok = false;
                if (e.message() != QString::fromUtf8(msg::InvalidMetafile))
                    problems << fields[1] + QStringLiteral(": ") + e.message();
            }
            bool blank = true;
            if (ok) {
                QImage image(400, 300, QImage::Format_RGB32);
                image.fill(Qt::white);
                QPainter painter(&image);
                picture.drawInto(painter, image.rect());
                painter.end();
                blank = countNear(image, image.rect(), kWhite) == 400 * 300 &&
                        image.pixelColor(0, 0) == kWhite && image.pixelColor(399, 299) == kWhite;
                for (int y = 0; blank && y < 300; y += 3)
                    for (int x = 0; x < 400; x += 3)
                        if (image.pixel(x, y) != 0xFFFFFFFFu) blank = false;
            }
            if (expect == QLatin1String("good")) {
                ++good;
                if (!ok)
                    problems << fields[1] + QStringLiteral(": refused");
                else if (blank != drawNothing.contains(fields[1]))
                    problems << fields[1] + (blank ? QStringLiteral(": drew nothing")
                                                   : QStringLiteral(": drew something"));
                else if (!blank)
                    ++goodDrawn;
            } else if (expect == QLatin1String("bad") || expect == QLatin1String("either")) {
                ++bad;
                ok ? ++badDrawn : ++badRefused;
            }
        }
        qInfo("metafile corpus: %d good, %d drew a picture, %lld hold nothing to draw; %d damaged: "
              "%d refused, "
              "%d drawn without harm",
              good, goodDrawn, qlonglong(drawNothing.size()), bad, badRefused, badDrawn);
        QVERIFY2(problems.isEmpty(), qPrintable(problems.join(QLatin1Char('\n'))));
        QVERIFY(good > 0);
    }
};

NUBIVU_TEST(TestMetafile)
#include "tst_metafile.moc"
