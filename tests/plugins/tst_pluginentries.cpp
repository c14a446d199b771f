// What every shipped plug-in promises at its entry points, whatever the
// format: its texts, claiming by signature, both source forms, progress and
// stopping, and clean failures on damaged data.
#include "pluginloader.h"
#include "testencoders.h"
#include "testrunner.h"

#include <QFile>
#include <QTemporaryDir>
#include <QTest>
#include <png.h>
#include <tiffio.h>

using namespace nubivu::test;

namespace {

// One sample of each format, large enough for several progress steps.
QByteArray sample(const QString& plugin) {
    static QTemporaryDir dir;
    if (plugin == QLatin1String("ifpng")) return encodePng({PNG_COLOR_TYPE_RGB, 8, true}).data;
    if (plugin == QLatin1String("ifgif")) return encodeGif({}).data;
    if (plugin == QLatin1String("iftiff"))
        return encodeTiff({PHOTOMETRIC_RGB, 8, 3, COMPRESSION_LZW}, dir.path()).data;
    return encodeWebp({false, true}).data;
}

void addPlugins() {
    QTest::addColumn<QString>("plugin");
    for (const char* name : {"ifpng", "ifgif", "iftiff", "ifwebp"})
        QTest::newRow(name) << QString::fromLatin1(name);
}

} // namespace

class TestPluginEntries : public QObject {
    Q_OBJECT
private Q_SLOTS:
    void texts_data() {
        QTest::addColumn<QString>("plugin");
        QTest::addColumn<QString>("library");
        QTest::addColumn<QString>("pattern");
        QTest::addColumn<QString>("description");
        QTest::newRow("png") << "ifpng"
                             << "libpng " PNG_LIBPNG_VER_STRING << "*.png"
                             << "PNG";
        QTest::newRow("gif") << "ifgif"
                             << "giflib 5."
                             << "*.gif"
                             << "GIF";
        QTest::newRow("tiff") << "iftiff"
                              << "libtiff 4."
                              << "*.tif;*.tiff"
                              << "TIFF";
        QTest::newRow("webp") << "ifwebp"
                              << "libwebp 1."
                              << "*.webp"
                              << "WebP";
    }

    void texts() {
        QFETCH(QString, plugin);
        QFETCH(QString, library);
        QFETCH(QString, pattern);
        QFETCH(QString, description);
        PluginLoader loader(plugin);
        QVERIFY2(loader.loaded(), qPrintable(loader.error()));
        QCOMPARE(loader.text(0), QStringLiteral("00IN"));
        QVERIFY2(loader.text(1).contains(library), qPrintable(loader.text(1)));
        QCOMPARE(loader.text(2), pattern);
        QCOMPARE(loader.text(3), description);
        QVERIFY(loader.text(4).isEmpty());
        QVERIFY(loader.text(-1).isEmpty());
        // No preview of its own: the host then decodes the whole picture.
        QCOMPARE(loader.preview(sample(plugin)), SPI_NO_FUNCTION);
    }

    void claimsOnlyItsOwnSignature_data() { addPlugins(); }

    void claimsOnlyItsOwnSignature() {
        QFETCH(QString, plugin);
        PluginLoader loader(plugin);
        QVERIFY(loader.loaded());
        for (const char* other : {"ifpng", "ifgif", "iftiff", "ifwebp"}) {
            const QByteArray data = sample(QString::fromLatin1(other));
            QCOMPARE(loader.claims(data), plugin == QLatin1String(other));
            // The first bytes decide, not the name: a damaged head is refused.
            QByteArray damaged = data;
            damaged[1] = char(damaged[1] ^ 0x20);
            QVERIFY(!loader.claims(damaged));
        }
        QVERIFY(!loader.claims(QByteArray()));
    }

    void decodesFilesAtAnOffset_data() { addPlugins(); }

