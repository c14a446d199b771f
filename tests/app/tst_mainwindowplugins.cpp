#include "app/lessonwindows.h"
#include "showfixture.h"
#include "spi/pluginmanager.h"
#include "testrunner.h"

#include <QPointer>
#include <QTest>

using namespace nubivu;
using namespace nubivu::test;

class TestMainWindowPlugins : public QObject {
    Q_OBJECT

private Q_SLOTS:
    void cleanup() { stopWindows(); }

    void managerCreatedWithTheWindows() {
        startWindows(1024);
        QPointer<PluginManager> spis = &windows()->plugins();
        QCOMPARE(spis->objectName(), QStringLiteral("SPIs1"));
        const PluginManagerOptions& options = spis->options();
        QVERIFY(options.folders ==
                (PluginFolders{PluginFolder::SusieFolder, PluginFolder::ProgramFolder}));
        QVERIFY(!options.preview);
        QVERIFY(options.macBinary && options.searchAtStart && options.skipFaultyLibraries);
        QVERIFY(!spis->forcedLoader());
        stopWindows();
        QVERIFY(!spis); // gone with the windows
    }
};

NUBIVU_TEST(TestMainWindowPlugins)
#include "tst_mainwindowplugins.moc"
