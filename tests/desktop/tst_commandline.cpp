#include "nubivucopy.h"
#include "testrunner.h"

#include <QTest>

using namespace nubivu::test;

// --help and --version answer and end, with or without a display, and open
// no window.
class TestCommandLine : public QObject {
    Q_OBJECT

private Q_SLOTS:
    void infoOptions_data() {
        QTest::addColumn<QString>("option");
        QTest::addColumn<bool>("display");
        QTest::addColumn<QString>("output");
        for (bool display : {false, true}) {
            const char* where = display ? ", display" : ", no display";
            QTest::newRow(qPrintable(QStringLiteral("--help") + QLatin1String(where)))
                << "--help" << display << "Usage: nubivu [LIST]";
            QTest::newRow(qPrintable(QStringLiteral("--version") + QLatin1String(where)))
                << "--version" << display << "Nubivu 3.10\n";
        }
    }
    void infoOptions() {
        QFETCH(QString, option);
        QFETCH(bool, display);
        QFETCH(QString, output);
        RuntimeDir runtime;
        QProcess program;
        QProcessEnvironment env = QProcessEnvironment::systemEnvironment();
        env.insert(QStringLiteral("XDG_RUNTIME_DIR"), runtime.path());
        for (const char* name : {"DISPLAY", "WAYLAND_DISPLAY", "QT_QPA_PLATFORM"})
            env.remove(QLatin1String(name));
        if (display) env.insert(QStringLiteral("QT_QPA_PLATFORM"), QStringLiteral("offscreen"));
        program.setProcessEnvironment(env);
        program.start(QStringLiteral(NUBIVU_PROGRAM), {option});
        QVERIFY(program.waitForFinished(10000));
        QCOMPARE(program.exitStatus(), QProcess::NormalExit);
        QCOMPARE(program.exitCode(), 0);
        const QString out = QString::fromUtf8(program.readAllStandardOutput());
        QVERIFY2(out.startsWith(output), qPrintable(out));
        QVERIFY(program.readAllStandardError().isEmpty());
        // No copy was started: the single-instance guard's name is free.
        QVERIFY(!QFileInfo::exists(RuntimeDir::socketPath()));
    }
};

NUBIVU_TEST(TestCommandLine)
#include "tst_commandline.moc"
