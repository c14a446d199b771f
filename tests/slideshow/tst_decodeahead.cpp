#include "pictures/bitmap.h"
#include "pictures/jpegimage.h"
#include "slideshow/decodeahead.h"
#include "testpictures.h"
#include "testrunner.h"

#include <QBuffer>
#include <QPainter>
#include <QTemporaryDir>
#include <QTest>
#include <atomic>
#include <condition_variable>
#include <future>
#include <mutex>
#include <thread>

using namespace nubivu;
using nubivu::test::jpegBytes;

namespace {

// A picture that counts how many of its kind are alive.
class CountedPicture : public Bitmap {
public:
    static inline std::atomic<int> alive{0};
    static inline std::atomic<int> mostAlive{0};
    CountedPicture() {
        const int now = ++alive;
        for (int most = mostAlive; now > most && !mostAlive.compare_exchange_weak(most, now);) {
        }
    }
    ~CountedPicture() override { --alive; }
    void prepareDraw(QSize size) override { preparedFor = size; }
    QSize preparedFor;
};

DecodedPicture countedDecode(const QString& path) {
    DecodedPicture out;
    out.path = path;
    if (!path.isEmpty()) out.graphic = std::make_unique<CountedPicture>();
    return out;
}

// Holds the worker inside its first decode until released.
struct Gate {
    std::mutex mutex;
    std::condition_variable cv;
    bool entered = false;
    bool open = false;
    DecodedPicture decode(const QString& path) {
        std::unique_lock lock(mutex);
        entered = true;
        cv.notify_all();
        cv.wait(lock, [&] { return open; });
        return countedDecode(path);
    }
    void waitEntered() {
        std::unique_lock lock(mutex);
        cv.wait(lock, [&] { return entered; });
    }
    void release() {
        const std::lock_guard lock(mutex);
        open = true;
        cv.notify_all();
    }
};

// The worker decodes ahead only with a second core; the tests say there is one.
int twoCores() { return 2; }

QStringList rowPaths(int row) {
    return {QStringLiteral("k%1.jpg").arg(row), QStringLiteral("n%1.jpg").arg(row),
            QStringLiteral("a%1.jpg").arg(row)};
}

} // namespace

Q_DECLARE_METATYPE(nubivu::DecodeAhead::Help)

class TestDecodeAhead : public QObject {
    Q_OBJECT

private Q_SLOTS:
    void init() {
        QCOMPARE(CountedPicture::alive.load(), 0);
        CountedPicture::mostAlive = 0;
    }

    void givesTheRowAskedForOnce() {
        DecodeAhead ahead(countedDecode, twoCores);
        const QStringList paths{QStringLiteral("a.bmp"), QString(), QStringLiteral("c.bmp")};
        ahead.request(4, paths);
        std::optional<DecodedRow> row = ahead.take(4, paths);
        QVERIFY(row);
        QCOMPARE(row->row, 4);
        QCOMPARE(row->pictures.size(), size_t(3));
        for (int slot = 0; slot < 3; ++slot) {
            QCOMPARE(row->pictures[size_t(slot)].path, paths[slot]);
            QCOMPARE(bool(row->pictures[size_t(slot)].graphic), !paths[slot].isEmpty());
        }
        QVERIFY(!ahead.busy());
        QVERIFY(!ahead.take(4, paths));
    }

    void picturesAreScaledForTheirPanes() {
        // Where a pane's size is known, the picture is readied for it as soon
        // as it is decoded; where not, it is left as decoded.
        DecodeAhead ahead(countedDecode, twoCores);
        const QStringList paths = rowPaths(2);
        ahead.request({{2, paths, {QSize(600, 450), QSize(), QSize(320, 240)}}});
        std::optional<DecodedRow> row = ahead.take(2, paths);
        QVERIFY(row);
        const QSize expected[] = {QSize(600, 450), QSize(), QSize(320, 240)};
        for (size_t slot = 0; slot < 3; ++slot)
            QCOMPARE(static_cast<CountedPicture*>(row->pictures[slot].graphic.get())->preparedFor,
                     expected[slot]);
    }

