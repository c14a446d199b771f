#include "pictures/exiftime.h"
#include "testfiles.h"
#include "testrunner.h"

#include <QTemporaryDir>
#include <QTest>
#include <cstdlib>
#include <cstring>
#include <libexif/exif-data.h>

using namespace nubivu;
using namespace nubivu::test;

namespace {
// Bare EXIF data ("Exif\0\0" ...) with the given ASCII entries, as a camera writes them.
QByteArray exifBytes(const std::vector<std::pair<ExifTag, const char*>>& entries) {
    ExifData* data = exif_data_new();
    exif_data_set_byte_order(data, EXIF_BYTE_ORDER_INTEL);
    for (const auto& [tag, text] : entries) {
        const ExifIfd ifd = tag == EXIF_TAG_DATE_TIME ? EXIF_IFD_0 : EXIF_IFD_EXIF;
        ExifEntry* entry = exif_entry_new();
        exif_content_add_entry(data->ifd[ifd], entry);
        exif_entry_initialize(entry, tag);
        const size_t size = std::strlen(text) + 1;
        if (entry->data) free(entry->data);
        entry->data = static_cast<unsigned char*>(malloc(size));
        std::memcpy(entry->data, text, size);
        entry->size = static_cast<unsigned int>(size);
        entry->components = size;
        entry->format = EXIF_FORMAT_ASCII;
        exif_entry_unref(entry);
    }
    unsigned char* out = nullptr;
    unsigned int size = 0;
    exif_data_save_data(data, &out, &size);
    QByteArray bytes(reinterpret_cast<const char*>(out), qsizetype(size));
    free(out);
    exif_data_unref(data);
    return bytes;
}

// A JPEG stream's start: SOI, a JFIF segment, then the EXIF segment.
QByteArray jpegWith(const QByteArray& exif) {
    QByteArray jpeg = QByteArray::fromHex("ffd8ffe000104a46494600010100000100010000");
    const int length = int(exif.size()) + 2;
    jpeg += QByteArray::fromHex("ffe1");
    jpeg += char(length >> 8);
    jpeg += char(length & 0xff);
    jpeg += exif;
    jpeg += QByteArray::fromHex("ffd9");
    return jpeg;
}

std::optional<QDateTime> timeOf(const QByteArray& bytes) {
    return exifTime(reinterpret_cast<const unsigned char*>(bytes.constData()),
                    size_t(bytes.size()));
}
} // namespace

// The time a photo records: when it was taken, else when it was written.
class TestExifTime : public QObject {
    Q_OBJECT

private Q_SLOTS:
    void recordedTimes_data() {
        QTest::addColumn<QString>("original");
        QTest::addColumn<QString>("written");
        QTest::addColumn<QString>("time");
        QTest::newRow("taken") << "2024:05:10 09:00:30"
                               << "2024:05:11 10:00:00"
                               << "2024-05-10 09:00:30";
        QTest::newRow("written only") << ""
                                      << "2024:05:11 10:00:00"
                                      << "2024-05-11 10:00:00";
        // A camera without a clock writes blanks or zeros; its file time may still do.
        QTest::newRow("blank taken") << "    :  :     :  :  "
                                     << "2024:05:11 10:00:00"
                                     << "2024-05-11 10:00:00";
        QTest::newRow("zeros") << "0000:00:00 00:00:00"
                               << ""
                               << "";
        QTest::newRow("not a date") << "2024:13:40 25:61:00"
                                    << ""
                                    << "";
        QTest::newRow("nothing") << ""
                                 << ""
                                 << "";
    }
    void recordedTimes() {
        QFETCH(QString, original);
        QFETCH(QString, written);
        QFETCH(QString, time);
        std::vector<std::pair<ExifTag, const char*>> entries;
        const QByteArray o = original.toLatin1(), w = written.toLatin1();
        if (!o.isEmpty()) entries.emplace_back(EXIF_TAG_DATE_TIME_ORIGINAL, o.constData());
        if (!w.isEmpty()) entries.emplace_back(EXIF_TAG_DATE_TIME, w.constData());
        const QByteArray exif = exifBytes(entries);
        for (const QByteArray& bytes : {exif, jpegWith(exif)}) {
            const std::optional<QDateTime> found = timeOf(bytes);
            QCOMPARE(found ? found->toString(QStringLiteral("yyyy-MM-dd HH:mm:ss")) : QString(),
                     time);
            if (found) QCOMPARE(found->timeSpec(), Qt::UTC);
        }
    }

    void fromAFile() {
        QTemporaryDir dir;
        const QByteArray jpeg =
            jpegWith(exifBytes({{EXIF_TAG_DATE_TIME_ORIGINAL, "2024:05:10 09:00:00"}}));
        QCOMPARE(exifTimeOfFile(writeFile(dir.filePath(QStringLiteral("a.jpg")), jpeg))->time(),
                 QTime(9, 0));
        QVERIFY(!exifTimeOfFile(writeFile(dir.filePath(QStringLiteral("b.png")), "\x89PNG")));
        QVERIFY(!exifTimeOfFile(dir.filePath(QStringLiteral("missing.jpg"))));
    }
};

NUBIVU_TEST(TestExifTime)
#include "tst_exiftime.moc"
