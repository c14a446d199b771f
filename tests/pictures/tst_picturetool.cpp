#include "dibbuilder.h"
#include "jpegtools.h"
#include "pictures/bitmap.h"
#include "testrunner.h"

#include <QFile>
#include <QProcess>
#include <QTemporaryDir>
#include <QTest>

using namespace nubivu;
using namespace nubivu::test;

class TestPictureTool : public QObject {
    Q_OBJECT

    QTemporaryDir dir_;

private Q_SLOTS:
    void loadsAndWrites_data() {
        QTest::addColumn<QString>("name");
        QTest::addColumn<QByteArray>("contents");
        QTest::addColumn<int>("exitCode");
        QTest::addColumn<QString>("output");  // stdout
        QTest::addColumn<QString>("message"); // stderr's last line on failure
        QTest::addColumn<int>("bpp");         // of the written file
        DibSpec s;
        s.width = 5;
        s.height = 3;
        s.bpp = 4;
        s.palette = {qRgb(0, 0, 0), qRgb(255, 0, 0), qRgb(0, 255, 0)};
        s.bits = QByteArray::fromHex("01200000 12000000 02100000");
        const QByteArray bmp4 = bmpFile(s);
        QImage img(9, 7, QImage::Format_RGB32);
        img.fill(qRgb(200, 100, 50));
        QTest::newRow("4-bit bitmap") << "a.bmp" << bmp4 << 0 << "Bitmap"
                                      << "" << 4;
        QTest::newRow("JPEG") << "b.JPG" << makeJpeg(img) << 0 << "JpegImage"
                              << "" << 24;
        QTest::newRow("damaged bitmap") << "c.bmp" << QByteArray("BM") << 1 << ""
                                        << "ビットマップイメージが不正です" << 0;
        QTest::newRow("unknown extension") << "d.xyz" << bmp4 << 1 << ""
                                           << "拡張子 .xyz の画像形式は処理できません" << 0;
    }
    void loadsAndWrites() {
        QFETCH(QString, name);
        QFETCH(QByteArray, contents);
        QFETCH(int, exitCode);
        QFETCH(QString, output);
        QFETCH(QString, message);
        QFETCH(int, bpp);
        const QString tool = QStringLiteral(NUBIVU_RUNTIME_DIR "/nubivu-picture");
        if (!QFile::exists(tool)) QSKIP("nubivu-picture is not built");
        const QString in = dir_.filePath(name);
        const QString out = dir_.filePath(name + QStringLiteral(".out.bmp"));
        QFile f(in);
        QVERIFY(f.open(QIODevice::WriteOnly));
        f.write(contents);
        f.close();
        QProcess p;
        p.start(tool, {in, out});
        QVERIFY(p.waitForFinished(60000));
        QCOMPARE(p.exitCode(), exitCode);
        QCOMPARE(QString::fromLocal8Bit(p.readAllStandardOutput()).trimmed(), output);
        const QStringList errors =
            QString::fromLocal8Bit(p.readAllStandardError()).trimmed().split(QLatin1Char('\n'));
        if (exitCode) {
            QCOMPARE(errors.last(), message);
            return;
        }
        Bitmap written;
        written.loadFile(out);
        QCOMPARE(written.bitsPerPixel(), bpp);
        Bitmap original;
        if (name.endsWith(QLatin1String(".bmp"))) {
            original.loadFile(in);
            QCOMPARE(written.image().convertToFormat(QImage::Format_RGB32),
                     original.image().convertToFormat(QImage::Format_RGB32));
            QCOMPARE(written.palette(), original.palette());
        } else {
            QCOMPARE(written.width(), 9);
            QCOMPARE(written.height(), 7);
        }
    }
};

NUBIVU_TEST(TestPictureTool)
#include "tst_picturetool.moc"
