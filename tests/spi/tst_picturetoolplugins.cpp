#include "pictures/bitmap.h"
#include "spitestsupport.h"
#include "testrunner.h"

#include <QProcess>
#include <QTemporaryDir>
#include <QTest>

using namespace nubivu;
using namespace nubivu::test;

// nubivu-picture finds plug-ins as the program does: here through the Susie
// folder setting of a configuration home of the test's own.
class TestPictureToolPlugins : public QObject {
    Q_OBJECT

private Q_SLOTS:
    void decodesThroughTheSusieFolder() {
        const QString tool = QStringLiteral(NUBIVU_RUNTIME_DIR "/nubivu-picture");
        if (!QFile::exists(tool)) QSKIP("nubivu-picture is not built");
        QTemporaryDir home, plugins, work;
        copyPlugin(QStringLiteral("nubitest"), plugins.path());
        const QString junk = writeFile(plugins.filePath(QStringLiteral("junk.spi")), "junk");
        QDir(home.path()).mkpath(QStringLiteral("Quorril"));
        writeFile(home.filePath(QStringLiteral("Quorril/Susie.conf")),
                  "[Plug-in]\nPath=" + plugins.path().toUtf8() + "\n");
        const QString in =
            writeFile(work.filePath(QStringLiteral("sky.nbt")), nubiPicture(24, 6, 4, 0x20));
        const QString out = work.filePath(QStringLiteral("sky.bmp"));

        QProcess p;
        QProcessEnvironment env = QProcessEnvironment::systemEnvironment();
        env.insert(QStringLiteral("XDG_CONFIG_HOME"), home.path());
        p.setProcessEnvironment(env);
        p.start(tool, {in, out});
        QVERIFY(p.waitForFinished(60000));
        const QString errors = QString::fromLocal8Bit(p.readAllStandardError());
        QCOMPARE(p.exitCode(), 0);
        QCOMPARE(QString::fromLocal8Bit(p.readAllStandardOutput()).trimmed(),
                 QStringLiteral("PluginBitmap"));
        QVERIFY2(errors.contains(junk), qPrintable(errors)); // named, and nothing else stopped

        Bitmap written;
        written.loadFile(out);
        const NubiHeader h{24, 0, 6, 4, 0x20, 0};
        QCOMPARE(written.width(), 6);
        QCOMPARE(written.image().pixel(5, 3) & 0xFFFFFF, nubiPixel(&h, 5, 3));
    }
};

NUBIVU_TEST(TestPictureToolPlugins)
#include "tst_picturetoolplugins.moc"
