#include "app/mainwindow.h"
#include "showfixture.h"
#include "spi/pluginmanager.h"
#include "testrunner.h"

#include <QTest>

using namespace nubivu;
using namespace nubivu::test;

class TestMainWindowPlugins : public QObject {
    Q_OBJECT

private Q_SLOTS:
    void cleanup() { stopWindows(); }

    void managerCreatedWithTheWindow() {
        startWindows(1024);
        PluginManager* spis = child<PluginManager>(mainForm(), "SPIs1");
        QVERIFY(spis);
        QCOMPARE(spis->objectName(), QStringLiteral("SPIs1"));
        QCOMPARE(PluginManager::activeSPIs(), spis);
        QVERIFY(spis->searchOptions ==
                (PluginFolders{PluginFolder::SusieFolder, PluginFolder::ProgramFolder}));
        QVERIFY(!spis->graphicPreview);
        QVERIFY(spis->macBinary && spis->autoSearch && spis->skipFaultyLibraries);
        stopWindows();
        QVERIFY(!PluginManager::activeSPIs()); // gone with the window
    }
};

NUBIVU_TEST(TestMainWindowPlugins)
#include "tst_mainwindowplugins.moc"
