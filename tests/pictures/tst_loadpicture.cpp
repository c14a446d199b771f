#include "dibbuilder.h"
#include "jpegtools.h"
#include "pictures/bitmap.h"
#include "pictures/formatregistry.h"
#include "pictures/graphicerrors.h"
#include "pictures/icon.h"
#include "pictures/jpegimage.h"
#include "pictures/metafile/metafile.h"
#include "pictures/picture.h"
#include "testrunner.h"

#include <QDir>
#include <QFile>
#include <QTemporaryDir>
#include <QTest>

using namespace nubivu;
using namespace nubivu::test;

namespace {

QByteArray smallBmp() {
    DibSpec s;
    s.width = 2;
    s.height = 2;
    s.bits = QByteArray(16, '\x7f');
    return bmpFile(s);
}

// A class of another kind, to see which registration a load goes through.
class OtherBitmap : public Bitmap {
    NUBIVU_GRAPHIC(OtherBitmap)
};
NUBIVU_GRAPHIC_DEFINE(OtherBitmap, Bitmap)

class DerivedJpeg : public JpegImage {
    NUBIVU_GRAPHIC(DerivedJpeg)
};
NUBIVU_GRAPHIC_DEFINE(DerivedJpeg, JpegImage)

QStringList extensions(const FormatRegistry& formats) {
    QStringList list;
    for (const PictureFormat& f : formats.entries()) list << f.extension;
    return list;
}

} // namespace

class TestLoadPicture : public QObject {
    Q_OBJECT

    QTemporaryDir dir_;

    QString write(const QString& name, const QByteArray& data) {
        const QString path = dir_.filePath(name);
        QDir().mkpath(QFileInfo(path).absolutePath());
        QFile f(path);
        if (!f.open(QIODevice::WriteOnly)) return {};
        f.write(data);
        return path;
    }

private Q_SLOTS:
    void initTestCase() { QVERIFY(dir_.isValid()); }

    void registryOrder() {
        const FormatRegistry formats;
        QCOMPARE(extensions(formats), (QStringList{QStringLiteral("wmf"), QStringLiteral("emf"),
                                                   QStringLiteral("ico"), QStringLiteral("bmp"),
                                                   QStringLiteral("jpeg"), QStringLiteral("jpg")}));
        QCOMPARE(formats.entries()[4].description, QStringLiteral("JPEG イメージファイル"));
        QCOMPARE(formats.find(QStringLiteral("WMF")), &Metafile::staticClass());
        QCOMPARE(formats.find(QStringLiteral("emf")), &Metafile::staticClass());
        QCOMPARE(formats.find(QStringLiteral("Ico")), &Icon::staticClass());
        QCOMPARE(formats.find(QStringLiteral("jpg")), &JpegImage::staticClass());
        QCOMPARE(formats.find(QString()), nullptr);
        QCOMPARE(formats.find(QStringLiteral("png")), nullptr);
    }

    void extensionDecides_data() {
        QTest::addColumn<QString>("name"); // relative to the test folder; "" stays empty
        QTest::addColumn<QByteArray>("contents");
        QTest::addColumn<QString>("expected"); // class name, or the failure message
        const QByteArray bmp = smallBmp();
        const QByteArray jpeg = makeJpeg(QImage(4, 4, QImage::Format_RGB32));
        auto unknown = [](const char* ext) {
            return QStringLiteral("拡張子 .%1 の画像形式は処理できません")
                .arg(QString::fromUtf8(ext));
        };
        QTest::newRow("upper-case JPG") << "Sky.JPG" << jpeg << "JpegImage";
        QTest::newRow("jpeg") << "photo.jpeg" << jpeg << "JpegImage";
        QTest::newRow("jpg") << "photo.jpg" << jpeg << "JpegImage";
        QTest::newRow("bmp") << "photo.bmp" << bmp << "Bitmap";
        // A path is a QString: no byte of a double-byte name can pass for a "\".
        QTest::newRow("Japanese name") << "表.bmp" << bmp << "Bitmap";
        QTest::newRow("the last dot decides") << "photo.jpg.bmp" << bmp << "Bitmap";
        QTest::newRow("JPEG named bmp")
            << "photo.bmp.jpg.bmp" << jpeg << "ビットマップイメージが不正です";
        QTest::newRow("empty name") << "" << QByteArray() << unknown("");
        QTest::newRow("dot only in the folder") << "pics.old/photo" << bmp << unknown("");
        QTest::newRow("name ending in a dot") << "photo." << bmp << unknown("");
        QTest::newRow("colon after the dot") << "photo.bmp:1" << bmp << unknown("");
        QTest::newRow("unknown, as written") << "photo.PnG" << bmp << unknown("PnG");
        QTest::newRow("bitmap named ico") << "photo.ico" << bmp << "アイコンイメージが不正です";
        QTest::newRow("not a JPEG") << "photo.jpg" << bmp << "JPEG エラー #53";
        QTest::newRow("missing file")
            << "missing.bmp" << QByteArray() << "ファイル %1 は開けません";
    }
    void extensionDecides() {
        QFETCH(QString, name);
        QFETCH(QByteArray, contents);
        QFETCH(QString, expected);
        QString path;
        if (!name.isEmpty()) {
            path = dir_.filePath(name);
            if (!contents.isEmpty()) QCOMPARE(write(name, contents), path);
        }
        if (expected.contains(QLatin1String("%1"))) expected = expected.arg(path);
        const FormatRegistry formats;
        Picture picture;
        QString got;
        try {
            formats.loadPicture(picture, path);
            got = QString::fromLatin1(picture.graphic()->classType().name);
        } catch (const ENubivuError& e) {
            got = e.message();
        }
        QCOMPARE(got, expected);
    }

