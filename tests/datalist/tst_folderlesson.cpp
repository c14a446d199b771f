#include "datalist/datalistfile.h"
#include "datalist/folderlesson.h"
#include "datalist/lesson.h"
#include "datalist/timematch.h"
#include "testfiles.h"
#include "testrunner.h"

#include <QDir>
#include <QHash>
#include <QTemporaryDir>
#include <QTest>

using namespace nubivu;
using namespace nubivu::test;

using Times = std::vector<qint64>;
using Indices = std::vector<int>;
Q_DECLARE_METATYPE(Times)
Q_DECLARE_METATYPE(Indices)

namespace {
constexpr qint64 Minute = 60;
constexpr qint64 Hour = 60 * Minute;

Times every(qint64 from, qint64 step, int count) {
    Times t;
    for (int i = 0; i < count; ++i) t.push_back(from + i * step);
    return t;
}
} // namespace

// Rows from picture folders: the picture in force at each lead moment, and
// the files left out.
class TestFolderLesson : public QObject {
    Q_OBJECT

private Q_SLOTS:
    void inForce_data() {
        QTest::addColumn<Times>("lead");
        QTest::addColumn<Times>("series");
        QTest::addColumn<Indices>("expected");
        // A 3-hourly map is in force for one step of the hourly lead, then stale.
        QTest::newRow("3-hourly under hourly")
            << every(0, Hour, 6) << every(0, 3 * Hour, 2) << Indices{0, 0, -1, 1, 1, -1};
        // 10-minute rain maps: the one at the lead's moment.
        QTest::newRow("10-minute under hourly")
            << every(0, Hour, 3) << every(0, 10 * Minute, 13) << Indices{0, 6, 12};
        // Off the lead's moments: the latest before it, within the step.
        QTest::newRow("late pictures")
            << every(0, Hour, 3) << Times{-5 * Minute, 55 * Minute, 61 * Minute}
            << Indices{0, 1, 2};
        QTest::newRow("series starts late")
            << every(0, Hour, 4) << every(2 * Hour + 30 * Minute, 10 * Minute, 6)
            << Indices{-1, -1, -1, 3};
        // A gap in the lead widens that row's step: at 10:00 a map of up to
        // three hours old holds, at 14:00 one of 61 minutes is stale.
        QTest::newRow("gap in the lead")
            << Times{9 * Hour, 10 * Hour, 13 * Hour, 14 * Hour}
            << Times{7 * Hour, 12 * Hour + 59 * Minute} << Indices{-1, 0, 1, -1};
        // A gap in the series: rows past one step stay empty.
        QTest::newRow("gap in the series")
            << every(0, Hour, 5) << Times{0, 4 * Hour} << Indices{0, 0, -1, -1, 1};
        // The last row takes the step before it.
        QTest::newRow("last row") << Times{0, 30 * Minute, 40 * Minute} << Times{31 * Minute}
                                  << Indices{-1, -1, 0};
        QTest::newRow("last row, stale")
            << Times{0, 30 * Minute, 40 * Minute} << Times{29 * Minute} << Indices{-1, 0, -1};
        QTest::newRow("pictures after the lead")
            << every(0, Hour, 2) << Times{3 * Hour} << Indices{-1, -1};
        // Two lead pictures of one moment share the step to the next one.
        QTest::newRow("equal lead moments")
            << Times{0, 0, Hour} << Times{-Hour} << Indices{0, 0, -1};
        // One lead picture has no step: only its own moment counts.
        QTest::newRow("one lead picture") << Times{Hour} << Times{0, Hour} << Indices{1};
        QTest::newRow("one lead picture, earlier only") << Times{Hour} << Times{0} << Indices{-1};
        QTest::newRow("empty series") << every(0, Hour, 2) << Times{} << Indices{-1, -1};
    }
    void inForce() {
        QFETCH(Times, lead);
        QFETCH(Times, series);
        QFETCH(Indices, expected);
        QCOMPARE(matchInForce(lead, series), expected);
    }

