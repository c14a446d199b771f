// Pixel memory kept for the next picture: reused once the last copy of a
// picture is gone, never while one lives, never more than the limit kept,
// and all given back when asked.
#include "pictures/picturememory.h"
#include "testrunner.h"

#include <QTest>
#include <vector>

using namespace nubivu;

class TestPictureMemory : public QObject {
    Q_OBJECT
private Q_SLOTS:
    void laidOutAsQImageLaysItOut() {
        for (QImage::Format format : {QImage::Format_RGB32, QImage::Format_Indexed8}) {
            const QSize size(1001, 333); // rows padded to 32 bits
            QImage ours = PictureMemory::newImage(size, format);
            const QImage theirs(size, format);
            QCOMPARE(ours.size(), size);
            QCOMPARE(ours.format(), format);
            QCOMPARE(ours.bytesPerLine(), theirs.bytesPerLine());
            // Written in place, not copied away on the first write.
            const uchar* bits = ours.constBits();
            ours.scanLine(332)[0] = 7;
            QCOMPARE(ours.constBits(), bits);
        }
        QVERIFY(PictureMemory::newImage(QSize(0, 10), QImage::Format_RGB32).isNull());
    }

    void reusedOnlyOnceTheLastCopyIsGone() {
        const QSize size(1237, 611);
        QImage first = PictureMemory::newImage(size, QImage::Format_RGB32);
        const uchar* memory = first.constBits();
        QImage copy = first;
        first = QImage();
        const QImage meanwhile = PictureMemory::newImage(size, QImage::Format_RGB32);
        QVERIFY(meanwhile.constBits() != memory); // the copy still shows it
        copy = QImage();
        QImage next = PictureMemory::newImage(size, QImage::Format_RGB32);
        QCOMPARE(next.constBits(), memory);
    }

    void keepsNoMoreThanItsLimit() {
        std::vector<QImage> pictures;
        const QSize size(4096, 2048); // 32 MB each
        for (qsizetype taken = 0; taken <= PictureMemory::MostKept; taken += 32 * 1024 * 1024)
            pictures.push_back(PictureMemory::newImage(size, QImage::Format_RGB32));
        pictures.clear();
        QVERIFY(PictureMemory::keptBytes() <= PictureMemory::MostKept);
        QVERIFY(PictureMemory::keptBytes() > 0);
        PictureMemory::releaseKept();
        QCOMPARE(PictureMemory::keptBytes(), qsizetype(0));
    }
};

NUBIVU_TEST(TestPictureMemory)
#include "tst_picturememory.moc"
