#include "slideshow/playorder.h"
#include "testrunner.h"

#include <QTest>

using namespace nubivu;
using namespace std::chrono_literals;

Q_DECLARE_METATYPE(nubivu::EndOfList)

class TestPlayOrder : public QObject {
    Q_OBJECT

private Q_SLOTS:
    void rowOrders_data() {
        QTest::addColumn<int>("rows");
        QTest::addColumn<EndOfList>("mode");
        QTest::addColumn<int>("start");
        // The rows a play shows after start, at most 12, numbered as the
        // counter shows them; "|" marks a hold.
        QTest::addColumn<QString>("shown");
        using enum EndOfList;
        QTest::newRow("1 row, stop") << 1 << Stop << 1 << "";
        QTest::newRow("1 row, loop") << 1 << Loop << 1 << "";
        QTest::newRow("1 row, rock") << 1 << Rock << 1 << "";
        QTest::newRow("2 rows, stop") << 2 << Stop << 1 << "2";
        QTest::newRow("2 rows, loop") << 2 << Loop << 1 << "2 |1 2 |1 2 |1 2 |1 2 |1 2 |1";
        QTest::newRow("2 rows, rock") << 2 << Rock << 1 << "2 |1 2 |1 2 |1 2 |1 2 |1 2 |1";
        QTest::newRow("3 rows, stop") << 3 << Stop << 1 << "2 3";
        QTest::newRow("3 rows, loop") << 3 << Loop << 1 << "2 3 |1 2 3 |1 2 3 |1 2 3 |1";
        QTest::newRow("3 rows, rock") << 3 << Rock << 1 << "2 3 |2 1 2 3 |2 1 2 3 |2 1";
        QTest::newRow("5 rows, stop") << 5 << Stop << 1 << "2 3 4 5";
        QTest::newRow("5 rows, stop from 4") << 5 << Stop << 4 << "5";
        QTest::newRow("5 rows, stop at the end") << 5 << Stop << 5 << "";
        QTest::newRow("5 rows, loop") << 5 << Loop << 1 << "2 3 4 5 |1 2 3 4 5 |1 2 3";
        QTest::newRow("5 rows, rock") << 5 << Rock << 1 << "2 3 4 5 |4 3 2 1 2 3 4 5";
        QTest::newRow("5 rows, rock from the end") << 5 << Rock << 5 << "|4 3 2 1 2 3 4 5 |4 3 2 1";
        QTest::newRow("row beyond a shrunk list") << 3 << Loop << 4 << "";
    }
    void rowOrders() {
        QFETCH(int, rows);
        QFETCH(EndOfList, mode);
        QFETCH(int, start);
        QFETCH(QString, shown);
        PlayOrder order;
        order.setMode(mode);
        order.setHold(1s);
        QStringList got;
        int row = start - 1;
        for (int i = 0; i < 12; ++i) {
            const std::optional<PlayStep> peeked = order.peek(rows, row);
            const std::optional<PlayStep> step = order.advance(rows, row);
            QCOMPARE(peeked, step); // reading ahead sees the row a play will show
            if (!step) break;
            got.append((order.pauseBefore(*step) == 1s ? QStringLiteral("|") : QString()) +
                       QString::number(step->row + 1));
            row = step->row;
        }
        QCOMPARE(got.join(QLatin1Char(' ')), shown);
    }

    void directionLastsUntilRestart() {
        PlayOrder order;
        order.setMode(EndOfList::Rock);
        QCOMPARE(order.advance(3, 2)->row, 1);
        QCOMPARE(order.direction(), PlayDirection::Backward);
        // Stop and play again mid-way keeps going back unless restarted.
        QCOMPARE(order.peek(3, 1)->row, 0);
        order.restart();
        QCOMPARE(order.peek(3, 1)->row, 2);
        QCOMPARE(order.pauseBefore(*order.peek(3, 1)), 0ms);
    }
};

NUBIVU_TEST(TestPlayOrder)
#include "tst_playorder.moc"
