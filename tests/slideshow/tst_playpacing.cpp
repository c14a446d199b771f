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
        QVERIFY(!speed.Paced());
        QCOMPARE(speed.Slot(), nanoseconds{});
        QCOMPARE(speed.Faster(), speed);
        QList<double> down;
        for (PlaySpeed s = speed.Slower(); s.Paced(); s = s.Slower()) {
            down.append(s.RowsPerSecond());
            if (s == s.Slower()) break;
        }
        QCOMPARE(down, (QList<double>{30, 15, 8, 4, 2, 1, 0.5}));
        PlaySpeed up = *PlaySpeed::FromRowsPerSecond(0.5);
        for (int i = 0; i < 6; ++i) up = up.Faster();
        QCOMPARE(up.RowsPerSecond(), 30.0);
        QVERIFY(!up.Faster().Paced());
    }

    void onlyListedRatesAreSpeeds() {
        QCOMPARE(PlaySpeed::FromRowsPerSecond(0), PlaySpeed::AsFastAsLoaded());
        QCOMPARE(PlaySpeed::FromRowsPerSecond(15)->Slot(), nanoseconds(66'666'667));
        QCOMPARE(PlaySpeed::FromRowsPerSecond(0.5)->Slot(), nanoseconds(2s));
        for (double bad : {-1.0, 3.0, 1000.0, std::nan("")})
            QVERIFY2(!PlaySpeed::FromRowsPerSecond(bad), qPrintable(QString::number(bad)));
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
        pacer.SetSpeed(*PlaySpeed::FromRowsPerSecond(rate));
        pacer.RowShown();
        now_ += milliseconds(loadMs);
        QCOMPARE(pacer.ScheduleNext(milliseconds(holdMs)), nanoseconds(milliseconds(waitMs)));
    }

    void slotsCountFromTheRowOnScreen() {
        // 2 rows/s; the second row takes 800 ms to load, the third 100 ms.
        PlayPacer pacer(fakeClock());
        pacer.SetSpeed(*PlaySpeed::FromRowsPerSecond(2));
        QCOMPARE(pacer.ScheduleNext(), nanoseconds{}); // nothing shown yet
        pacer.RowShown();
        QCOMPARE(pacer.ScheduleNext(), nanoseconds(500ms));
        now_ += 500ms + 800ms; // waited, then the slow row
        pacer.RowShown();
        QCOMPARE(pacer.LastLateness(), nanoseconds(800ms));
        // The slow row keeps its whole slot: the next is not pulled forward.
        now_ += 100ms;
        QCOMPARE(pacer.ScheduleNext(), nanoseconds(400ms));
        now_ += 400ms;
        pacer.RowShown();
        QCOMPARE(pacer.LastLateness(), nanoseconds{});
    }

    void speedChangeActsOnTheRowOnShow() {
        PlayPacer pacer(fakeClock());
        pacer.SetSpeed(*PlaySpeed::FromRowsPerSecond(1));
        pacer.RowShown();
        now_ += 200ms;
        pacer.SetSpeed(pacer.Speed().Faster()); // 2/s
        QCOMPARE(pacer.ScheduleNext(), nanoseconds(300ms));
        pacer.SetSpeed(PlaySpeed::AsFastAsLoaded());
        QCOMPARE(pacer.ScheduleNext(), nanoseconds{});
        pacer.Reset();
        pacer.SetSpeed(*PlaySpeed::FromRowsPerSecond(1));
        QCOMPARE(pacer.ScheduleNext(), nanoseconds{});
    }
};

NUBIVU_TEST(TestPlayPacing)
#include "tst_playpacing.moc"
