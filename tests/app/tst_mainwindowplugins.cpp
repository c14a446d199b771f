#include "app/mainwindow.h"
#include "showfixture.h"
#include "spi/tspis.h"
#include "testrunner.h"

#include <QTest>

using namespace nubivu;
using namespace nubivu::test;

class TestMainWindowPlugins : public QObject {
    Q_OBJECT

private Q_SLOTS:
    void cleanup() { StopWindows(); }

    void managerCreatedWithTheWindow() {
        StartWindows(1024);
        TSPIs* spis = child<TSPIs>(MainForm(), "SPIs1");
        QVERIFY(spis);
        QCOMPARE(spis->objectName(), QStringLiteral("SPIs1"));
        QCOMPARE(TSPIs::ActiveSPIs(), spis);
        QVERIFY(spis->SearchOptions ==
                (TSPISearchOptions{TSPISearchOption::spsSusieDir, TSPISearchOption::spsAppDir}));
        QVERIFY(!spis->GraphicPreview);
        QVERIFY(spis->MacBinary && spis->AutoSearch && spis->SkipFaultyLibraries);
        StopWindows();
        QVERIFY(!TSPIs::ActiveSPIs()); // gone with the window
    }
};

NUBIVU_TEST(TestMainWindowPlugins)
#include "tst_mainwindowplugins.moc"