    void takingHelpsWithTheRowOnItsWay_data() {
        QTest::addColumn<DecodeAhead::Help>("help");
        QTest::addColumn<QStringList>("decodedByCaller");
        const QStringList five = rowPaths(5), six = rowPaths(6);
        QTest::newRow("this row") << DecodeAhead::Help::ThisRow << QStringList{five[1], five[2]};
        QTest::newRow("rows after too")
            << DecodeAhead::Help::RowsAfterToo << QStringList{five[1], five[2], six[0]};
    }
    void takingHelpsWithTheRowOnItsWay() {
        // The worker is held in the first picture: the other two can only be
        // decoded by the thread that takes the row, which may then start the
        // row after rather than wait.
        QFETCH(DecodeAhead::Help, help);
        QFETCH(QStringList, decodedByCaller);
        Gate gate;
        std::mutex mutex;
        QStringList byCaller;
        const std::thread::id caller = std::this_thread::get_id();
        DecodeAhead ahead(
            [&](const QString& p) {
                if (p == rowPaths(5)[0]) return gate.decode(p);
                if (std::this_thread::get_id() == caller) {
                    const std::lock_guard lock(mutex);
                    byCaller << p;
                    if (byCaller.size() == decodedByCaller.size()) gate.release();
                }
                return countedDecode(p);
            },
            twoCores);
        // Should the caller not help as it must, it would wait for the held
        // worker for ever: let the worker go after a while, and fail below.
        std::promise<void> finished;
        std::thread watchdog([&gate, done = finished.get_future()] {
            done.wait_for(std::chrono::seconds(5));
            gate.release();
        });
        ahead.request({{5, rowPaths(5)}, {6, rowPaths(6)}});
        gate.waitEntered();
        const std::optional<DecodedRow> row = ahead.take(5, rowPaths(5), help);
        finished.set_value();
        watchdog.join();
        QVERIFY(row);
        QCOMPARE(row->pictures.size(), size_t(3));
        for (const DecodedPicture& picture : row->pictures) QVERIFY(picture.graphic);
        const std::lock_guard lock(mutex);
        QCOMPARE(byCaller.mid(0, decodedByCaller.size()), decodedByCaller);
        if (help == DecodeAhead::Help::ThisRow) QCOMPARE(byCaller.size(), 2);
    }

    void changesDropWhatWasDecoded_data() {
        QTest::addColumn<QString>("change");
        QTest::newRow("list or options changed") << "discard";
        QTest::newRow("another row shown") << "other row";
        QTest::newRow("fill-in gave other paths") << "other paths";
        QTest::newRow("a newer row asked for") << "newer request";
    }
    void changesDropWhatWasDecoded() {
        QFETCH(QString, change);
        for (bool finished : {true, false}) {
            Gate gate;
            {
                DecodeAhead ahead([&](const QString& p) { return gate.decode(p); }, twoCores);
                if (finished) gate.release();
                ahead.request(2, rowPaths(2));
                gate.waitEntered();
                if (change == QLatin1String("discard")) {
                    ahead.discard();
                } else if (change == QLatin1String("other row")) {
                    QVERIFY(!ahead.take(3, rowPaths(3)));
                } else if (change == QLatin1String("other paths")) {
                    QStringList filled = rowPaths(2);
                    filled[1] = QStringLiteral("n1.jpg");
                    QVERIFY(!ahead.take(2, filled));
                } else {
                    ahead.request(3, rowPaths(3));
                }
                gate.release();
                // The newer row is the one held; any other row asked for drops it.
                if (change == QLatin1String("newer request")) QVERIFY(ahead.take(3, rowPaths(3)));
                QVERIFY(!ahead.take(2, rowPaths(2)));
                QVERIFY(!ahead.busy());
            }
            QCOMPARE(CountedPicture::alive.load(), 0);
        }
    }

    void holdsAtMostOneRowAhead() {
        // A play of 60 rows: the row on show in hand, the next one decoding.
        DecodeAhead ahead(countedDecode, twoCores);
        std::optional<DecodedRow> shown;
        ahead.request(1, rowPaths(1));
        for (int row = 1; row <= 60; ++row) {
            shown = ahead.take(row, rowPaths(row));
            QVERIFY(shown);
            ahead.request(row + 1, rowPaths(row + 1));
            QVERIFY(CountedPicture::alive <= 6);
        }
        QVERIFY(CountedPicture::mostAlive <= 6);
        ahead.discard();
        // Row 60's, in hand, once a picture of row 61 still being decoded is done.
        QTRY_COMPARE(CountedPicture::alive.load(), 3);
        // A request that replaces one in flight frees the first.
        Gate gate;
        DecodeAhead held([&](const QString& p) { return gate.decode(p); }, twoCores);
        held.request(1, rowPaths(1));
        gate.waitEntered();
        held.request(2, rowPaths(2));
        gate.release();
        QVERIFY(held.take(2, rowPaths(2)));
        QCOMPARE(CountedPicture::alive.load(), 3);
        shown.reset();
        QCOMPARE(CountedPicture::alive.load(), 0);
    }

