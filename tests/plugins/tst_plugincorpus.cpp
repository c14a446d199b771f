// The third-party PNG, GIF, TIFF and WebP pictures through the shipped
// plug-ins: good files decode (PngSuite's to the pixels Qt's own PNG reader
// sees), corrupted ones are refused or show what decodes before the damage,
// nothing crashes or hangs.
#include "pluginloader.h"
#include "testrunner.h"

#include <QFile>
#include <QImageReader>
#include <QTest>
#include <map>

using namespace nubivu::test;

namespace {

struct CorpusFile {
    QString suite, path, expect;
};

QList<CorpusFile> corpusFiles(const QString& dir) {
    QList<CorpusFile> files;
    QFile manifest(dir + QStringLiteral("/FILES.tsv"));
    if (!manifest.open(QIODevice::ReadOnly | QIODevice::Text)) return files;
    manifest.readLine(); // column names
    while (!manifest.atEnd()) {
        const QStringList columns = QString::fromUtf8(manifest.readLine()).trimmed().split(u'\t');
        if (columns.size() < 5) continue;
        files.append({columns[0], dir + u'/' + columns[0] + u'/' + columns[1], columns[4]});
    }
    return files;
}

QString pluginFor(const QString& path) {
    const QString suffix = path.section(u'.', -1).toLower();
    if (suffix == QLatin1String("png")) return QStringLiteral("ifpng");
    if (suffix == QLatin1String("gif")) return QStringLiteral("ifgif");
    if (suffix == QLatin1String("tif") || suffix == QLatin1String("tiff"))
        return QStringLiteral("iftiff");
    if (suffix == QLatin1String("webp")) return QStringLiteral("ifwebp");
    return QString();
}

// Largest colour difference over the pixels `a` shows opaque.
int opaqueDifference(const QImage& a, const QImage& b) {
    if (a.size() != b.size()) return -1;
    const QImage pa = a.convertToFormat(QImage::Format_ARGB32);
    const QImage pb = b.convertToFormat(QImage::Format_ARGB32);
    int worst = 0;
    for (int y = 0; y < pa.height(); ++y)
        for (int x = 0; x < pa.width(); ++x) {
            const QRgb p = pa.pixel(x, y), q = pb.pixel(x, y);
            if (qAlpha(p) == 255)
                worst = std::max({worst, std::abs(qRed(p) - qRed(q)),
                                  std::abs(qGreen(p) - qGreen(q)), std::abs(qBlue(p) - qBlue(q))});
        }
    return worst;
}

QImage withoutAlpha(QImage image) {
    for (int y = 0; y < image.height(); ++y)
        for (int x = 0; x < image.width(); ++x)
            image.setPixel(x, y, image.pixel(x, y) | 0xFF000000u);
    return image;
}

// The PNG file without its chunks of the given type.
QByteArray withoutChunk(const QByteArray& png, const char* type) {
    QByteArray out = png.left(8);
    for (qsizetype pos = 8; pos + 12 <= png.size();) {
        const auto* p = reinterpret_cast<const uchar*>(png.constData() + pos);
        const qsizetype length =
            qsizetype(quint32(p[0]) << 24 | p[1] << 16 | p[2] << 8 | p[3]) + 12;
        if (png.mid(pos + 4, 4) != type) out += png.mid(pos, length);
        pos += length;
    }
    return out;
}

} // namespace

