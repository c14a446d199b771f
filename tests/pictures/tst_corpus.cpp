#include "core/errors.h"
#include "jpegtools.h"
#include "pictures/bitmap.h"
#include "pictures/formatregistry.h"
#include "pictures/graphicerrors.h"
#include "pictures/jpegimage.h"
#include "pictures/picture.h"
#include "testrunner.h"

#include <QBuffer>
#include <QFile>
#include <QFileInfo>
#include <QHash>
#include <QImage>
#include <QSet>
#include <QTemporaryDir>
#include <QTest>
#include <algorithm>

using namespace nubivu;

namespace {

struct CorpusFile {
    QString suite;
    QString path;
    QString expect;
};

QVector<CorpusFile> corpusFiles(const QString& dir, const QStringList& suites) {
    QVector<CorpusFile> files;
    QFile tsv(dir + QStringLiteral("/FILES.tsv"));
    if (!tsv.open(QIODevice::ReadOnly)) return files;
    tsv.readLine(); // column names
    while (!tsv.atEnd()) {
        const QStringList f = QString::fromUtf8(tsv.readLine()).trimmed().split(QLatin1Char('\t'));
        if (f.size() < 5 || !suites.contains(f[0])) continue;
        files.push_back({f[0], f[1], f[4]});
    }
    return files;
}

// The messages a refusal may carry: the program's own, never a stray one.
bool isProgramMessage(const QString& m) {
    for (const char* known : {msg::InvalidBitmap, msg::InvalidIcon, msg::InvalidMetafile})
        if (m == QString::fromUtf8(known)) return true;
    return m.startsWith(QStringLiteral("JPEG エラー #"));
}

// BMP Suite files marked bad whose pixels are all there, with only a header
// field out of the ordinary (density, stated sizes, colour count, an index
// past the table): the platform's decoder shows them, and so do we.
const QSet<QString>& shownByThePlatform() {
    static const QSet<QString> files = {
        QStringLiteral("badbitssize.bmp"),    QStringLiteral("baddens1.bmp"),
        QStringLiteral("baddens2.bmp"),       QStringLiteral("badfilesize.bmp"),
        QStringLiteral("badpalettesize.bmp"), QStringLiteral("pal8badindex.bmp"),
    };
    return files;
}

// The rendering of a BMP Suite file: its own, or the one it shares with the
// files that store the same picture another way.
QString renderingOf(const QString& bmp) {
    static const QHash<QString, QString> shared = {
        {QStringLiteral("pal1wb"), QStringLiteral("pal1")},
        {QStringLiteral("pal4rle"), QStringLiteral("pal4")},
        {QStringLiteral("pal8-0"), QStringLiteral("pal8")},
        {QStringLiteral("pal8os2"), QStringLiteral("pal8")},
        {QStringLiteral("pal8rle"), QStringLiteral("pal8")},
        {QStringLiteral("pal8topdown"), QStringLiteral("pal8")},
        {QStringLiteral("pal8v4"), QStringLiteral("pal8")},
        {QStringLiteral("pal8v5"), QStringLiteral("pal8")},
        {QStringLiteral("rgb16bfdef"), QStringLiteral("rgb16")},
        {QStringLiteral("rgb16-565pal"), QStringLiteral("rgb16-565")},
        {QStringLiteral("rgb24pal"), QStringLiteral("rgb24")},
        {QStringLiteral("rgb32"), QStringLiteral("rgb24")},
        {QStringLiteral("rgb32bf"), QStringLiteral("rgb24")},
        {QStringLiteral("rgb32bfdef"), QStringLiteral("rgb24")},
    };
    const QFileInfo info(bmp);
    const QString base = info.completeBaseName();
    return info.absolutePath() + QStringLiteral("/../html/") + shared.value(base, base) +
           QStringLiteral(".png");
}

// Largest difference of any channel between the two pictures; -1 when their sizes differ.
int largestDifference(const QImage& a, const QImage& b) {
    if (a.size() != b.size()) return -1;
    const QImage x = a.convertToFormat(QImage::Format_RGB32);
    const QImage y = b.convertToFormat(QImage::Format_RGB32);
    int worst = 0;
    for (int row = 0; row < x.height(); ++row) {
        const auto* p = reinterpret_cast<const QRgb*>(x.constScanLine(row));
        const auto* q = reinterpret_cast<const QRgb*>(y.constScanLine(row));
        for (int col = 0; col < x.width(); ++col)
            worst = std::max({worst, qAbs(qRed(p[col]) - qRed(q[col])),
                              qAbs(qGreen(p[col]) - qGreen(q[col])),
                              qAbs(qBlue(p[col]) - qBlue(q[col]))});
    }
    return worst;
}

} // namespace