    // A play asks for the row after next too: what was decoded for it is kept
    // when it is asked for again, each picture is decoded once, and no more
    // than the row on show and two rows ahead are ever alive.
    void keepsTheRowAfterNextAsked() {
        std::atomic<int> decodes{0};
        const auto counted = [&](const QString& p) {
            ++decodes;
            return countedDecode(p);
        };
        DecodeAhead ahead(counted, twoCores);
        std::optional<DecodedRow> shown;
        ahead.request({{1, rowPaths(1)}, {2, rowPaths(2)}});
        for (int row = 1; row <= 40; ++row) {
            shown =
                ahead.take(row, rowPaths(row),
                           row % 2 ? DecodeAhead::Help::ThisRow : DecodeAhead::Help::RowsAfterToo);
            QVERIFY(shown);
            QCOMPARE(shown->row, row);
            ahead.request({{row + 1, rowPaths(row + 1)}, {row + 2, rowPaths(row + 2)}});
            QVERIFY(CountedPicture::alive <= 9);
        }
        QVERIFY(CountedPicture::mostAlive <= 9);
        ahead.discard();
        QTRY_COMPARE(CountedPicture::alive.load(), 3);
        // Rows 1 to 40 and whatever of 41 and 42 the worker reached, none twice.
        QVERIFY(decodes >= 120 && decodes <= 126);

        // Taking the second row asked for passes over the first.
        DecodeAhead skipping(countedDecode, twoCores);
        skipping.request({{5, rowPaths(5)}, {6, rowPaths(6)}});
        const std::optional<DecodedRow> six = skipping.take(6, rowPaths(6));
        QVERIFY(six && six->row == 6 && six->pictures[0].graphic);
        QVERIFY(!skipping.busy());
        QVERIFY(!skipping.take(5, rowPaths(5)));
        shown.reset();

        // With one core nothing is decoded ahead: the row is loaded when shown.
        decodes = 0;
        DecodeAhead alone(counted, [] { return 1; });
        alone.request({{1, rowPaths(1)}, {2, rowPaths(2)}});
        QVERIFY(!alone.busy());
        QVERIFY(!alone.take(1, rowPaths(1)));
        QCOMPARE(decodes.load(), 0);
    }

    void failuresStayWithTheirSlot() {
        registerJpegFormat();
        QTemporaryDir dir;
        const QByteArray sound = jpegBytes(false);
        const QByteArray broken = jpegBytes(true);
        QVERIFY(!sound.isEmpty() && !broken.isEmpty());
        QImage pattern;
        QVERIFY(pattern.loadFromData(sound));
        const auto write = [&](const char* name, const QByteArray& data) {
            QFile f(dir.filePath(QString::fromLatin1(name)));
            f.open(QIODevice::WriteOnly);
            f.write(data);
            return f.fileName();
        };
        const QString bmp = dir.filePath(QStringLiteral("good.bmp"));
        QVERIFY(pattern.save(bmp, "BMP"));
        const QStringList paths{write("good.jpg", sound),
                                dir.filePath(QStringLiteral("missing.jpg")),
                                write("broken.jpg", broken),
                                QString(),
                                write("garbage.bmp", "BM not a bitmap"),
                                write("picture.xyz", sound),
                                bmp};
        DecodeAhead ahead([](const QString& p) { return decodePicture(p); }, twoCores);
        ahead.request(7, paths);
        const std::optional<DecodedRow> row = ahead.take(7, paths);
        QVERIFY(row);
        QStringList got;
        for (const DecodedPicture& p : row->pictures)
            got << QStringLiteral("%1:%2").arg(p.graphic ? "picture" : "cleared",
                                               p.paintError.isEmpty() ? "-" : "error");
        QCOMPARE(got, (QStringList{"picture:-", "cleared:-", "picture:error", "cleared:-",
                                   "cleared:-", "cleared:-", "picture:-"}));
        QVERIFY(row->pictures[2].paintError.startsWith(QStringLiteral("JPEG エラー #")));
        // Decoded in full: drawing meets no error any more, and shows the rows decoded.
        auto* jpeg = dynamic_cast<JpegImage*>(row->pictures[2].graphic.get());
        QVERIFY(jpeg && !jpeg->bitmap().empty());
        QImage pane(64, 48, QImage::Format_RGB32);
        QPainter painter(&pane);
        row->pictures[2].graphic->drawInto(painter, pane.rect());
        QCOMPARE(row->pictures[0].graphic->width(), 64);
        unregisterJpegFormat();
    }
};

NUBIVU_TEST(TestDecodeAhead)
#include "tst_decodeahead.moc"