    void decodesFilesAtAnOffset() {
        QFETCH(QString, plugin);
        PluginLoader loader(plugin);
        const QByteArray data = sample(plugin);
        const Decoded fromMemory = loader.decode(data);
        QCOMPARE(fromMemory.result, SPI_ALL_RIGHT);
        QTemporaryDir dir;
        const QString plain = dir.filePath(QStringLiteral("plain"));
        const QString wrapped = dir.filePath(QStringLiteral("wrapped"));
        {
            QFile file(plain);
            QVERIFY(file.open(QIODevice::WriteOnly));
            file.write(data);
        }
        {
            QFile file(wrapped);
            QVERIFY(file.open(QIODevice::WriteOnly));
            file.write(QByteArray(128, 'M') + data);
        }
        const Decoded atStart = loader.decodeFile(plain, 0);
        QCOMPARE(atStart.result, SPI_ALL_RIGHT);
        QCOMPARE(atStart.image, fromMemory.image);
        const Decoded behindHeader = loader.decodeFile(wrapped, 128);
        QCOMPARE(behindHeader.result, SPI_ALL_RIGHT);
        QCOMPARE(behindHeader.image, fromMemory.image);
        QVERIFY(loader.decodeFile(wrapped, 0).result != SPI_ALL_RIGHT);
        QVERIFY(loader.decodeFile(plain, data.size()).result != SPI_ALL_RIGHT);
        QVERIFY(loader.decodeFile(plain, -1).result != SPI_ALL_RIGHT);
        QVERIFY(loader.decodeFile(dir.filePath(QStringLiteral("missing")), 0).result !=
                SPI_ALL_RIGHT);
        QVERIFY(loader.decodeFile(dir.path(), 0).result != SPI_ALL_RIGHT);
    }

    void reportsProgressAndStops_data() { addPlugins(); }

    void reportsProgressAndStops() {
        QFETCH(QString, plugin);
        PluginLoader loader(plugin);
        const QByteArray data = sample(plugin);
        QList<QPair<int, int>> calls;
        const Decoded decoded = loader.decode(data, [&](int done, int total) {
            calls.append({done, total});
            return 0;
        });
        QCOMPARE(decoded.result, SPI_ALL_RIGHT);
        QVERIFY(calls.size() >= 2);
        QCOMPARE(calls.first().first, 0);
        QCOMPARE(calls.last().first, calls.last().second);
        for (int i = 1; i < calls.size(); ++i) {
            QVERIFY(calls[i].first >= calls[i - 1].first);
            QCOMPARE(calls[i].second, calls.first().second);
        }
        // Stopping at the first call and at a later one.
        for (int stopAt : {0, 1}) {
            int seen = 0;
            const Decoded stopped =
                loader.decode(data, [&](int, int) { return seen++ == stopAt ? 1 : 0; });
            QCOMPARE(stopped.result, SPI_ABORT);
            QCOMPARE(seen, stopAt + 1);
        }
    }

    void refusesDamagedData_data() { addPlugins(); }

    void refusesDamagedData() {
        QFETCH(QString, plugin);
        PluginLoader loader(plugin);
        const QByteArray data = sample(plugin);
        const QSize size = loader.decode(data).image.size();
        // Every cut must either fail or give a picture of the right size.
        for (int length = 1; length < data.size(); ++length) {
            const Decoded cut = loader.decode(data.left(length));
            if (cut.result == SPI_ALL_RIGHT) QCOMPARE(cut.image.size(), size);
        }
        // PNG and GIF show the rows decoded before the data ends, as other
        // viewers do (tst_plugindecode checks those rows); the others refuse
        // a picture cut in half.
        if (plugin != QLatin1String("ifpng") && plugin != QLatin1String("ifgif"))
            QVERIFY(loader.decode(data.left(data.size() / 2)).result != SPI_ALL_RIGHT);
        QVERIFY(loader.decode(data.left(12)).result != SPI_ALL_RIGHT);
        // The signature followed by noise.
        QByteArray noise = data.left(16);
        for (int i = 0; i < 4000; ++i) noise.append(char((i * 131 + 7) % 251));
        QVERIFY(loader.decode(noise).result != SPI_ALL_RIGHT);
        SpiPictureInfo info;
        QVERIFY(loader.info(data.left(12), info) != SPI_ALL_RIGHT);
        // Nothing at all.
        QVERIFY(loader.decode(QByteArray()).result != SPI_ALL_RIGHT);
    }
};

NUBIVU_TEST(TestPluginEntries)
#include "tst_pluginentries.moc"