    void failureKeepsThePicture_data() {
        QTest::addColumn<QString>("name");
        QTest::addColumn<QByteArray>("contents");
        QTest::newRow("unknown extension") << "a.png" << smallBmp();
        QTest::newRow("cannot open") << "gone.bmp" << QByteArray();
        QTest::newRow("bad bitmap") << "b.bmp" << QByteArray("BMnonsense");
        QTest::newRow("bad icon") << "c.ico" << QByteArray("nonsense");
        QTest::newRow("bad JPEG header") << "d.jpg" << QByteArray("nonsense");
    }
    void failureKeepsThePicture() {
        QFETCH(QString, name);
        QFETCH(QByteArray, contents);
        const FormatRegistry formats;
        Picture picture;
        int changes = 0;
        connect(&picture, &Picture::changed, [&] { ++changes; });
        const QString good = write(QStringLiteral("good.bmp"), smallBmp());
        formats.loadPicture(picture, good);
        QCOMPARE(changes, 1);
        QCOMPARE(picture.fileName(), good);
        Graphic* before = picture.graphic();
        const QString path = contents.isEmpty() ? dir_.filePath(name) : write(name, contents);
        // The report names the file beside the message.
        QString named;
        try {
            formats.loadPicture(picture, path);
        } catch (const ENubivuError& e) {
            named = e.fileName();
        }
        QCOMPARE(named, path);
        QCOMPARE(picture.graphic(), before);
        QCOMPARE(picture.fileName(), good);
        QCOMPARE(picture.width(), 2);
        QCOMPARE(changes, 1);
        picture.clear();
        QCOMPARE(picture.graphic(), nullptr);
        QCOMPARE(picture.fileName(), QString());
        QCOMPARE(changes, 2);
    }

    void latestRegistrationWins() {
        const QString path = write(QStringLiteral("late.bmp"), smallBmp());
        FormatRegistry formats;
        formats.add(QStringLiteral("BMP"), QStringLiteral("other"), OtherBitmap::staticClass());
        QCOMPARE(formats.entries().back().extension, QStringLiteral("bmp"));
        Picture picture;
        formats.loadPicture(picture, path);
        QCOMPARE(picture.graphic()->classType().name, "OtherBitmap");
        QCOMPARE(formats.find(QStringLiteral("jpeg")), &JpegImage::staticClass());
        formats.remove(OtherBitmap::staticClass());
        formats.loadPicture(picture, path);
        QCOMPARE(picture.graphic()->classType().name, "Bitmap");
    }

    void unregisterRemovesDerivedClasses() {
        FormatRegistry formats;
        formats.add(QStringLiteral("jfif"), QStringLiteral("derived"), DerivedJpeg::staticClass());
        formats.add(QStringLiteral("jpg"), QStringLiteral("derived"), DerivedJpeg::staticClass());
        QCOMPARE(formats.find(QStringLiteral("jpg")), &DerivedJpeg::staticClass());
        formats.remove(JpegImage::staticClass());
        QCOMPARE(extensions(formats), (QStringList{QStringLiteral("wmf"), QStringLiteral("emf"),
                                                   QStringLiteral("ico"), QStringLiteral("bmp")}));
        QCOMPARE(formats.find(QStringLiteral("jfif")), nullptr);
        QCOMPARE(formats.find(QStringLiteral("jpg")), nullptr);
    }
};

NUBIVU_TEST(TestLoadPicture)
#include "tst_loadpicture.moc"
