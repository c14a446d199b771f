#include "slideshow/playpacing.h"
#include "testrunner.h"

#include <QTest>

using namespace nubivu;
using namespace std::chrono_literals;
using std::chrono::milliseconds;
using std::chrono::nanoseconds;

class TestPlayPacing : public QObject {
    Q_OBJECT

    nanoseconds now_{};
    MonotonicClock fakeClock() {
        return [this] { return now_; };
    }

private Q_SLOTS:
    void init() { now_ = 1000s; }

    void speedsStepThroughTheList() {
        PlaySpeed speed; // the default plays as fast as pictures load
        QVERIFY(!speed.paced());
        QCOMPARE(speed.slot(), nanoseconds{});
        QCOMPARE(speed.faster(), speed);
        QList<double> down;
        for (PlaySpeed s = speed.slower(); s.paced(); s = s.slower()) {
            down.append(s.rowsPerSecond());
            if (s == s.slower()) break;
        }
        QCOMPARE(down, (QList<double>{30, 15, 8, 4, 2, 1, 0.5}));
        PlaySpeed up = *PlaySpeed::fromRowsPerSecond(0.5);
        for (int i = 0; i < 6; ++i) up = up.faster();
        QCOMPARE(up.rowsPerSecond(), 30.0);
        QVERIFY(!up.faster().paced());
    }

    void onlyListedRatesAreSpeeds() {
        QCOMPARE(PlaySpeed::fromRowsPerSecond(0), PlaySpeed::asFastAsLoaded());
        QCOMPARE(PlaySpeed::fromRowsPerSecond(15)->slot(), nanoseconds(66'666'667));
        QCOMPARE(PlaySpeed::fromRowsPerSecond(0.5)->slot(), nanoseconds(2s));
        for (double bad : {-1.0, 3.0, 1000.0, std::nan("")})
            QVERIFY2(!PlaySpeed::fromRowsPerSecond(bad), qPrintable(QString::number(bad)));
    }

    void waitIsWhatIsLeftOfTheSlot_data() {
        QTest::addColumn<double>("rate");
        QTest::addColumn<int>("loadMs"); // time from the row on screen to asking
        QTest::addColumn<int>("holdMs");
        QTest::addColumn<int>("waitMs");
        QTest::newRow("as fast as loaded") << 0.0 << 5 << 0 << 0;
        QTest::newRow("as fast as loaded, hold") << 0.0 << 5 << 500 << 495;
        QTest::newRow("4/s, quick load") << 4.0 << 40 << 0 << 210;
        QTest::newRow("4/s, load took the slot") << 4.0 << 250 << 0 << 0;
        QTest::newRow("4/s, load overran: no catching up") << 4.0 << 900 << 0 << 0;
        QTest::newRow("1/s, hold on the last row") << 1.0 << 100 << 2000 << 2900;
    }
    void waitIsWhatIsLeftOfTheSlot() {
        QFETCH(double, rate);
        QFETCH(int, loadMs);
        QFETCH(int, holdMs);
        QFETCH(int, waitMs);
        PlayPacer pacer(fakeClock());
        pacer.setSpeed(*PlaySpeed::fromRowsPerSecond(rate));
        pacer.rowShown();
        now_ += milliseconds(loadMs);
        QCOMPARE(pacer.scheduleNext(milliseconds(holdMs)), nanoseconds(milliseconds(waitMs)));
    }

    void slotsCountFromTheRowOnScreen() {
        // 2 rows/s; the second row takes 800 ms to load, the third 100 ms.
        PlayPacer pacer(fakeClock());
        pacer.setSpeed(*PlaySpeed::fromRowsPerSecond(2));
        QCOMPARE(pacer.scheduleNext(), nanoseconds{}); // nothing shown yet
        pacer.rowShown();
        QCOMPARE(pacer.scheduleNext(), nanoseconds(500ms));
        now_ += 500ms + 800ms; // waited, then the slow row
        pacer.rowShown();
        QCOMPARE(pacer.lastLateness(), nanoseconds(800ms));
        // The slow row keeps its whole slot: the next is not pulled forward.
        now_ += 100ms;
        QCOMPARE(pacer.scheduleNext(), nanoseconds(400ms));
        now_ += 400ms;
        pacer.rowShown();
        QCOMPARE(pacer.lastLateness(), nanoseconds{});
    }

    void speedChangeActsOnTheRowOnShow() {
        PlayPacer pacer(fakeClock());
        pacer.setSpeed(*PlaySpeed::fromRowsPerSecond(1));
        pacer.rowShown();
        now_ += 200ms;
        pacer.setSpeed(pacer.speed().faster()); // 2/s
        QCOMPARE(pacer.scheduleNext(), nanoseconds(300ms));
        pacer.setSpeed(PlaySpeed::asFastAsLoaded());
        QCOMPARE(pacer.scheduleNext(), nanoseconds{});
        pacer.reset();
        pacer.setSpeed(*PlaySpeed::fromRowsPerSecond(1));
        QCOMPARE(pacer.scheduleNext(), nanoseconds{});
    }
};

NUBIVU_TEST(TestPlayPacing)
#include "tst_playpacing.moc"
