#include "app/screensaverinhibitor.h"
#include "testrunner.h"

#include <QDBusConnectionInterface>
#include <QProcess>
#include <QSignalSpy>
#include <QStandardPaths>
#include <QTest>

using namespace nubivu;

// Stands in for the desktop's service on a private bus.
// Its slots keep the D-Bus method names of the service.
class FakeScreenSaver : public QObject {
    Q_OBJECT
    Q_CLASSINFO("D-Bus Interface", "org.freedesktop.ScreenSaver")
public:
    QList<uint> held;
    uint next = 41;
    QStringList applications;

public Q_SLOTS:
    uint Inhibit(const QString& application, const QString&) {
        applications << application;
        held << ++next;
        return next;
    }
    void UnInhibit(uint cookie) { held.removeOne(cookie); }
};

class TestScreenSaverInhibitor : public QObject {
    Q_OBJECT

    QProcess daemon_;
    QString address_;

private Q_SLOTS:
    void initTestCase() {
        const QString program = QStandardPaths::findExecutable(QStringLiteral("dbus-daemon"));
        if (program.isEmpty()) return;
        daemon_.start(program, {QStringLiteral("--session"), QStringLiteral("--nofork"),
                                QStringLiteral("--print-address")});
        if (daemon_.waitForReadyRead(10000))
            address_ = QString::fromUtf8(daemon_.readLine()).trimmed();
    }
    void cleanupTestCase() {
        daemon_.kill();
        daemon_.waitForFinished();
    }

    void withoutABusNothingHappens() {
        const QDBusConnection none = QDBusConnection::connectToBus(
            QStringLiteral("unix:path=/nonexistent/bus"), QStringLiteral("none"));
        QVERIFY(!none.isConnected());
        ScreenSaverInhibitor inhibitor(none);
        inhibitor.inhibit();
        inhibitor.release();
        inhibitor.inhibit();
        QVERIFY(!inhibitor.held());
    }

    void withoutTheServiceNothingIsHeld() {
        if (address_.isEmpty()) QSKIP("dbus-daemon is not installed");
        const QDBusConnection bus =
            QDBusConnection::connectToBus(address_, QStringLiteral("noservice"));
        ScreenSaverInhibitor inhibitor(bus);
        QSignalSpy answered(&inhibitor, &ScreenSaverInhibitor::answered);
        inhibitor.inhibit();
        QVERIFY(answered.wait(10000));
        QVERIFY(!inhibitor.held());
        inhibitor.release();
    }

    void inhibitsWhilePlayingAndGivesBack() {
        if (address_.isEmpty()) QSKIP("dbus-daemon is not installed");
        QDBusConnection serviceBus =
            QDBusConnection::connectToBus(address_, QStringLiteral("service"));
        FakeScreenSaver service;
        QVERIFY(serviceBus.registerObject(QStringLiteral("/org/freedesktop/ScreenSaver"), &service,
                                          QDBusConnection::ExportAllSlots));
        QVERIFY(serviceBus.registerService(QStringLiteral("org.freedesktop.ScreenSaver")));
        const QDBusConnection bus =
            QDBusConnection::connectToBus(address_, QStringLiteral("client"));
        {
            ScreenSaverInhibitor inhibitor(bus);
            QSignalSpy answered(&inhibitor, &ScreenSaverInhibitor::answered);
            inhibitor.inhibit();
            inhibitor.inhibit(); // a second start while asking asks once
            QVERIFY(answered.wait(10000));
            QVERIFY(inhibitor.held());
            QCOMPARE(service.held.size(), 1);
            QCOMPARE(service.applications, QStringList{QStringLiteral("Nubivu")});
            inhibitor.release();
            QTRY_VERIFY(service.held.isEmpty());

            // Stopped before the service answered: the cookie goes back at once.
            inhibitor.inhibit();
            inhibitor.release();
            QVERIFY(answered.wait(10000));
            QVERIFY(!inhibitor.held());
            QTRY_VERIFY(service.held.isEmpty());

            // Still held when the window goes away.
            inhibitor.inhibit();
            QVERIFY(answered.wait(10000));
            QCOMPARE(service.held.size(), 1);
        }
        QTRY_VERIFY(service.held.isEmpty());
        serviceBus.unregisterService(QStringLiteral("org.freedesktop.ScreenSaver"));
        QDBusConnection::disconnectFromBus(QStringLiteral("service"));
        QDBusConnection::disconnectFromBus(QStringLiteral("client"));
    }
};

NUBIVU_TEST(TestScreenSaverInhibitor)
#include "tst_screensaverinhibitor.moc"
