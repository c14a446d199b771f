#include "dibbuilder.h"
#include "jpegtools.h"
#include "pictures/fileformats.h"
#include "pictures/graphicerrors.h"
#include "pictures/metafile/tmetafile.h"
#include "pictures/tbitmap.h"
#include "pictures/ticon.h"
#include "pictures/tjpegimage.h"
#include "pictures/tpicture.h"
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
    return BmpFile(s);
}

// A class of another kind, to see which registration a load goes through.
class TOtherBitmap : public TBitmap {
    NUBIVU_GRAPHIC(TOtherBitmap)
};
NUBIVU_GRAPHIC_DEFINE(TOtherBitmap, TBitmap)

class TDerivedJpeg : public TJPEGImage {
    NUBIVU_GRAPHIC(TDerivedJpeg)
};
NUBIVU_GRAPHIC_DEFINE(TDerivedJpeg, TJPEGImage)

QStringList extensions() {
    QStringList list;
    for (const TFileFormat& f : TFileFormatsList::Instance().Entries()) list << f.extension;
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
    void initTestCase() {
        QVERIFY(dir_.isValid());
        RegisterJpegFormat();
    }
    void cleanupTestCase() { UnregisterJpegFormat(); }

    void registryOrder() {
        QCOMPARE(extensions(), (QStringList{QStringLiteral("wmf"), QStringLiteral("emf"),
                                            QStringLiteral("ico"), QStringLiteral("bmp"),
                                            QStringLiteral("jpeg"), QStringLiteral("jpg")}));
        QCOMPARE(TFileFormatsList::Instance().Entries()[4].description,
                 QStringLiteral("JPEG イメージファイル"));
        QCOMPARE(FindPictureClass(QStringLiteral("WMF")), &TMetafile::StaticClass());
        QCOMPARE(FindPictureClass(QStringLiteral("emf")), &TMetafile::StaticClass());
        QCOMPARE(FindPictureClass(QStringLiteral("Ico")), &TIcon::StaticClass());
        QCOMPARE(FindPictureClass(QString()), nullptr);
        QCOMPARE(FindPictureClass(QStringLiteral("png")), nullptr);
    }

    void extensionDecides_data() {
        QTest::addColumn<QString>("name"); // relative to the test folder; "" stays empty
        QTest::addColumn<QByteArray>("contents");
        QTest::addColumn<QString>("expected"); // class name, or the failure message
        const QByteArray bmp = smallBmp();
        const QByteArray jpeg = MakeJpeg(QImage(4, 4, QImage::Format_RGB32));
        auto unknown = [](const char* ext) {
            return QStringLiteral("拡張子 .%1 の画像形式は処理できません")
                .arg(QString::fromUtf8(ext));
        };
        QTest::newRow("upper-case JPG") << "Sky.JPG" << jpeg << "TJPEGImage";
        QTest::newRow("jpeg") << "photo.jpeg" << jpeg << "TJPEGImage";
        QTest::newRow("jpg") << "photo.jpg" << jpeg << "TJPEGImage";
        QTest::newRow("bmp") << "photo.bmp" << bmp << "TBitmap";
        // A path is a QString: no byte of a double-byte name can pass for a "\".
        QTest::newRow("Japanese name") << "表.bmp" << bmp << "TBitmap";
        QTest::newRow("the last dot decides") << "photo.jpg.bmp" << bmp << "TBitmap";
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
        TPicture picture;
        QString got;
        try {
            LoadPicture(picture, path);
            got = QString::fromLatin1(picture.Graphic()->ClassType().name);
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
        TPicture picture;
        int changes = 0;
        picture.SetOnChange([&] { ++changes; });
        const QString good = write(QStringLiteral("good.bmp"), smallBmp());
        LoadPicture(picture, good);
        QCOMPARE(changes, 1);
        QCOMPARE(picture.FileName(), good);
        TGraphic* before = picture.Graphic();
        const QString path = contents.isEmpty() ? dir_.filePath(name) : write(name, contents);
        // The report names the file beside the message.
        QString named;
        try {
            LoadPicture(picture, path);
        } catch (const ENubivuError& e) {
            named = e.fileName();
        }
        QCOMPARE(named, path);
        QCOMPARE(picture.Graphic(), before);
        QCOMPARE(picture.FileName(), good);
        QCOMPARE(picture.Width(), 2);
        QCOMPARE(changes, 1);
        picture.Clear();
        QCOMPARE(picture.Graphic(), nullptr);
        QCOMPARE(picture.FileName(), QString());
        QCOMPARE(changes, 2);
    }

    void latestRegistrationWins() {
        const QString path = write(QStringLiteral("late.bmp"), smallBmp());
        RegisterPictureFormat(QStringLiteral("BMP"), QStringLiteral("other"),
                              TOtherBitmap::StaticClass());
        QCOMPARE(TFileFormatsList::Instance().Entries().back().extension, QStringLiteral("bmp"));
        TPicture picture;
        LoadPicture(picture, path);
        QCOMPARE(picture.Graphic()->ClassType().name, "TOtherBitmap");
        QCOMPARE(FindPictureClass(QStringLiteral("jpeg")), &TJPEGImage::StaticClass());
        UnregisterPictureClass(TOtherBitmap::StaticClass());
        LoadPicture(picture, path);
        QCOMPARE(picture.Graphic()->ClassType().name, "TBitmap");
    }

    void unregisterRemovesDerivedClasses() {
        RegisterPictureFormat(QStringLiteral("jfif"), QStringLiteral("derived"),
                              TDerivedJpeg::StaticClass());
        RegisterPictureFormat(QStringLiteral("jpg"), QStringLiteral("derived"),
                              TDerivedJpeg::StaticClass());
        QCOMPARE(FindPictureClass(QStringLiteral("jpg")), &TDerivedJpeg::StaticClass());
        UnregisterJpegFormat();
        QCOMPARE(extensions(), (QStringList{QStringLiteral("wmf"), QStringLiteral("emf"),
                                            QStringLiteral("ico"), QStringLiteral("bmp")}));
        QCOMPARE(FindPictureClass(QStringLiteral("jfif")), nullptr);
        RegisterJpegFormat();
        QCOMPARE(FindPictureClass(QStringLiteral("jpg")), &TJPEGImage::StaticClass());
    }
};

NUBIVU_TEST(TestLoadPicture)
#include "tst_loadpicture.moc"