    void foldersOfDifferentCadences() {
        QTemporaryDir dir;
        const QString cloud = folder(dir, "cloud");
        const QString map = folder(dir, "map");
        const QString rain = folder(dir, "rain");
        // Hourly photos 09:00-14:00 without 12:00; 3-hourly maps; rain every
        // 10 minutes from 10:30; a file no reader takes; one dated only inside.
        for (const char* t : {"0900", "1000", "1100", "1300", "1400"})
            touch(cloud, QStringLiteral("himawari_20240510_%1.jpg").arg(QLatin1String(t)));
        touch(cloud, QStringLiteral("readme.txt"));
        touch(cloud, QStringLiteral("IMG_0001.jpg"));
        touch(map, QStringLiteral("map_2024-05-10_09-00.png"));
        touch(map, QStringLiteral("DSC0042.jpg")); // EXIF says 12:00
        for (int m = 10 * 60 + 30; m <= 14 * 60; m += 10)
            touch(rain, QStringLiteral("rain-20240510-%1%2.png")
                            .arg(m / 60, 2, 10, QLatin1Char('0'))
                            .arg(m % 60, 2, 10, QLatin1Char('0')));

        SlotPaths folders;
        folders[0] = cloud;
        folders[1] = map;
        folders[2] = rain;
        const FolderLesson made = makeFolderLesson(folders, ImageSlot::Cloud, probe());
        QCOMPARE(made.problem, FolderProblem::None);

        const QStringList expected = {
            // time  cloud  map  rain
            "09:00 himawari_20240510_0900.jpg map_2024-05-10_09-00.png -",
            "10:00 himawari_20240510_1000.jpg map_2024-05-10_09-00.png -",
            // 12:00 is missing: this row's step is two hours, so the 09:00 map
            // still holds.
            "11:00 himawari_20240510_1100.jpg map_2024-05-10_09-00.png rain-20240510-1100.png",
            "13:00 himawari_20240510_1300.jpg DSC0042.jpg rain-20240510-1300.png",
            "14:00 himawari_20240510_1400.jpg - rain-20240510-1400.png",
        };
        QStringList rows;
        for (const FolderLessonRow& row : made.rows) {
            QStringList cells{row.time.toString(QStringLiteral("HH:mm"))};
            for (int slot = 0; slot < 3; ++slot)
                cells << (row.paths[size_t(slot)].isEmpty()
                              ? QStringLiteral("-")
                              : QFileInfo(row.paths[size_t(slot)]).fileName());
            rows << cells.join(u' ');
        }
        QCOMPARE(rows, expected);
        QCOMPARE(made.rows[0].paths[0], cloud + QStringLiteral("/himawari_20240510_0900.jpg"));

        QStringList skipped;
        for (const SkippedPicture& s : made.skipped)
            skipped << QFileInfo(s.path).fileName() + (s.reason == SkipReason::Undated
                                                           ? QStringLiteral(" undated")
                                                           : QStringLiteral(" unreadable"));
        QCOMPARE(skipped, (QStringList{"IMG_0001.jpg undated", "readme.txt unreadable"}));
    }

    void rainLeadingMakesARowPerRainMap() {
        QTemporaryDir dir;
        const QString cloud = folder(dir, "cloud");
        const QString rain = folder(dir, "rain");
        touch(cloud, QStringLiteral("20240510_0900.jpg"));
        touch(cloud, QStringLiteral("20240510_1000.jpg"));
        for (const char* t : {"0850", "0900", "0910", "0920"})
            touch(rain, QStringLiteral("20240510_%1.png").arg(QLatin1String(t)));
        SlotPaths folders;
        folders[0] = cloud;
        folders[2] = rain;
        const FolderLesson made = makeFolderLesson(folders, ImageSlot::Rain, probe());
        QCOMPARE(made.rows.size(), size_t(4));
        // The hourly photo is stale 10 minutes after its moment under 10-minute steps.
        QVERIFY(made.rows[0].paths[0].isEmpty());
        QVERIFY(made.rows[1].paths[0].endsWith(u"20240510_0900.jpg"));
        QVERIFY(made.rows[2].paths[0].endsWith(u"20240510_0900.jpg"));
        QVERIFY(made.rows[3].paths[0].isEmpty());
    }

    void problems_data() {
        QTest::addColumn<QString>("leadFolder");
        QTest::addColumn<QString>("mapFolder");
        QTest::addColumn<int>("problem");
        QTest::newRow("no lead folder") << ""
                                        << "map" << int(FolderProblem::NoLeadFolder);
        QTest::newRow("missing lead folder") << "nowhere"
                                             << "map" << int(FolderProblem::MissingFolder);
        QTest::newRow("missing other folder") << "cloud"
                                              << "nowhere" << int(FolderProblem::MissingFolder);
        QTest::newRow("nothing dated in the lead")
            << "map"
            << "cloud" << int(FolderProblem::NoDatedLeadPicture);
    }
    void problems() {
        QFETCH(QString, leadFolder);
        QFETCH(QString, mapFolder);
        QFETCH(int, problem);
        QTemporaryDir dir;
        touch(folder(dir, "cloud"), QStringLiteral("20240510_0900.jpg"));
        touch(folder(dir, "map"), QStringLiteral("IMG_0001.jpg"));
        SlotPaths folders;
        if (!leadFolder.isEmpty()) folders[0] = dir.filePath(leadFolder);
        folders[1] = dir.filePath(mapFolder);
        const FolderLesson made = makeFolderLesson(folders, ImageSlot::Cloud, probe());
        QCOMPARE(int(made.problem), problem);
        QVERIFY(made.rows.empty());
    }