class TestPluginCorpus : public QObject {
    Q_OBJECT
private Q_SLOTS:
    void corpusGoesThroughThePlugins() {
        const QString dir = corpusDir();
        if (dir.isEmpty()) QSKIP("the picture corpus is not beside the checkout");
        std::map<QString, std::unique_ptr<PluginLoader>> loaders;
        struct Counts {
            int good = 0, decoded = 0, sameAsQt = 0, transparentColourOnly = 0, alphaOnlyHere = 0,
                qtCannot = 0, bad = 0, refused = 0, shownPartly = 0, either = 0;
        };
        std::map<QString, Counts> counts;
        QStringList failures;
        for (const CorpusFile& file : corpusFiles(dir)) {
            const QString plugin = pluginFor(file.path);
            if (plugin.isEmpty() || file.expect == QLatin1String("ref") ||
                file.expect == QLatin1String("doc"))
                continue;
            auto& loader = loaders[plugin];
            if (!loader) loader = std::make_unique<PluginLoader>(plugin);
            QVERIFY2(loader->loaded(), qPrintable(loader->error()));
            QFile in(file.path);
            QVERIFY2(in.open(QIODevice::ReadOnly), qPrintable(file.path));
            const QByteArray data = in.readAll();
            const Decoded fromMemory = loader->decode(data);
            const Decoded fromFile = loader->decodeFile(file.path, 0);
            Counts& c = counts[plugin];
            const QString name = file.path.mid(dir.size() + 1);
            if (fromMemory.result != fromFile.result || fromMemory.image != fromFile.image)
                failures << name + QStringLiteral(": file and memory decoding differ");
            if (file.expect == QLatin1String("bad")) {
                ++c.bad;
                if (fromMemory.result != SPI_ALL_RIGHT)
                    ++c.refused;
                else if (!fromMemory.image.isNull())
                    ++c.shownPartly;
                else
                    failures << name + QStringLiteral(": corrupted, handed back nothing usable");
                continue;
            }
            if (file.expect != QLatin1String("good")) {
                ++c.either;
                continue;
            }
            ++c.good;
            if (fromMemory.result != SPI_ALL_RIGHT) {
                failures << name + QStringLiteral(": refused with %1").arg(fromMemory.result);
                continue;
            }
            ++c.decoded;
            QImageReader reader(file.path);
            if (!reader.canRead()) continue;
            reader.setAutoTransform(false);
            const QImage reference = reader.read();
            if (reference.isNull()) {
                ++c.qtCannot;
                continue;
            }
            int difference = maxDifference(fromMemory.image, reference);
            // Qt 6.4 garbles 16-bit colour pictures with a transparent colour
            // (tbbn2c16, tbgn2c16: channels shifted). Qt reads them right
            // without the tRNS chunk, so the colours are checked that way;
            // the decoding tests check the colour key against the encoder.
            if (difference > 1 && reference.format() == QImage::Format_RGBA64 &&
                fromMemory.bitCount == 32) {
                const QImage keyless = QImage::fromData(withoutChunk(data, "tRNS"));
                difference = maxDifference(withoutAlpha(fromMemory.image), keyless);
                ++c.transparentColourOnly;
            }
            // Qt drops the alpha plane of some TIFF files (minisblack-2c-8b-alpha);
            // where the plug-in sees opaque pixels the grey must agree.
            if (difference > 1 && plugin == QLatin1String("iftiff") &&
                !reference.hasAlphaChannel()) {
                difference = opaqueDifference(fromMemory.image, reference);
                ++c.alphaOnlyHere;
            }
            // 16-bit samples are reduced with rounding on both sides.
            if (difference >= 0 && difference <= 1)
                ++c.sameAsQt;
            else
                failures << name +
                                QStringLiteral(": differs from Qt's reading by %1").arg(difference);
        }
        for (const auto& [plugin, c] : counts)
            qInfo("%s: %d good, %d decoded; Qt reads %d of them, %d match it (%d: 16-bit with a "
                  "transparent colour compared without it, %d: alpha Qt drops); %d corrupted, %d "
                  "refused, %d shown as far as they decode; %d questionable survived",
                  qPrintable(plugin), c.good, c.decoded, c.decoded - c.qtCannot, c.sameAsQt,
                  c.transparentColourOnly, c.alphaOnlyHere, c.bad, c.refused, c.shownPartly,
                  c.either);
        QVERIFY2(failures.isEmpty(), qPrintable(failures.join(u'\n')));
        QVERIFY(counts[QStringLiteral("ifpng")].good > 100);
    }
};

NUBIVU_TEST(TestPluginCorpus)
#include "tst_plugincorpus.moc"
