#include "pictures/formatregistry.h"
#include "testfiles.h"
#include "testrunner.h"
#include "ui/panepicture.h"
#include "ui/picturepane.h"

#include <QLoggingCategory>
#include <QRegularExpression>
#include <QTemporaryDir>
#include <QTest>

using namespace nubivu;
using namespace nubivu::test;

// A pane whose picture cannot be loaded goes empty without a message to the
// user; the reason still reaches the log, with the file.
class TestPanePicture : public QObject {
    Q_OBJECT

private Q_SLOTS:
    void initTestCase() { QLoggingCategory::setFilterRules(QStringLiteral("nubivu.*.info=true")); }
    void cleanupTestCase() { QLoggingCategory::setFilterRules(QString()); }

    void failureLeavesPaneEmptyAndIsLogged_data() {
        QTest::addColumn<QString>("name");
        QTest::addColumn<QByteArray>("bytes"); // empty: no file at all
        QTest::addColumn<QString>("reason");
        QTest::newRow("missing file") << "gone.bmp" << QByteArray() << "は開けません";
        QTest::newRow("no reader for the extension")
            << "map.xyz" << QByteArray("data") << "拡張子 .xyz";
        QTest::newRow("damaged bitmap") << "bad.bmp" << QByteArray("BMnonsense") << "ビットマップ";
    }
    void failureLeavesPaneEmptyAndIsLogged() {
        QFETCH(QString, name);
        QFETCH(QByteArray, bytes);
        QFETCH(QString, reason);
        QTemporaryDir dir;
        const QString path = dir.filePath(name);
        if (!bytes.isEmpty()) writeFile(path, bytes);
        FormatRegistry formats;
        PicturePane pane;
        QTest::ignoreMessage(QtInfoMsg, QRegularExpression(QRegularExpression::escape(path) +
                                                           ": .*" + reason + ".*pane left empty"));
        loadPaneOrClear(formats, pane, name, dir.filePath(QStringLiteral("lesson.NV2")));
        QVERIFY(pane.picture().empty());
    }
};

NUBIVU_TEST(TestPanePicture)
#include "tst_panepicture.moc"
