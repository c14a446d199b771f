#include "app/forms.h"
#include "app/tfrmnubivumain.h"
#include "datalist/sharedstate.h"
#include "spi/tspis.h"
#include "testrunner.h"

#include <QTest>

using namespace nubivu;

class TestMainWindowPlugins : public QObject {
    Q_OBJECT

private Q_SLOTS:
    void cleanup() { DestroyForms(); }

    void managerCreatedWithTheWindow() {
        ResetSharedState();
        CreateForms(1024);
        TSPIs* spis = frmNubivuMain->SPIs1;
        QVERIFY(spis);
        QCOMPARE(spis->objectName(), QStringLiteral("SPIs1"));
        QCOMPARE(TSPIs::ActiveSPIs(), spis);
        QVERIFY(spis->SearchOptions ==
                (TSPISearchOptions{TSPISearchOption::spsSusieDir, TSPISearchOption::spsAppDir}));
        QVERIFY(!spis->GraphicPreview);
        QVERIFY(spis->MacBinary && spis->AutoSearch && spis->SkipFaultyLibraries);
        DestroyForms();
        QVERIFY(!TSPIs::ActiveSPIs()); // gone with the window
    }
};

NUBIVU_TEST(TestMainWindowPlugins)
#include "tst_mainwindowplugins.moc"
