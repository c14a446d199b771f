#include "datalist/datalistfile.h"
#include "testrunner.h"

#include <QFileInfo>
#include <QTest>

using namespace nubivu;

// The lesson the run command opens: a real version-2 list whose pictures
// sit beside it, named by paths relative to the list.
class TestSampleLesson : public QObject {
    Q_OBJECT
private Q_SLOTS:
    void opensWithEveryPictureInPlace() {
        const QString lesson = QStringLiteral(NUBIVU_SOURCE_DIR "/samples/lesson.NV2");
        DataList list;
        const std::optional<SlotPaths> titles = readDataListFile(list, lesson);
        QVERIFY(titles && *titles == defaultTitles());
        QVERIFY(list.count() >= 24);
        std::array<int, SlotCount> filled{};
        for (int r = 0; r < list.count(); ++r) {
            for (int s = 0; s < SlotCount; ++s) {
                const QString path = list.cell(r, s);
                if (path.isEmpty()) continue;
                QVERIFY2(QFileInfo(path).isRelative(), qPrintable(path));
                QVERIFY2(QFileInfo::exists(resolveListPath(path, lesson)), qPrintable(path));
                ++filled[size_t(s)];
            }
        }
        for (int s = 0; s < SlotCount; ++s) QVERIFY(filled[size_t(s)] > 0);
        // The main pictures change from row to row.
        QVERIFY(list.cell(0, 0) != list.cell(1, 0));
    }
};

NUBIVU_TEST(TestSampleLesson)
#include "tst_samplelesson.moc"
