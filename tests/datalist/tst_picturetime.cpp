#include "datalist/picturetime.h"
#include "testrunner.h"

#include <QTest>

using namespace nubivu;

// The stamps that date a picture by its name, and names that only look dated.
class TestPictureTime : public QObject {
    Q_OBJECT

private Q_SLOTS:
    void namedTimes_data() {
        QTest::addColumn<QString>("name");
        QTest::addColumn<QString>("time"); // empty: no time
        auto row = [](const char* name, const char* time) {
            QTest::newRow(name) << QString::fromUtf8(name) << QString::fromLatin1(time);
        };
        row("202405100900.jpg", "2024-05-10 09:00:00");
        row("20240510093015.jpg", "2024-05-10 09:30:15");
        row("20240510_0900.png", "2024-05-10 09:00:00");
        row("HIMAWARI_20240510_093015_B13.png", "2024-05-10 09:30:15");
        row("radar-20240510-0905.gif", "2024-05-10 09:05:00");
        row("map_2024-05-10_09-00.png", "2024-05-10 09:00:00");
        row("sky_2024-05-10_09-00-30_north.jpg", "2024-05-10 09:00:30");
        row("2024-05-10T09:00.jpg", "2024-05-10 09:00:00");
        row("2024-05-10T09:00:45Z.jpg", "2024-05-10 09:00:45");
        row("天気図20240229_2359.png", "2024-02-29 23:59:00");
        row("/photos/20230101_0000/cloud_20240510_0900.jpg", "2024-05-10 09:00:00");
        row("x\\20230101_0000\\cloud_20240510_0900.jpg", "2024-05-10 09:00:00");
        // A stamp that is no date does not hide a real one later in the name.
        row("20241340_0000_20240510_0900.jpg", "2024-05-10 09:00:00");
        row("20240510.jpg", "");         // a date alone
        row("2024051009.jpg", "");       // hours without minutes
        row("1202405100900.jpg", "");    // inside a longer number
        row("20240510_09001.jpg", "");   // one digit too many
        row("20240230_1200.jpg", "");    // 30 February
        row("20230229_1200.jpg", "");    // no leap year
        row("20240510_2400.jpg", "");    // hour 24
        row("20240510_0960.jpg", "");    // minute 60
        row("20240510_095961.jpg", "");  // second 61
        row("29990510_0900.jpg", "");    // a serial number, not a year
        row("IMG_123456789012.jpg", ""); // year 1234
        row("2024-05-10_0900.jpg", "");  // dashed date, bare time
        row("2024-05-10T09.jpg", "");    // no minutes
        row("IMG_0001.jpg", "");
        row("", "");
    }
    void namedTimes() {
        QFETCH(QString, name);
        QFETCH(QString, time);
        const std::optional<QDateTime> found = timeInFileName(name);
        if (time.isEmpty()) {
            QVERIFY2(!found, qPrintable(found ? found->toString(Qt::ISODate) : QString()));
            return;
        }
        QVERIFY(found);
        QCOMPARE(found->toString(QStringLiteral("yyyy-MM-dd HH:mm:ss")), time);
        // Wall-clock times: no zone's daylight saving may shift them.
        QCOMPARE(found->timeSpec(), Qt::UTC);
    }

    void rowTimeTextIsMonthDayAndMinutes() {
        QCOMPARE(rowTimeText(*timeInFileName(u"20240510_0905.jpg")),
                 QStringLiteral("5月10日 09:05"));
        QCOMPARE(rowTimeText(*timeInFileName(u"20241231_235959.jpg")),
                 QStringLiteral("12月31日 23:59"));
    }
};

NUBIVU_TEST(TestPictureTime)
#include "tst_picturetime.moc"