class TestCorpus : public QObject {
    Q_OBJECT

    const FormatRegistry formats_;

private Q_SLOTS:
    void bitmapsIconsAndJpegs() {
        const QString dir = test::corpusDir();
        if (dir.isEmpty()) QSKIP("the picture corpus is not beside this checkout");
        const QVector<CorpusFile> files = corpusFiles(
            dir, {QStringLiteral("bmp"), QStringLiteral("ico"), QStringLiteral("jpeg")});
        const bool djpeg = test::haveJpegTools();
        QTemporaryDir tmp;
        QVERIFY(!files.isEmpty());
        int goodLoaded = 0, goodTotal = 0, badRefused = 0, badTotal = 0;
        int eitherLoaded = 0, eitherRefused = 0, matched = 0, compared = 0, shownLoaded = 0,
            shownTotal = 0;
        QStringList problems;
        for (const CorpusFile& f : files) {
            if (f.expect == QLatin1String("ref") || f.expect == QLatin1String("doc")) continue;
            const QString path = dir + QLatin1Char('/') + f.suite + QLatin1Char('/') + f.path;
            Picture picture;
            QString failure;
            try {
                formats_.loadPicture(picture, path);
                // A JPEG decodes when first drawn: that is part of reading it here.
                if (auto* jpeg = dynamic_cast<JpegImage*>(picture.graphic())) jpeg->bitmap();
            } catch (const ENubivuError& e) {
                failure = e.message();
            }
            if (!failure.isEmpty() && !isProgramMessage(failure))
                problems << f.path + QStringLiteral(": stray message ") + failure;
            if (f.expect == QLatin1String("good")) {
                ++goodTotal;
                if (!failure.isEmpty()) {
                    problems << f.path + QStringLiteral(": refused: ") + failure;
                    continue;
                }
                ++goodLoaded;
                // The BMP Suite's good files have PNG renderings beside them.
                if (auto* jpeg = dynamic_cast<JpegImage*>(picture.graphic()); jpeg && djpeg) {
                    QFile file(path);
                    file.open(QIODevice::ReadOnly);
                    QStringList how{QStringLiteral("-dct"), QStringLiteral("float")};
                    if (jpeg->grayscale())
                        how << QStringLiteral("-colors") << QStringLiteral("236");
                    const QByteArray bmp = test::djpeg(file.readAll(), how, tmp);
                    Bitmap reference;
                    QBuffer buffer;
                    buffer.setData(bmp);
                    buffer.open(QIODevice::ReadOnly);
                    reference.loadStream(buffer);
                    ++compared;
                    if (jpeg->bitmap().image().convertToFormat(QImage::Format_RGB32) ==
                        reference.image().convertToFormat(QImage::Format_RGB32))
                        ++matched;
                    else
                        problems << f.path + QStringLiteral(": differs from djpeg");
                }
                const QString png = renderingOf(path);
                const auto* bitmap = dynamic_cast<const Bitmap*>(picture.graphic());
                if (bitmap && QFileInfo::exists(png)) {
                    ++compared;
                    const int diff = largestDifference(bitmap->image(), QImage(png));
                    if (diff >= 0 && diff <= 1)
                        ++matched;
                    else
                        problems << f.path + QStringLiteral(": differs from its rendering by %1")
                                                 .arg(diff);
                }
            } else if (f.expect == QLatin1String("bad") &&
                       shownByThePlatform().contains(QFileInfo(f.path).fileName())) {
                ++shownTotal;
                if (failure.isEmpty())
                    ++shownLoaded;
                else
                    problems << f.path +
                                    QStringLiteral(": refused although the platform shows it: ") +
                                    failure;
            } else if (f.expect == QLatin1String("bad")) {
                ++badTotal;
                if (failure.isEmpty())
                    problems << f.path + QStringLiteral(": loaded although damaged");
                else
                    ++badRefused;
            } else {
                ++(failure.isEmpty() ? eitherLoaded : eitherRefused);
            }
        }
        qInfo("bmp/ico/jpeg corpus: good %d/%d loaded, %d/%d match their renderings or djpeg; "
              "marked bad but shown by the platform %d/%d loaded; bad %d/%d refused; "
              "questionable/optional %d loaded, %d refused",
              goodLoaded, goodTotal, matched, compared, shownLoaded, shownTotal, badRefused,
              badTotal, eitherLoaded, eitherRefused);
        for (const QString& p : problems) qInfo("  %s", qPrintable(p));
        QVERIFY2(problems.isEmpty(), qPrintable(problems.join(QLatin1Char('\n'))));
    }
};

NUBIVU_TEST(TestCorpus)
#include "tst_corpus.moc"
