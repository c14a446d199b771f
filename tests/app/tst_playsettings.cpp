#include "app/playsettings.h"
#include "testrunner.h"

#include <QTemporaryDir>
#include <QTest>

using namespace nubivu;
using namespace std::chrono_literals;

class TestPlaySettings : public QObject {
    Q_OBJECT

    QTemporaryDir dir_;
    QString file() const { return dir_.filePath(QStringLiteral("Nubivu.conf")); }

private Q_SLOTS:
    void init() { QFile::remove(file()); }

    void defaultsAreTheDesignedBehaviour() {
        const QSettings empty(file(), QSettings::IniFormat);
        const PlaySettings play = readPlaySettings(empty);
        QCOMPARE(play, PlaySettings());
        QVERIFY(!play.speed.paced());
        QCOMPARE(play.endOfList, EndOfList::Stop);
        QCOMPARE(play.hold, 0ms);
        QVERIFY(!play.keepAspect);
        QVERIFY(!play.windowPosition);
    }

    void roundTrip() {
        PlaySettings play;
        play.speed = *PlaySpeed::fromRowsPerSecond(0.5);
        play.endOfList = EndOfList::Rock;
        play.hold = 2000ms;
        play.keepAspect = true;
        play.windowPosition = QPoint(0, 0); // a corner is a real place
        {
            QSettings settings(file(), QSettings::IniFormat);
            writePlaySettings(settings, play);
        }
        QCOMPARE(readPlaySettings(QSettings(file(), QSettings::IniFormat)), play);
        play.windowPosition.reset();
        play.endOfList = EndOfList::Loop;
        {
            QSettings settings(file(), QSettings::IniFormat);
            writePlaySettings(settings, play);
        }
        QCOMPARE(readPlaySettings(QSettings(file(), QSettings::IniFormat)), play);
    }

    void valuesNotOfferedReadAsDefaults() {
        {
            QSettings settings(file(), QSettings::IniFormat);
            settings.setValue(QStringLiteral("Play/RowsPerSecond"), 3);
            settings.setValue(QStringLiteral("Play/EndOfList"), QStringLiteral("bounce"));
            settings.setValue(QStringLiteral("Play/HoldMilliseconds"), QStringLiteral("forever"));
            settings.setValue(QStringLiteral("MainWindow/Position"), QStringLiteral("left"));
        }
        QCOMPARE(readPlaySettings(QSettings(file(), QSettings::IniFormat)), PlaySettings());
    }

    void programFileIsTheRecentFilesOneNotThePluginOne() {
        // The test runner points the user's configuration at a folder of its own.
        PlaySettings play;
        play.endOfList = EndOfList::Loop;
        writePlaySettings(play);
        QCOMPARE(readPlaySettings().endOfList, EndOfList::Loop);
        const QString path = programSettings().fileName();
        QVERIFY2(path.endsWith(QStringLiteral("/Nubivu/Nubivu.conf")), qPrintable(path));
        QVERIFY(!QSettings(QStringLiteral("Quorril"), QStringLiteral("Susie"))
                     .contains(QStringLiteral("Play/EndOfList")));
        QSettings(path, QSettings::IniFormat).clear();
    }

    void positionMustStayReachable_data() {
        QTest::addColumn<QPoint>("position");
        QTest::addColumn<QSize>("frame");
        QTest::addColumn<QPoint>("placed"); // (-1, -1): not used
        const QSize small(1024, 501);
        QTest::newRow("on the first screen") << QPoint(100, 100) << small << QPoint(100, 100);
        QTest::newRow("on the second screen") << QPoint(2000, 50) << small << QPoint(2000, 50);
        QTest::newRow("over the left edge, title bar on screen")
            << QPoint(-300, 0) << small << QPoint(0, 0);
        QTest::newRow("grown wider than room right of it")
            << QPoint(800, 300) << QSize(1366, 600) << QPoint(554, 300);
        QTest::newRow("above every screen") << QPoint(100, -30) << small << QPoint(-1, -1);
        QTest::newRow("on a screen since unplugged")
            << QPoint(4000, 100) << small << QPoint(-1, -1);
    }
    void positionMustStayReachable() {
        QFETCH(QPoint, position);
        QFETCH(QSize, frame);
        QFETCH(QPoint, placed);
        const QList<QRect> screens{QRect(0, 0, 1920, 1080), QRect(1920, 0, 1280, 1024)};
        QCOMPARE(reachablePosition(position, frame, screens).value_or(QPoint(-1, -1)), placed);
    }
};

NUBIVU_TEST(TestPlaySettings)
#include "tst_playsettings.moc"