    void appliedLessonIsNewUnsavedAndDated() {
        QTemporaryDir dir;
        const QString cloud = folder(dir, "cloud");
        touch(cloud, QStringLiteral("20240510_0900.jpg"));
        touch(cloud, QStringLiteral("DSC0042.jpg"));
        SlotPaths folders;
        folders[0] = cloud;
        const FolderLesson made = makeFolderLesson(folders, ImageSlot::Cloud, probe());
        Lesson lesson;
        lesson.setFilePath(dir.filePath(QStringLiteral("old.NV2")));
        lesson.rows().appendRows(std::vector<SlotPaths>(3));
        applyFolderLesson(lesson, made);
        QCOMPARE(lesson.rows().count(), 2);
        QVERIFY(lesson.filePath().isEmpty());
        QVERIFY(!lesson.isSaved());
        QVERIFY(lesson.madeFromFolders());
        QCOMPARE(lesson.rowTime(0)->time(), QTime(9, 0));
        // Dated from inside the file: the time read then is kept.
        QCOMPARE(lesson.rowTime(1)->time(), QTime(12, 0));
        // Relative paths, as after a save beside the folder, find the same times.
        lesson.setFilePath(dir.filePath(QStringLiteral("lesson.NV2")));
        lesson.rows().setCell(1, 0, QStringLiteral("cloud/DSC0042.jpg"));
        QCOMPARE(lesson.rowTime(1)->time(), QTime(12, 0));
        // A picture put in later is dated by its name.
        lesson.rows().setCell(0, 0, QStringLiteral("20240510_1000.jpg"));
        QCOMPARE(lesson.rowTime(0)->time(), QTime(10, 0));
        // An opened or emptied list dates nothing.
        lesson.forgetRowTimes();
        QVERIFY(!lesson.rowTime(0));
    }

    void fullPathsBelowTheListAreWrittenRelative_data() {
        QTest::addColumn<QString>("path");
        QTest::addColumn<QString>("written");
        QTest::newRow("below") << "/school/day/cloud/a.jpg"
                               << "cloud/a.jpg";
        QTest::newRow("beside") << "/school/day/a.jpg"
                                << "a.jpg";
        QTest::newRow("elsewhere") << "/school/other/a.jpg"
                                   << "/school/other/a.jpg";
        QTest::newRow("relative, no list before") << "cloud/a.jpg"
                                                  << "cloud/a.jpg";
        QTest::newRow("windows") << "C:\\day\\a.jpg"
                                 << "C:\\day\\a.jpg";
    }
    void fullPathsBelowTheListAreWrittenRelative() {
        QFETCH(QString, path);
        QFETCH(QString, written);
        const ListPathRebaser rebase(QString(), QStringLiteral("/school/day/lesson.NV2"),
                                     FullPaths::RelativeBelow);
        QCOMPARE(rebase(path), written);
        // A list of the chooser keeps the paths it was given.
        QCOMPARE(ListPathRebaser(QString(), QStringLiteral("/school/day/lesson.NV2"))(path), path);
    }

private:
    static QString folder(const QTemporaryDir& dir, const char* name) {
        const QString path = dir.filePath(QLatin1String(name));
        QDir().mkpath(path);
        return path;
    }
    static void touch(const QString& folder, const QString& name) {
        writeFile(folder + u'/' + name, "x");
    }
    // jpg and png are read; DSC0042.jpg records 12:00 of the day inside.
    static PictureProbe probe() {
        PictureProbe probe;
        probe.readable = [](const QString& path) {
            return path.endsWith(u".jpg") || path.endsWith(u".png");
        };
        probe.recordedTime = [](const QString& path) -> std::optional<QDateTime> {
            if (!path.endsWith(u"DSC0042.jpg")) return std::nullopt;
            return QDateTime(QDate(2024, 5, 10), QTime(12, 0), Qt::UTC);
        };
        return probe;
    }
};

NUBIVU_TEST(TestFolderLesson)
#include "tst_folderlesson.moc"
